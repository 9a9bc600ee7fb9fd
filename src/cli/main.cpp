// vantorq-cli: the panel's configuration, event log and firmware from a terminal.
#include <CLI/CLI.hpp>

#include <cstdio>

#include "cli/commands.hpp"
#include "cli/suggestion.hpp"

int main(int argc, char** argv) {
  using namespace vq::cli;
  CLI::App app{"VantorQ: configuration utility for the 630М-Q panel", "vantorq-cli"};
  app.set_version_flag("--version", "vantorq-cli " VQ_VERSION);
  app.require_subcommand(1);
  // Global options may also follow the subcommand: `vantorq-cli identify --device sim`.
  app.fallthrough();

  GlobalOptions g;
  app.add_option("--device", g.device,
                 "Where the panel is: usb, sim (built-in virtual panel with demo contents; it lives for this one run, `sim serve` "
                 "keeps one), sim:empty, tcp:HOST:PORT or unix:PATH (link bridge)")
      ->capture_default_str();
  app.add_option("--pacing", g.pacing, "Protocol waits: panel (as a real panel needs them) or none; default panel for usb")
      ->check(CLI::IsMember({"panel", "none"}));
  app.add_option("--timeout", g.timeout_ms, "Answer time-out in milliseconds")->capture_default_str();
  app.add_option("--trace", g.trace_file, "Write the exchange's diagnostic lines to FILE");
  app.add_option("--data-dir", g.data_dir, "Data folder (Conf, Base, Report)");
  app.add_option("--rs485", g.rs485, "USB–RS-485 adapter for the relay module: ftdi, ftdi:N or serial:PATH");
  app.add_option("--usb-id", g.usb_ids,
                 "USB VID:PID of the panel (hex); repeatable. Without it VANTORQ_USB_IDS is used, and without "
                 "that the ids stored in the preferences (Настройки программы → Система)");
  app.add_flag("--portable", g.portable, "Read the preferences file beside the program, as vantorq --portable does");

  Action action;
  add_identify_command(app, g, action);
  add_config_command(app, g, action);
  add_log_command(app, g, action);
  add_firmware_command(app, g, action);
  add_sim_command(app, g, action);
  add_usb_command(app, g, action);
  add_completion_command(app, action);

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    // --help and --version end here with 0; a bad command line is 2, as with other tools.
    if (app.exit(e) == 0) return 0;
    if (const auto near = suggestion(app, argc, argv); !near.empty())
      std::fprintf(stderr, "Возможно, имелось в виду: %s\n", near.c_str());
    return 2;
  }
  return action ? finish_command(action()) : 0;
}
