#pragma once
// A demo configuration for the virtual panel: every settings table and page filled with a
// small, self-consistent site (partitions, radio devices, outputs, identifiers, telephone
// recipients, remote control, service and voice settings), the same on every load.
#include <string_view>

#include "sim/virtual_panel.hpp"

namespace vq::sim {

// Writes every settings table and page whole; memory outside them is left alone.
void load_demo_configuration(VirtualPanel& panel);

}  // namespace vq::sim
