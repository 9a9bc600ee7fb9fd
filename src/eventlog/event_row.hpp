#pragma once
// One decoded journal record, as the event list, the database, the log file and the
// exports see it.
#include <cstdint>
#include <string>
#include <vector>

namespace vq::eventlog {

// The zero date-time (30.12.1899 00:00:00) stands for a time stamp that is not a date.
struct EventDateTime {
  int year = 1899, month = 12, day = 30;
  int hour = 0, minute = 0, second = 0;
  bool is_zero() const { return year == 1899 && month == 12 && day == 30 && hour == 0 && minute == 0 && second == 0; }
  friend bool operator==(const EventDateTime&, const EventDateTime&) = default;
};

struct EventRow {
  std::uint32_t number = 0;    // running number from 1
  std::uint32_t event_id = 0;  // group × 256 + subcode
  EventDateTime when;          // the record's time stamp, or the zero date-time
  std::string date_time;       // as the list shows it: "dd.mm.yy hh:mm:ss"
  // Event, range, detail, source. Fewer when the decoder knows no more (an incomplete row).
  std::vector<std::string> columns;

  bool complete() const { return columns.size() == 4; }
};

}  // namespace vq::eventlog
