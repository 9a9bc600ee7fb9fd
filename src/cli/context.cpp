#include "cli/context.hpp"

#include <cstdio>

#include "shell/data_folders.hpp"
#include "sim/devices.hpp"

namespace vq::cli {

Result<std::unique_ptr<Context>> Context::open(const GlobalOptions& o) {
  std::unique_ptr<Context> c(new Context());

  if (o.timeout_ms <= 0) return fail("Время ожидания ответа должно быть больше нуля: " + std::to_string(o.timeout_ms));

  sim::DeviceOptions device_options;
  device_options.usb_ids = o.usb_ids;
  auto endpoint = sim::open_device(o.device, device_options);
  if (!endpoint) return std::unexpected(endpoint.error());

  auto pacing = link::make_pacing(o.pacing.empty() ? sim::default_pacing(o.device) : o.pacing);
  if (!pacing) return std::unexpected(pacing.error());
  c->pacing_ = std::move(*pacing);

  if (!o.trace_file.empty()) {
    c->trace_ = std::make_unique<link::FileTrace>(o.trace_file);
    if (!c->trace_->ok()) return fail("Не удалось открыть файл журнала обмена " + o.trace_file);
  }

  c->data_dir_ = shell::resolve_data_dir(o.data_dir);
  c->link_ = std::make_unique<link::UsbLink>(std::move(*endpoint), link::Millis(o.timeout_ms));
  c->session_ = std::make_unique<link::Session>(link::Session{*c->link_, *c->pacing_, c->trace_.get()});
  return c;
}

int report_failure(const Error& e) {
  std::fprintf(stderr, "vantorq-cli: %s\n", e.full().c_str());
  return 1;
}

}  // namespace vq::cli
