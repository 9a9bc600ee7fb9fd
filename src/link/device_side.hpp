#pragma once
// The device's end of the link: what a virtual panel implements so that the same bytes
// can reach it in-process or through the link bridge.
#include <optional>

#include "util/bytes.hpp"

namespace vq::link {

class DeviceSide {
 public:
  virtual ~DeviceSide() = default;
  // One transfer from the PC. The answers it causes are queued for take_answer().
  virtual void receive(ByteView transfer) = 0;
  // The next transfer to the PC, if one is waiting.
  virtual std::optional<Bytes> take_answer() = 0;
  // Forgets an exchange a peer left unfinished (half a frame, answers not taken, a table
  // transfer under way) so the next peer starts clean; what was stored stays.
  virtual void reset_exchange() {}
};

}  // namespace vq::link
