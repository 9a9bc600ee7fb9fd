#pragma once
// Events per day by kind, for the event-log window's chart: alarms, faults, arming and
// disarming, and the rest, told by the event group.
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "eventlog/event_row.hpp"

namespace vq::eventlog {

enum class EventKind : std::uint8_t { alarm, fault, arming, other };
inline constexpr std::size_t kEventKinds = 4;

// Group 17 alarms, group 19 faults, groups 52 (arming) and 20 (disarming) arming, the rest other.
EventKind event_kind(std::uint32_t event_id);

struct DayCount {
  int year = 0, month = 0, day = 0;
  std::array<std::size_t, kEventKinds> counts{};  // by EventKind
  std::size_t total() const { return counts[0] + counts[1] + counts[2] + counts[3]; }
};

// Every day from the first to the last dated row, in order, days without events included;
// rows with the zero date-time (no valid time stamp) are left out. A period longer than
// `max_days` is cut to its last `max_days` days, so a stray date cannot make it huge.
std::vector<DayCount> events_per_day(const std::vector<EventRow>& rows, std::size_t max_days = 3700);

}  // namespace vq::eventlog
