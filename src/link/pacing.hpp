#pragma once
// The protocol's fixed waits (20, 10, 5, 2, 30, 100, 200, 250, 500 ms) all go through here,
// so the virtual panel and bridges can run without them and tests can record them.
#include <chrono>
#include <memory>
#include <string_view>
#include <vector>

#include "util/result.hpp"

namespace vq::link {

class Pacing {
 public:
  virtual ~Pacing() = default;
  virtual void wait(std::chrono::milliseconds ms) = 0;
};

// The waits as written: the real panel needs them.
class PanelPacing final : public Pacing {
 public:
  void wait(std::chrono::milliseconds ms) override;
};

class NoPacing final : public Pacing {
 public:
  void wait(std::chrono::milliseconds) override {}
};

// Keeps every wait instead of sleeping.
class RecordingPacing final : public Pacing {
 public:
  void wait(std::chrono::milliseconds ms) override { waits.push_back(ms); }
  std::chrono::milliseconds total() const {
    std::chrono::milliseconds t{0};
    for (auto w : waits) t += w;
    return t;
  }
  std::vector<std::chrono::milliseconds> waits;
};

// "panel" (the waits a real panel needs) or "none".
Result<std::unique_ptr<Pacing>> make_pacing(std::string_view name);

}  // namespace vq::link
