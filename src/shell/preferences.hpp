#pragma once
// The user's preferences: one INI file, section "System". The windows read it when they
// are shown and the application settings dialog writes it, so a choice takes effect.
#include <filesystem>
#include <optional>
#include <string>

#include "util/result.hpp"

namespace vq::shell {

struct Preferences {
  bool show_all_soft = true;   // the firmware window lists the files on its own
  int default_mode = 0;        // 0 demo, anything else online
  int default_system = 0;      // kept equal to default_mode by the settings dialog
  std::string language = "RU";
  bool first_run = true;
  // The panel's USB ids as "VID:PID,VID:PID" (key "UsbIds"); the command line and
  // VANTORQ_USB_IDS come before them.
  std::string usb_ids;

  bool starts_online() const { return default_mode != 0; }
};

// $XDG_CONFIG_HOME/vantorq/vantorq.ini (else ~/.config/vantorq/vantorq.ini); in portable
// mode vantorq.ini beside the program.
std::filesystem::path preferences_path(const std::filesystem::path& program_path, bool portable);

// A missing file or key gives the defaults; an unreadable file too (the program must start).
Preferences load_preferences(const std::filesystem::path& file);

// Rewrites section "System" atomically. Other sections and unknown keys of the file are kept.
Result<> save_preferences(const std::filesystem::path& file, const Preferences& prefs);

}  // namespace vq::shell
