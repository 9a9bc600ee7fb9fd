// The event list as CSV.
#include <gtest/gtest.h>

#include "eventlog/csv_export.hpp"
#include "export_fixture.hpp"

using namespace vq::eventlog;
using vq::test::read_file;
using vq::test::two_export_rows;

namespace {
using CsvFiles = vq::test::ScratchFolder;
}

TEST(Csv, QuotesOnlyTheFieldsThatNeedIt) {
  struct Case {
    std::string_view text, field;
  };
  for (const auto& c : std::initializer_list<Case>{
           {"ППК/02", "ППК/02"},
           {"", ""},
           {" padded ", " padded "},
           {"a,b", "\"a,b\""},
           {"say \"hi\"", "\"say \"\"hi\"\"\""},
           {"\"", "\"\"\"\""},
           {"line\nbreak", "\"line\nbreak\""},
           {"cr\rhere", "\"cr\rhere\""},
           {"a;b\tc", "a;b\tc"},
       })
    EXPECT_EQ(csv_field(c.text), c.field) << c.text;
}

TEST(Csv, HeaderThenOneCrlfLinePerRowWithIncompleteRowsCompleted) {
  auto rows = two_export_rows();
  rows[0].columns[2] = "Вскрытие, \"корпус\"";
  EXPECT_EQ(csv_text(rows),
            "#,EventID,Дата/Время,Событие,Область действия,Детализация события,Источник события\r\n"
            "1,4864,09.12.26 14:30:05,Неисправность,Система,\"Вскрытие, \"\"корпус\"\"\",ППК\r\n"
            "2,4400,30.12.1899,Неверное событие,-,-,-\r\n");
  EXPECT_EQ(csv_text({}), "#,EventID,Дата/Время,Событие,Область действия,Детализация события,Источник события\r\n");
}

TEST_F(CsvFiles, WritesTheTextOrFailsClearly) {
  ASSERT_TRUE(write_csv(two_export_rows(), dir / "events.csv"));
  EXPECT_EQ(read_file(dir / "events.csv"), csv_text(two_export_rows()));

  const auto r = write_csv(two_export_rows(), dir / "missing" / "events.csv");
  ASSERT_FALSE(r);
  EXPECT_NE(r.error().text.find("events.csv"), std::string::npos) << r.error().full();
}
