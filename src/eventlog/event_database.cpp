#include "eventlog/event_database.hpp"

#include <sqlite3.h>

#include <array>
#include <charconv>
#include <limits>
#include <system_error>

#include "shell/messages.hpp"

namespace vq::eventlog {
namespace {

namespace fs = std::filesystem;

// ---- categories ----------------------------------------------------------------------------

constexpr CategoryEntry kViolations[] = {
    {4368, 15141}, {4376, 15142}, {4400, 15143}, {4436, 15144},
};
constexpr CategoryEntry kCriticalFaults[] = {
    {4864, 15145}, {4929, 15146}, {4932, 15147}, {4993, 15148}, {4994, 15149}, {4995, 15150},
};
constexpr CategoryEntry kMinorFaults[] = {
    {4865, 15151}, {4866, 15152}, {4881, 15153}, {4919, 15154}, {4920, 15155}, {4930, 15156}, {4931, 15157},
    {4947, 15158}, {4948, 15159}, {4976, 15160}, {4992, 15161}, {4994, 15162}, {4996, 15163},
};
constexpr CategoryEntry kInformational[] = {
    {13064, 15164}, {13058, 15165}, {13057, 15166}, {13073, 15167}, {13111, 15168}, {13112, 15169}, {13122, 15170},
    {13123, 15171}, {13139, 15172}, {13168, 15173}, {13184, 15174}, {13186, 15175}, {13188, 15176}, {13056, 15177},
    {13121, 15178}, {13124, 15179}, {13185, 15180}, {13186, 15181}, {13187, 15182},
};
constexpr EventCategory kCategories[] = {
    {"нарушения", kViolations},
    {"критические неисправности", kCriticalFaults},
    {"некритические неисправности", kMinorFaults},
    {"информационные (без взят/снят)", kInformational},
};

// The dialog kept each name in a 100-byte single-byte buffer: 100 characters.
constexpr std::size_t kCategoryNameChars = 100;

// ---- dates and times -----------------------------------------------------------------------

bool leap(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int days_in_month(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && leap(year) ? 29 : kDays[month - 1];
}

bool valid(const EventDateTime& t) {
  if (t.year < 1 || t.year > 9999 || t.month < 1 || t.month > 12) return false;
  if (t.day < 1 || t.day > days_in_month(t.year, t.month)) return false;
  return t.hour >= 0 && t.hour <= 23 && t.minute >= 0 && t.minute <= 59 && t.second >= 0 && t.second <= 59;
}

void append_digits(std::string& out, int value, int width) {
  char buf[8];
  for (int i = width - 1; i >= 0; --i, value /= 10) buf[i] = static_cast<char>('0' + value % 10);
  out.append(buf, static_cast<std::size_t>(width));
}

std::string iso_date(int year, int month, int day) {
  std::string out;
  out.reserve(10);
  append_digits(out, year, 4);
  out += '-';
  append_digits(out, month, 2);
  out += '-';
  append_digits(out, day, 2);
  return out;
}

std::string iso_date(const std::chrono::year_month_day& d) {
  return iso_date(static_cast<int>(d.year()), static_cast<int>(static_cast<unsigned>(d.month())),
                  static_cast<int>(static_cast<unsigned>(d.day())));
}

std::string iso_time(const EventDateTime& t) {
  std::string out;
  out.reserve(8);
  append_digits(out, t.hour, 2);
  out += ':';
  append_digits(out, t.minute, 2);
  out += ':';
  append_digits(out, t.second, 2);
  return out;
}

// The list's text of a stored row: "dd.mm.yyyy hh:mm:ss".
std::string list_date_time(const EventDateTime& t) {
  std::string out;
  out.reserve(19);
  append_digits(out, t.day, 2);
  out += '.';
  append_digits(out, t.month, 2);
  out += '.';
  append_digits(out, t.year, 4);
  out += ' ';
  out += iso_time(t);
  return out;
}

// Digits at the given places and the separators between them, nothing else.
bool read_fields(std::string_view text, std::string_view pattern, int* fields) {
  if (text.size() != pattern.size()) return false;
  int field = -1;
  char prev = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (pattern[i] == '9') {
      if (text[i] < '0' || text[i] > '9') return false;
      if (prev != '9') fields[++field] = 0;
      fields[field] = fields[field] * 10 + (text[i] - '0');
    } else if (text[i] != pattern[i]) {
      return false;
    }
    prev = pattern[i];
  }
  return true;
}

std::optional<EventDateTime> parse_stored(std::string_view date, std::string_view time) {
  int d[3] = {}, t[3] = {};
  if (!read_fields(date, "9999-99-99", d) || !read_fields(time, "99:99:99", t)) return std::nullopt;
  const EventDateTime when{d[0], d[1], d[2], t[0], t[1], t[2]};
  if (!valid(when)) return std::nullopt;
  return when;
}

// ---- SQLite helpers ------------------------------------------------------------------------

struct Finalize {
  void operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }
};
using Statement = std::unique_ptr<sqlite3_stmt, Finalize>;

constexpr char kColumns[] = "mesCode, EventID, mesDate, mesTime, mesEvent, mesRange, mesDetail, mesSource";

// mesCode is the rowid: ascending in insertion order, so the order of the log.
constexpr char kSchema[] = R"sql(
CREATE TABLE IF NOT EXISTS CurrentLog (
  mesCode   INTEGER PRIMARY KEY,
  EventID   INTEGER NOT NULL,
  mesDate   TEXT NOT NULL,
  mesTime   TEXT NOT NULL,
  mesEvent  TEXT NOT NULL,
  mesRange  TEXT NOT NULL,
  mesDetail TEXT NOT NULL,
  mesSource TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS GeneralLog (
  mesCode   INTEGER PRIMARY KEY,
  EventID   INTEGER NOT NULL,
  mesDate   TEXT NOT NULL,
  mesTime   TEXT NOT NULL,
  mesEvent  TEXT NOT NULL,
  mesRange  TEXT NOT NULL,
  mesDetail TEXT NOT NULL,
  mesSource TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS JVector (zJV INTEGER NOT NULL);
INSERT INTO JVector (zJV) SELECT 0 WHERE NOT EXISTS (SELECT 1 FROM JVector);
CREATE INDEX IF NOT EXISTS CurrentLogByDate ON CurrentLog (mesDate, mesTime);
CREATE INDEX IF NOT EXISTS CurrentLogByRange ON CurrentLog (mesRange, mesDate, mesTime);
CREATE INDEX IF NOT EXISTS CurrentLogByEvent ON CurrentLog (EventID);
CREATE TEMP TABLE IF NOT EXISTS FilterSources (prefix TEXT NOT NULL);
CREATE TEMP TABLE IF NOT EXISTS FilterEvents (code INTEGER NOT NULL);
)sql";

// The query helpers live in the connection's own temporary schema, which a read-only
// connection may still write.
constexpr char kTempSchema[] = R"sql(
CREATE TEMP TABLE IF NOT EXISTS FilterSources (prefix TEXT NOT NULL);
CREATE TEMP TABLE IF NOT EXISTS FilterEvents (code INTEGER NOT NULL);
)sql";

constexpr const char* kReadChecks[] = {
    "SELECT zJV FROM JVector",
    "SELECT mesCode, EventID, mesDate, mesTime, mesEvent, mesRange, mesDetail, mesSource FROM GeneralLog",
    "SELECT mesCode, EventID, mesDate, mesTime, mesEvent, mesRange, mesDetail, mesSource FROM CurrentLog",
};

constexpr char kInsertCurrent[] =
    "INSERT INTO CurrentLog (EventID, mesDate, mesTime, mesEvent, mesRange, mesDetail, mesSource) "
    "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)";
constexpr char kInsertGeneral[] =
    "INSERT INTO GeneralLog (EventID, mesDate, mesTime, mesEvent, mesRange, mesDetail, mesSource) "
    "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)";

// A transaction that rolls back unless committed.
class Transaction {
 public:
  explicit Transaction(sqlite3* db) : db_(db) {}
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;
  ~Transaction() {
    if (open_) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
  }
  bool begin(const char* sql = "BEGIN") {
    open_ = sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
    return open_;
  }
  bool commit() {
    if (sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) return false;
    open_ = false;
    return true;
  }

