#pragma once
// What every command of vantorq-cli shares: the global options and the link they build.
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "link/session.hpp"
#include "link/usb_ids.hpp"

namespace vq::cli {

struct GlobalOptions {
  std::string device = "usb";
  std::string pacing;  // empty: "panel" for usb, "none" otherwise
  int timeout_ms = 2000;
  std::string trace_file;
  std::optional<std::filesystem::path> data_dir;
  std::vector<std::string> usb_ids;
  std::string rs485;  // adapter URI for the relay module: ftdi, ftdi:N or serial:PATH
  bool portable = false;  // the preferences file beside the program, as `vantorq --portable`
};

// The preferences file the desktop program writes, which this run reads too.
std::filesystem::path preferences_file(const GlobalOptions& options);
// The panel's USB ids: --usb-id, else VANTORQ_USB_IDS, else the preferences file.
Result<link::ConfiguredUsbIds> configured_usb_ids(const GlobalOptions& options);

class Context {
 public:
  // Builds the endpoint, pacing and trace the options name; a bad option is an error.
  static Result<std::unique_ptr<Context>> open(const GlobalOptions& options);

  Context(const Context&) = delete;
  Context& operator=(const Context&) = delete;
  // A trace that could not be written is remembered for finish_command().
  ~Context();

  link::Session& session() { return *session_; }
  const std::filesystem::path& data_dir() const { return data_dir_; }

 private:
  Context() = default;
  std::unique_ptr<link::Pacing> pacing_;
  std::unique_ptr<link::FileTrace> trace_;
  std::unique_ptr<link::DeviceLink> link_;
  std::unique_ptr<link::Session> session_;
  std::filesystem::path data_dir_;
};

// The one line a failing command prints on stderr; gives the exit status: 130 for a job
// stopped by Ctrl+C (as a shell reports a command ended by SIGINT), 1 otherwise.
int report_failure(const Error& e);

// "-" as an output file is standard output; what a command says about its work then goes to
// stderr, so standard output carries the file's bytes alone.
bool is_standard_output(const std::string& output);
std::FILE* summary_stream(const std::string& output);
// The output as a sentence names it: the path, or "стандартный вывод".
std::string output_name(const std::string& output);

// The exit status of a finished command: a trace file that could not be written (a full
// disk) fails a command that otherwise succeeded, so a short trace is never taken as whole.
int finish_command(int status);

// Opens the --trace file; a file that cannot be opened is an error. A trace that later
// loses lines is told by finish_command() once remember_trace_failure() has seen it.
Result<std::unique_ptr<link::FileTrace>> open_trace_file(const std::string& path);
void remember_trace_failure(const link::FileTrace* trace);

}  // namespace vq::cli
