#include "link/crc16.hpp"

#include <array>

namespace vq::link {
namespace {

constexpr std::array<std::uint16_t, 256> make_table() {
  std::array<std::uint16_t, 256> t{};
  for (unsigned i = 0; i < 256; ++i) {
    std::uint16_t c = static_cast<std::uint16_t>(i);
    for (int bit = 0; bit < 8; ++bit) c = (c & 1u) ? static_cast<std::uint16_t>((c >> 1) ^ 0xA001u) : static_cast<std::uint16_t>(c >> 1);
    t[i] = c;
  }
  return t;
}

constexpr auto kTable = make_table();

}  // namespace

std::uint16_t crc16_step(std::uint16_t crc, std::uint8_t byte) {
  return static_cast<std::uint16_t>((crc >> 8) ^ kTable[(crc ^ byte) & 0xFFu]);
}

std::uint16_t crc16(ByteView data, std::uint16_t start) {
  std::uint16_t crc = start;
  for (auto b : data) crc = crc16_step(crc, b);
  return crc;
}

void append_crc(Bytes& frame, std::uint16_t start) { append_u16(frame, crc16(frame, start)); }

bool crc_matches(ByteView frame, std::uint16_t start) {
  if (frame.size() < 2) return false;
  const auto n = frame.size() - 2;
  return crc16(frame.first(n), start) == get_u16(frame, n);
}

}  // namespace vq::link