 private:
  sqlite3* db_;
  bool open_ = false;
};

Statement prepare(sqlite3* db, std::string_view sql) {
  sqlite3_stmt* s = nullptr;
  if (sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &s, nullptr) != SQLITE_OK) {
    sqlite3_finalize(s);
    return nullptr;
  }
  return Statement(s);
}

bool bind_text(sqlite3_stmt* s, int index, std::string_view text) {
  return sqlite3_bind_text64(s, index, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8) == SQLITE_OK;
}

bool bind_named_text(sqlite3_stmt* s, const char* name, std::string_view text) {
  return bind_text(s, sqlite3_bind_parameter_index(s, name), text);
}

// Runs a statement that returns no rows.
bool run(sqlite3_stmt* s) {
  const int rc = sqlite3_step(s);
  sqlite3_reset(s);
  return rc == SQLITE_DONE;
}

std::string_view column_text(sqlite3_stmt* s, int col) {
  const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(s, col));
  return p ? std::string_view(p, static_cast<std::size_t>(sqlite3_column_bytes(s, col))) : std::string_view();
}

Error refused(std::string text) { return Error{0, 0, std::move(text), {}}; }

std::vector<std::string> database_columns(const EventRow& row) {
  if (row.complete()) return row.columns;
  return {shell::msg(kIncompleteEventMessage), "-", "-", "-"};
}

