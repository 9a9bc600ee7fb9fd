#include "firmware/ui/firmware_lists.hpp"

#include <QDrag>
#include <QDragEnterEvent>
#include <QHeaderView>
#include <QMimeData>
#include <QMouseEvent>

namespace vq::gui {
namespace {

constexpr int kDragThreshold = 5;  // pixels the mouse moves before a row drag begins

}  // namespace

void set_report_columns(QTreeWidget* list, const QStringList& headers, const QList<int>& widths) {
  list->setColumnCount(static_cast<int>(headers.size()));
  list->setHeaderLabels(headers);
  for (int i = 0; i < widths.size(); ++i) list->setColumnWidth(i, widths[i]);
  list->setRootIsDecorated(false);
  list->setItemsExpandable(false);
  list->setUniformRowHeights(true);
  list->setSelectionMode(QAbstractItemView::SingleSelection);
  list->setSelectionBehavior(QAbstractItemView::SelectRows);
  list->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list->header()->setStretchLastSection(true);
}

CatalogueListView::CatalogueListView(QWidget* parent) : QTreeWidget(parent) {
  setObjectName(QStringLiteral("ListView1"));
  // The selection stays visible when the list loses focus.
  QPalette p = palette();
  p.setColor(QPalette::Inactive, QPalette::Highlight, p.color(QPalette::Active, QPalette::Highlight));
  p.setColor(QPalette::Inactive, QPalette::HighlightedText, p.color(QPalette::Active, QPalette::HighlightedText));
  setPalette(p);
}

void CatalogueListView::mousePressEvent(QMouseEvent* event) {
  QTreeWidget::mousePressEvent(event);
  pressed_ = event->button() == Qt::LeftButton && itemAt(event->position().toPoint()) != nullptr;
  press_ = event->position().toPoint();
}

void CatalogueListView::mouseMoveEvent(QMouseEvent* event) {
  if (!pressed_ || !(event->buttons() & Qt::LeftButton) ||
      (event->position().toPoint() - press_).manhattanLength() < kDragThreshold) {
    QTreeWidget::mouseMoveEvent(event);
    return;
  }
  pressed_ = false;
  const int row = currentIndex().row();
  if (row < 0) return;
  auto* mime = new QMimeData;
  mime->setData(QString::fromLatin1(kCatalogueRowMime), QByteArray::number(row));
  auto* drag = new QDrag(this);
  drag->setMimeData(mime);
  drag->exec(Qt::CopyAction);
}

DeviceListView::DeviceListView(QWidget* parent, std::function<bool(QObject*)> accepts,
                               std::function<void(QObject*)> dropped)
    : QTreeWidget(parent), accepts_(std::move(accepts)), dropped_(std::move(dropped)) {
  setObjectName(QStringLiteral("ListView2"));
  setAcceptDrops(true);
  viewport()->setAcceptDrops(true);
  setDragDropMode(QAbstractItemView::DropOnly);
}

void DeviceListView::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasFormat(QString::fromLatin1(kCatalogueRowMime)) && accepts_(event->source())) {
    event->acceptProposedAction();
    return;
  }
  event->ignore();  // files from the desktop go on to the window
}

void DeviceListView::dragMoveEvent(QDragMoveEvent* event) {
  if (event->mimeData()->hasFormat(QString::fromLatin1(kCatalogueRowMime)) && accepts_(event->source()))
    event->acceptProposedAction();
  else
    event->ignore();
}

void DeviceListView::dropEvent(QDropEvent* event) {
  if (!event->mimeData()->hasFormat(QString::fromLatin1(kCatalogueRowMime)) || !accepts_(event->source())) {
    event->ignore();
    return;
  }
  event->acceptProposedAction();
  dropped_(event->source());
}

}  // namespace vq::gui
