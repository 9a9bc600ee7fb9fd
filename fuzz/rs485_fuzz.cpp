// Whatever comes back over the bus, or whatever a PC sends the relay module: frames are
// judged, never read past their end.
#include <cstddef>
#include <cstdint>

#include "firmware/firmware_header.hpp"
#include "link/rs485/frame.hpp"
#include "sim/relay_module.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  vq::Bytes frame(data, data + size);
  (void)vq::link::rs485::descramble(frame);
  (void)vq::link::rs485::decode_frame(frame);
  (void)vq::firmware::parse_header(vq::ByteView(data, size), "fuzz.tsk");

  static vq::sim::RelayModule module;
  module.feed(vq::ByteView(data, size));
  (void)module.take_output();
  return 0;
}
