#include "eventlog/event_days.hpp"

#include <algorithm>
#include <chrono>

namespace vq::eventlog {
namespace {

using std::chrono::sys_days;

sys_days day_of(const EventDateTime& t) {
  return sys_days(std::chrono::year{t.year} / std::chrono::month{static_cast<unsigned>(t.month)} /
                  std::chrono::day{static_cast<unsigned>(t.day)});
}

bool dated(const EventRow& r) {
  if (r.when.is_zero()) return false;
  const auto ymd = std::chrono::year{r.when.year} / std::chrono::month{static_cast<unsigned>(r.when.month)} /
                   std::chrono::day{static_cast<unsigned>(r.when.day)};
  return ymd.ok();
}

}  // namespace

EventKind event_kind(std::uint32_t event_id) {
  switch (event_id >> 8) {
    case 17: return EventKind::alarm;
    case 19: return EventKind::fault;
    case 20:
    case 52: return EventKind::arming;
    default: return EventKind::other;
  }
}

std::vector<DayCount> events_per_day(const std::vector<EventRow>& rows, std::size_t max_days) {
  std::vector<DayCount> out;
  if (max_days == 0) return out;
  bool any = false;
  sys_days first{}, last{};
  for (const auto& r : rows) {
    if (!dated(r)) continue;
    const auto d = day_of(r.when);
    if (!any || d < first) first = d;
    if (!any || d > last) last = d;
    any = true;
  }
  if (!any) return out;
  const auto span = static_cast<std::size_t>((last - first).count()) + 1;
  if (span > max_days) first = last - std::chrono::days(static_cast<long>(max_days) - 1);
  const auto days = static_cast<std::size_t>((last - first).count()) + 1;
  out.resize(days);
  for (std::size_t i = 0; i < days; ++i) {
    const std::chrono::year_month_day ymd{first + std::chrono::days(static_cast<long>(i))};
    out[i].year = static_cast<int>(ymd.year());
    out[i].month = static_cast<int>(static_cast<unsigned>(ymd.month()));
    out[i].day = static_cast<int>(static_cast<unsigned>(ymd.day()));
  }
  for (const auto& r : rows) {
    if (!dated(r)) continue;
    const auto d = day_of(r.when);
    if (d < first) continue;
    const auto i = static_cast<std::size_t>((d - first).count());
    ++out[i].counts[static_cast<std::size_t>(event_kind(r.event_id))];
  }
  return out;
}

}  // namespace vq::eventlog
