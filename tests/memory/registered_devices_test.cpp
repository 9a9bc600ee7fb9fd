// The counting walk over the registered system devices table and its accessors.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "memory/registered_devices.hpp"

using namespace vq::memory;

namespace {

constexpr std::uint32_t kTableLength = 8001;

struct Record {
  std::uint16_t model;
  std::uint8_t index = 0;    // byte 0
  std::uint8_t byte11 = 0;
  std::uint8_t byte20 = 0;
};

// A table with byte 0 = count and the given records from offset 33 on.
TMemoryBlock table_of(std::uint8_t count, const std::vector<Record>& records, std::uint32_t length = kTableLength) {
  TMemoryBlock t(0x10D800, length);
  t.set_byte(0, count);
  std::size_t at = kRegisteredDevicesFirstRecord;
  for (const auto& r : records) {
    t.set_byte(at, r.index);
    t.set_byte(at + 5, static_cast<std::uint8_t>(r.model));
    t.set_byte(at + 6, static_cast<std::uint8_t>(r.model >> 8));
    t.set_byte(at + 11, r.byte11);
    t.set_byte(at + 20, r.byte20);
    at += kRegisteredDeviceRecordSize;
  }
  return t;
}

std::vector<std::pair<std::size_t, std::uint16_t>> walk(const TMemoryBlock& t) {
  std::vector<std::pair<std::size_t, std::uint16_t>> seen;
  for_each_counted_device(t, [&](std::size_t at, std::uint16_t model) { seen.emplace_back(at, model); });
  return seen;
}

using Seen = std::vector<std::pair<std::size_t, std::uint16_t>>;

}  // namespace

TEST(RegisteredDevices, WalkCountsOnlyKnownModelsUpToTheCount) {
  // 1234 is skipped without counting; the 517 after the second counted record is not reached.
  const auto t = table_of(2, {{526}, {1234}, {518}, {517}});
  EXPECT_EQ(walk(t), (Seen{{33, 526}, {97, 518}}));
  EXPECT_FALSE(has_model_517(t));
  EXPECT_TRUE(has_model_518(t));
}

TEST(RegisteredDevices, ZeroCountVisitsNothing) {
  const auto t = table_of(0, {{517, 4}, {518, 5}});
  EXPECT_TRUE(walk(t).empty());
  EXPECT_FALSE(has_model_517(t));
  EXPECT_EQ(device_index_of_model_518(t), 0);
}

TEST(RegisteredDevices, WalkStopsAtTheEndOfTheTable) {
  // A count above the 249 records that fit: the walk ends with the last whole record.
  const std::vector<Record> all(249, Record{6172});
  const auto seen = walk(table_of(255, all));
  ASSERT_EQ(seen.size(), 249u);
  EXPECT_EQ(seen.back().first, 33u + 248u * 32u);
}

TEST(RegisteredDevices, LastCountedRecordOfEachModelAnswers) {
  const auto t = table_of(5, {{518, 3, 0x11, 0x21}, {517, 5}, {1234, 9, 0x99, 0x99}, {518, 7, 0x12, 0x22}, {6172, 8}, {517, 10}});
  EXPECT_TRUE(has_model_517(t));
  EXPECT_TRUE(has_model_518(t));
  EXPECT_EQ(device_index_of_model_517(t), 10);
  EXPECT_EQ(device_index_of_model_518(t), 7);
  EXPECT_EQ(model_518_byte_11(t), 0x12);
  EXPECT_EQ(model_518_byte_20(t), 0x22);

  // A 518 record past the count is not the last one.
  const auto u = table_of(2, {{518, 3, 0x11, 0x21}, {526}, {518, 7, 0x12, 0x22}});
  EXPECT_EQ(device_index_of_model_518(u), 3);
  EXPECT_EQ(model_518_byte_20(u), 0x21);
}

TEST(RegisteredDevices, MissingModelGivesZeros) {
  const auto t = table_of(2, {{526, 4, 0x11, 0x21}, {6172, 5, 0x12, 0x22}});
  EXPECT_FALSE(has_model_517(t));
  EXPECT_FALSE(has_model_518(t));
  EXPECT_EQ(device_index_of_model_517(t), 0);
  EXPECT_EQ(device_index_of_model_518(t), 0);
  EXPECT_EQ(model_518_byte_11(t), 0);
  EXPECT_EQ(model_518_byte_20(t), 0);
}

TEST(RegisteredDevices, SetByte11WritesEveryCounted518AndReturnsTheCount) {
  auto t = table_of(3, {{518, 0, 1}, {526, 0, 2}, {1234, 0, 3}, {518, 0, 4}, {518, 0, 5}});
  EXPECT_EQ(set_model_518_byte_11(t, 0x5A), 3);
  EXPECT_EQ(t.byte_at(33 + 11), 0x5A);
  EXPECT_EQ(t.byte_at(65 + 11), 2);    // 526
  EXPECT_EQ(t.byte_at(97 + 11), 3);    // uncounted model
  EXPECT_EQ(t.byte_at(129 + 11), 0x5A);
  EXPECT_EQ(t.byte_at(161 + 11), 5);   // past the count
}

TEST(RegisteredDevices, ShortImageOnlyWholeRecordsTakePart) {
  // 80 bytes: the record at 33 fits, the one at 65 does not, though its model and byte 11 would.
  auto t = table_of(3, {{526, 1}, {518, 2, 0x11, 0x21}}, 80);
  EXPECT_EQ(walk(t), (Seen{{33, 526}}));
  EXPECT_FALSE(has_model_518(t));
  const std::vector<std::uint8_t> before(t.data().begin(), t.data().end());
  EXPECT_EQ(set_model_518_byte_11(t, 0x77), 3);
  EXPECT_TRUE(std::equal(before.begin(), before.end(), t.data().begin()));

  TMemoryBlock empty(0x10D800, 0);
  EXPECT_TRUE(walk(empty).empty());
  EXPECT_EQ(set_model_518_byte_11(empty, 1), 0);
}
