// Reading a full journal of 9,900 records from the virtual panel without protocol waits.
#include <benchmark/benchmark.h>

#include "eventlog/journal_reader.hpp"
#include "sim/demo_journal.hpp"
#include "sim/sim_endpoint.hpp"

using namespace vq;

namespace {

void BM_ReadFullJournal_InProcess(benchmark::State& state) {
  auto panel = std::make_shared<sim::VirtualPanel>();
  sim::load_demo_journal(*panel, 9900);
  link::DeviceLink usb(std::make_shared<sim::SimEndpoint>(panel));
  link::NoPacing pacing;
  link::Session s{usb, pacing, nullptr};
  for (auto _ : state) {
    auto r = eventlog::read_journal(s);
    if (!r || r->journal.record_count() != 9900) state.SkipWithError("read failed");
    benchmark::DoNotOptimize(r);
  }
}

}  // namespace

BENCHMARK(BM_ReadFullJournal_InProcess)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_MAIN();
