#pragma once
// The event list as an .xlsx workbook: one sheet, the shown columns A to F, a bold bordered
// header row and one row per list row.
#include <array>
#include <filesystem>
#include <vector>

#include "eventlog/event_row.hpp"
#include "eventlog/export.hpp"
#include "util/result.hpp"

namespace vq::eventlog {

// Sheet column widths A..F in characters: the shown list columns' pixel widths / 5, the
// remainder dropped (8, 24, 29, 29, 38, 26 for the default widths).
std::array<int, kShownColumnCount> xlsx_column_widths(const ListColumnWidths& list_widths);

// Row 1 the captions, row r + 2 list row r: its number as a number, every other cell a text
// (a date-time stays the text the list shows). Written atomically; nothing is left behind on
// failure. The file is only written: opening it is the caller's choice (open_with_desktop).
Result<> write_xlsx(const std::vector<EventRow>& rows, const std::filesystem::path& file,
                    const ListColumnWidths& list_widths = kDefaultListColumnWidths);

}  // namespace vq::eventlog
