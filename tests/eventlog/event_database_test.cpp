// The event database: created when missing, the current log replaced all or nothing, every
// query's meaning and order on a small log, filter values that never turn into SQL, and
// refusals of empty selections and bad counts.
#include <gtest/gtest.h>

#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "eventlog/event_database.hpp"
#include "shell/messages.hpp"

using namespace vq::eventlog;
namespace fs = std::filesystem;
using std::chrono::year_month_day;

namespace {

class Scratch {
 public:
  Scratch() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = fs::path(::testing::TempDir()) / (std::string("vq_db_") + info->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  ~Scratch() { fs::remove_all(dir_); }
  const fs::path& path() const { return dir_; }
  fs::path operator/(const std::string& name) const { return dir_ / name; }

 private:
  fs::path dir_;
};

EventRow row(std::uint32_t id, EventDateTime when, std::vector<std::string> columns) {
  EventRow r;
  r.event_id = id;
  r.when = when;
  r.columns = std::move(columns);
  return r;
}

// Details r1..r8 name the rows; r5 is incomplete and is stored with "-". Moments are out of
// mesCode order on purpose, r3 and r7 share one, r6 carries the zero date.
std::vector<EventRow> small_log() {
  return {
      row(4368, {2024, 3, 10, 12, 0, 0}, {"Пожар", "склад", "r1", "ИК#001/2"}),
      row(4864, {2024, 3, 9, 8, 0, 0}, {"Неисправность", "Система", "r2", "ППК"}),
      row(4376, {2024, 3, 10, 9, 30, 0}, {"Внимание", "офис", "r3", "ИК#010"}),
      row(13056, {2024, 3, 11, 0, 0, 1}, {"Восстановление", "склад", "r4", "ИК#001"}),
      row(4400, {2024, 3, 12, 10, 0, 0}, {"ИК#002"}),
      row(4864, {}, {"Неисправность", "Система", "r6", "ППК"}),
      row(4400, {2024, 3, 10, 9, 30, 0}, {"Тревога", "x' OR '1'='1", "r7", "%x_y"}),
      row(4436, {2024, 3, 13, 23, 59, 59}, {"Нарушение", "офис", "r8", "МР#003"}),
  };
}

std::vector<std::string> details(const std::vector<EventRow>& rows) {
  std::vector<std::string> out;
  for (const auto& r : rows) out.push_back(r.columns.size() > 2 ? r.columns[2] : "?");
  return out;
}

const std::vector<std::string> kAll = {"r1", "r2", "r3", "r4", "-", "r6", "r7", "r8"};

year_month_day on(int y, unsigned m, unsigned d) { return std::chrono::year{y} / std::chrono::month{m} / std::chrono::day{d}; }

// Raw access to the file, as another program would have it.
class RawDb {
 public:
  explicit RawDb(const fs::path& file) { sqlite3_open(file.c_str(), &db_); }
  RawDb(const RawDb&) = delete;
  RawDb& operator=(const RawDb&) = delete;
  ~RawDb() { sqlite3_close(db_); }
  bool exec(const std::string& sql) { return sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK; }
  // Each result row's columns joined by "|".
  std::vector<std::string> rows(const std::string& sql) {
    std::vector<std::string> out;
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &s, nullptr) != SQLITE_OK) return {"prepare failed"};
    while (sqlite3_step(s) == SQLITE_ROW) {
      std::string line;
      for (int c = 0; c < sqlite3_column_count(s); ++c) {
        if (c) line += '|';
        const auto* t = sqlite3_column_text(s, c);
        line += t ? reinterpret_cast<const char*>(t) : "NULL";
      }
      out.push_back(line);
    }
    sqlite3_finalize(s);
    return out;
  }

 private:
  sqlite3* db_ = nullptr;
};

class EventDatabaseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto opened = EventDatabase::open(dir.path());
    ASSERT_TRUE(opened) << opened.error().text;
    db.emplace(std::move(*opened));
    ASSERT_TRUE(db->store_rows(small_log()));
  }
  std::vector<std::string> shown() {
    auto all = db->show_all();
    return all ? details(*all) : std::vector<std::string>{"error: " + all.error().text};
  }
  std::vector<std::string> tables() {
    return RawDb(db->file()).rows("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name");
  }

  Scratch dir;
  std::optional<EventDatabase> db;
};

}  // namespace

TEST(EventDatabase, CreatedWithItsSchemaWhenMissing) {
  Scratch dir;
  const auto file = dir.path() / "Report" / "meslog.db";
  {
    auto db = EventDatabase::open(dir.path());
    ASSERT_TRUE(db) << db.error().text;
    EXPECT_EQ(db->file(), file);
    ASSERT_TRUE(db->store_rows(small_log()));
  }
  RawDb raw(file);
  EXPECT_EQ(raw.rows("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name"),
            (std::vector<std::string>{"CurrentLog", "GeneralLog", "JVector"}));
  for (const char* table : {"CurrentLog", "GeneralLog"})
    EXPECT_EQ(raw.rows(std::string("SELECT group_concat(name) FROM pragma_table_info('") + table + "')"),
              std::vector<std::string>{"mesCode,EventID,mesDate,mesTime,mesEvent,mesRange,mesDetail,mesSource"});
  // Dates and times as texts that sort as the moments do.
  EXPECT_EQ(raw.rows("SELECT mesDate, mesTime FROM CurrentLog WHERE mesCode IN (1, 6) ORDER BY mesCode"),
            (std::vector<std::string>{"2024-03-10|12:00:00", "1899-12-30|00:00:00"}));
  // The queries by date, partition and event find their rows through an index.
  const std::pair<const char*, const char*> plans[] = {
      {"WHERE mesDate >= '2024-01-01' AND mesDate <= '2024-02-01' ORDER BY mesDate, mesTime", "CurrentLogByDate"},
      {"WHERE mesRange = 'a' ORDER BY mesDate, mesTime", "CurrentLogByRange"},
      {"WHERE EventID IN (SELECT 1) ORDER BY mesCode", "CurrentLogByEvent"},
  };
  for (const auto& [where, index] : plans) {
    const auto plan = raw.rows(std::string("EXPLAIN QUERY PLAN SELECT * FROM CurrentLog ") + where);
    ASSERT_FALSE(plan.empty()) << where;
    EXPECT_NE(plan.front().find(std::string("USING INDEX ") + index), std::string::npos) << plan.front();
  }

  // Opened again: the log is still there.
  auto again = EventDatabase::open(dir.path());
  ASSERT_TRUE(again);
  EXPECT_EQ(again->row_count().value_or(0), 8u);
}

TEST(EventDatabase, ForeignOrUnusableFilesAreRefused) {
  Scratch dir;
  struct Case {
    const char* name;
    std::function<void(const fs::path& data)> arrange;
    std::string message;  // after the path
  };
  const Case cases[] = {
      {"not a database",
       [](const fs::path& d) {
         fs::create_directories(d / "Report");
         std::ofstream(d / "Report" / "meslog.db") << "this is not a database, just some text of a certain length";
       },
       "file is not a database"},
      {"CurrentLog without our fields",
       [](const fs::path& d) {
         fs::create_directories(d / "Report");
         RawDb(d / "Report" / "meslog.db").exec("CREATE TABLE CurrentLog (a INTEGER)");
       },
       "no such column: mesDate"},
      {"the file is a folder", [](const fs::path& d) { fs::create_directories(d / "Report" / "meslog.db"); },
       "unable to open database file"},
  };
  for (const auto& c : cases) {
    const auto data = dir / c.name;
    c.arrange(data);
    const auto db = EventDatabase::open(data);
    ASSERT_FALSE(db) << c.name;
    EXPECT_EQ(db.error().text,
              "Не удалось открыть базу событий " + (data / "Report" / "meslog.db").string() + ": " + c.message)
        << c.name;
  }
  std::ofstream(dir / "plain") << "x";
  const auto no_folder = EventDatabase::open(dir / "plain");
  ASSERT_FALSE(no_folder);
  EXPECT_EQ(no_folder.error().text, "Не удалось создать папку " + (dir / "plain" / "Report").string() + ": Not a directory");
}

