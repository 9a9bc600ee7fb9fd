#pragma once
// The desktop program's command line.
#include <QString>
#include <QStringList>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "util/result.hpp"

namespace vq::gui {

struct StartOptions {
  std::string device = "usb";
  std::optional<std::filesystem::path> data_dir;
  std::string pacing;
  int timeout_ms = 2000;
  std::string trace_file;
  std::vector<std::string> usb_ids;
  std::string rs485;             // the firmware window's RS-485 adapter; empty: by the device
  bool portable = false;         // preferences beside the program
  bool exit_when_shown = false;  // quit once the start window was painted (start-up timing)
  bool help = false;
};

// The first argument exactly "/gentranstable" (case matters); `args` starts with the program.
bool is_gentranstable(const QStringList& args);

// With "/gentranstable" first, shows the program's full path in an information box titled
// "/gentranstable"; start-up goes on either way. True when the box was shown.
bool announce_program_path(const QStringList& args, const QString& program_path);

// `args` starts with the program. "/gentranstable" and other bare words are left alone.
Result<StartOptions> parse_start_options(const QStringList& args);
QString start_options_help();

}  // namespace vq::gui
