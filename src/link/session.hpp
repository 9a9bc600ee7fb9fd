#pragma once
// What every exchange needs: the link, the pacing of the fixed waits, an optional trace.
#include "link/pacing.hpp"
#include "link/progress.hpp"
#include "link/trace.hpp"
#include "link/device_link.hpp"

namespace vq::link {

struct Session {
  DeviceLink& link;
  Pacing& pacing;
  Trace* trace = nullptr;

  void wait_ms(int ms) { pacing.wait(std::chrono::milliseconds(ms)); }
  void log(std::string_view text) { trace_line(trace, text); }
};

}  // namespace vq::link
