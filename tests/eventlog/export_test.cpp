// The HTML report of the event list, and what the exports share.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

#include "eventlog/export.hpp"
#include "eventlog/html_export.hpp"
#include "export_fixture.hpp"

using namespace vq::eventlog;
using vq::test::folder_names;
using vq::test::read_file;
using vq::test::two_export_rows;
using vq::test::write_file;

namespace {

constexpr EventDateTime kNow{2026, 12, 9, 14, 30, 5};

Clock fixed(EventDateTime t) {
  return [t] { return t; };
}

std::string crlf_lines(std::initializer_list<std::string_view> lines) {
  std::string out;
  for (const auto l : lines) (out += l) += "\r\n";
  return out;
}

// The lines between "<table>" and "</table>".
std::vector<std::string> table_lines(const std::string& page) {
  std::vector<std::string> lines;
  const auto from = page.find("<table>\r\n") + 9;
  const auto to = page.find("</table>");
  for (auto at = from; at < to;) {
    const auto end = page.find("\r\n", at);
    lines.push_back(page.substr(at, end - at));
    at = end + 2;
  }
  return lines;
}

using HtmlFiles = vq::test::ScratchFolder;
using ExportFiles = vq::test::ScratchFolder;

}  // namespace

TEST(Html, PageKeepsTheReportLineLayout) {
  const std::string expected = crlf_lines({
      R"(<!DOCTYPE html PUBLIC "-//W3C//DTD HTML 4.01 Transitional//EN">)",
      R"(<link rel="stylesheet" type="text/css" href="report.css"/>)",
      "<html>",
      "<head>",
      R"(<meta charset="utf-8">)",
      "<title>Журнал событий. Создан 09.12.2026 14:30:05</title>",
      "</head>",
      "<body>",
      "<h1>Журнал событий. Создан 09.12.2026 14:30:05</h1>",
      "<table>",
      R"(<td class=tableTitle style="width:50px;">#</td>)",
      R"(<td class=tableTitle style="width:200px;">Дата/Время</td>)",
      R"(<td class=tableTitle style="width:200px;">Событие</td>)",
      R"(<td class=tableTitle style="width:200px;">Область действия</td>)",
      R"(<td class=tableTitle style="width:200px;">Детализация события</td>)",
      R"(<td class=tableTitle style="width:200px;">Источник события</td>)",
      "<tr>",
      R"(<td class=tableBody style="width:50px;">1</td>)",
      R"(<td class=tableBody style="width:200px;">09.12.26 14:30:05</td>)",
      R"(<td class=tableBody style="width:200px;">Неисправность</td>)",
      R"(<td class=tableBody style="width:200px;">Система</td>)",
      R"(<td class=tableBody style="width:200px;">Вскрытие</td>)",
      R"(<td class=tableBody style="width:200px;">ППК</td>)",
      "<tr>",
      // The incomplete row as the database stores it.
      R"(<td class=tableBody style="width:50px;">2</td>)",
      R"(<td class=tableBody style="width:200px;">30.12.1899</td>)",
      R"(<td class=tableBody style="width:200px;">Неверное событие</td>)",
      R"(<td class=tableBody style="width:200px;">-</td>)",
      R"(<td class=tableBody style="width:200px;">-</td>)",
      R"(<td class=tableBody style="width:200px;">-</td>)",
      "<tr>",
      "</table>",
      "</body>",
      "</html>",
  });
  EXPECT_EQ(html_report_text(two_export_rows(), kNow), expected);
}

TEST(Html, EmptyListGivesHeaderCellsAndOneRowLine) {
  const auto lines = table_lines(html_report_text({}, kNow));
  ASSERT_EQ(lines.size(), 7u);
  for (std::size_t i = 0; i < 6; ++i) EXPECT_TRUE(lines[i].starts_with("<td class=tableTitle")) << lines[i];
  EXPECT_EQ(lines[6], "<tr>");
}

TEST(Html, EscapesEveryText) {
  struct Case {
    std::string_view text, escaped;
  };
  for (const auto& c : std::initializer_list<Case>{
           {"plain Вскрытие", "plain Вскрытие"},
           {"<script>alert('x')</script>", "&lt;script&gt;alert(&#39;x&#39;)&lt;/script&gt;"},
           {"A & B", "A &amp; B"},
           {"&amp;", "&amp;amp;"},
           {R"(say "hi")", "say &quot;hi&quot;"},
           {"two\r\nlines", "two&#13;&#10;lines"},
       })
    EXPECT_EQ(html_escape(c.text), c.escaped) << c.text;

  auto rows = two_export_rows();
  rows[0].date_time = "\"><script>x</script>";
  rows[0].columns = {"<b>", "a&b", "it's", "line\nbreak"};
  const auto page = html_report_text(rows, kNow);
  EXPECT_EQ(page.find("<script>"), std::string::npos);
  EXPECT_EQ(page.find("<b>"), std::string::npos);
  const auto lines = table_lines(page);
  ASSERT_EQ(lines.size(), 7u + 7u + 7u);  // a line break in a text adds no line
  EXPECT_EQ(lines[8], R"(<td class=tableBody style="width:200px;">&quot;&gt;&lt;script&gt;x&lt;/script&gt;</td>)");
  EXPECT_EQ(lines[10], R"(<td class=tableBody style="width:200px;">a&amp;b</td>)");
  EXPECT_EQ(lines[11], R"(<td class=tableBody style="width:200px;">it&#39;s</td>)");
  EXPECT_EQ(lines[12], R"(<td class=tableBody style="width:200px;">line&#10;break</td>)");
}

