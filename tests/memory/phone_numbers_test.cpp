// Telephone numbers: two symbols a byte, high nibble first, 15 as filler.
#include <gtest/gtest.h>

#include <vector>

#include "memory/phone_numbers.hpp"

using namespace vq::memory;

namespace {

std::vector<std::uint8_t> number_bytes(const TMemoryBlock& t, int n) {
  std::vector<std::uint8_t> out;
  for (std::size_t i = 0; i < kPhoneNumberBytes; ++i) out.push_back(t.byte_at(phone_number_offset(n) + i));
  return out;
}

std::vector<std::uint8_t> padded(std::vector<std::uint8_t> head) {
  head.resize(kPhoneNumberBytes, 0xFF);
  return head;
}

}  // namespace

TEST(PhoneNumbers, ParseAndTextRoundTrip) {
  struct Case {
    const char* input;
    std::vector<std::uint8_t> bytes;
    const char* text;
  };
  const Case cases[] = {
      {"+7W123", padded({0x7A, 0x12, 0x3F}), "7W123"},
      {"", padded({}), ""},
      {"+", padded({}), ""},
      {"0123456789WTPBI", padded({0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF}), "0123456789WTPBI"},
      {"12 3", padded({0x12, 0xF3}), "123"},  // a blank is filler and vanishes from the text
      {"123456789012345678901234567", padded({0x12, 0x34, 0x56, 0x78, 0x90, 0x12, 0x34, 0x56, 0x78, 0x90, 0x12, 0x34}),
       "123456789012345678901234"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.input);
    TMemoryBlock t(0x10AE00, 512, 0x00);
    (void)parse_phone_number(t, 2, c.input);
    EXPECT_EQ(number_bytes(t, 2), c.bytes);
    EXPECT_EQ(phone_number_text(t, 2), c.text);
  }
}

TEST(PhoneNumbers, BadCharacterFailsNamingItAndKeepsEarlierBytes) {
  struct Case {
    const char* input;
    const char* named;
    std::vector<std::uint8_t> bytes;
  };
  const Case cases[] = {
      {"12a4", "«a»", padded({0x12})},
      {"123x", "«x»", padded({0x12})},   // the incomplete pair is not stored
      {"7Ж", "«Ж»", padded({})},          // a whole UTF-8 character is named
      {"12w", "«w»", padded({0x12})},    // letters are upper case only
      {"++1", "«+»", padded({})},        // only one "+" is dropped
      // Past the 24th symbol nothing is stored, but a bad character is still reported.
      {"123456789012345678901234-", "«-»",
       padded({0x12, 0x34, 0x56, 0x78, 0x90, 0x12, 0x34, 0x56, 0x78, 0x90, 0x12, 0x34})},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.input);
    TMemoryBlock t(0x10AE00, 512, 0x00);
    const auto r = parse_phone_number(t, 0, c.input);
    ASSERT_FALSE(r);
    EXPECT_NE(r.error().text.find(c.named), std::string::npos) << r.error().text;
    EXPECT_EQ(number_bytes(t, 0), c.bytes);
  }
}

TEST(PhoneNumbers, EachNumberHasItsOwnTwelveBytes) {
  TMemoryBlock t(0x10AE00, 512, 0x00);
  ASSERT_TRUE(parse_phone_number(t, 7, "5"));
  EXPECT_EQ(t.byte_at(86), 0x00);
  EXPECT_EQ(t.byte_at(87), 0x5F);
  EXPECT_EQ(t.byte_at(98), 0xFF);
  EXPECT_EQ(t.byte_at(99), 0x00);
  EXPECT_EQ(phone_number_text(t, 6), "000000000000000000000000");

  EXPECT_FALSE(parse_phone_number(t, 8, "5"));
  EXPECT_FALSE(parse_phone_number(t, -1, "5"));
  EXPECT_EQ(t.byte_at(99), 0x00);
  EXPECT_EQ(phone_number_text(t, 8), "");
}

TEST(PhoneNumbers, ShortImageStaysInside) {
  // Number 0 spans bytes 3..14; this image ends at 8.
  TMemoryBlock t(0x10AE00, 8, 0x00);
  EXPECT_EQ(phone_number_text(t, 0), "0000000000");
  ASSERT_TRUE(parse_phone_number(t, 0, "123456789"));
  EXPECT_EQ(t.length(), 8u);
  EXPECT_EQ(phone_number_text(t, 0), "123456789");
  EXPECT_EQ(phone_number_text(t, 1), "");
  EXPECT_TRUE(parse_phone_number(t, 1, "1"));
}
