#pragma once
// What every command of vantorq-cli shares: the global options and the link they build.
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "link/session.hpp"

namespace vq::cli {

struct GlobalOptions {
  std::string device = "usb";
  std::string pacing;  // empty: "spec" for usb, "none" otherwise
  int timeout_ms = 2000;
  std::string trace_file;
  std::optional<std::filesystem::path> data_dir;
  std::vector<std::string> usb_ids;
  std::string rs485;  // adapter URI for the relay module: ftdi, ftdi:N or serial:PATH
};

class Context {
 public:
  // Builds the endpoint, pacing and trace the options name; a bad option is an error.
  static Result<std::unique_ptr<Context>> open(const GlobalOptions& options);

  link::Session& session() { return *session_; }
  const std::filesystem::path& data_dir() const { return data_dir_; }

 private:
  Context() = default;
  std::unique_ptr<link::Pacing> pacing_;
  std::unique_ptr<link::FileTrace> trace_;
  std::unique_ptr<link::UsbLink> link_;
  std::unique_ptr<link::Session> session_;
  std::filesystem::path data_dir_;
};

// The one line a failing command prints on stderr.
int report_failure(const Error& e);

}  // namespace vq::cli
