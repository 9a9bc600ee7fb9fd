#pragma once
// `--device sim`: the virtual panel behind the in-process transport.
#include <memory>

#include "link/loopback_transport.hpp"
#include "sim/virtual_panel.hpp"

namespace vq::sim {

class SimEndpoint final : public link::Endpoint {
 public:
  explicit SimEndpoint(std::shared_ptr<VirtualPanel> panel) : panel_(std::move(panel)) {}

  Discovery discover() override {
    Discovery d;
    d.count = panel_->faults().discover_count;
    if (d.count == 1) d.transport = std::make_unique<link::LoopbackTransport>(*panel_);
    return d;
  }
  std::string describe() const override { return "sim"; }
  VirtualPanel& panel() { return *panel_; }

 private:
  std::shared_ptr<VirtualPanel> panel_;
};

}  // namespace vq::sim
