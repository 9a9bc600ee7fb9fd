#pragma once
// What the event-list exports share: the list's columns as they are handed on, the clock,
// the atomic file write, and opening a written file with the desktop's default program.
#include <array>
#include <filesystem>
#include <functional>
#include <utility>
#include <string>
#include <string_view>

#include "eventlog/event_row.hpp"
#include "util/atomic_file.hpp"
#include "util/result.hpp"

namespace vq::eventlog {

// The event list's columns: #, EventID, Дата/Время, Событие, Область действия,
// Детализация события, Источник события.
inline constexpr std::size_t kListColumnCount = 7;
inline constexpr std::array<std::string_view, kListColumnCount> kListColumnCaptions = {
    "#", "EventID", "Дата/Время", "Событие", "Область действия", "Детализация события", "Источник события"};
// Pixels; EventID is hidden.
using ListColumnWidths = std::array<int, kListColumnCount>;
inline constexpr ListColumnWidths kDefaultListColumnWidths = {40, 1, 120, 149, 149, 190, 130};

// The HTML page and the workbook leave EventID out: list columns 0, 2, 3, 4, 5, 6.
inline constexpr std::size_t kShownColumnCount = 6;
inline constexpr std::array<std::size_t, kShownColumnCount> kShownListColumns = {0, 2, 3, 4, 5, 6};

// Event, range, detail and source as the database keeps them: an incomplete row becomes
// "Неверное событие", "-", "-", "-" (the first from the message table).
std::array<std::string, 4> stored_columns(const EventRow& row);

// The six shown cells of a row: number, date-time, then stored_columns().
std::array<std::string, kShownColumnCount> shown_cells(const EventRow& row);

// The moment an export is made, as local wall-clock time. Passed in so a test can fix it.
using Clock = std::function<EventDateTime()>;
EventDateTime local_now();

// "dd.mm.yyyy hh:mm:ss".
std::string report_time_text(const EventDateTime& t);

// The whole file through a PendingFile. `what` names the file in the error text.
Result<> write_file_atomically(const std::filesystem::path& file, std::string_view contents, std::string_view what);

// A name in `folder` no file has yet: "<stem><ext>", else "<stem>_2<ext>", "_3", ... so a
// report made in the same second as an earlier one never replaces it.
std::filesystem::path unused_report_path(const std::filesystem::path& folder, const std::string& stem,
                                         const std::string& ext);

// Starts the desktop's opener for the file (xdg-open) and returns without waiting for it;
// an error when it cannot be started. What the opener then does is not checked.
Result<> open_with_desktop(const std::filesystem::path& file);

}  // namespace vq::eventlog
