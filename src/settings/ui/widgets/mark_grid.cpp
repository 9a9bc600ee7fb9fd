#include "settings/ui/widgets/mark_grid.hpp"

#include <QApplication>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>

#include "shell/ui/qt_text.hpp"
#include "shell/ui/ui_services.hpp"

namespace vq::gui {
namespace {

// Label rows on the button face; value rows keep the grid's own background (normal or
// selected); the text centred, halves truncated toward zero.
class PairedCellDelegate final : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    const QRect r = option.rect;
    QColor background;
    if (index.row() % 2 == 0) {
      background = option.palette.color(QPalette::Button);
    } else if (option.state & QStyle::State_Selected) {
      background = option.palette.color(QPalette::Highlight);
    } else {
      background = option.palette.color(QPalette::Base);
    }
    painter->fillRect(r, background);
    const QString text = index.data(Qt::DisplayRole).toString();
    if (text.isEmpty()) return;
    painter->save();
    painter->setClipRect(r);
    painter->setFont(option.font);
    const bool selected_value = index.row() % 2 == 1 && (option.state & QStyle::State_Selected);
    painter->setPen(option.palette.color(selected_value ? QPalette::HighlightedText : QPalette::Text));
    const QFontMetrics fm(option.font);
    const int w = fm.horizontalAdvance(text);
    const int h = fm.height();
    const int x = r.left() + (r.width() - w) / 2;
    const int y = r.top() + (r.height() - h) / 2;
    painter->drawText(QRect(x, y, w, h), Qt::AlignLeft | Qt::AlignTop, text);
    painter->restore();
  }
};

}  // namespace

PairedGrid::PairedGrid(int columns, int rows, std::function<QString(int, int)> label, QWidget* parent)
    : QTableWidget(rows, columns, parent) {
  horizontalHeader()->hide();
  verticalHeader()->hide();
  QFont f = font();
  f.setBold(true);
  setFont(f);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setItemDelegate(new PairedCellDelegate(this));
  horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  verticalHeader()->setDefaultSectionSize(20);
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < columns; ++c)
      setItem(r, c, new QTableWidgetItem(r % 2 == 0 && label ? label(r, c) : QString()));
}

PartitionMarkGrid::PartitionMarkGrid(int columns, int rows, QWidget* parent)
    : PairedGrid(
          columns, rows, [columns](int r, int c) { return QStringLiteral("P%1").arg((r / 2) * columns + c + 1); },
          parent) {}

QTableWidgetItem* PartitionMarkGrid::mark_item(int partition) const {
  if (partition < 1 || partition > 96) return nullptr;
  const int n = partition - 1;
  const int row = (n / columnCount()) * 2 + 1;
  if (row >= rowCount()) return nullptr;
  return item(row, n % columnCount());
}

bool PartitionMarkGrid::marked(int partition) const {
  auto* it = mark_item(partition);
  return it && it->text() == QLatin1String("X");
}

void PartitionMarkGrid::set_marked(int partition, bool on) {
  if (auto* it = mark_item(partition)) it->setText(on ? QStringLiteral("X") : QString());
}

std::bitset<96> PartitionMarkGrid::marks() const {
  std::bitset<96> out;
  for (int p = 1; p <= 96; ++p)
    if (marked(p)) out.set(static_cast<std::size_t>(p - 1));
  return out;
}

void PartitionMarkGrid::set_marks(const std::bitset<96>& marks) {
  for (int p = 1; p <= 96; ++p) set_marked(p, marks.test(static_cast<std::size_t>(p - 1)));
}

void PartitionMarkGrid::oldPartitionStrGridMouseUp() {
  if (refuse_ && refuse_()) return;
  const int row = currentRow();
  const int column = currentColumn();
  if (row < 0 || column < 0 || row % 2 == 0) return;
  auto* it = item(row, column);
  if (!it) return;
  it->setText(it->text() == QLatin1String("X") ? QString() : QStringLiteral("X"));
}

void PartitionMarkGrid::mouseReleaseEvent(QMouseEvent* event) {
  QTableWidget::mouseReleaseEvent(event);
  oldPartitionStrGridMouseUp();
}

bool refuse_for_work_mode(QWidget* parent, int work_mode) {
  if (work_mode != 8) return false;
  ui().show_message(parent, BoxIcon::warning, caption_message(), m(15331));
  return true;
}

}  // namespace vq::gui
