// The event database with a full journal of 9,900 rows (what the test fill writes): replacing
// the current log, and every query of the filter dialog on it.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "eventlog/event_database.hpp"

using namespace vq::eventlog;
namespace fs = std::filesystem;

namespace {

constexpr std::size_t kRows = 9900;

// Rows spread over 30 days, 12 partitions, 40 sources and the codes of every category.
std::vector<EventRow> full_log() {
  std::vector<std::uint32_t> codes;
  for (const auto& c : category_lists())
    for (const auto& e : c.entries) codes.push_back(e.code);
  std::vector<EventRow> rows(kRows);
  for (std::size_t i = 0; i < kRows; ++i) {
    auto& r = rows[i];
    r.number = static_cast<std::uint32_t>(i + 1);
    r.event_id = codes[i % codes.size()];
    const int s = static_cast<int>(i * 263);  // a few minutes apart, wrapping over the days
    r.when = {2024, 3, 1 + static_cast<int>(i % 30), s / 3600 % 24, s / 60 % 60, s % 60};
    if (i % 500 == 7) continue;  // now and then an incomplete row
    r.columns = {"Неисправность", "раздел" + std::to_string(i % 12 + 1), "Шлейф " + std::to_string(i % 8),
                 "ИК#" + std::to_string(100 + i % 40) + (i % 3 ? "/2" : "")};
  }
  return rows;
}

class Folder {
 public:
  Folder() : path_(fs::temp_directory_path() / ("vq_db_bench_" + std::to_string(::getpid()))) {
    fs::remove_all(path_);
  }
  Folder(const Folder&) = delete;
  Folder& operator=(const Folder&) = delete;
  ~Folder() { fs::remove_all(path_); }
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

void BM_StoreRows9900(benchmark::State& state) {
  Folder folder;
  auto db = EventDatabase::open(folder.path());
  if (!db) return state.SkipWithError(db.error().text.c_str());
  const auto rows = full_log();
  for (auto _ : state)
    if (!db->store_rows(rows)) state.SkipWithError("store failed");
  state.counters["rows"] = kRows;
}

using Query = vq::Result<std::vector<EventRow>> (*)(EventDatabase&);

void run_query(benchmark::State& state, Query query) {
  Folder folder;
  auto db = EventDatabase::open(folder.path());
  if (!db) return state.SkipWithError(db.error().text.c_str());
  if (!db->store_rows(full_log())) return state.SkipWithError("store failed");
  std::size_t found = 0;
  for (auto _ : state) {
    auto r = query(*db);
    if (!r) return state.SkipWithError(r.error().text.c_str());
    found = r->size();
    benchmark::DoNotOptimize(r);
  }
  state.counters["rows_found"] = static_cast<double>(found);
}

std::chrono::year_month_day march(unsigned d) {
  return std::chrono::year{2024} / std::chrono::March / std::chrono::day{d};
}

std::vector<std::uint32_t> codes_of(std::size_t category) {
  std::vector<std::uint32_t> out;
  for (const auto& e : category_lists()[category].entries) out.push_back(e.code);
  return out;
}

}  // namespace

BENCHMARK(BM_StoreRows9900)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(run_query, ShowAll, [](EventDatabase& d) { return d.show_all(); })
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(run_query, Last1000, [](EventDatabase& d) { return d.last_events(1000); })
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(run_query, Period7Days, [](EventDatabase& d) { return d.by_period({march(10), march(16)}); })
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(run_query, Partition, [](EventDatabase& d) { return d.by_partition("раздел5"); })
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(run_query, ThreeSources,
                  [](EventDatabase& d) { return d.by_sources({"ИК#101", "ИК#120", "ИК#139"}); })
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(run_query, InformationalCategory, [](EventDatabase& d) { return d.by_event_ids(codes_of(3)); })
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(run_query, CombinedAllFive,
                  [](EventDatabase& d) {
                    EventFilter f;
                    f.last_events = 5000;
                    f.period = DatePeriod{march(5), march(25)};
                    f.partition = "раздел5";
                    f.sources = std::vector<std::string>{"ИК#1"};
                    f.event_ids = codes_of(2);
                    return d.combined(f);
                  })
    ->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
