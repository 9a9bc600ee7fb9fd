#include "sim/demo_panel.hpp"

#include "sim/demo_configuration.hpp"
#include "sim/demo_journal.hpp"

namespace vq::sim {

void load_demo_contents(VirtualPanel& panel) {
  load_demo_configuration(panel);
  load_demo_journal(panel);
}

std::shared_ptr<VirtualPanel> make_panel(bool with_demo_contents) {
  auto panel = std::make_shared<VirtualPanel>();
  if (with_demo_contents) load_demo_contents(*panel);
  return panel;
}

}  // namespace vq::sim
