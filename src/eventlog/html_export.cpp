#include "eventlog/html_export.hpp"

#include <system_error>

#include "shell/messages.hpp"

namespace vq::eventlog {

namespace detail {
extern const char kReportCss[];  // resources/report.css, compiled in (embed_file.cmake)
}  // namespace detail

namespace {

constexpr int kMsgReportTitle = 15265;  // "Журнал событий. Создан "

// The program needs no stylesheet file of its own.
const std::string_view kDefaultCss{detail::kReportCss};

class Lines {
 public:
  void add(std::string_view line) {
    text_ += line;
    text_ += "\r\n";
  }
  std::string take() { return std::move(text_); }

 private:
  std::string text_;
};

}  // namespace

std::string html_escape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      case '\r': out += "&#13;"; break;
      case '\n': out += "&#10;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string html_report_text(const std::vector<EventRow>& rows, const EventDateTime& now) {
  const std::string heading = html_escape(shell::msg(kMsgReportTitle) + report_time_text(now));
  Lines page;
  page.add(R"(<!DOCTYPE html PUBLIC "-//W3C//DTD HTML 4.01 Transitional//EN">)");
  page.add(R"(<link rel="stylesheet" type="text/css" href="report.css"/>)");
  page.add("<html>");
  page.add("<head>");
  // First in the head, before any non-ASCII text, where a browser looks for it.
  page.add(R"(<meta charset="utf-8">)");
  page.add("<title>" + heading + "</title>");
  page.add("</head>");
  page.add("<body>");
  page.add("<h1>" + heading + "</h1>");
  page.add("<table>");

  const auto cell = [&](std::string_view cls, std::size_t column, std::string_view text) {
    const std::string_view width = column == 0 ? "50px" : "200px";
    page.add("<td class=" + std::string(cls) + " style=\"width:" + std::string(width) + ";\">" + html_escape(text) +
             "</td>");
  };
  for (std::size_t c = 0; c < kShownColumnCount; ++c) cell("tableTitle", c, kListColumnCaptions[kShownListColumns[c]]);
  // No end-of-row tags: each "<tr>" opens the next row and the browser closes the last.
  page.add("<tr>");
  for (const auto& row : rows) {
    const auto cells = shown_cells(row);
    for (std::size_t c = 0; c < kShownColumnCount; ++c) cell("tableBody", c, cells[c]);
    page.add("<tr>");
  }

  page.add("</table>");
  page.add("</body>");
  page.add("</html>");
  return page.take();
}

std::string html_report_file_name(const EventDateTime& now) {
  std::string name = report_time_text(now);
  for (char& c : name)
    if (c == '.' || c == ':' || c == ' ') c = '_';
  return name + ".htm";
}

std::string_view default_report_css() { return kDefaultCss; }

namespace {

// The folders an export made on its way: taken back when it fails, with the stylesheet
// written into them, so a failed export leaves no new folder behind. In a folder that was
// there already the stylesheet stays: it serves the reports the folder holds or will hold.
class MadeOnTheWay {
 public:
  // The folders of `folder` that do not exist yet, deepest first.
  explicit MadeOnTheWay(const std::filesystem::path& folder) {
    std::error_code ec;
    for (auto p = folder.lexically_normal(); !p.empty() && !std::filesystem::exists(p, ec);) {
      folders_.push_back(p);
      auto parent = p.parent_path();
      if (parent == p) break;
      p = std::move(parent);
    }
  }
  MadeOnTheWay(const MadeOnTheWay&) = delete;
  MadeOnTheWay& operator=(const MadeOnTheWay&) = delete;
  ~MadeOnTheWay() {
    if (kept_) return;
    std::error_code ec;
    if (folders_.empty()) return;
    if (!file_.empty()) std::filesystem::remove(file_, ec);
    for (const auto& f : folders_) std::filesystem::remove(f, ec);  // only while empty
  }
  void file(std::filesystem::path f) { file_ = std::move(f); }
  void keep() { kept_ = true; }

 private:
  std::vector<std::filesystem::path> folders_;
  std::filesystem::path file_;
  bool kept_ = false;
};

}  // namespace

Result<std::filesystem::path> write_html_report(const std::vector<EventRow>& rows,
                                                const std::filesystem::path& report_folder, const Clock& clock) {
  MadeOnTheWay made(report_folder);
  std::error_code ec;
  std::filesystem::create_directories(report_folder, ec);
  if (ec) return fail("Не удалось создать папку отчётов " + report_folder.string() + ": " + ec.message());
  if (!std::filesystem::is_directory(report_folder, ec))
    return fail("Не удалось создать папку отчётов " + report_folder.string() + ": это не папка");

  // A stylesheet already there is the user's: never replaced.
  const auto css = report_folder / kReportStylesheetName;
  if (!std::filesystem::exists(css, ec)) {
    PendingFile temp(css);
    int err = temp.create();
    if (!err) err = temp.write_all(kDefaultCss);
    if (!err) err = temp.commit(/*replace=*/false);
    if (!err) made.file(css);
    if (err && err != EEXIST)
      return fail("Не удалось записать таблицу стилей " + css.string() + ": " +
                  std::error_code(err, std::generic_category()).message());
  }

  const EventDateTime now = clock();
  // Never over an earlier report: another name when one of this second exists (also one
  // made between the look and the write).
  std::string stem = html_report_file_name(now);
  stem.resize(stem.size() - 4);  // ".htm"
  const std::string text = html_report_text(rows, now);
  std::filesystem::path page;
  for (int attempt = 0;; ++attempt) {
    page = unused_report_path(report_folder, stem, ".htm");
    PendingFile temp(page);
    int err = temp.create();
    if (!err) err = temp.write_all(text);
    if (!err) err = temp.commit(/*replace=*/false);
    if (!err) break;
    if (err != EEXIST || attempt > 100)
      return fail("Не удалось записать отчёт " + page.string() + ": " +
                  std::error_code(err, std::generic_category()).message());
  }
  made.keep();
  return page;
}

}  // namespace vq::eventlog
