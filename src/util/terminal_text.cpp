#include "util/terminal_text.hpp"

#include <cstdint>

namespace vq {
namespace {

// Length of the well-formed UTF-8 sequence at `at` (1..4), 0 when it is not one.
std::size_t sequence_length(std::string_view s, std::size_t at) {
  const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(s[i]); };
  const std::uint8_t b0 = byte(at);
  const auto cont = [&](std::size_t i, std::uint8_t lo = 0x80, std::uint8_t hi = 0xBF) {
    return at + i < s.size() && byte(at + i) >= lo && byte(at + i) <= hi;
  };
  if (b0 < 0x80) return 1;
  if (b0 >= 0xC2 && b0 <= 0xDF) return cont(1) ? 2 : 0;
  if (b0 == 0xE0) return cont(1, 0xA0) && cont(2) ? 3 : 0;
  if ((b0 >= 0xE1 && b0 <= 0xEC) || b0 == 0xEE || b0 == 0xEF) return cont(1) && cont(2) ? 3 : 0;
  if (b0 == 0xED) return cont(1, 0x80, 0x9F) && cont(2) ? 3 : 0;  // no surrogates
  if (b0 == 0xF0) return cont(1, 0x90) && cont(2) && cont(3) ? 4 : 0;
  if (b0 >= 0xF1 && b0 <= 0xF3) return cont(1) && cont(2) && cont(3) ? 4 : 0;
  if (b0 == 0xF4) return cont(1, 0x80, 0x8F) && cont(2) && cont(3) ? 4 : 0;
  return 0;
}

}  // namespace

std::string terminal_safe(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t n = sequence_length(text, i);
    const auto b0 = static_cast<std::uint8_t>(text[i]);
    const bool control = (n == 1 && (b0 < 0x20 || b0 == 0x7F)) ||
                         (n == 2 && b0 == 0xC2 && static_cast<std::uint8_t>(text[i + 1]) <= 0x9F);
    if (n == 0 || control) {
      out += kTerminalReplacement;
      i += n == 0 ? 1 : n;
    } else {
      out.append(text, i, n);
      i += n;
    }
  }
  return out;
}

}  // namespace vq