TEST_F(EventDatabaseTest, StoreReplacesTheWholeLogInOrder) {
  const auto all = db->show_all();
  ASSERT_TRUE(all);
  ASSERT_EQ(all->size(), 8u);
  EXPECT_EQ(details(*all), kAll);
  for (std::size_t k = 0; k < all->size(); ++k) EXPECT_EQ((*all)[k].number, k + 1);
  EXPECT_EQ((*all)[0].event_id, 4368u);
  EXPECT_EQ((*all)[0].date_time, "10.03.2024 12:00:00");
  EXPECT_EQ((*all)[0].when, (EventDateTime{2024, 3, 10, 12, 0, 0}));
  EXPECT_EQ((*all)[5].date_time, "30.12.1899 00:00:00");
  EXPECT_TRUE((*all)[5].when.is_zero());
  EXPECT_EQ((*all)[4].columns, (std::vector<std::string>{"Неверное событие", "-", "-", "-"}));
  EXPECT_EQ((*all)[4].event_id, 4400u);

  // A second store replaces every row; an empty one leaves an empty log.
  ASSERT_TRUE(db->store_rows({row(1, {2020, 1, 2, 3, 4, 5}, {"a", "b", "c", "d"})}));
  EXPECT_EQ(shown(), std::vector<std::string>{"c"});
  ASSERT_TRUE(db->store_rows({}));
  EXPECT_EQ(db->row_count().value_or(99), 0u);
  EXPECT_TRUE(db->show_all()->empty());
}

TEST_F(EventDatabaseTest, FailedStoreKeepsThePreviousLog) {
  // Fails on the third insert, after two rows and the delete went into the transaction.
  ASSERT_TRUE(RawDb(db->file()).exec("CREATE TRIGGER refuse BEFORE INSERT ON CurrentLog WHEN NEW.mesDetail = 'boom' "
                                     "BEGIN SELECT RAISE(ABORT, 'disk full'); END"));
  auto rows = small_log();
  rows[2].columns[2] = "boom";
  const auto mid_way = db->store_rows(rows);
  ASSERT_FALSE(mid_way);
  EXPECT_EQ(mid_way.error().text, "Не удалось сохранить журнал в базу событий " + db->file().string() + ": disk full");
  EXPECT_EQ(shown(), kAll);

  // A time stamp that is no moment is found before anything is written.
  rows = {row(1, {2024, 1, 1, 0, 0, 0}, {"a", "b", "c", "d"}), row(2, {2023, 2, 29, 0, 0, 0}, {"a", "b", "c", "d"})};
  const auto bad_date = db->store_rows(rows);
  ASSERT_FALSE(bad_date);
  EXPECT_EQ(bad_date.error().text, "Не удалось сохранить журнал в базу событий " + db->file().string() +
                                       ": строка 2 — неверная дата или время события");
  EXPECT_EQ(shown(), kAll);
}

TEST(EventDatabase, IncompleteRowsAreCompletedAsStored) {
  struct Case {
    std::vector<std::string> columns, completed;
  };
  const Case cases[] = {
      {{}, {"Неверное событие", "-", "-", "-"}},
      // Only a source: the list keeps it and gains the four texts, as the list row did.
      {{"ИК#002"}, {"ИК#002", "Неверное событие", "-", "-", "-"}},
      {{"a", "b", "c", "d"}, {"a", "b", "c", "d"}},
  };
  for (const auto& c : cases) {
    EventRow r;
    r.columns = c.columns;
    complete_row(r);
    EXPECT_EQ(r.columns, c.completed);
  }
}

