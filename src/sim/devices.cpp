#include "sim/devices.hpp"

#include "link/bridge_transport.hpp"
#include "link/usb_transport.hpp"
#include "sim/demo_panel.hpp"
#include "sim/sim_endpoint.hpp"

namespace vq::sim {

Result<std::shared_ptr<link::Endpoint>> open_device(std::string_view uri, const DeviceOptions& options) {
  if (uri == "usb") {
    auto ids = link::resolve_usb_ids(options.usb_ids, options.stored_usb_ids);
    if (!ids) return std::unexpected(ids.error());
    return std::make_shared<link::UsbEndpoint>(std::move(ids->ids));
  }
  if (uri == "sim" || uri == "sim:empty") {
    auto panel = options.sim_panel ? options.sim_panel : make_panel(uri == "sim");
    return std::make_shared<SimEndpoint>(std::move(panel));
  }
  if (uri.starts_with("tcp:") || uri.starts_with("unix:")) {
    auto bridge = link::BridgeEndpoint::open(uri);
    if (!bridge) return std::unexpected(bridge.error());
    return std::shared_ptr<link::Endpoint>(std::move(*bridge));
  }
  return fail("Неизвестное устройство «" + std::string(uri) +
              "»: ожидается usb, sim, sim:empty, tcp:HOST:PORT или unix:PATH");
}

std::string default_pacing(std::string_view uri) { return uri == "usb" ? "panel" : "none"; }

}  // namespace vq::sim