bool valid_day(const std::chrono::year_month_day& d) {
  return d.ok() && static_cast<int>(d.year()) >= 1 && static_cast<int>(d.year()) <= 9999;
}

}  // namespace

// ---- free functions ----------------------------------------------------------------------------

void complete_row(EventRow& row) {
  if (row.complete()) return;
  for (auto& text : database_columns(row)) row.columns.push_back(std::move(text));
}

std::span<const EventCategory> category_lists() { return kCategories; }

std::string category_entry_name(const CategoryEntry& entry) {
  std::string name = shell::msg(entry.message_id);
  // Count code points: a continuation byte (10xxxxxx) never starts a character.
  std::size_t chars = 0;
  for (std::size_t i = 0; i < name.size(); ++i) {
    if ((static_cast<unsigned char>(name[i]) & 0xC0) == 0x80) continue;
    if (chars++ == kCategoryNameChars) {
      name.resize(i);
      break;
    }
  }
  return name;
}

std::size_t EventFilter::checked() const {
  return std::size_t{last_events.has_value()} + period.has_value() + partition.has_value() + sources.has_value() +
         event_ids.has_value();
}

Result<std::int64_t> parse_event_count(std::string_view text) {
  std::int64_t n = 0;
  const auto* end = text.data() + text.size();
  const auto [stop, ec] = std::from_chars(text.data(), end, n);
  const bool digits_only = !text.empty() && text.front() != '-' && text.front() != '+';
  if (!digits_only || ec != std::errc{} || stop != end || n < 1)
    return fail("Неверное количество событий «" + std::string(text) + "»: нужно целое число от 1");
  return n;
}

// ---- the database ------------------------------------------------------------------------------

void EventDatabase::Close::operator()(sqlite3* db) const { sqlite3_close_v2(db); }

fs::path EventDatabase::file_in(const fs::path& data_folder) { return data_folder / "Report" / "meslog.db"; }

Result<EventDatabase> EventDatabase::open(const fs::path& data_folder) { return open_file(file_in(data_folder)); }

