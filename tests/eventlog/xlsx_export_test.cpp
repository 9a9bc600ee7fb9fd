// The event list as an .xlsx workbook.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <regex>

#include "eventlog/xlsx_export.hpp"
#include "export_fixture.hpp"

using namespace vq::eventlog;
using vq::test::folder_names;
using vq::test::read_file;
using vq::test::two_export_rows;
using vq::test::write_file;

namespace {

using XlsxFiles = vq::test::ScratchFolder;

bool have_unzip() { return std::system("unzip -v >/dev/null 2>&1") == 0; }

// One member of the archive, or nothing when unzip cannot give it.
std::optional<std::string> unzip_member(const std::filesystem::path& file, const std::string& member) {
  const std::string command = "unzip -p '" + file.string() + "' '" + member + "' 2>/dev/null";
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return std::nullopt;
  std::string out;
  char buf[4096];
  for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, pipe)) > 0;) out.append(buf, n);
  if (::pclose(pipe) != 0) return std::nullopt;
  return out;
}

std::string listing(const std::filesystem::path& file) {
  const std::string command = "unzip -l '" + file.string() + "'";
  FILE* pipe = ::popen(command.c_str(), "r");
  std::string out;
  char buf[4096];
  for (std::size_t n; pipe && (n = std::fread(buf, 1, sizeof buf, pipe)) > 0;) out.append(buf, n);
  if (pipe) ::pclose(pipe);
  return out;
}

std::vector<EventRow> numbered_rows(std::uint32_t count) {
  std::vector<EventRow> rows;
  for (std::uint32_t i = 1; i <= count; ++i) {
    auto row = two_export_rows()[0];
    row.number = i;
    rows.push_back(row);
  }
  return rows;
}

}  // namespace

TEST(Xlsx, ColumnWidthsAreListWidthsOverFiveRemainderDropped) {
  struct Case {
    ListColumnWidths list;
    std::array<int, 6> sheet;
  };
  for (const auto& c : std::initializer_list<Case>{
           {kDefaultListColumnWidths, {8, 24, 29, 29, 38, 26}},
           // EventID's width plays no part; below 5 pixels a column gets no width.
           {{44, 500, 9, 5, 4, 0, -3}, {8, 1, 1, 0, 0, 0}},
       })
    EXPECT_EQ(xlsx_column_widths(c.list), c.sheet);
}

TEST_F(XlsxFiles, WritesAWorkbookWithTheRowsOnItsFirstSheet) {
  auto rows = two_export_rows();
  rows[0].columns[2] = "Вскрытие <корпуса> & \"крышки\"";
  const auto file = dir / "events.xlsx";
  const auto r = write_xlsx(rows, file);
  ASSERT_TRUE(r) << r.error().full();
  EXPECT_TRUE(read_file(file).starts_with("PK"));
  EXPECT_EQ(folder_names(dir), std::vector<std::string>{"events.xlsx"});
  if (!have_unzip()) GTEST_SKIP() << "unzip is not installed: only the zip signature was checked";

  EXPECT_NE(listing(file).find("xl/worksheets/sheet1.xml"), std::string::npos);
  const auto strings = unzip_member(file, "xl/sharedStrings.xml");
  ASSERT_TRUE(strings);
  for (const char* text : {"Источник события", "09.12.26 14:30:05", "Вскрытие &lt;корпуса&gt; &amp; \"крышки\"",
                           "Неверное событие"})
    EXPECT_NE(strings->find(text), std::string::npos) << text;
  EXPECT_EQ(strings->find("РПД#007"), std::string::npos) << "an incomplete row is completed as stored";

  const auto sheet = unzip_member(file, "xl/worksheets/sheet1.xml");
  ASSERT_TRUE(sheet);
  // The row number is a number, the date-time a shared string; the header cells are formatted.
  EXPECT_TRUE(std::regex_search(*sheet, std::regex(R"(<c r="A2"( s="\d+")?><v>1</v></c>)"))) << *sheet;
  EXPECT_TRUE(std::regex_search(*sheet, std::regex(R"(<c r="B2" t="s"><v>\d+</v></c>)"))) << *sheet;
  EXPECT_TRUE(std::regex_search(*sheet, std::regex(R"(<c r="F1" s="[1-9]\d*" t="s">)"))) << *sheet;
  EXPECT_EQ(sheet->find("r=\"G1\""), std::string::npos) << "EventID is left out";
  EXPECT_TRUE(std::regex_search(*sheet, std::regex(R"(<col min="6" max="6" width="26\.)"))) << *sheet;
}

TEST_F(XlsxFiles, OneSheetRowPerListRowAfterTheHeader) {
  if (!have_unzip()) GTEST_SKIP() << "unzip is not installed";
  struct Case {
    std::uint32_t rows;
    int last_sheet_row;
  };
  for (const auto& c : std::initializer_list<Case>{{0, 1}, {300, 301}}) {
    const auto file = dir / ("rows" + std::to_string(c.rows) + ".xlsx");
    ASSERT_TRUE(write_xlsx(numbered_rows(c.rows), file));
    const auto sheet = unzip_member(file, "xl/worksheets/sheet1.xml");
    ASSERT_TRUE(sheet);
    const auto row_tag = [](int n) { return "<row r=\"" + std::to_string(n) + "\""; };
    EXPECT_NE(sheet->find(row_tag(c.last_sheet_row)), std::string::npos) << c.rows;
    EXPECT_EQ(sheet->find(row_tag(c.last_sheet_row + 1)), std::string::npos) << c.rows;
    if (c.rows) {
      EXPECT_NE(sheet->find("<c r=\"A301\"><v>300</v></c>"), std::string::npos);
    }
  }
}

TEST_F(XlsxFiles, AFailedWriteIsAnErrorAndLeavesNothingBehind) {
  // A file where the folder should be, and a folder where the file should be.
  write_file(dir / "plain", "x");
  std::filesystem::create_directories(dir / "taken.xlsx");
  for (const auto& target : {dir / "plain" / "events.xlsx", dir / "taken.xlsx"}) {
    const auto r = write_xlsx(two_export_rows(), target);
    ASSERT_FALSE(r) << target;
    EXPECT_NE(r.error().text.find(target.string()), std::string::npos) << r.error().full();
  }
  EXPECT_EQ(read_file(dir / "plain"), "x");
  EXPECT_TRUE(std::filesystem::is_empty(dir / "taken.xlsx"));
  EXPECT_EQ(folder_names(dir), (std::vector<std::string>{"plain", "taken.xlsx"}));
}
