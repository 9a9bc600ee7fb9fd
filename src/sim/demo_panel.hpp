#pragma once
// The virtual panel as `--device sim` and `sim serve` start it: with the demo contents, or
// blank.
#include <memory>

#include "sim/virtual_panel.hpp"

namespace vq::sim {

void load_demo_contents(VirtualPanel& panel);
std::shared_ptr<VirtualPanel> make_panel(bool with_demo_contents);

}  // namespace vq::sim
