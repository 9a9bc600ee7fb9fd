// Any byte stream from a PC: the virtual panel must neither crash nor write outside its
// memory, whatever frames, lengths and addresses arrive.
#include <cstddef>
#include <cstdint>

#include "sim/virtual_panel.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static vq::sim::VirtualPanel panel;
  // The first byte splits the input into transfers of that size, as the link would.
  const std::size_t piece = size ? std::size_t{data[0]} + 1 : 1;
  for (std::size_t at = 1; at < size; at += piece) {
    const std::size_t n = at + piece <= size ? piece : size - at;
    panel.receive(vq::ByteView(data + at, n));
    while (panel.take_answer()) {
    }
  }
  return 0;
}