TEST_F(EventDatabaseTest, QueriesKeepTheirMeaningAndOrder) {
  EventFilter last5_office;
  last5_office.last_events = 5;
  last5_office.partition = "офис";
  EventFilter period_and_codes;
  period_and_codes.period = DatePeriod{on(2024, 3, 10), on(2024, 3, 13)};
  period_and_codes.event_ids = {4400, 4376};
  EventFilter period_only;
  period_only.period = DatePeriod{on(2024, 3, 10), on(2024, 3, 10)};
  EventFilter period_and_sources = period_only;
  period_and_sources.sources = {"ИК#", "%"};

  struct Case {
    const char* name;
    std::function<vq::Result<std::vector<EventRow>>(EventDatabase&)> run;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {"last 3, oldest first", [](EventDatabase& d) { return d.last_events(3); }, {"r6", "r7", "r8"}},
      {"last more than there are", [](EventDatabase& d) { return d.last_events(100); }, kAll},
      // By moment; r3 and r7 share theirs and keep the log's order.
      {"one day", [](EventDatabase& d) { return d.by_period({on(2024, 3, 10), on(2024, 3, 10)}); },
       {"r3", "r7", "r1"}},
      {"from the zero date", [](EventDatabase& d) { return d.by_period({on(1899, 12, 30), on(2024, 3, 9)}); },
       {"r6", "r2"}},
      {"a period with no events", [](EventDatabase& d) { return d.by_period({on(2025, 1, 1), on(2025, 12, 31)}); },
       {}},
      {"partition by moment", [](EventDatabase& d) { return d.by_partition("склад"); }, {"r1", "r4"}},
      {"partition names match exactly", [](EventDatabase& d) { return d.by_partition("Склад"); }, {}},
      // Prefixes: "ИК#001" takes its "/2" source but not "ИК#010".
      {"one source", [](EventDatabase& d) { return d.by_sources({"ИК#001"}); }, {"r1", "r4"}},
      {"two sources by mesCode", [](EventDatabase& d) { return d.by_sources({"МР#003", "ИК#001"}); },
       {"r1", "r4", "r8"}},
      {"codes", [](EventDatabase& d) { return d.by_event_ids({4368, 4376}); }, {"r1", "r3"}},
      {"an incomplete row keeps its code", [](EventDatabase& d) { return d.by_event_ids({4400}); }, {"-", "r7"}},
      {"the violations category",
       [](EventDatabase& d) {
         std::vector<std::uint32_t> codes;
         for (const auto& e : category_lists()[0].entries) codes.push_back(e.code);
         return d.by_event_ids(codes);
       },
       {"r1", "r3", "-", "r7", "r8"}},
      // The last-n cut comes first: r3 is in "офис" but not among the last five.
      {"combined last 5 in a partition", [&](EventDatabase& d) { return d.combined(last5_office); }, {"r8"}},
      {"combined period and codes", [&](EventDatabase& d) { return d.combined(period_and_codes); },
       {"r3", "-", "r7"}},
      // One item checked runs its own query in its own order, two the combined one by mesCode.
      {"filter with one item", [&](EventDatabase& d) { return d.run_filter(period_only); }, {"r3", "r7", "r1"}},
      {"filter with two items", [&](EventDatabase& d) { return d.run_filter(period_and_sources); },
       {"r1", "r3", "r7"}},
  };
  for (const auto& c : cases) {
    const auto result = c.run(*db);
    ASSERT_TRUE(result) << c.name << ": " << result.error().text;
    EXPECT_EQ(details(*result), c.expected) << c.name;
    for (std::size_t k = 0; k < result->size(); ++k) EXPECT_EQ((*result)[k].number, k + 1) << c.name;
  }
}

