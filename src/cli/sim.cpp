#include <atomic>
#include <csignal>
#include <cstdio>

#include "cli/commands.hpp"
#include "link/bridge_server.hpp"
#include "sim/demo_panel.hpp"

namespace vq::cli {
namespace {

std::atomic<bool> g_stop{false};

extern "C" void on_stop_signal(int) { g_stop = true; }

struct ServeOptions {
  std::string listen;
  int device_type = 630;
  int platform = 0x61;
  std::string firmware = "2.4.7";
  int chunk = 254;
  bool empty = false;
};

Result<std::array<std::uint8_t, 3>> parse_version(const std::string& text) {
  std::array<std::uint8_t, 3> v{};
  unsigned a = 0, b = 0, c = 0;
  char tail = 0;
  if (std::sscanf(text.c_str(), "%u.%u.%u%c", &a, &b, &c, &tail) != 3 || a > 255 || b > 255 || c > 255)
    return fail("Версия ПО должна иметь вид X.Y.Z (числа 0..255): " + text);
  v = {static_cast<std::uint8_t>(a), static_cast<std::uint8_t>(b), static_cast<std::uint8_t>(c)};
  return v;
}

int serve(const ServeOptions& o) {
  auto version = parse_version(o.firmware);
  if (!version) return report_failure(version.error());
  auto made = sim::make_panel(!o.empty);
  sim::VirtualPanel& panel = *made;
  panel.identity().device_type = static_cast<std::uint16_t>(o.device_type);
  panel.identity().platform = static_cast<std::uint16_t>(o.platform);
  panel.identity().version = *version;
  panel.set_chunk_size(static_cast<std::size_t>(o.chunk));

  std::signal(SIGINT, on_stop_signal);
  std::signal(SIGTERM, on_stop_signal);
  link::ServeOptions options;
  options.on_listening = [](const std::string& uri) {
    std::printf("Виртуальный прибор ждёт подключения: %s\n", uri.c_str());
    std::fflush(stdout);
  };
  options.log = [](const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); };
  auto r = link::serve_bridge(panel, o.listen, g_stop, options);
  if (!r) return report_failure(r.error());
  return 0;
}

}  // namespace

void add_sim_command(CLI::App& app, Action& action) {
  auto* sim = app.add_subcommand("sim", "The built-in virtual panel");
  sim->require_subcommand(1);
  auto* cmd = sim->add_subcommand("serve", "Serve the virtual panel over the link bridge until stopped");
  static ServeOptions o;
  cmd->add_option("--listen", o.listen, "tcp:HOST:PORT (port 0 picks a free one) or unix:PATH")->required();
  cmd->add_option("--device-type", o.device_type, "Device type code the panel reports")
      ->check(CLI::Range(0, 0xFFFF))
      ->capture_default_str();
  cmd->add_option("--platform", o.platform, "Platform code the panel reports")
      ->check(CLI::Range(0, 0xFFFF))
      ->capture_default_str();
  cmd->add_option("--firmware", o.firmware, "Firmware version the panel reports, X.Y.Z")->capture_default_str();
  cmd->add_option("--chunk", o.chunk, "Data bytes per single-frame read answer (1..254)")
      ->check(CLI::Range(1, 254))
      ->capture_default_str();
  cmd->add_flag("--empty", o.empty, "Start blank instead of with the demo configuration and journal");
  cmd->callback([&action] { action = [] { return serve(o); }; });
}

}  // namespace vq::cli
