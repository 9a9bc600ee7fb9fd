// Decoding a full journal: 9,900 records of many event groups against 96 named partitions.
#include <benchmark/benchmark.h>

#include <array>
#include <memory>
#include <string>

#include "eventlog/decoder.hpp"

using namespace vq;
using namespace vq::eventlog;

namespace {

constexpr std::size_t kRecords = 9900;

// group, subcode, B2, B3, B4, B9: one of each kind of source and condition.
constexpr std::array<std::array<std::uint8_t, 6>, 24> kKinds = {{
    {51, 0, 0, 0, 0, 0},    {51, 17, 0, 7, 0, 2},   {51, 36, 3, 0, 5, 0},   {51, 55, 2, 0, 0, 0},
    {51, 83, 1, 0, 0, 9},   {51, 112, 0, 0, 2, 0},  {51, 132, 0, 2, 0, 226}, {19, 0, 0, 0, 0, 0},
    {19, 6, 0, 0, 0, 2},    {19, 36, 3, 0, 0x83, 0}, {19, 83, 2, 0, 0, 7},   {19, 84, 0, 0, 0, 0},
    {19, 129, 0, 4, 0, 31}, {17, 16, 0, 7, 2, 4},   {17, 32, 44, 1, 0, 7},  {17, 48, 0, 0, 1, 0},
    {52, 2, 7, 0, 0x25, 0}, {52, 49, 12, 0, 0x1F, 0}, {20, 18, 0, 5, 0, 0}, {20, 99, 3, 0, 0x11, 0},
    {21, 49, 1, 0, 0x05, 0}, {22, 4, 0, 3, 0, 2},   {22, 24, 2, 0, 0, 1},   {7, 99, 0, 0, 0, 0},
}};

std::uint8_t bcd(unsigned v) { return static_cast<std::uint8_t>(v / 10 * 16 + v % 10); }

Journal bench_journal() {
  Journal j;
  for (auto& image : j.images) image = std::make_unique<memory::TMemoryBlock>(0, 0);
  j.images[static_cast<std::size_t>(JournalTable::event_log)] =
      std::make_unique<memory::TMemoryBlock>(0x112E00, static_cast<std::uint32_t>(kRecords * kRecordSize));
  auto log = j.image(JournalTable::event_log).data();
  for (std::size_t n = 0; n < kRecords; ++n) {
    const auto& k = kKinds[n % kKinds.size()];
    auto r = log.subspan(n * kRecordSize, kRecordSize);
    r[0] = k[1], r[1] = k[0], r[2] = k[2], r[3] = k[3], r[4] = k[4], r[9] = k[5];
    put_u16(r, 7, static_cast<std::uint16_t>(n % 97));  // partition 0 now and then
    const unsigned s = static_cast<unsigned>(n);
    r[10] = bcd(s % 60), r[11] = bcd(s / 60 % 60), r[12] = bcd(s / 3600 % 24);
    r[13] = bcd(1 + s % 28), r[14] = bcd(1 + s % 12), r[15] = bcd(26);
  }
  return j;
}

Companions bench_companions() {
  Companions c;
  for (int p = 1; p <= 96; ++p) {
    c.partition_names.push_back(p % 3 == 0 ? "Office Room " + std::to_string(p) : p % 3 == 1 ? "раздел" : "комната  1");
    c.partition_types.push_back(static_cast<std::uint8_t>(p % 6));
  }
  c.modules = {{2, 517}, {3, 526}, {4, 518}, {5, 6172}};
  return c;
}

void BM_DecodeJournal(benchmark::State& state) {
  const Journal journal = bench_journal();
  const Companions companions = bench_companions();
  for (auto _ : state) {
    auto rows = decode_journal(journal, companions);
    benchmark::DoNotOptimize(rows.data());
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kRecords));
  state.counters["records"] = static_cast<double>(kRecords);
}
BENCHMARK(BM_DecodeJournal)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
