#pragma once
// The udev rule that lets the user at the seat (and group plugdev) open the panel
// without root: one line per vendor:product id.
#include <string>
#include <vector>

#include "link/usb_ids.hpp"

namespace vq::link {

inline constexpr const char* kUdevRuleFile = "60-vantorq.rules";

// The whole rules file: a comment saying how to install it, then the rule lines.
std::string udev_rules(const std::vector<UsbId>& ids);

}  // namespace vq::link