TEST(Html, FileNameIsTheReportTimeWithUnderscores) {
  struct Case {
    EventDateTime now;
    std::string_view name;
  };
  for (const auto& c : std::initializer_list<Case>{
           {{2026, 12, 9, 14, 30, 5}, "09_12_2026_14_30_05.htm"},
           {{2027, 1, 1, 0, 0, 0}, "01_01_2027_00_00_00.htm"},
           {{2030, 10, 31, 23, 59, 59}, "31_10_2030_23_59_59.htm"},
       })
    EXPECT_EQ(html_report_file_name(c.now), c.name);
}

TEST_F(HtmlFiles, WritesThePageAndAStylesheetIntoACreatedFolder) {
  const auto folder = dir / "data" / "Report";
  const auto page = write_html_report(two_export_rows(), folder, fixed(kNow));
  ASSERT_TRUE(page) << page.error().full();
  EXPECT_EQ(*page, folder / "09_12_2026_14_30_05.htm");
  EXPECT_EQ(read_file(*page), html_report_text(two_export_rows(), kNow));
  EXPECT_EQ(read_file(folder / "report.css"), default_report_css());
  EXPECT_EQ(folder_names(folder), (std::vector<std::string>{"09_12_2026_14_30_05.htm", "report.css"}));
}

TEST_F(HtmlFiles, StylesheetIsWrittenOnceAndNeverOverwritten) {
  ASSERT_TRUE(write_html_report({}, dir, fixed(kNow)));
  EXPECT_EQ(read_file(dir / "report.css"), default_report_css());

  write_file(dir / "report.css", "td { color: red; }\n");
  ASSERT_TRUE(write_html_report(two_export_rows(), dir, fixed({2026, 12, 9, 14, 31, 0})));
  EXPECT_EQ(read_file(dir / "report.css"), "td { color: red; }\n");
  EXPECT_EQ(folder_names(dir),
            (std::vector<std::string>{"09_12_2026_14_30_05.htm", "09_12_2026_14_31_00.htm", "report.css"}));
}

TEST_F(HtmlFiles, ASecondExportInTheSameSecondKeepsTheFirstAndTakesTheNextName) {
  const auto first = write_html_report(two_export_rows(), dir, fixed(kNow));
  ASSERT_TRUE(first);
  const auto second = write_html_report({}, dir, fixed(kNow));
  ASSERT_TRUE(second);
  EXPECT_EQ(second->filename(), "09_12_2026_14_30_05_2.htm");
  EXPECT_EQ(read_file(*first), html_report_text(two_export_rows(), kNow));
  EXPECT_EQ(read_file(*second), html_report_text({}, kNow));
  ASSERT_TRUE(write_html_report({}, dir, fixed(kNow)));
  EXPECT_EQ(folder_names(dir), (std::vector<std::string>{"09_12_2026_14_30_05.htm", "09_12_2026_14_30_05_2.htm",
                                                         "09_12_2026_14_30_05_3.htm", "report.css"}));
}

TEST_F(HtmlFiles, AFailedWriteIsAnErrorAndLeavesNothingHalfWritten) {
  // A file where the Report folder should be.
  write_file(dir / "Report", "not a folder");
  auto r = write_html_report(two_export_rows(), dir / "Report", fixed(kNow));
  ASSERT_FALSE(r);
  EXPECT_NE(r.error().text.find("Report"), std::string::npos) << r.error().full();
  EXPECT_EQ(read_file(dir / "Report"), "not a folder");
  EXPECT_EQ(folder_names(dir), std::vector<std::string>{"Report"});

  // The page's name taken by a folder: the page takes the next name, the folder stays.
  const auto folder = dir / "Other";
  std::filesystem::create_directories(folder / "09_12_2026_14_30_05.htm");
  r = write_html_report(two_export_rows(), folder, fixed(kNow));
  ASSERT_TRUE(r) << r.error().full();
  EXPECT_EQ(folder_names(folder),
            (std::vector<std::string>{"09_12_2026_14_30_05.htm", "09_12_2026_14_30_05_2.htm", "report.css"}));
  EXPECT_TRUE(std::filesystem::is_empty(folder / "09_12_2026_14_30_05.htm"));
}

TEST(Html, BuiltInStylesheetIsTheShippedOne) {
  const auto shipped = std::filesystem::path(VQ_FIXTURES_DIR).parent_path().parent_path() / "resources" / "report.css";
  EXPECT_EQ(read_file(shipped), default_report_css());
}

TEST(Export, IncompleteRowsAreCompletedAsTheDatabaseStoresThem) {
  const auto rows = two_export_rows();
  EXPECT_EQ(stored_columns(rows[0]), (std::array<std::string, 4>{"Неисправность", "Система", "Вскрытие", "ППК"}));
  const std::vector<std::vector<std::string>> incomplete = {{}, {"РПД#007"}, {"a", "b", "c"}, {"1", "2", "3", "4", "5"}};
  for (const auto& columns : incomplete) {
    EventRow row;
    row.columns = columns;
    EXPECT_EQ(stored_columns(row), (std::array<std::string, 4>{"Неверное событие", "-", "-", "-"}))
        << columns.size();
  }
}

TEST_F(ExportFiles, OpeningWithTheDesktopFailsClearlyWithoutAnOpener) {
  // An empty search path: the opener cannot be found, and the caller hears so at once.
  const char* old = std::getenv("PATH");
  const std::optional<std::string> saved = old ? std::optional<std::string>(old) : std::nullopt;
  ::setenv("PATH", dir.c_str(), 1);
  const auto r = open_with_desktop(dir / "page.htm");
  if (saved)
    ::setenv("PATH", saved->c_str(), 1);
  else
    ::unsetenv("PATH");
  ASSERT_FALSE(r);
  EXPECT_NE(r.error().full().find("xdg-open"), std::string::npos) << r.error().full();
}
