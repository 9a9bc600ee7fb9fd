#pragma once
// Events per day by kind (alarms, faults, arming, other) over the period of the rows
// shown, as stacked bars. A click on a day's bar picks that day; a second click on it,
// or a click beside the bars, lets it go.
#include <QDate>
#include <QWidget>
#include <vector>

#include "eventlog/event_days.hpp"
#include "eventlog/event_row.hpp"

namespace vq::gui {

class EventDayChart : public QWidget {
  Q_OBJECT
 public:
  explicit EventDayChart(QWidget* parent = nullptr);

  void set_rows(const std::vector<eventlog::EventRow>& rows) { set_days(eventlog::events_per_day(rows)); }
  void set_days(std::vector<eventlog::DayCount> days);
  const std::vector<eventlog::DayCount>& days() const { return days_; }
  // The day marked as picked (invalid: none); set by a click or by the window.
  void set_selected_day(const QDate& day);
  QDate selected_day() const { return selected_; }
  // Where a day's bar lies now (an empty rectangle for a day outside the period).
  QRect bar_rect(const QDate& day) const;
  QDate day_at(const QPoint& point) const;

  QSize sizeHint() const override { return {600, 120}; }

 signals:
  // An invalid date: no day picked any more.
  void day_clicked(const QDate& day);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  QRect plot_rect() const;
  int index_of(const QDate& day) const;

  std::vector<eventlog::DayCount> days_;
  std::size_t peak_ = 0;
  QDate first_;
  QDate selected_;
};

}  // namespace vq::gui
