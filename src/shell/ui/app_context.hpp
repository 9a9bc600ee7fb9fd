#pragma once
// What every window of the desktop program needs to know about this run: where the program,
// its data and its preferences are, and how to reach the panel.
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "shell/preferences.hpp"

namespace vq::sim {
class VirtualPanel;
class RelayModule;
}

namespace vq::gui {

struct AppContext {
  std::filesystem::path program_path;      // the program file
  std::filesystem::path data_dir;          // holds Conf, Base, Report, Help
  std::filesystem::path preferences_file;  // vantorq.ini
  std::string device = "usb";              // usb, sim, sim:empty, tcp:HOST:PORT, unix:PATH
  std::string pacing;                      // empty: what the device needs
  int timeout_ms = 2000;
  std::vector<std::string> usb_ids;
  std::string trace_file;                  // the exchange log also goes here when set
  // The built-in virtual panel, kept for the whole run so that what was written to it can
  // be read back; made when first needed.
  std::shared_ptr<sim::VirtualPanel> sim_panel;
  // The USB-RS-485 adapter of the firmware window: ftdi, ftdi:N, serial:PATH, or sim (the
  // virtual relay module, kept like the virtual panel). Empty: sim with a sim device, else ftdi.
  std::string rs485;
  std::shared_ptr<sim::RelayModule> sim_relay;

  std::string rs485_adapter() const {
    if (!rs485.empty()) return rs485;
    return device.starts_with("sim") ? "sim" : "ftdi";
  }

  shell::Preferences preferences() const { return shell::load_preferences(preferences_file); }
  std::filesystem::path folder(const char* sub) const { return data_dir / sub; }
};

}  // namespace vq::gui
