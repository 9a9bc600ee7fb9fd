#include "eventlog/ui/event_list_model.hpp"

#include <algorithm>
#include <tuple>

#include "eventlog/export.hpp"
#include "shell/ui/qt_text.hpp"

namespace vq::gui {
namespace {

auto moment(const eventlog::EventDateTime& t) { return std::tie(t.year, t.month, t.day, t.hour, t.minute, t.second); }

}  // namespace

EventListModel::EventListModel(QObject* parent) : QAbstractTableModel(parent) {}

EventListModel::Prepared EventListModel::prepare(std::vector<eventlog::EventRow> rows) {
  Prepared p;
  p.rows = std::move(rows);
  p.cells.resize(p.rows.size());
  for (std::size_t i = 0; i < p.rows.size(); ++i) {
    const auto& r = p.rows[i];
    auto& c = p.cells[i];
    c.text[0] = QString::number(r.number);
    c.text[1] = QString::number(r.event_id);
    c.text[2] = qs(r.date_time);
    // As the database keeps them: an incomplete row reads "Неверное событие", "-", "-", "-".
    const auto stored = eventlog::stored_columns(r);
    for (std::size_t k = 0; k < 4; ++k) c.text[3 + k] = qs(stored[k]);
    c.haystack = QStringList(std::begin(c.text), std::end(c.text)).join(QChar(0x1F)).toCaseFolded();
    if (!r.when.is_zero()) c.day = QDate(r.when.year, r.when.month, r.when.day);
  }
  return p;
}

void EventListModel::set_prepared(Prepared prepared) {
  beginResetModel();
  rows_ = std::move(prepared.rows);
  cells_ = std::move(prepared.cells);
  order_.resize(rows_.size());
  for (std::size_t i = 0; i < order_.size(); ++i) order_[i] = static_cast<int>(i);
  resort();
  refilter();
  endResetModel();
}

void EventListModel::set_search(const QString& text) {
  if (text == search_) return;
  beginResetModel();
  search_ = text;
  needle_ = text.trimmed().toCaseFolded();
  refilter();
  endResetModel();
}

void EventListModel::set_day(const QDate& day) {
  if (day == day_) return;
  beginResetModel();
  day_ = day;
  refilter();
  endResetModel();
}

void EventListModel::sort(int column, Qt::SortOrder order) {
  if (column < 0 || column >= columnCount()) return;
  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  const auto old = persistentIndexList();
  std::vector<int> old_rows;
  old_rows.reserve(static_cast<std::size_t>(old.size()));
  for (const auto& i : old) old_rows.push_back(visible_[static_cast<std::size_t>(i.row())]);
  sort_column_ = column;
  sort_order_ = order;
  resort();
  refilter();
  std::vector<int> where(rows_.size(), -1);
  for (std::size_t i = 0; i < visible_.size(); ++i) where[static_cast<std::size_t>(visible_[i])] = static_cast<int>(i);
  QModelIndexList fresh;
  for (qsizetype k = 0; k < old.size(); ++k) {
    const int row = where[static_cast<std::size_t>(old_rows[static_cast<std::size_t>(k)])];
    fresh << (row < 0 ? QModelIndex() : index(row, old[k].column()));
  }
  changePersistentIndexList(old, fresh);
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void EventListModel::resort() {
  const int c = sort_column_;
  auto less = [this, c](int a, int b) {
    const auto& ra = rows_[static_cast<std::size_t>(a)];
    const auto& rb = rows_[static_cast<std::size_t>(b)];
    switch (c) {
      case 0: return ra.number < rb.number;
      case 1: return ra.event_id < rb.event_id;
      case 2: return moment(ra.when) < moment(rb.when);
      default:
        return cells_[static_cast<std::size_t>(a)].text[c].compare(cells_[static_cast<std::size_t>(b)].text[c],
                                                                   Qt::CaseInsensitive) < 0;
    }
  };
  // Ties keep the log's order, whichever way the column runs.
  std::sort(order_.begin(), order_.end(), [&](int a, int b) {
    if (less(a, b)) return sort_order_ == Qt::AscendingOrder;
    if (less(b, a)) return sort_order_ != Qt::AscendingOrder;
    return a < b;
  });
}

void EventListModel::refilter() {
  visible_.clear();
  visible_.reserve(order_.size());
  for (int i : order_) {
    const auto& c = cells_[static_cast<std::size_t>(i)];
    if (day_.isValid() && c.day != day_) continue;
    if (!needle_.isEmpty() && !c.haystack.contains(needle_)) continue;
    visible_.push_back(i);
  }
}

std::vector<eventlog::EventRow> EventListModel::shown_rows() const {
  std::vector<eventlog::EventRow> out;
  out.reserve(visible_.size());
  for (int i : visible_) out.push_back(rows_[static_cast<std::size_t>(i)]);
  return out;
}

QString EventListModel::rows_text(const std::vector<int>& shown_rows) const {
  QStringList lines;
  for (int r : shown_rows) {
    if (r < 0 || r >= rowCount()) continue;
    const auto& c = cells_[static_cast<std::size_t>(visible_[static_cast<std::size_t>(r)])];
    QStringList cells;
    for (std::size_t k : eventlog::kShownListColumns) cells << c.text[k];
    lines << cells.join(QLatin1Char('\t'));
  }
  return lines.join(QLatin1Char('\n'));
}

int EventListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(visible_.size());
}

int EventListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(eventlog::kListColumnCount);
}

QVariant EventListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  if (role == Qt::DisplayRole || role == Qt::ToolTipRole) {
    const auto& c = cells_[static_cast<std::size_t>(visible_[static_cast<std::size_t>(index.row())])];
    return c.text[index.column()];
  }
  if (role == Qt::TextAlignmentRole && index.column() < 2)
    return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
  return {};
}

QVariant EventListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= columnCount()) return {};
  return qs(eventlog::kListColumnCaptions[static_cast<std::size_t>(section)]);
}

}  // namespace vq::gui
