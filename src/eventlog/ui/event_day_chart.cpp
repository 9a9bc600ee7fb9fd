#include "eventlog/ui/event_day_chart.hpp"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

namespace vq::gui {
namespace {

constexpr int kLegendHeight = 18;
constexpr int kAxisHeight = 16;
constexpr int kLeftMargin = 34;

struct KindLook {
  const char* name;
  QColor color;
};
const KindLook kKinds[eventlog::kEventKinds] = {
    {"тревоги", QColor(214, 48, 49)},
    {"неисправности", QColor(230, 150, 30)},
    {"взятие/снятие", QColor(46, 134, 222)},
    {"прочие", QColor(150, 150, 150)},
};

}  // namespace

EventDayChart::EventDayChart(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("EventChart"));
  setMinimumHeight(110);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  setCursor(Qt::PointingHandCursor);
  setToolTip(QStringLiteral("События по дням. Щелчок по дню оставляет в списке только его события."));
}

void EventDayChart::set_days(std::vector<eventlog::DayCount> days) {
  days_ = std::move(days);
  peak_ = 0;
  for (const auto& d : days_) peak_ = std::max(peak_, d.total());
  first_ = days_.empty() ? QDate() : QDate(days_.front().year, days_.front().month, days_.front().day);
  if (index_of(selected_) < 0) selected_ = QDate();
  update();
}

void EventDayChart::set_selected_day(const QDate& day) {
  selected_ = index_of(day) < 0 ? QDate() : day;
  update();
}

int EventDayChart::index_of(const QDate& day) const {
  if (!day.isValid() || !first_.isValid()) return -1;
  const qint64 i = first_.daysTo(day);
  return i < 0 || i >= static_cast<qint64>(days_.size()) ? -1 : static_cast<int>(i);
}

QRect EventDayChart::plot_rect() const {
  return QRect(kLeftMargin, kLegendHeight + 4, std::max(1, width() - kLeftMargin - 8),
               std::max(1, height() - kLegendHeight - kAxisHeight - 8));
}

QRect EventDayChart::bar_rect(const QDate& day) const {
  const int i = index_of(day);
  if (i < 0) return {};
  const QRect plot = plot_rect();
  const double step = static_cast<double>(plot.width()) / static_cast<double>(days_.size());
  const int left = plot.left() + static_cast<int>(step * i);
  const int right = plot.left() + static_cast<int>(step * (i + 1));
  return QRect(left, plot.top(), std::max(1, right - left), plot.height());
}

QDate EventDayChart::day_at(const QPoint& point) const {
  const QRect plot = plot_rect();
  if (days_.empty() || point.x() < plot.left() || point.x() > plot.right() || point.y() < plot.top() ||
      point.y() > plot.bottom() + kAxisHeight)
    return {};
  const double step = static_cast<double>(plot.width()) / static_cast<double>(days_.size());
  const int i = std::clamp(static_cast<int>((point.x() - plot.left()) / step), 0, static_cast<int>(days_.size()) - 1);
  return first_.addDays(i);
}

void EventDayChart::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
  const QDate day = day_at(event->position().toPoint());
  selected_ = day == selected_ ? QDate() : day;
  update();
  emit day_clicked(selected_);
}

void EventDayChart::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), palette().base());
  const QFontMetrics fm = p.fontMetrics();

  // The legend along the top.
  int x = kLeftMargin;
  for (const auto& k : kKinds) {
    p.fillRect(x, 5, 10, 10, k.color);
    x += 14;
    const QString name = QString::fromUtf8(k.name);
    p.setPen(palette().text().color());
    p.drawText(x, 4 + fm.ascent(), name);
    x += fm.horizontalAdvance(name) + 14;
  }

  const QRect plot = plot_rect();
  p.setPen(palette().mid().color());
  p.drawLine(plot.bottomLeft(), plot.bottomRight());
  if (days_.empty()) {
    p.setPen(palette().placeholderText().color());
    p.drawText(plot, Qt::AlignCenter, QStringLiteral("Нет событий с датой"));
    return;
  }
  p.setPen(palette().text().color());
  p.drawText(QRect(0, plot.top() - 2, kLeftMargin - 4, fm.height()), Qt::AlignRight | Qt::AlignTop,
             QString::number(peak_));

  const double scale = peak_ ? static_cast<double>(plot.height()) / static_cast<double>(peak_) : 0.0;
  for (std::size_t i = 0; i < days_.size(); ++i) {
    const QDate day = first_.addDays(static_cast<qint64>(i));
    QRect bar = bar_rect(day);
    if (bar.width() > 3) bar.adjust(1, 0, -1, 0);
    if (day == selected_) p.fillRect(bar_rect(day), palette().highlight().color().lighter(170));
    int bottom = plot.bottom();
    for (std::size_t k = 0; k < eventlog::kEventKinds; ++k) {
      const int h = static_cast<int>(static_cast<double>(days_[i].counts[k]) * scale + 0.5);
      if (h <= 0) continue;
      p.fillRect(QRect(bar.left(), bottom - h + 1, bar.width(), h), kKinds[k].color);
      bottom -= h;
    }
  }

  // Dates under the axis: the first, the last and the picked day.
  p.setPen(palette().text().color());
  const int y = plot.bottom() + 3;
  const auto label = [&](const QDate& d, Qt::Alignment align) {
    const QRect bar = bar_rect(d);
    const QString text = d.toString(QStringLiteral("dd.MM.yy"));
    const int w = fm.horizontalAdvance(text) + 4;
    int left = align == Qt::AlignLeft ? bar.left() : align == Qt::AlignRight ? bar.right() - w : bar.center().x() - w / 2;
    left = std::clamp(left, 0, std::max(0, width() - w));
    p.drawText(QRect(left, y, w, fm.height()), Qt::AlignCenter, text);
  };
  label(first_, Qt::AlignLeft);
  if (days_.size() > 1) label(first_.addDays(static_cast<qint64>(days_.size()) - 1), Qt::AlignRight);
  if (selected_.isValid()) {
    QFont bold = p.font();
    bold.setBold(true);
    p.setFont(bold);
    label(selected_, Qt::AlignCenter);
  }
}

}  // namespace vq::gui
