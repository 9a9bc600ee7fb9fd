#include <atomic>
#include <csignal>
#include <cstdio>

#include "cli/commands.hpp"
#include "firmware/catalogue.hpp"
#include "shell/data_folders.hpp"
#include "sim/sample_firmware.hpp"
#include "link/bridge_server.hpp"
#include "sim/demo_panel.hpp"
#include "sim/relay_module.hpp"

#include <thread>

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
  bool rs485_pty = false;
  int idle_timeout_s = 10;
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

  // The relay module on a pseudo-terminal, for --rs485 serial:PATH.
  sim::RelayModule relay;
  std::optional<sim::RelayPty> pty;
  std::thread relay_thread;
  if (o.rs485_pty) {
    auto opened = sim::open_relay_pty();
    if (!opened) return report_failure(opened.error());
    pty.emplace(std::move(*opened));
    std::printf("Виртуальный модуль реле RS-485: serial:%s\n", pty->slave_path().c_str());
    std::fflush(stdout);
    relay_thread = std::thread([&] { pty->serve(relay, g_stop); });
  }
  int rc = 0;
  if (!o.listen.empty()) {
    link::ServeOptions options;
    options.idle_timeout = std::chrono::seconds(o.idle_timeout_s);
    options.on_listening = [](const std::string& uri) {
      std::printf("Виртуальный прибор ждёт подключения: %s\n", uri.c_str());
      std::fflush(stdout);
    };
    options.log = [](const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); };
    if (auto r = link::serve_bridge(panel, o.listen, g_stop, options); !r) {
      g_stop = true;
      rc = report_failure(r.error());
    }
  } else {
    while (!g_stop) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  if (relay_thread.joinable()) relay_thread.join();
  return rc;
}

}  // namespace

void add_sim_command(CLI::App& app, const GlobalOptions& g, Action& action) {
  auto* sim = app.add_subcommand("sim", "The built-in virtual panel");
  sim->require_subcommand(1);
  auto* cmd = sim->add_subcommand("serve", "Serve the virtual panel over the link bridge until stopped");
  static ServeOptions o;
  auto* listen = cmd->add_option("--listen", o.listen, "tcp:HOST:PORT (port 0 picks a free one) or unix:PATH");
  auto* pty = cmd->add_flag("--rs485-pty", o.rs485_pty,
                            "Also serve a virtual relay module on a pseudo-terminal (use --rs485 serial:PATH)");
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
  cmd->add_option("--idle-timeout", o.idle_timeout_s,
                  "Seconds a client may stay silent before it is dropped so the next one is served (0: never)")
      ->check(CLI::Range(0, 86400))
      ->capture_default_str();
  cmd->add_flag("--empty", o.empty, "Start blank instead of with the demo configuration and journal");
  auto* samples = sim->add_subcommand("firmware-samples",
                                      "Write sample firmware files for the virtual panel and the virtual relay module");
  static std::string samples_dir;
  samples->add_option("-o,--output", samples_dir, "Folder for the files (default: the Base folder of the data folder)");
  samples->callback([&action, &g] {
    action = [&g] {
      const auto folder = samples_dir.empty() ? firmware::firmware_folder(shell::resolve_data_dir(g.data_dir))
                                              : std::filesystem::path(samples_dir);
      auto written = sim::write_sample_firmware(folder);
      if (!written) return report_failure(written.error());
      const auto files = sim::sample_firmware_files();
      for (std::size_t i = 0; i < written->size(); ++i)
        std::printf("%s (%s)\n", (*written)[i].string().c_str(), files[i].device.c_str());
      std::printf("Учебные файлы: настоящий прибор их не получит (vantorq-cli записывает их только в виртуальные)\n");
      return 0;
    };
  });
  cmd->callback([&action, listen, pty] {
    if (listen->count() + pty->count() == 0)
      throw CLI::ValidationError("serve", "--listen or --rs485-pty is needed");
    action = [] { return serve(o); };
  });
}

}  // namespace vq::cli
