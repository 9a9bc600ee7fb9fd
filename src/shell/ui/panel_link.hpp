#pragma once
// The link to the panel a window talks to, made the same way by every window: the run's
// USB ids and, for `usb`, the ids stored in the preferences (so ids chosen in the
// application settings reach the next connect without a restart), the one virtual panel of
// the run for `sim`, the pacing the device needs, and the --trace file.
#include <memory>
#include <string>

#include "link/pacing.hpp"
#include "link/trace.hpp"
#include "link/device_link.hpp"
#include "shell/ui/app_context.hpp"
#include "util/result.hpp"

namespace vq::gui {

struct PanelLink {
  std::unique_ptr<link::DeviceLink> link;
  std::unique_ptr<link::Pacing> pacing;
  std::string key;  // what it was made for: a link with another key is made anew
};

// The key a link for `device` would have now.
std::string panel_link_key(const AppContext& context, const std::string& device);

// Makes the link for `device`.
Result<PanelLink> open_panel_link(AppContext& context, const std::string& device);

// The --trace file, or nothing (none asked for, or it cannot be written).
std::unique_ptr<link::FileTrace> open_trace_file(const AppContext& context);

}  // namespace vq::gui
