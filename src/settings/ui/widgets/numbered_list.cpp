#include "settings/ui/widgets/numbered_list.hpp"

#include <QAction>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMetaMethod>
#include <algorithm>

namespace vq::gui {

NumberedList::NumberedList(const QString& object_name, const QStringList& headers, int rows, QWidget* parent)
    : QTreeWidget(parent) {
  setObjectName(object_name);
  setColumnCount(static_cast<int>(headers.size()));
  setHeaderLabels(headers);
  setRootIsDecorated(false);
  setUniformRowHeights(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  header()->resizeSection(0, 70);
  set_row_count(rows);
  connect(this, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
    if (const int n = number_of(item)) emit row_activated(n);
  });
}

QTreeWidgetItem* NumberedList::row(int number) const {
  return number >= 1 && number <= topLevelItemCount() ? topLevelItem(number - 1) : nullptr;
}

int NumberedList::number_of(QTreeWidgetItem* item) const {
  return item ? indexOfTopLevelItem(item) + 1 : 0;
}

int NumberedList::selected_number() const {
  const auto numbers = selected_numbers();
  return numbers.empty() ? 0 : numbers.front();
}

std::vector<int> NumberedList::selected_numbers() const {
  std::vector<int> out;
  for (auto* item : selectedItems()) out.push_back(number_of(item));
  std::sort(out.begin(), out.end());
  return out;
}

QTreeWidgetItem* NumberedList::make_row(int number) const {
  QStringList texts(columnCount());
  texts[0] = QString::number(number);
  auto* item = new QTreeWidgetItem(texts);
  if (aligned_) item->setTextAlignment(0, number_alignment_);
  return item;
}

void NumberedList::set_row_count(int count) {
  count = std::max(count, 0);
  const int have = topLevelItemCount();
  if (count > have) {
    // One insertion for all: a row at a time would relayout the view each time.
    QList<QTreeWidgetItem*> rows;
    rows.reserve(count - have);
    for (int n = have + 1; n <= count; ++n) rows << make_row(n);
    addTopLevelItems(rows);
  }
  if (count < have) {
    // A current row that goes would hand its selection to a neighbour; none is chosen.
    if (number_of(currentItem()) > count) selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    for (int n = have; n > count; --n) delete takeTopLevelItem(n - 1);
  }
}

void NumberedList::set_column_widths(std::initializer_list<int> widths) {
  int column = 0;
  for (int w : widths) header()->resizeSection(column++, w);
}

void NumberedList::set_number_alignment(Qt::Alignment alignment) {
  number_alignment_ = alignment;
  aligned_ = true;
  for (int i = 0; i < topLevelItemCount(); ++i) topLevelItem(i)->setTextAlignment(0, alignment);
}

QMenu* NumberedList::add_popup_menu(const QString& name) {
  auto* menu = new QMenu(this);
  menu->setObjectName(name);
  setContextMenuPolicy(Qt::CustomContextMenu);
  connect(this, &QWidget::customContextMenuRequested, menu,
          [this, menu](const QPoint& at) { menu->popup(viewport()->mapToGlobal(at)); });
  return menu;
}

void NumberedList::keyPressEvent(QKeyEvent* event) {
  const int key = event->key();
  if (key == Qt::Key_Return || key == Qt::Key_Enter) {
    // The list takes Enter itself: the view would only pass it on to the window.
    const int n = selectionMode() == QAbstractItemView::SingleSelection ? selected_number() : number_of(currentItem());
    if (n) emit row_activated(n);
    event->accept();
    return;
  }
  if (key == Qt::Key_Delete && isSignalConnected(QMetaMethod::fromSignal(&NumberedList::delete_pressed))) {
    emit delete_pressed();
    event->accept();
    return;
  }
  QTreeWidget::keyPressEvent(event);
}

QAction* add_menu_item(QMenu* menu, const QString& text, const QString& name) {
  auto* action = menu->addAction(text);
  action->setObjectName(name);
  return action;
}

}  // namespace vq::gui
