// Speech notices and their partition flags.
#include <gtest/gtest.h>

#include <tuple>
#include <utility>
#include <vector>

#include "memory/speech_notices.hpp"

using namespace vq::memory;

namespace {

std::vector<std::uint8_t> bytes(const TMemoryBlock& t) { return {t.data().begin(), t.data().end()}; }

}  // namespace

TEST(SpeechNotices, PartitionFlagIsBitMOfTheZonePartitionByte) {
  TMemoryBlock t(0x143C00, 9216);
  struct Case {
    int m, z, p;
    std::size_t offset;
    std::uint8_t bit;
  };
  const Case cases[] = {{0, 0, 0, 0, 0x01}, {3, 5, 2, 197, 0x08}, {7, 95, 95, 9215, 0x80}, {1, 95, 0, 95, 0x02}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.offset);
    t.set_byte(c.offset, static_cast<std::uint8_t>(~c.bit));
    EXPECT_FALSE(partition_flag(t, c.m, c.z, c.p));
    EXPECT_TRUE(set_partition_flag(t, c.m, c.z, c.p, true));
    EXPECT_EQ(t.byte_at(c.offset), 0xFF);
    EXPECT_TRUE(partition_flag(t, c.m, c.z, c.p));
    t.set_byte(c.offset, 0xFF);
    EXPECT_TRUE(set_partition_flag(t, c.m, c.z, c.p, false));
    EXPECT_EQ(t.byte_at(c.offset), static_cast<std::uint8_t>(~c.bit));
  }
}

TEST(SpeechNotices, NoticeIsLittleEndianAt32zPlus4m) {
  TMemoryBlock t(0x146000, 3072);
  EXPECT_TRUE(write_notice(t, 2, 1, 0x11223344));
  EXPECT_EQ(t.byte_at(40), 0x44);
  EXPECT_EQ(t.byte_at(43), 0x11);
  EXPECT_EQ(read_notice(t, 2, 1), 0x11223344u);
  EXPECT_TRUE(write_notice(t, 7, 95, 0xA0B0C0D0));
  EXPECT_EQ(t.byte_at(3068), 0xD0);
  EXPECT_EQ(t.byte_at(3071), 0xA0);
  EXPECT_EQ(read_notice(t, 7, 95), 0xA0B0C0D0u);
}

TEST(SpeechNotices, OutOfRangeArgumentsTouchNothing) {
  TMemoryBlock flags(0x143C00, 9216, 0xFF);
  TMemoryBlock notices(0x146000, 3072, 0x55);
  const auto flags_before = bytes(flags);
  const auto notices_before = bytes(notices);
  // m = 8 would be bit 0 of the next zone's byte, z = 96 the next partition's first byte.
  const std::tuple<int, int, int> bad_flags[] = {{8, 0, 0}, {-1, 0, 0}, {0, 96, 0}, {0, -1, 0}, {0, 0, 96}, {0, 0, -1}};
  for (auto [m, z, p] : bad_flags) {
    EXPECT_FALSE(partition_flag(flags, m, z, p));
    EXPECT_FALSE(set_partition_flag(flags, m, z, p, false));
  }
  const std::pair<int, int> bad_notices[] = {{8, 0}, {-1, 0}, {0, 96}, {0, -1}};
  for (auto [m, z] : bad_notices) {
    EXPECT_EQ(read_notice(notices, m, z), 0u);
    EXPECT_FALSE(write_notice(notices, m, z, 0));
  }
  EXPECT_EQ(bytes(flags), flags_before);
  EXPECT_EQ(bytes(notices), notices_before);
}

TEST(SpeechNotices, ShortImagesStayInside) {
  TMemoryBlock flags(0x143C00, 100, 0xFF);
  EXPECT_TRUE(partition_flag(flags, 0, 3, 1));   // byte 99, the last one
  EXPECT_FALSE(partition_flag(flags, 0, 4, 1));  // byte 100 is past the end
  EXPECT_FALSE(set_partition_flag(flags, 0, 4, 1, true));

  // 42 bytes: record (z 1, m 2) at 40..43 is cut, so it is neither read nor written in part.
  TMemoryBlock notices(0x146000, 42, 0x55);
  EXPECT_EQ(read_notice(notices, 1, 1), 0x55555555u);
  EXPECT_EQ(read_notice(notices, 2, 1), 0u);
  EXPECT_FALSE(write_notice(notices, 2, 1, 0));
  EXPECT_EQ(notices.byte_at(40), 0x55);
}