Result<EventDatabase> EventDatabase::open_file(const fs::path& file) {
  std::error_code ec;
  if (file.has_parent_path()) fs::create_directories(file.parent_path(), ec);
  if (ec) return fail("Не удалось создать папку " + file.parent_path().string() + ": " + ec.message());

  sqlite3* raw = nullptr;
  const int rc = sqlite3_open_v2(file.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  EventDatabase db(std::unique_ptr<sqlite3, Close>(raw), file);
  if (rc != SQLITE_OK) return fail(db.failure("Не удалось открыть базу событий"));
  // Another instance storing a log at the same moment is waited for, not failed.
  sqlite3_busy_timeout(raw, 5000);

  {
    Transaction schema(raw);
    if (!schema.begin("BEGIN IMMEDIATE") || sqlite3_exec(raw, kSchema, nullptr, nullptr, nullptr) != SQLITE_OK ||
        !schema.commit())
      return fail(db.failure("Не удалось открыть базу событий"));
  }
  // A file of the same name made by something else may lack our fields: find out now.
  for (const char* sql : {kInsertCurrent, kInsertGeneral}) {
    if (!prepare(raw, sql)) return fail(db.failure("Не удалось открыть базу событий"));
  }
  for (const char* sql : kReadChecks) {
    if (!prepare(raw, sql)) return fail(db.failure("Не удалось открыть базу событий"));
  }
  return db;
}

Result<EventDatabase> EventDatabase::open_for_reading(const fs::path& file) {
  std::error_code ec;
  if (!fs::exists(file, ec))
    return fail("Не удалось открыть базу событий " + file.string() + ": её ещё нет (журнал не считывался и не импортировался)");
  sqlite3* raw = nullptr;
  const int rc = sqlite3_open_v2(file.c_str(), &raw, SQLITE_OPEN_READONLY, nullptr);
  EventDatabase db(std::unique_ptr<sqlite3, Close>(raw), file);
  if (rc != SQLITE_OK) return fail(db.failure("Не удалось открыть базу событий"));
  sqlite3_busy_timeout(raw, 5000);
  if (sqlite3_exec(raw, kTempSchema, nullptr, nullptr, nullptr) != SQLITE_OK)
    return fail(db.failure("Не удалось открыть базу событий"));
  for (const char* sql : kReadChecks) {
    if (!prepare(raw, sql)) return fail(db.failure("Не удалось открыть базу событий"));
  }
  return db;
}

Error EventDatabase::failure(std::string_view what) const {
  const char* why = db_ ? sqlite3_errmsg(db_.get()) : "out of memory";
  return refused(std::string(what) + " " + file_.string() + ": " + why);
}

Result<> EventDatabase::insert_rows(const char* insert_sql, const std::vector<EventRow>& rows, bool replace) {
  // Every row is checked before the first is written.
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (!valid(rows[i].when))
      return fail("Не удалось сохранить журнал в базу событий " + file_.string() + ": строка " +
                  std::to_string(i + 1) + " — неверная дата или время события");
  }
  const auto failed = [&] { return fail(failure("Не удалось сохранить журнал в базу событий")); };
  sqlite3* db = db_.get();
  Transaction tx(db);
  // IMMEDIATE: take the write lock now rather than fail half-way on a busy file.
  if (!tx.begin("BEGIN IMMEDIATE")) return failed();
  if (replace && sqlite3_exec(db, "DELETE FROM CurrentLog", nullptr, nullptr, nullptr) != SQLITE_OK) return failed();
  const auto insert = prepare(db, insert_sql);
  if (!insert) return failed();
  sqlite3_stmt* s = insert.get();
  for (const auto& row : rows) {
    const auto texts = database_columns(row);
    sqlite3_clear_bindings(s);
    if (sqlite3_bind_int64(s, 1, row.event_id) != SQLITE_OK ||
        !bind_text(s, 2, iso_date(row.when.year, row.when.month, row.when.day)) ||
        !bind_text(s, 3, iso_time(row.when)) || !bind_text(s, 4, texts[0]) || !bind_text(s, 5, texts[1]) ||
        !bind_text(s, 6, texts[2]) || !bind_text(s, 7, texts[3]) || !run(s))
      return failed();
  }
  if (!tx.commit()) return failed();
  return {};
}

Result<> EventDatabase::store_rows(const std::vector<EventRow>& rows) { return insert_rows(kInsertCurrent, rows, true); }

