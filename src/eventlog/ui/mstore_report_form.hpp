#pragma once
// The filter dialog `TQMStoreReportForm` ("Настройка фильтров"): five filters — the last n
// events, a period, a partition, source addresses, event categories — any of them checked;
// more than one checked combine. A value in (what the log offers), a filter out.
#include <QDate>
#include <QDialog>
#include <QStringList>
#include <optional>

#include "eventlog/event_database.hpp"

class QButtonGroup;
class QComboBox;
class QDateEdit;
class QListWidget;
class QRadioButton;
class QStackedWidget;

namespace vq::gui {

// What the dialog lists, made from the log shown.
struct FilterChoices {
  QStringList partitions;     // RazdNameCmB: the partitions' labels as the rows carry them
  QStringList radio_sources;  // IIRadioAddrChListB: "СМК#001", ...
  QStringList wire_sources;   // IIWireAddrChListB: "GSM#001", ...
  int row_count = 0;          // LastEventCmB offers 1 .. row_count - 1
  QDate first, last;          // the period the dates start at (invalid: 9 March 2010)
};

class TQMStoreReportForm : public QDialog {
  Q_OBJECT
 public:
  explicit TQMStoreReportForm(const FilterChoices& choices, QWidget* parent = nullptr);

  // The checked filters as they stand; a refusal names what is missing or wrong.
  Result<eventlog::EventFilter> filter() const;
  // More than one filter checked (the combined query).
  bool nested() const;
  // "Применить": accepted only when filter() is; otherwise a box says why and it stays open.
  void apply();

 private:
  void show_category(int category);
  void check_dates();
  std::vector<std::string> checked_texts(const QListWidget* list) const;

  QListWidget* filters_ = nullptr;
  QStackedWidget* pages_ = nullptr;
  QComboBox* last_count_ = nullptr;
  QDateEdit* start_ = nullptr;
  QDateEdit* end_ = nullptr;
  QComboBox* partition_ = nullptr;
  QRadioButton* radio_rdb_ = nullptr;
  QRadioButton* wire_rdb_ = nullptr;
  QListWidget* radio_list_ = nullptr;
  QListWidget* wire_list_ = nullptr;
  QButtonGroup* categories_ = nullptr;
  QListWidget* category_list_ = nullptr;
  int category_ = -1;
};

// Runs the dialog through ui(); the filter when it was confirmed.
std::optional<eventlog::EventFilter> ask_event_filter(QWidget* parent, const FilterChoices& choices);

}  // namespace vq::gui
