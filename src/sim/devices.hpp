#pragma once
// A device URI turned into an endpoint: usb, sim (the built-in virtual panel with its demo
// contents), sim:empty (a blank one), tcp:HOST:PORT or unix:PATH (the link bridge).
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "link/transport.hpp"
#include "sim/virtual_panel.hpp"

namespace vq::sim {

struct DeviceOptions {
  std::vector<std::string> usb_ids;          // "VID:PID" texts; VANTORQ_USB_IDS when empty
  std::string stored_usb_ids;                // the preferences' list, when neither names any
  std::shared_ptr<VirtualPanel> sim_panel;   // the panel behind `sim`; made afresh when null
};

Result<std::shared_ptr<link::Endpoint>> open_device(std::string_view uri, const DeviceOptions& options = {});

// The pacing a device needs unless told otherwise: the real panel's waits only for usb.
std::string default_pacing(std::string_view uri);

}  // namespace vq::sim
