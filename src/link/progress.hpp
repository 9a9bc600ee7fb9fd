#pragma once
// Progress of a long operation: the gauge (0..100), a status text, and the cancel flag
// that the operation checks between frames.
#include <atomic>
#include <string_view>

namespace vq::link {

class Progress {
 public:
  virtual ~Progress() = default;
  virtual void percent(int value) = 0;
  virtual void status(std::string_view) {}
  virtual bool cancelled() const { return false; }
};

}  // namespace vq::link
