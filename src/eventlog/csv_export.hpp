#pragma once
// The event list as CSV (UTF-8, RFC 4180, CR LF), EventID included, for scripts and
// spreadsheets alike.
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "eventlog/event_row.hpp"
#include "util/result.hpp"

namespace vq::eventlog {

// The field as written: quoted, with its quotes doubled, when it holds a comma, a quote,
// CR or LF; otherwise as it is.
std::string csv_field(std::string_view text);

// The header line and one line per row: number, EventID, the list's date-time text, then
// event, range, detail and source (an incomplete row completed as the database stores it).
std::string csv_text(const std::vector<EventRow>& rows);

// csv_text() written atomically.
Result<> write_csv(const std::vector<EventRow>& rows, const std::filesystem::path& file);

}  // namespace vq::eventlog
