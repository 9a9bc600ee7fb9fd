#pragma once
// The event list as an HTML page in the Report folder, next to its stylesheet report.css.
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "eventlog/event_row.hpp"
#include "eventlog/export.hpp"
#include "util/result.hpp"

namespace vq::eventlog {

inline constexpr std::string_view kReportStylesheetName = "report.css";

// &, <, >, ", ' as entities; CR and LF as character references, so a text never breaks
// the page's one-line-per-cell layout.
std::string html_escape(std::string_view text);

// The page for `rows` made at `now`: UTF-8, CR LF line ends, rows without end tags.
std::string html_report_text(const std::vector<EventRow>& rows, const EventDateTime& now);

// "dd_mm_yyyy_hh_mm_ss.htm": the report time with ".", ":" and blanks made "_".
std::string html_report_file_name(const EventDateTime& now);

// The stylesheet written beside a page when the folder has none.
std::string_view default_report_css();

// Creates `report_folder` when missing, writes report.css there unless one exists, then the
// page (an older page of the same second is replaced). Returns the page's path. The clock is
// read once, so the title and the file name show the same moment.
Result<std::filesystem::path> write_html_report(const std::vector<EventRow>& rows,
                                                const std::filesystem::path& report_folder,
                                                const Clock& clock = local_now);

}  // namespace vq::eventlog
