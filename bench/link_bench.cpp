// A 64 KiB table written and read back through table 15 against the virtual panel, with no
// protocol waits: in-process, and through the link bridge over a Unix socket.
#include <benchmark/benchmark.h>

#include <atomic>
#include <filesystem>
#include <thread>

#include "link/bridge_transport.hpp"
#include "link/table_commands.hpp"
#include "sim/sim_endpoint.hpp"
#include "support/bridge_server_thread.hpp"

using namespace vq;

namespace {

constexpr std::size_t kTable = 64 * 1024;
constexpr std::uint32_t kAddress = 0x10000;

Bytes payload() {
  Bytes b(kTable);
  for (std::size_t i = 0; i < b.size(); ++i) b[i] = static_cast<std::uint8_t>(i * 13 + (i >> 9));
  return b;
}

void transfer(benchmark::State& state, link::DeviceLink& usb) {
  link::NoPacing pacing;
  link::Session s{usb, pacing, nullptr};
  const Bytes out = payload();
  Bytes back(kTable);
  for (auto _ : state) {
    if (!link::WriteBlockToPanel(s, kAddress, out)) state.SkipWithError("write failed");
    if (!link::ReadBlockFromPanel(s, kAddress, back)) state.SkipWithError("read failed");
    benchmark::DoNotOptimize(back.data());
  }
  if (back != out) state.SkipWithError("read back differs");
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * 2 * kTable));
}

void BM_TableWriteRead_InProcess(benchmark::State& state) {
  auto panel = std::make_shared<sim::VirtualPanel>();
  link::DeviceLink usb(std::make_shared<sim::SimEndpoint>(panel));
  usb.discover();
  transfer(state, usb);
}

void BM_TableWriteRead_UnixBridge(benchmark::State& state) {
  sim::VirtualPanel panel;
  test::BridgeServerThread server(panel);
  auto endpoint = link::BridgeEndpoint::open(server.uri());
  link::DeviceLink usb(std::shared_ptr<link::Endpoint>(std::move(*endpoint)));
  if (usb.discover() != 1) state.SkipWithError("bridge not reachable");
  transfer(state, usb);
}

}  // namespace

BENCHMARK(BM_TableWriteRead_InProcess)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_TableWriteRead_UnixBridge)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_MAIN();