TEST_F(EventDatabaseTest, FilterValuesNeverBecomeSql) {
  const std::vector<std::string> attacks = {
      "x' OR '1'='1", "'; DROP TABLE CurrentLog; --", "' OR 1=1 --", "\"); DELETE FROM CurrentLog; --",
      "%", "_", "ИК#00_", "ИК#%", "склад' --",
  };
  // Each value is taken literally: only a row holding exactly that text (r7's range, r7's
  // source starting with "%") is found.
  for (const auto& text : attacks) {
    const auto by_name = db->by_partition(text);
    ASSERT_TRUE(by_name) << text;
    EXPECT_EQ(details(*by_name), text == "x' OR '1'='1" ? std::vector<std::string>{"r7"} : std::vector<std::string>{})
        << text;
    const auto by_source = db->by_sources({text});
    ASSERT_TRUE(by_source) << text;
    EXPECT_EQ(details(*by_source), text == "%" ? std::vector<std::string>{"r7"} : std::vector<std::string>{}) << text;

    EventFilter all_at_once;
    all_at_once.last_events = 8;
    all_at_once.period = DatePeriod{on(1899, 12, 30), on(2099, 1, 1)};
    all_at_once.partition = text;
    all_at_once.sources = {text, "'", "\\"};
    all_at_once.event_ids = {4400, 0xFFFFFFFF};
    const auto combined = db->combined(all_at_once);
    ASSERT_TRUE(combined) << text;
    EXPECT_TRUE(combined->empty()) << text;
  }
  EXPECT_EQ(shown(), kAll);
  EXPECT_EQ(tables(), (std::vector<std::string>{"CurrentLog", "GeneralLog", "JVector"}));

  // Stored texts are data too.
  ASSERT_TRUE(db->store_rows({row(1, {2024, 1, 1, 0, 0, 0}, {"'); DROP TABLE JVector; --", "a'b", "c", "d"})}));
  EXPECT_EQ(details(*db->by_partition("a'b")), std::vector<std::string>{"c"});
  EXPECT_EQ(tables(), (std::vector<std::string>{"CurrentLog", "GeneralLog", "JVector"}));
}

TEST_F(EventDatabaseTest, EmptySelectionsAndBadCountsAreRefused) {
  struct Case {
    const char* name;
    std::function<vq::Result<std::vector<EventRow>>(EventDatabase&)> run;
    std::string message;
  };
  EventFilter nothing_checked;
  EventFilter empty_sources_in_combined;
  empty_sources_in_combined.partition = "склад";
  empty_sources_in_combined.sources = std::vector<std::string>{};
  const Case cases[] = {
      {"count 0", [](EventDatabase& d) { return d.last_events(0); },
       "Неверное количество событий 0: нужно целое число от 1"},
      {"negative count", [](EventDatabase& d) { return d.last_events(-5); },
       "Неверное количество событий -5: нужно целое число от 1"},
      {"no source checked", [](EventDatabase& d) { return d.by_sources({}); }, "Не выбран ни один адрес источника"},
      {"no code checked", [](EventDatabase& d) { return d.by_event_ids({}); }, "Не выбрано ни одно событие категории"},
      {"no source checked, combined", [&](EventDatabase& d) { return d.combined(empty_sources_in_combined); },
       "Не выбран ни один адрес источника"},
      {"no item checked", [&](EventDatabase& d) { return d.run_filter(nothing_checked); }, "Не выбран ни один фильтр"},
      {"start after end", [](EventDatabase& d) { return d.by_period({on(2024, 3, 11), on(2024, 3, 10)}); },
       "Ошибка ввода! Начальная дата больше конечной!"},
      {"no such day", [](EventDatabase& d) { return d.by_period({on(2023, 2, 29), on(2024, 3, 10)}); },
       "Неверная дата в периоде отбора"},
  };
  for (const auto& c : cases) {
    const auto result = c.run(*db);
    ASSERT_FALSE(result) << c.name;
    EXPECT_EQ(result.error().text, c.message) << c.name;
  }
  EXPECT_EQ(shown(), kAll);

  // The combo box's text: a decimal count from 1 and nothing else.
  for (const char* text : {"", "0", "-1", "+3", " 5", "5 ", "5; DROP TABLE CurrentLog", "1e3", "0x10",
                           "99999999999999999999"}) {
    const auto n = parse_event_count(text);
    ASSERT_FALSE(n) << text;
    EXPECT_EQ(n.error().text, "Неверное количество событий «" + std::string(text) + "»: нужно целое число от 1");
  }
  EXPECT_EQ(parse_event_count("42").value_or(0), 42);
}