Result<> EventDatabase::append_general_log(const std::vector<EventRow>& rows) {
  return insert_rows(kInsertGeneral, rows, false);
}

Result<std::size_t> EventDatabase::row_count() {
  const auto s = prepare(db_.get(), "SELECT count(*) FROM CurrentLog");
  if (!s || sqlite3_step(s.get()) != SQLITE_ROW) return fail(failure("Не удалось выполнить запрос к базе событий"));
  return static_cast<std::size_t>(sqlite3_column_int64(s.get(), 0));
}

Result<std::int64_t> EventDatabase::journal_vector() {
  const auto s = prepare(db_.get(), "SELECT zJV FROM JVector");
  if (!s) return fail(failure("Не удалось выполнить запрос к базе событий"));
  const int rc = sqlite3_step(s.get());
  if (rc == SQLITE_DONE) return 0;  // a table emptied by hand: nothing stored yet
  if (rc != SQLITE_ROW) return fail(failure("Не удалось выполнить запрос к базе событий"));
  return sqlite3_column_int64(s.get(), 0);
}

Result<> EventDatabase::set_journal_vector(std::int64_t value) {
  const auto failed = [&] { return fail(failure("Не удалось сохранить вектор журнала в базу событий")); };
  sqlite3* db = db_.get();
  Transaction tx(db);
  if (!tx.begin("BEGIN IMMEDIATE")) return failed();
  const auto update = prepare(db, "UPDATE JVector SET zJV = ?1");
  if (!update || sqlite3_bind_int64(update.get(), 1, value) != SQLITE_OK || !run(update.get())) return failed();
  if (sqlite3_changes(db) == 0) {
    const auto insert = prepare(db, "INSERT INTO JVector (zJV) VALUES (?1)");
    if (!insert || sqlite3_bind_int64(insert.get(), 1, value) != SQLITE_OK || !run(insert.get())) return failed();
  }
  if (!tx.commit()) return failed();
  return {};
}

