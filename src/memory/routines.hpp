#pragma once
// Small bit, text and number routines the settings pages share.
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "util/result.hpp"

namespace vq::memory {

// Bit n of the value; a bit number outside the type is never set.
template <std::unsigned_integral T>
constexpr bool bit_test(T value, int n) {
  return n >= 0 && n < static_cast<int>(sizeof(T) * 8) && ((value >> n) & 1u) != 0;
}

// Sets bit n in place; a bit number outside the type changes nothing.
template <std::unsigned_integral T>
constexpr void bit_set(T& value, int n) {
  if (n >= 0 && n < static_cast<int>(sizeof(T) * 8)) value = static_cast<T>(value | (T{1} << n));
}

// Clears bit n in place; a bit number outside the type changes nothing.
template <std::unsigned_integral T>
constexpr void bit_clear(T& value, int n) {
  if (n >= 0 && n < static_cast<int>(sizeof(T) * 8)) value = static_cast<T>(value & ~(T{1} << n));
}

// The value of the hex digit at byte position pos (0-based): "0".."9" and upper-case
// "A".."F" only; anything else, or a position past the end, gives 0.
int hex_digit_value(std::string_view text, std::size_t pos);

// The fill text repeated (width - length of text) times, then the text. Lengths count
// UTF-8 characters, not bytes.
std::string pad_left(std::string_view text, std::size_t width, std::string_view fill);

// Most numbers one expanded list may hold: enough for any list of partitions, devices or
// identifier slots, and a typo like "1-4000000000" is refused instead of eating memory.
inline constexpr std::size_t kMaxExpandedNumbers = 100000;

// "1,3-5,8" -> "1,3,4,5,8". Non-digits inside an item are dropped ("a1b" -> "1"), a
// descending range gives nothing, an item without any digit gives nothing. A range
// without a digit before or after its "-" is an error, and so is a list that would hold
// more than kMaxExpandedNumbers numbers.
Result<std::string> expand_range_list(std::string_view text);

}  // namespace vq::memory
