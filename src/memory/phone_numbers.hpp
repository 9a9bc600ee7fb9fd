#pragma once
// The telephone number table (table 30): 8 numbers of 12 bytes, two symbols a byte, high
// nibble first. Symbols 0-9 are digits, 10..14 "W", "T", "P", "B", "I", 15 is filler.
#include <cstddef>
#include <string>
#include <string_view>

#include "memory/memory_block.hpp"
#include "util/result.hpp"

namespace vq::memory {

inline constexpr int kPhoneNumberCount = 8;
inline constexpr std::size_t kPhoneNumberBytes = 12;
inline constexpr std::size_t kPhoneNumberSymbols = 2 * kPhoneNumberBytes;

// Offset of number n (0..7) in the table.
constexpr std::size_t phone_number_offset(int n) { return 3 + kPhoneNumberBytes * static_cast<std::size_t>(n); }

// The symbols of number n as text. Filler adds nothing, so a number may have gaps closed
// up; bytes past the end of a short image count as filler. n outside 0..7 gives "".
std::string phone_number_text(const TMemoryBlock& table, int n);

// Replaces number n by the symbols of the text: the 12 bytes are first filled with 0xFF,
// a leading "+" is dropped, " " stands for filler, only the first 24 symbols are stored.
// A character outside the alphabet fails, naming it; the bytes stored before it stay.
// Only bytes inside the image are written.
Result<> parse_phone_number(TMemoryBlock& table, int n, std::string_view text);

}  // namespace vq::memory
