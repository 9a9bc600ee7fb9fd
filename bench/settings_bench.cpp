// Read-all and write-all of the whole configuration against the virtual panel without
// protocol waits, in-process and over the Unix-socket bridge; and our own time beside the
// waits a real panel needs (recorded, not slept).
#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include <unistd.h>

#include "link/bridge_transport.hpp"
#include "memory/configuration.hpp"
#include "settings/full_transfer.hpp"
#include "sim/sim_endpoint.hpp"
#include "support/bridge_server_thread.hpp"

using namespace vq;

namespace {

void read_write(benchmark::State& state, link::DeviceLink& usb, link::Pacing& pacing) {
  link::Session s{usb, pacing, nullptr};
  memory::Configuration config;
  for (auto _ : state) {
    if (!settings::read_all(s, config)) state.SkipWithError("read-all failed");
    if (!settings::write_all(s, config)) state.SkipWithError("write-all failed");
  }
}

void BM_ReadAllWriteAll_InProcess(benchmark::State& state) {
  auto panel = std::make_shared<sim::VirtualPanel>();
  link::DeviceLink usb(std::make_shared<sim::SimEndpoint>(panel));
  link::NoPacing pacing;
  read_write(state, usb, pacing);
}

void BM_ReadAllWriteAll_UnixBridge(benchmark::State& state) {
  sim::VirtualPanel panel;
  test::BridgeServerThread server(panel);
  auto endpoint = link::BridgeEndpoint::open(server.uri());
  link::DeviceLink usb(std::shared_ptr<link::Endpoint>(std::move(*endpoint)));
  link::NoPacing pacing;
  read_write(state, usb, pacing);
}

// Our time per operation next to the fixed waits the real panel gets with pacing panel.
void overhead(benchmark::State& state, bool write) {
  auto panel = std::make_shared<sim::VirtualPanel>();
  link::DeviceLink usb(std::make_shared<sim::SimEndpoint>(panel));
  link::RecordingPacing pacing;
  link::Session s{usb, pacing, nullptr};
  memory::Configuration config;
  double waits_ms = 0, ours_ms = 0;
  for (auto _ : state) {
    pacing.waits.clear();
    const auto t0 = std::chrono::steady_clock::now();
    auto r = write ? settings::write_all(s, config) : settings::read_all(s, config);
    ours_ms += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
    if (!r) state.SkipWithError("transfer failed");
    waits_ms = static_cast<double>(pacing.total().count());
  }
  const double per_op = state.iterations() ? ours_ms / static_cast<double>(state.iterations()) : 0;
  state.counters["waits_ms"] = waits_ms;
  state.counters["overhead_pct"] = waits_ms > 0 ? 100.0 * per_op / waits_ms : 0;
}

void BM_ReadAll_OverheadBesideWaits(benchmark::State& state) { overhead(state, false); }
void BM_WriteAll_OverheadBesideWaits(benchmark::State& state) { overhead(state, true); }

}  // namespace

BENCHMARK(BM_ReadAllWriteAll_InProcess)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReadAllWriteAll_UnixBridge)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReadAll_OverheadBesideWaits)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_WriteAll_OverheadBesideWaits)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_MAIN();
