// Looking up an identifier code.
#include <gtest/gtest.h>

#include <array>

#include "memory/identifiers.hpp"

using namespace vq::memory;

namespace {

using Code = std::array<std::uint8_t, kIdentifierCodeSize>;

void put_code(TMemoryBlock& t, int i, const Code& c) {
  for (std::size_t j = 0; j < c.size(); ++j) t.set_byte(identifier_code_offset(i) + j, c[j]);
}

}  // namespace

TEST(Identifiers, FindsTheFirstEqualCode) {
  TMemoryBlock t(0x104A00, 6005);
  const Code code{1, 2, 3, 4, 5, 6};
  const Code near{1, 2, 3, 4, 5, 7};
  put_code(t, 100, near);
  put_code(t, 300, code);
  put_code(t, 700, code);
  put_code(t, 999, near);
  EXPECT_EQ(find_identifier_code(t, code), 300);
  EXPECT_EQ(find_identifier_code_exact(t, code), 300);
  EXPECT_EQ(find_identifier_code_exact(t, near), 100);

  const Code last{9, 9, 9, 9, 9, 9};
  put_code(t, 999, last);
  EXPECT_EQ(find_identifier_code_exact(t, last), 999);
}

TEST(Identifiers, NoMatchAndSlotZeroLookTheSameOnlyToThePlainSearch) {
  TMemoryBlock t(0x104A00, 6005);
  const Code code{0xA1, 0xB2, 0xC3, 0xD4, 0xE5, 0xF6};
  EXPECT_EQ(find_identifier_code(t, code), 0);
  EXPECT_EQ(find_identifier_code_exact(t, code), std::nullopt);
  put_code(t, 0, code);
  EXPECT_EQ(find_identifier_code(t, code), 0);
  EXPECT_EQ(find_identifier_code_exact(t, code), 0);
}

TEST(Identifiers, ShortImageComparesWholeCodesOnly) {
  // Code 2 would span 17..22; only 17..19 exist. Zero bytes past the end must not match.
  TMemoryBlock t(0x104A00, 20);
  const Code code{1, 2, 3, 0, 0, 0};
  put_code(t, 2, code);
  EXPECT_EQ(find_identifier_code_exact(t, code), std::nullopt);
  EXPECT_EQ(find_identifier_code_exact(t, Code{}), 0);
}
