#include "cli/context.hpp"

#include <cstdio>
#include <string>

#include "link/progress.hpp"
#include "shell/data_folders.hpp"
#include "shell/preferences.hpp"
#include "util/atomic_file.hpp"
#include "sim/devices.hpp"
#include "util/terminal_text.hpp"

namespace vq::cli {
namespace {

std::string g_trace_failure;  // the first trace of this run that lost lines

}  // namespace

void remember_trace_failure(const link::FileTrace* trace) {
  if (trace && !trace->ok() && g_trace_failure.empty()) g_trace_failure = trace->failure();
}

Result<std::unique_ptr<link::FileTrace>> open_trace_file(const std::string& path) {
  auto trace = std::make_unique<link::FileTrace>(path);
  if (!trace->ok()) return fail(trace->failure());  // told here, not again when the command ends
  return trace;
}

Context::~Context() { remember_trace_failure(trace_.get()); }

Result<std::unique_ptr<Context>> Context::open(const GlobalOptions& o) {
  std::unique_ptr<Context> c(new Context());

  if (o.timeout_ms <= 0) return fail("Время ожидания ответа должно быть больше нуля: " + std::to_string(o.timeout_ms));

  sim::DeviceOptions device_options;
  device_options.usb_ids = o.usb_ids;
  if (o.device == "usb") device_options.stored_usb_ids = shell::load_preferences(preferences_file(o)).usb_ids;
  auto endpoint = sim::open_device(o.device, device_options);
  if (!endpoint) return std::unexpected(endpoint.error());

  auto pacing = link::make_pacing(o.pacing.empty() ? sim::default_pacing(o.device) : o.pacing);
  if (!pacing) return std::unexpected(pacing.error());
  c->pacing_ = std::move(*pacing);

  if (!o.trace_file.empty()) {
    auto trace = open_trace_file(o.trace_file);
    if (!trace) return std::unexpected(trace.error());
    c->trace_ = std::move(*trace);
  }

  c->data_dir_ = shell::resolve_data_dir(o.data_dir);
  c->link_ = std::make_unique<link::DeviceLink>(std::move(*endpoint), link::Millis(o.timeout_ms));
  c->session_ = std::make_unique<link::Session>(link::Session{*c->link_, *c->pacing_, c->trace_.get()});
  return c;
}

std::filesystem::path preferences_file(const GlobalOptions& o) {
  std::error_code ec;
  auto program = std::filesystem::read_symlink("/proc/self/exe", ec);
  return shell::preferences_path(ec ? std::filesystem::path("vantorq-cli") : program, o.portable);
}

Result<link::ConfiguredUsbIds> configured_usb_ids(const GlobalOptions& o) {
  return link::resolve_usb_ids(o.usb_ids, shell::load_preferences(preferences_file(o)).usb_ids);
}

bool is_standard_output(const std::string& output) { return output == kStandardOutputName; }

std::FILE* summary_stream(const std::string& output) { return is_standard_output(output) ? stderr : stdout; }

std::string output_name(const std::string& output) {
  return is_standard_output(output) ? "стандартный вывод" : output;
}

int finish_command(int status) {
  if (g_trace_failure.empty()) return status;
  std::fprintf(stderr, "vantorq-cli: %s\n", g_trace_failure.c_str());
  return status != 0 ? status : 1;
}

int report_failure(const Error& e) {
  std::fprintf(stderr, "vantorq-cli: %s\n", terminal_safe(e.full()).c_str());
  return link::is_cancel(e) ? 130 : 1;
}

}  // namespace vq::cli
