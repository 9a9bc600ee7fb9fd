#pragma once
// The local event database (Report/meslog.db, SQLite): the current log that every read or
// opened file replaces, the queries the filter dialog runs on it, and the fixed event
// categories the dialog offers.
//
// Dates and times are stored as "YYYY-MM-DD" and "HH:MM:SS" texts, so comparing the texts
// compares the moments. Every value reaches SQL as a bound parameter; the statements are
// fixed texts. Not thread-safe: one EventDatabase per thread.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "eventlog/event_row.hpp"
#include "util/result.hpp"

struct sqlite3;

namespace vq::eventlog {

// ---- rows as they are stored -------------------------------------------------------------

// "Неверное событие": the event text of a row the decoder could not complete.
inline constexpr int kIncompleteEventMessage = 15189;

// A row is stored with its own event, range, detail and source when it has all four, else
// with "Неверное событие", "-", "-", "-". Storing does this to the list row as well: an
// incomplete row gains those four texts.
void complete_row(EventRow& row);

// ---- event categories --------------------------------------------------------------------

struct CategoryEntry {
  std::uint32_t code;  // EventID
  int message_id;      // its name in the message table
};

struct EventCategory {
  std::string_view title;  // the radio button's caption
  std::span<const CategoryEntry> entries;
};

// The four lists in the dialog's order, codes as they stand (4994 twice, 13186 twice in the
// last list, 4436 and 4931 that no decoded event carries).
std::span<const EventCategory> category_lists();
// The entry's name as the message table in force gives it, cut to 100 characters.
std::string category_entry_name(const CategoryEntry& entry);

// ---- filters -----------------------------------------------------------------------------

struct DatePeriod {
  std::chrono::year_month_day first;  // both days included
  std::chrono::year_month_day last;
};

// The filter dialog's five items; an engaged member is a checked item.
struct EventFilter {
  std::optional<std::int64_t> last_events;              // 0: the last n events
  std::optional<DatePeriod> period;                     // 1: dates
  std::optional<std::string> partition;                 // 2: mesRange equal to the name
  std::optional<std::vector<std::string>> sources;      // 3: mesSource starting with any entry
  std::optional<std::vector<std::uint32_t>> event_ids;  // 4: EventID among the checked codes

  std::size_t checked() const;
};

// The count as the dialog's combo box holds it: a decimal number from 1, nothing else.
Result<std::int64_t> parse_event_count(std::string_view text);

// ---- the database ------------------------------------------------------------------------

class EventDatabase {
 public:
  // <data folder>/Report/meslog.db
  static std::filesystem::path file_in(const std::filesystem::path& data_folder);

  // Creates the Report folder, the file and its tables when missing; refuses a file that is
  // no database or whose tables lack the fields.
  static Result<EventDatabase> open(const std::filesystem::path& data_folder);
  // The same for a database file named by the user.
  static Result<EventDatabase> open_file(const std::filesystem::path& file);
  // For queries only: never creates or alters anything, so a database the user may only
  // read (a read-only file or folder) can be asked. A missing file is refused; storing
  // through this connection fails.
  static Result<EventDatabase> open_for_reading(const std::filesystem::path& file);

  EventDatabase(EventDatabase&&) noexcept = default;
  EventDatabase& operator=(EventDatabase&&) noexcept = default;
  ~EventDatabase() = default;

  const std::filesystem::path& file() const { return file_; }

  // Replaces the whole current log in one transaction: every row or, on any failure, none
  // (the previous log stays). Rows keep their order; incomplete rows are completed.
  Result<> store_rows(const std::vector<EventRow>& rows);
  // Appends to GeneralLog, likewise all or nothing; the current log is not touched.
  Result<> append_general_log(const std::vector<EventRow>& rows);
  Result<std::size_t> row_count();

  // The journal vector word kept in JVector (one row).
  Result<std::int64_t> journal_vector();
  Result<> set_journal_vector(std::int64_t value);

  // Results are numbered from 1 in their order, date-time "dd.mm.yyyy hh:mm:ss".
  Result<std::vector<EventRow>> show_all();                                  // by mesCode
  Result<std::vector<EventRow>> last_events(std::int64_t count);             // oldest first
  Result<std::vector<EventRow>> by_period(const DatePeriod& period);         // by date, time
  Result<std::vector<EventRow>> by_partition(std::string_view name);         // by date, time
  Result<std::vector<EventRow>> by_sources(const std::vector<std::string>& prefixes);  // by mesCode
  Result<std::vector<EventRow>> by_event_ids(const std::vector<std::uint32_t>& codes);  // by mesCode
  // All engaged conditions at once, the last-n cut first; by mesCode.
  Result<std::vector<EventRow>> combined(const EventFilter& filter);
  // What "Применить" runs: with one item checked its own query (and its own order), with
  // more the combined one; with none a refusal.
  Result<std::vector<EventRow>> run_filter(const EventFilter& filter);

 private:
  struct Close {
    void operator()(sqlite3* db) const;
  };
  EventDatabase(std::unique_ptr<sqlite3, Close> db, std::filesystem::path file)
      : db_(std::move(db)), file_(std::move(file)) {}

  Result<> insert_rows(const char* insert_sql, const std::vector<EventRow>& rows, bool replace);
  Result<std::vector<EventRow>> query(const EventFilter& filter, const char* order);
  Error failure(std::string_view what) const;

  std::unique_ptr<sqlite3, Close> db_;
  std::filesystem::path file_;
};

}  // namespace vq::eventlog
