#include "link/trace.hpp"

#include <cstdio>

namespace vq::link {

std::string hex_line(std::uint8_t b) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "0x%x", static_cast<unsigned>(b));
  return buf;
}

std::string buffer_line(std::size_t index, std::uint8_t b) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "TxRxBuffer[%zu] - %x", index, static_cast<unsigned>(b));
  return buf;
}

}  // namespace vq::link
