#pragma once
// A virtual panel and a link to it, the way every exchange test needs them.
#include <memory>
#include <string>
#include <vector>

#include "link/session.hpp"
#include "sim/sim_endpoint.hpp"

namespace vq::test {

class RecordingProgress final : public link::Progress {
 public:
  void percent(int v) override {
    values.push_back(v);
    if (cancel_at_percent >= 0 && v >= cancel_at_percent) cancel = true;
  }
  void status(std::string_view s) override { statuses.emplace_back(s); }
  bool cancelled() const override { return cancel; }

  std::vector<int> values;
  std::vector<std::string> statuses;
  int cancel_at_percent = -1;
  bool cancel = false;
};

enum class RigKind { in_process };

inline std::string rig_name(RigKind k) {
  switch (k) {
    case RigKind::in_process: return "InProcess";
  }
  return "Unknown";
}

struct PanelRig {
  std::shared_ptr<sim::VirtualPanel> panel = std::make_shared<sim::VirtualPanel>();
  link::UsbLink link{std::make_shared<sim::SimEndpoint>(panel)};
  link::RecordingPacing pacing;
  link::VectorTrace trace;
  link::Session session{link, pacing, &trace};

  explicit PanelRig(RigKind = RigKind::in_process) { link.discover(); }
  sim::VirtualPanel& p() { return *panel; }
};

}  // namespace vq::test
