#include "memory/phone_numbers.hpp"

#include <optional>

namespace vq::memory {
namespace {

constexpr char kLetters[] = "WTPBI";  // symbols 10..14

std::optional<std::uint8_t> symbol_of(char c) {
  if (c >= '0' && c <= '9') return static_cast<std::uint8_t>(c - '0');
  if (c == ' ') return 15;
  for (std::uint8_t i = 0; i < 5; ++i)
    if (kLetters[i] == c) return static_cast<std::uint8_t>(10 + i);
  return std::nullopt;
}

void append_symbol(std::string& out, unsigned nibble) {
  if (nibble <= 9)
    out.push_back(static_cast<char>('0' + nibble));
  else if (nibble <= 14)
    out.push_back(kLetters[nibble - 10]);
}

// The whole UTF-8 character starting at byte i, so the message shows "Ж", not half of it.
std::string_view character_at(std::string_view s, std::size_t i) {
  std::size_t end = i + 1;
  while (end < s.size() && (static_cast<unsigned char>(s[end]) & 0xC0) == 0x80) ++end;
  return s.substr(i, end - i);
}

bool valid_index(int n) { return n >= 0 && n < kPhoneNumberCount; }

}  // namespace

std::string phone_number_text(const TMemoryBlock& table, int n) {
  std::string out;
  if (!valid_index(n)) return out;
  const std::size_t at = phone_number_offset(n);
  for (std::size_t i = 0; i < kPhoneNumberBytes && at + i < table.length(); ++i) {
    const std::uint8_t b = table.byte_at(at + i);
    append_symbol(out, b >> 4);
    append_symbol(out, b & 0x0F);
  }
  return out;
}

Result<> parse_phone_number(TMemoryBlock& table, int n, std::string_view text) {
  if (!valid_index(n)) return fail("Номер телефона " + std::to_string(n + 1) + " вне таблицы номеров");
  const std::size_t at = phone_number_offset(n);
  for (std::size_t i = 0; i < kPhoneNumberBytes; ++i) table.set_byte(at + i, 0xFF);

  if (text.starts_with('+')) text.remove_prefix(1);
  // Every character is checked, also those past the 24th that are not stored, so a typo
  // at the end of an over-long number is not lost silently.
  for (std::size_t i = 0; i < text.size(); i += 2) {
    const auto high = symbol_of(text[i]);
    if (!high) return fail("Недопустимый символ «" + std::string(character_at(text, i)) + "» в номере телефона");
    std::uint8_t low = 15;
    if (i + 1 < text.size()) {
      const auto second = symbol_of(text[i + 1]);
      if (!second) {
        // The pair is incomplete: the byte before it is the last one stored.
        return fail("Недопустимый символ «" + std::string(character_at(text, i + 1)) + "» в номере телефона");
      }
      low = *second;
    }
    const std::size_t byte = i / 2;
    if (byte < kPhoneNumberBytes) table.set_byte(at + byte, static_cast<std::uint8_t>(*high << 4 | low));
  }
  return {};
}

}  // namespace vq::memory
