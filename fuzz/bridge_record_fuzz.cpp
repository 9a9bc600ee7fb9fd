// Whatever a bridge peer sends: records come out whole or the stream is refused.
#include <cstddef>
#include <cstdint>

#include "link/bridge_codec.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  vq::link::RecordReader reader;
  const std::size_t piece = size ? std::size_t{data[0]} % 17 + 1 : 1;
  for (std::size_t at = 1; at < size; at += piece) {
    const std::size_t n = at + piece <= size ? piece : size - at;
    reader.feed(vq::ByteView(data + at, n));
    for (;;) {
      auto r = reader.next();
      if (!r || !*r) break;
      if ((*r)->empty() || (*r)->size() > vq::link::kMaxBridgeRecord) __builtin_trap();
    }
  }
  return 0;
}
