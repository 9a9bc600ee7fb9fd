#pragma once
// The event list as a table model: all seven columns of the rows shown (a whole log or a
// query result), sorted by any column, narrowed by the search text and by one day. The
// texts are made once per row, so sorting and searching 9,900 rows stay instant.
#include <QAbstractTableModel>
#include <QDate>
#include <QString>
#include <vector>

#include "eventlog/event_row.hpp"

namespace vq::gui {

class EventListModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  explicit EventListModel(QObject* parent = nullptr);

  struct Cells {
    QString text[7];
    QString haystack;  // all columns, case-folded
    QDate day;         // invalid for the zero date-time
  };
  // The rows with their texts made: the costly part of showing them, which needs no model
  // and may run on a worker thread.
  struct Prepared {
    std::vector<eventlog::EventRow> rows;
    std::vector<Cells> cells;
  };
  static Prepared prepare(std::vector<eventlog::EventRow> rows);

  // Replaces the rows; the sort order, the search text and the day stay.
  void set_rows(std::vector<eventlog::EventRow> rows) { set_prepared(prepare(std::move(rows))); }
  void set_prepared(Prepared prepared);
  const std::vector<eventlog::EventRow>& rows() const { return rows_; }

  // Rows whose any column holds the text, case-insensitive (Cyrillic too); empty: all.
  void set_search(const QString& text);
  QString search() const { return search_; }
  // Only the rows of that day; an invalid date: every day.
  void set_day(const QDate& day);
  QDate day() const { return day_; }

  // The rows as the list shows them now: filtered and in the shown order.
  std::vector<eventlog::EventRow> shown_rows() const;
  const eventlog::EventRow& row_at(int shown_row) const { return rows_[static_cast<std::size_t>(visible_[static_cast<std::size_t>(shown_row)])]; }
  // The rows as tab-separated lines of the six shown columns (EventID left out).
  QString rows_text(const std::vector<int>& shown_rows) const;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
  void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

 private:
  void resort();
  void refilter();

  std::vector<eventlog::EventRow> rows_;
  std::vector<Cells> cells_;
  std::vector<int> order_;    // every row, in the sort order
  std::vector<int> visible_;  // the rows shown, in the sort order
  QString search_, needle_;
  QDate day_;
  int sort_column_ = 0;
  Qt::SortOrder sort_order_ = Qt::AscendingOrder;
};

}  // namespace vq::gui
