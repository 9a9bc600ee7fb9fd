// Bit, text and number routines the pages share.
#include <gtest/gtest.h>

#include "memory/routines.hpp"

using namespace vq::memory;

TEST(Routines, BitTestSetClear) {
  struct Case {
    std::uint32_t value;
    int n;
    bool is_set;
    std::uint32_t after_set, after_clear;
  };
  const Case cases[] = {
      {0x00, 0, false, 0x01, 0x00},
      {0x81, 7, true, 0x81, 0x01},
      {0x00000000, 31, false, 0x80000000, 0x00000000},
      {0xFFFFFFFF, 31, true, 0xFFFFFFFF, 0x7FFFFFFF},
      {0xFFFFFFFF, 32, false, 0xFFFFFFFF, 0xFFFFFFFF},  // outside the type: no effect
      {0xFFFFFFFF, -1, false, 0xFFFFFFFF, 0xFFFFFFFF},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.n);
    EXPECT_EQ(bit_test(c.value, c.n), c.is_set);
    auto v = c.value;
    bit_set(v, c.n);
    EXPECT_EQ(v, c.after_set);
    v = c.value;
    bit_clear(v, c.n);
    EXPECT_EQ(v, c.after_clear);
  }
  // A byte: bit 8 is outside it.
  std::uint8_t b = 0x7F;
  bit_set(b, 7);
  EXPECT_EQ(b, 0xFF);
  bit_clear(b, 8);
  EXPECT_EQ(b, 0xFF);
  bit_clear(b, 0);
  EXPECT_EQ(b, 0xFE);
  EXPECT_FALSE(bit_test(b, 8));
}

TEST(Routines, HexDigitValue) {
  const std::string_view text = "09AFbgG-";
  const int expected[] = {0, 9, 10, 15, 0, 0, 0, 0};
  for (std::size_t i = 0; i < text.size(); ++i) EXPECT_EQ(hex_digit_value(text, i), expected[i]) << text[i];
  EXPECT_EQ(hex_digit_value(text, 8), 0);
  EXPECT_EQ(hex_digit_value("", 0), 0);
}

TEST(Routines, PadLeft) {
  struct Case {
    std::string_view text;
    std::size_t width;
    std::string_view fill;
    std::string_view expected;
  };
  const Case cases[] = {
      {"7", 3, "0", "007"},
      {"123", 3, "0", "123"},
      {"12345", 3, "0", "12345"},
      {"", 2, "ab", "abab"},    // the fill repeats whole
      {"Ж", 3, " ", "  Ж"},      // characters, not bytes
      {"5", 3, "", "5"},
  };
  for (const auto& c : cases) EXPECT_EQ(pad_left(c.text, c.width, c.fill), c.expected) << c.text;
}

TEST(Routines, ExpandRangeList) {
  struct Case {
    std::string_view input, expected;
  };
  const Case cases[] = {
      {"1,3-5,8", "1,3,4,5,8"},
      {"2-4,7", "2,3,4,7"},
      {"5-3", ""},
      {"5-3,7", "7"},
      {"a1b,2", "1,2"},
      {"", ""},
      {"4-4", "4"},
      {" 1 - 3 , 9", "1,2,3,9"},
      {"1,,x,2,", "1,2"},      // items without digits add nothing
      {"1-2-3", "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21,22,23"},  // the rest after the first "-" is b
      {"007,08-10", "007,8,9,10"},  // single numbers keep their digits as written
  };
  for (const auto& c : cases) {
    const auto r = expand_range_list(c.input);
    ASSERT_TRUE(r) << c.input << ": " << r.error().text;
    EXPECT_EQ(*r, c.expected) << c.input;
  }
}

TEST(Routines, ExpandRangeListRefusesRangesWithoutEndsAndAbsurdSizes) {
  for (std::string_view bad : {"-5", "3-", "1,-", "x-y", "1-4000000000", "1-99999999999999999999999",
                               "1-60000,1-60000"}) {
    const auto r = expand_range_list(bad);
    ASSERT_FALSE(r) << bad;
    EXPECT_FALSE(r.error().text.empty());
  }
  const auto at_cap = expand_range_list("1-100000");
  ASSERT_TRUE(at_cap);
  EXPECT_TRUE(at_cap->ends_with(",99999,100000"));
  EXPECT_FALSE(expand_range_list("0,1-100000"));
}
