#include "memory/routines.hpp"

#include <charconv>

namespace vq::memory {
namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

std::string digits_of(std::string_view s) {
  std::string out;
  for (char c : s)
    if (is_digit(c)) out.push_back(c);
  return out;
}

std::size_t utf8_length(std::string_view s) {
  std::size_t n = 0;
  for (char c : s)
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++n;
  return n;
}

Error range_error(std::string_view item) {
  return Error{0, 0, "Неверный диапазон «" + std::string(item) + "»: до и после «-» должно стоять число", {}};
}

Error too_many_error(std::string_view item) {
  return Error{0, 0,
               "Слишком длинный список номеров: диапазон «" + std::string(item) + "» даёт больше " +
                   std::to_string(kMaxExpandedNumbers) + " номеров",
               {}};
}

}  // namespace

int hex_digit_value(std::string_view text, std::size_t pos) {
  if (pos >= text.size()) return 0;
  const char c = text[pos];
  if (is_digit(c)) return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 0;
}

std::string pad_left(std::string_view text, std::size_t width, std::string_view fill) {
  std::string out;
  for (std::size_t n = utf8_length(text); n < width; ++n) out += fill;
  out += text;
  return out;
}

Result<std::string> expand_range_list(std::string_view text) {
  std::string out;
  std::size_t count = 0;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t comma = text.find(',', start);
    if (comma == std::string_view::npos) comma = text.size();
    const std::string_view item = text.substr(start, comma - start);
    start = comma + 1;

    const std::size_t dash = item.find('-');
    if (dash == std::string_view::npos) {
      const std::string digits = digits_of(item);
      if (digits.empty()) continue;
      if (++count > kMaxExpandedNumbers) return fail(too_many_error(item));
      out += digits;
      out += ',';
      continue;
    }
    const std::string a_text = digits_of(item.substr(0, dash));
    const std::string b_text = digits_of(item.substr(dash + 1));
    if (a_text.empty() || b_text.empty()) return fail(range_error(item));
    std::uint64_t a = 0;
    std::uint64_t b = 0;
    // Digits that overflow 64 bits can only describe a range past the cap.
    if (std::from_chars(a_text.data(), a_text.data() + a_text.size(), a).ec != std::errc{} ||
        std::from_chars(b_text.data(), b_text.data() + b_text.size(), b).ec != std::errc{})
      return fail(too_many_error(item));
    if (b < a) continue;
    if (b - a >= kMaxExpandedNumbers - count) return fail(too_many_error(item));
    count += static_cast<std::size_t>(b - a + 1);
    for (std::uint64_t v = a;; ++v) {
      out += std::to_string(v);
      out += ',';
      if (v == b) break;
    }
  }
  if (!out.empty()) out.pop_back();
  return out;
}

}  // namespace vq::memory
