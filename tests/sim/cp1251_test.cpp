// Code page 1251, the way the panel stores partition and object names.
#include <gtest/gtest.h>

#include <string>

#include "util/cp1251.hpp"

using namespace vq;

TEST(Cp1251, RussianAlphabetRoundTrips) {
  const std::string upper = "АБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ";
  const std::string lower = "абвгдежзийклмнопрстуфхцчшщъыьэюя";
  const Bytes bytes = utf8_to_cp1251(upper + lower + "Ёё");
  ASSERT_EQ(bytes.size(), 66u);
  for (std::size_t i = 0; i < 64; ++i) EXPECT_EQ(bytes[i], 0xC0 + i) << i;
  EXPECT_EQ(bytes[64], 0xA8);
  EXPECT_EQ(bytes[65], 0xB8);
  EXPECT_EQ(cp1251_to_utf8(bytes), upper + lower + "Ёё");
}

TEST(Cp1251, MixedTextAndCharactersOutsideTheCodePage) {
  struct Case {
    std::string utf8;
    Bytes cp1251;
    std::string back;
  };
  for (const auto& c : {
           Case{"Раздел 5", {0xD0, 0xE0, 0xE7, 0xE4, 0xE5, 0xEB, 0x20, 0x35}, "Раздел 5"},
           Case{"ТЦ №1", {0xD2, 0xD6, 0x20, 0xB9, 0x31}, "ТЦ №1"},
           Case{"Ωa", {'?', 'a'}, "?a"},  // no place in the code page
           Case{"😀", {'?'}, "?"},        // four-byte sequence
           Case{"", {}, ""},
       }) {
    EXPECT_EQ(utf8_to_cp1251(c.utf8), c.cp1251) << c.utf8;
    EXPECT_EQ(cp1251_to_utf8(c.cp1251), c.back) << c.utf8;
  }
}
