#include "shell/ui/panel_link.hpp"

#include "sim/demo_panel.hpp"
#include "sim/devices.hpp"

namespace vq::gui {
namespace {

std::string stored_ids(const AppContext& context, const std::string& device) {
  return device == "usb" ? context.preferences().usb_ids : std::string{};
}

}  // namespace

std::string panel_link_key(const AppContext& context, const std::string& device) {
  return device + "|" + stored_ids(context, device);
}

Result<PanelLink> open_panel_link(AppContext& context, const std::string& device) {
  sim::DeviceOptions options;
  options.usb_ids = context.usb_ids;
  options.stored_usb_ids = stored_ids(context, device);
  if (device == "sim" || device == "sim:empty") {
    if (!context.sim_panel) context.sim_panel = sim::make_panel(device == "sim");
    options.sim_panel = context.sim_panel;
  }
  auto endpoint = sim::open_device(device, options);
  if (!endpoint) return std::unexpected(endpoint.error());
  // The real panel's waits only for a real one, unless the run names a pacing.
  auto pacing = link::make_pacing(context.pacing.empty() ? sim::default_pacing(device) : context.pacing);
  if (!pacing) return std::unexpected(pacing.error());
  PanelLink out;
  out.pacing = std::move(*pacing);
  out.link = std::make_unique<link::DeviceLink>(std::move(*endpoint), link::Millis(context.timeout_ms));
  out.key = device + "|" + options.stored_usb_ids;
  return out;
}

std::unique_ptr<link::FileTrace> open_trace_file(const AppContext& context) {
  if (context.trace_file.empty()) return nullptr;
  auto trace = std::make_unique<link::FileTrace>(context.trace_file);
  if (!trace->ok()) return nullptr;
  return trace;
}

}  // namespace vq::gui