Result<std::vector<EventRow>> EventDatabase::query(const EventFilter& filter, const char* order) {
  if (filter.last_events && *filter.last_events < 1)
    return fail("Неверное количество событий " + std::to_string(*filter.last_events) + ": нужно целое число от 1");
  if (filter.period) {
    if (!valid_day(filter.period->first) || !valid_day(filter.period->last))
      return fail("Неверная дата в периоде отбора");
    if (filter.period->first > filter.period->last) return fail(Error{0, 15140, shell::msg(15140), {}});
  }
  if (filter.sources && filter.sources->empty()) return fail("Не выбран ни один адрес источника");
  if (filter.event_ids && filter.event_ids->empty()) return fail("Не выбрано ни одно событие категории");

  // Only fixed fragments are joined here; every value goes in through a parameter.
  std::string sql = "SELECT ";
  sql += kColumns;
  sql += filter.last_events ? " FROM (SELECT * FROM CurrentLog ORDER BY mesCode DESC LIMIT :count)" : " FROM CurrentLog";
  std::string where;
  const auto condition = [&where](const char* c) {
    where += where.empty() ? " WHERE " : " AND ";
    where += c;
  };
  if (filter.period) condition("mesDate >= :first AND mesDate <= :last");
  if (filter.partition) condition("mesRange = :range");
  if (filter.sources)
    condition("EXISTS (SELECT 1 FROM temp.FilterSources WHERE substr(mesSource, 1, length(prefix)) = prefix)");
  if (filter.event_ids) condition("EventID IN (SELECT code FROM temp.FilterEvents)");
  sql += where;
  sql += " ORDER BY ";
  sql += order;

  const auto failed = [&] { return fail(failure("Не удалось выполнить запрос к базе событий")); };
  sqlite3* db = db_.get();
  Transaction tx(db);
  if (!tx.begin()) return failed();

  if (filter.sources) {
    if (sqlite3_exec(db, "DELETE FROM temp.FilterSources", nullptr, nullptr, nullptr) != SQLITE_OK) return failed();
    const auto add = prepare(db, "INSERT INTO temp.FilterSources (prefix) VALUES (?1)");
    if (!add) return failed();
    for (const auto& prefix : *filter.sources)
      if (!bind_text(add.get(), 1, prefix) || !run(add.get())) return failed();
  }
  if (filter.event_ids) {
    if (sqlite3_exec(db, "DELETE FROM temp.FilterEvents", nullptr, nullptr, nullptr) != SQLITE_OK) return failed();
    const auto add = prepare(db, "INSERT INTO temp.FilterEvents (code) VALUES (?1)");
    if (!add) return failed();
    for (const auto code : *filter.event_ids)
      if (sqlite3_bind_int64(add.get(), 1, code) != SQLITE_OK || !run(add.get())) return failed();
  }

  const auto select = prepare(db, sql);
  if (!select) return failed();
  sqlite3_stmt* s = select.get();
  if (filter.last_events && sqlite3_bind_int64(s, sqlite3_bind_parameter_index(s, ":count"), *filter.last_events) != SQLITE_OK)
    return failed();
  if (filter.period && (!bind_named_text(s, ":first", iso_date(filter.period->first)) ||
                        !bind_named_text(s, ":last", iso_date(filter.period->last))))
    return failed();
  if (filter.partition && !bind_named_text(s, ":range", *filter.partition)) return failed();

  std::vector<EventRow> rows;
  int rc = SQLITE_ROW;
  while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
    const auto code = sqlite3_column_int64(s, 0);
    const auto id = sqlite3_column_int64(s, 1);
    const auto when = parse_stored(column_text(s, 2), column_text(s, 3));
    if (!when || id < 0 || id > std::numeric_limits<std::uint32_t>::max())
      return fail("База событий " + file_.string() + " повреждена: неверная запись mesCode " + std::to_string(code));
    EventRow row;
    row.number = static_cast<std::uint32_t>(rows.size() + 1);
    row.event_id = static_cast<std::uint32_t>(id);
    row.when = *when;
    row.date_time = list_date_time(*when);
    row.columns.reserve(4);
    for (int col = 4; col < 8; ++col) row.columns.emplace_back(column_text(s, col));
    rows.push_back(std::move(row));
  }
  if (rc != SQLITE_DONE) return failed();
  if (!tx.commit()) return failed();
  return rows;
}

namespace {
constexpr char kByCode[] = "mesCode";
// Equal moments keep the log's order.
constexpr char kByMoment[] = "mesDate, mesTime, mesCode";
}  // namespace

Result<std::vector<EventRow>> EventDatabase::show_all() { return query({}, kByCode); }

Result<std::vector<EventRow>> EventDatabase::last_events(std::int64_t count) {
  EventFilter f;
  f.last_events = count;
  return query(f, kByCode);
}

Result<std::vector<EventRow>> EventDatabase::by_period(const DatePeriod& period) {
  EventFilter f;
  f.period = period;
  return query(f, kByMoment);
}

Result<std::vector<EventRow>> EventDatabase::by_partition(std::string_view name) {
  EventFilter f;
  f.partition = std::string(name);
  return query(f, kByMoment);
}

Result<std::vector<EventRow>> EventDatabase::by_sources(const std::vector<std::string>& prefixes) {
  EventFilter f;
  f.sources = prefixes;
  return query(f, kByCode);
}

Result<std::vector<EventRow>> EventDatabase::by_event_ids(const std::vector<std::uint32_t>& codes) {
  EventFilter f;
  f.event_ids = codes;
  return query(f, kByCode);
}

Result<std::vector<EventRow>> EventDatabase::combined(const EventFilter& filter) { return query(filter, kByCode); }

Result<std::vector<EventRow>> EventDatabase::run_filter(const EventFilter& filter) {
  const auto n = filter.checked();
  if (n == 0) return fail("Не выбран ни один фильтр");
  if (n > 1) return combined(filter);
  // A single item keeps its own query's order: dates and partitions by moment.
  return query(filter, filter.period || filter.partition ? kByMoment : kByCode);
}

}  // namespace vq::eventlog
