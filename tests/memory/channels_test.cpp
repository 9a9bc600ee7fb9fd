// Channel table records: fixed bytes by record, fields by channel number.
#include <gtest/gtest.h>

#include "memory/channels.hpp"

using namespace vq::memory;

namespace {

struct Channel {
  int record;
  std::uint8_t number;
  std::uint8_t byte1, byte2;
  std::uint16_t communicator_type;
  std::uint8_t notice_type;
  std::uint16_t telephone_record;
};

TMemoryBlock table_of(std::initializer_list<Channel> channels, std::uint32_t length = 512) {
  TMemoryBlock t(0x10B800, length);
  for (const auto& c : channels) {
    const std::size_t at = channel_record_offset(c.record);
    const std::uint8_t bytes[] = {c.number,
                                  c.byte1,
                                  c.byte2,
                                  static_cast<std::uint8_t>(c.communicator_type),
                                  static_cast<std::uint8_t>(c.communicator_type >> 8),
                                  c.notice_type,
                                  static_cast<std::uint8_t>(c.telephone_record),
                                  static_cast<std::uint8_t>(c.telephone_record >> 8)};
    for (std::size_t i = 0; i < sizeof bytes; ++i) t.set_byte(at + i, bytes[i]);
  }
  return t;
}

}  // namespace

TEST(Channels, RecordBytesByRecordNumber) {
  const auto t = table_of({{0, 1, 0x11, 0x21, 0, 0, 0}, {7, 8, 0x18, 0x28, 0, 0, 0}});
  EXPECT_EQ(channel_byte_1(t, 0), 0x11);
  EXPECT_EQ(channel_byte_2(t, 0), 0x21);
  EXPECT_EQ(channel_byte_1(t, 7), 0x18);
  EXPECT_EQ(channel_byte_2(t, 7), 0x28);
  EXPECT_EQ(t.byte_at(1 + 77 + 1), 0x18);  // record 7 at offset 78
  EXPECT_EQ(channel_byte_1(t, 8), 0);
  EXPECT_EQ(channel_byte_1(t, -1), 0);
}

TEST(Channels, FieldsComeFromTheFirstRecordWithTheChannelNumber) {
  // Channel 2 is in records 1 and 4 (the first wins); channel 1 sits in record 6; record 3
  // is free (number 0) but carries stale values.
  const auto t = table_of({{1, 2, 0, 0, 0x0203, 3, 0x1234},
                           {3, 0, 0, 0, 0x0999, 9, 0x0999},
                           {4, 2, 0, 0, 0x0505, 5, 0x5555},
                           {6, 1, 0, 0, 0x0101, 4, 0xABCD}});
  struct Case {
    int k;
    std::uint16_t communicator_type;
    std::uint8_t notice_type;
    std::uint16_t telephone_record;
  };
  const Case cases[] = {
      {1, 0x0203, 3, 0x1234},
      {0, 0x0101, 4, 0xABCD},
      {2, 0, 0, 0},   // no record carries channel 3
      {-1, 0, 0, 0},  // must not find the free record
      {8, 0, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.k);
    EXPECT_EQ(channel_communicator_type(t, c.k), c.communicator_type);
    EXPECT_EQ(channel_notice_type(t, c.k), c.notice_type);
    EXPECT_EQ(channel_telephone_record(t, c.k), c.telephone_record);
  }
}

TEST(Channels, ShortImageReadsMissingBytesAsZero) {
  // 19 bytes: record 0 whole, record 1 (12..22) cut inside its telephone record field.
  const auto t = table_of({{0, 2, 0, 0, 0x0102, 1, 0x0304}, {1, 1, 0x11, 0x21, 0x0506, 7, 0x0708}}, 19);
  EXPECT_EQ(channel_telephone_record(t, 1), 0x0304);
  EXPECT_EQ(channel_communicator_type(t, 0), 0x0506);
  EXPECT_EQ(channel_telephone_record(t, 0), 0x0008);
  EXPECT_EQ(channel_byte_1(t, 2), 0);
}
