#include "sim/devices.hpp"

#include "link/bridge_transport.hpp"
#include "link/usb_transport.hpp"
#include "sim/demo_panel.hpp"
#include "sim/sim_endpoint.hpp"

namespace vq::sim {

Result<std::shared_ptr<link::Endpoint>> open_device(std::string_view uri, const DeviceOptions& options) {
  if (uri == "usb") {
    std::vector<link::UsbId> ids;
    for (const auto& text : options.usb_ids) {
      auto parsed = link::parse_usb_ids(text);
      if (!parsed) return std::unexpected(parsed.error());
      ids.insert(ids.end(), parsed->begin(), parsed->end());
    }
    if (ids.empty()) {
      auto env = link::usb_ids_from_environment();
      if (!env) return std::unexpected(env.error());
      if (*env) ids = **env;
    }
    return std::make_shared<link::UsbEndpoint>(std::move(ids));
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