TEST(EventDatabase, CategoryListsAsWritten) {
  const std::vector<std::vector<std::uint32_t>> codes = {
      {4368, 4376, 4400, 4436},
      {4864, 4929, 4932, 4993, 4994, 4995},
      {4865, 4866, 4881, 4919, 4920, 4930, 4931, 4947, 4948, 4976, 4992, 4994, 4996},
      {13064, 13058, 13057, 13073, 13111, 13112, 13122, 13123, 13139, 13168, 13184, 13186, 13188, 13056, 13121,
       13124, 13185, 13186, 13187},
  };
  const std::vector<std::string_view> titles = {"нарушения", "критические неисправности",
                                                "некритические неисправности", "информационные (без взят/снят)"};
  const auto lists = category_lists();
  ASSERT_EQ(lists.size(), 4u);
  int next_message = 15141;
  for (std::size_t c = 0; c < lists.size(); ++c) {
    EXPECT_EQ(lists[c].title, titles[c]);
    std::vector<std::uint32_t> got;
    for (const auto& e : lists[c].entries) {
      got.push_back(e.code);
      EXPECT_EQ(e.message_id, next_message++) << e.code;
    }
    EXPECT_EQ(got, codes[c]) << titles[c];
  }
  EXPECT_EQ(next_message, 15183);
  EXPECT_EQ(category_entry_name(lists[0].entries[0]), "Пожар РПД/Пожар ШС");
  EXPECT_EQ(category_entry_name(lists[3].entries[18]), "Восстановление вскрытия: РПД");

  // A translated name longer than the dialog kept is cut to 100 characters, not bytes.
  auto table = vq::shell::MessageTable::builtin();
  std::string long_name;
  for (int i = 0; i < 120; ++i) long_name += "Ж";
  table.set(15141, long_name);
  vq::shell::set_messages(table);
  const std::string cut = category_entry_name(lists[0].entries[0]);
  vq::shell::set_messages(vq::shell::MessageTable::builtin());
  EXPECT_EQ(cut, long_name.substr(0, 200));
}

TEST_F(EventDatabaseTest, JournalVectorAndGeneralLog) {
  EXPECT_EQ(db->journal_vector().value_or(-1), 0);
  ASSERT_TRUE(db->set_journal_vector(9900));
  EXPECT_EQ(db->journal_vector().value_or(-1), 9900);
  EXPECT_EQ(RawDb(db->file()).rows("SELECT zJV FROM JVector"), std::vector<std::string>{"9900"});

  // The general log grows with each append and leaves the current log alone.
  ASSERT_TRUE(db->append_general_log(small_log()));
  ASSERT_TRUE(db->append_general_log({row(1, {2024, 1, 1, 0, 0, 0}, {})}));
  EXPECT_EQ(RawDb(db->file()).rows("SELECT count(*), max(mesEvent) FROM GeneralLog WHERE mesDetail = '-'"),
            std::vector<std::string>{"2|Неверное событие"});
  EXPECT_EQ(RawDb(db->file()).rows("SELECT count(*) FROM GeneralLog"), std::vector<std::string>{"9"});
  EXPECT_EQ(shown(), kAll);
}
