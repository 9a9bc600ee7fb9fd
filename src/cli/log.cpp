// `vantorq-cli log`: the panel's event log, its .rpt files, the local database and exports.
#include <cstdio>

#include "cli/commands.hpp"
#include "cli/terminal_progress.hpp"
#include "eventlog/csv_export.hpp"
#include "eventlog/decoder.hpp"
#include "eventlog/event_database.hpp"
#include "eventlog/export.hpp"
#include "eventlog/html_export.hpp"
#include "eventlog/journal_reader.hpp"
#include "eventlog/log_file.hpp"
#include "eventlog/xlsx_export.hpp"
#include "shell/data_folders.hpp"
#include "shell/messages.hpp"
#include "util/terminal_text.hpp"

namespace vq::cli {
namespace {

using eventlog::EventRow;

struct LogOptions {
  std::string output, input;
  bool csv = false;
  std::string db;
  std::optional<std::int64_t> last;
  std::string from, to;
  std::optional<std::string> partition;
  std::vector<std::string> sources;
  std::vector<std::uint32_t> event_ids;
  std::string html, xlsx, csv_out;
  std::string code_word;
  bool open = false;
  bool yes = false;
};

struct LoadedLog {
  eventlog::Journal journal;
  memory::IdentifiedDevice device;
  std::vector<EventRow> rows;
};

// A .rpt file or the older INI journal, told by content; any other file is refused.
Result<LoadedLog> load_log(const std::string& path) {
  auto file = eventlog::open_journal_file(path);
  if (!file) return std::unexpected(file.error());
  LoadedLog out{std::move(file->journal), file->device, {}};
  out.rows = eventlog::decode_journal(out.journal, eventlog::parse_companions(out.journal));
  return out;
}

// Decoded texts come from panel or file bytes: nothing in them may steer the terminal.
std::vector<EventRow> printable(std::vector<EventRow> rows) {
  for (auto& r : rows) {
    r.date_time = terminal_safe(r.date_time);
    for (auto& c : r.columns) c = terminal_safe(c);
  }
  return rows;
}

Result<eventlog::EventDatabase> open_database(const GlobalOptions& g, const std::string& db) {
  if (!db.empty()) return eventlog::EventDatabase::open_file(db);
  const auto dir = shell::resolve_data_dir(g.data_dir);
  return eventlog::EventDatabase::open(dir);
}

// Aligned columns for a terminal; widths in characters, not bytes.
void print_table(const std::vector<EventRow>& rows) {
  auto width = [](const std::string& s) {
    std::size_t n = 0;
    for (unsigned char c : s) n += (c & 0xC0) != 0x80;
    return n;
  };
  const std::vector<std::string> head = {"#", "EventID", "Дата/Время", "Событие", "Область действия",
                                         "Детализация события", "Источник события"};
  std::vector<std::vector<std::string>> cells;
  cells.push_back(head);
  for (const auto& r : rows) {
    std::vector<std::string> line = {std::to_string(r.number), std::to_string(r.event_id), r.date_time};
    for (const auto& c : eventlog::stored_columns(r)) line.push_back(c);
    cells.push_back(std::move(line));
  }
  std::vector<std::size_t> w(head.size(), 0);
  for (const auto& line : cells)
    for (std::size_t i = 0; i < line.size(); ++i) w[i] = std::max(w[i], width(line[i]));
  for (const auto& line : cells) {
    std::string out;
    for (std::size_t i = 0; i < line.size(); ++i) {
      out += line[i];
      if (i + 1 < line.size()) out += std::string(w[i] - width(line[i]) + 2, ' ');
    }
    std::printf("%s\n", out.c_str());
  }
}

void print_rows(const std::vector<EventRow>& decoded, bool csv) {
  const auto rows = printable(decoded);
  if (csv) {
    const std::string text = eventlog::csv_text(rows);
    std::fwrite(text.data(), 1, text.size(), stdout);
  } else {
    print_table(rows);
  }
}

Result<std::chrono::year_month_day> parse_day(const std::string& text) {
  int y = 0;
  unsigned m = 0, d = 0;
  char tail = 0;
  if (std::sscanf(text.c_str(), "%d-%u-%u%c", &y, &m, &d, &tail) == 3) {
    const std::chrono::year_month_day day{std::chrono::year{y}, std::chrono::month{m}, std::chrono::day{d}};
    if (day.ok()) return day;
  }
  return fail("Дата должна иметь вид ГГГГ-ММ-ДД: " + text);
}

int log_read(const GlobalOptions& g, const LogOptions& o) {
  if (auto r = check_output_target(o.output, "файл журнала"); !r) return report_failure(r.error());
  auto ctx = Context::open(g);
  if (!ctx) return report_failure(ctx.error());
  auto& s = (*ctx)->session();
  TerminalProgress progress;
  auto read = eventlog::read_journal(s, &progress);
  if (!read) return report_failure(read.error());
  for (const auto& w : read->warnings) std::fprintf(stderr, "%s\n", terminal_safe(w).c_str());
  const memory::IdentifiedDevice device{read->device.device_type, read->device.platform,
                                        {read->device.version[0], read->device.version[1], read->device.version[2]},
                                        0};
  if (auto r = eventlog::save_log_file(read->journal, device, o.output); !r) return report_failure(r.error());
  const auto rows = eventlog::decode_journal(read->journal, read->companions);
  auto db = open_database(g, o.db);
  if (!db) return report_failure(db.error());
  if (auto r = db->store_rows(rows); !r) return report_failure(r.error());
  progress.finish();
  std::fprintf(summary_stream(o.output), "%s\nСобытий: %zu. Журнал сохранён в %s, база: %s\n",
               terminal_safe(link::identification_line(read->device)).c_str(), rows.size(),
               terminal_safe(output_name(o.output)).c_str(), terminal_safe(db->file().string()).c_str());
  return 0;
}

int log_show(const LogOptions& o) {
  auto log = load_log(o.input);
  if (!log) return report_failure(log.error());
  print_rows(log->rows, o.csv);
  return 0;
}

int log_import(const GlobalOptions& g, const LogOptions& o) {
  auto log = load_log(o.input);
  if (!log) return report_failure(log.error());
  // Storing replaces the whole current log: an empty journal would only wipe it.
  if (log->rows.empty())
    return report_failure(Error{0, 0,
                                "В файле журнала " + terminal_safe(o.input) +
                                    " нет ни одного события; база событий не изменена",
                                {}});
  auto db = open_database(g, o.db);
  if (!db) return report_failure(db.error());
  if (auto r = db->store_rows(log->rows); !r) return report_failure(r.error());
  std::printf("Событий: %zu, база: %s\n", log->rows.size(), terminal_safe(db->file().string()).c_str());
  return 0;
}

int log_query(const GlobalOptions& g, const LogOptions& o) {
  eventlog::EventFilter filter;
  if (o.last) {
    if (*o.last < 1) return report_failure(Error{0, 0, "Количество событий должно быть не меньше 1", {}});
    filter.last_events = o.last;
  }
  if (!o.from.empty() || !o.to.empty()) {
    if (o.from.empty() || o.to.empty()) return report_failure(Error{0, 0, "Период задаётся парой --from и --to", {}});
    auto first = parse_day(o.from);
    if (!first) return report_failure(first.error());
    auto last = parse_day(o.to);
    if (!last) return report_failure(last.error());
    if (std::chrono::sys_days(*first) > std::chrono::sys_days(*last))
      return report_failure(Error{0, 15140, "Ошибка ввода! Начальная дата больше конечной!", {}});
    filter.period = eventlog::DatePeriod{*first, *last};
  }
  if (o.partition) filter.partition = o.partition;
  if (!o.sources.empty()) filter.sources = o.sources;
  if (!o.event_ids.empty()) filter.event_ids = o.event_ids;

  // A query only reads: a database the user may not write is still one they may ask.
  const auto file = o.db.empty() ? eventlog::EventDatabase::file_in(shell::resolve_data_dir(g.data_dir))
                                 : std::filesystem::path(o.db);
  auto db = eventlog::EventDatabase::open_for_reading(file);
  if (!db) return report_failure(db.error());
  auto rows = filter.checked() == 0 ? db->show_all() : db->run_filter(filter);
  if (!rows) return report_failure(rows.error());
  if (rows->empty()) std::fprintf(stderr, "%s\n", shell::msg(15264).c_str());
  print_rows(*rows, o.csv);
  return 0;
}

int log_export(const LogOptions& o) {
  auto log = load_log(o.input);
  if (!log) return report_failure(log.error());
  if (is_standard_output(o.xlsx) && is_standard_output(o.csv_out))
    return report_failure(Error{0, 0, "В стандартный вывод можно направить только одну выгрузку: --xlsx - или --csv -", {}});
  if (!o.html.empty()) {
    auto page = eventlog::write_html_report(log->rows, o.html);
    if (!page) return report_failure(page.error());
    std::printf("%s\n", terminal_safe(page->string()).c_str());
    if (o.open)
      if (auto r = eventlog::open_with_desktop(*page); !r) std::fprintf(stderr, "%s\n", r.error().full().c_str());
  }
  if (!o.xlsx.empty()) {
    if (auto r = eventlog::write_xlsx(log->rows, o.xlsx); !r) return report_failure(r.error());
    std::fprintf(summary_stream(o.xlsx), "%s\n", terminal_safe(output_name(o.xlsx)).c_str());
    if (o.open && !is_standard_output(o.xlsx))
      if (auto r = eventlog::open_with_desktop(o.xlsx); !r) std::fprintf(stderr, "%s\n", r.error().full().c_str());
  }
  if (!o.csv_out.empty()) {
    if (auto r = eventlog::write_csv(log->rows, o.csv_out); !r) return report_failure(r.error());
    std::fprintf(summary_stream(o.csv_out), "%s\n", terminal_safe(output_name(o.csv_out)).c_str());
  }
  return 0;
}

int log_fill_test(const GlobalOptions& g, const LogOptions& o) {
  auto ctx = Context::open(g);
  if (!ctx) return report_failure(ctx.error());
  auto& s = (*ctx)->session();
  TerminalProgress progress(false);  // a started fill runs to its end
  auto found = link::connect_panel(s, link::SearchKind::byte_wise, &progress);
  if (!found) return report_failure(found.error());
  const std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  const eventlog::FillDate today{tm.tm_mday, tm.tm_mon + 1, tm.tm_year % 100};
  if (auto r = eventlog::fill_test_journal(s, o.code_word, today, &progress); !r) return report_failure(r.error());
  progress.finish();
  std::printf("Запись журнала выполнена!\n");
  return 0;
}

int log_erase(const GlobalOptions& g, const LogOptions& o) {
  if (!o.yes)
    return report_failure(Error{0, 0, "Стирание всего журнала прибора нужно подтвердить ключом --yes", {}});
  auto ctx = Context::open(g);
  if (!ctx) return report_failure(ctx.error());
  auto& s = (*ctx)->session();
  TerminalProgress progress(false);  // a started erase runs to its end
  auto found = link::connect_panel(s, link::SearchKind::byte_wise, &progress);
  if (!found) return report_failure(found.error());
  if (auto r = eventlog::erase_journal(s, o.code_word, &progress); !r) return report_failure(r.error());
  progress.finish();
  std::printf("Журнал событий прибора стёрт.\n");
  return 0;
}

}  // namespace

void add_log_command(CLI::App& app, const GlobalOptions& g, Action& action) {
  auto* log = app.add_subcommand("log", "The panel's event log, .rpt files, the local database and exports");
  log->require_subcommand(1);
  static LogOptions o;
  auto db_option = [](CLI::App* cmd) {
    cmd->add_option("--db", o.db, "Database file (default: Report/meslog.db in the data folder)");
  };

  auto* read = log->add_subcommand("read", "Read the event log from the panel, save it and store it in the database");
  read->add_option("-o,--output", o.output, "Log file to write (.rpt); - for standard output")->required();
  db_option(read);
  read->callback([&g, &action] { action = [&g] { return log_read(g, o); }; });

  auto* show = log->add_subcommand("show", "Print the decoded events of a log file");
  show->add_option("file", o.input, "Log file (.rpt, or the older INI journal)")->required();
  show->add_flag("--csv", o.csv, "CSV instead of an aligned table");
  show->callback([&action] { action = [] { return log_show(o); }; });

  auto* import = log->add_subcommand("import", "Store the events of a log file in the database");
  import->add_option("file", o.input, "Log file")->required();
  db_option(import);
  import->callback([&g, &action] { action = [&g] { return log_import(g, o); }; });

  auto* query = log->add_subcommand("query", "Events from the database; several filters combine");
  db_option(query);
  query->add_option("--last", o.last, "The last N events");
  query->add_option("--from", o.from, "First day, YYYY-MM-DD");
  query->add_option("--to", o.to, "Last day, YYYY-MM-DD");
  query->add_option("--partition", o.partition, "Range (partition name) equal to NAME");
  query->add_option("--source", o.sources, "Source starting with PREFIX; repeatable");
  query->add_option("--event-id", o.event_ids, "Event code; repeatable");
  query->add_flag("--csv", o.csv, "CSV instead of an aligned table");
  query->callback([&g, &action] { action = [&g] { return log_query(g, o); }; });

  auto* exp = log->add_subcommand("export", "Write a log file's events as HTML, a workbook or CSV");
  exp->add_option("file", o.input, "Log file")->required();
  auto* html = exp->add_option("--html", o.html, "Folder for the HTML page (named by the date and time)");
  auto* xlsx = exp->add_option("--xlsx", o.xlsx, "Workbook to write (.xlsx); - for standard output");
  auto* csv = exp->add_option("--csv", o.csv_out, "CSV file to write; - for standard output");
  exp->add_flag("--open", o.open, "Open the page or workbook with the desktop's default application");
  exp->callback([&action, html, xlsx, csv] {
    if (html->count() + xlsx->count() + csv->count() == 0)
      throw CLI::ValidationError("export", "one of --html, --xlsx or --csv is needed");
    action = [] { return log_export(o); };
  });

  auto* fill = log->add_subcommand("fill-test", "Fill the panel's journal with 9,900 test events");
  fill->add_option("--code-word", o.code_word, "The service code word")->required();
  fill->callback([&g, &action] { action = [&g] { return log_fill_test(g, o); }; });

  auto* erase = log->add_subcommand("erase", "Erase the panel's journal (the places the test fill writes)");
  erase->add_option("--code-word", o.code_word, "The service code word")->required();
  erase->add_flag("--yes", o.yes, "Confirm: the erased events cannot be restored");
  erase->callback([&g, &action] { action = [&g] { return log_erase(g, o); }; });
}

}  // namespace vq::cli
