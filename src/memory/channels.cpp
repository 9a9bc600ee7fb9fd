#include "memory/channels.hpp"

#include <optional>

namespace vq::memory {
namespace {

bool valid(int c) { return c >= 0 && c < kChannelRecords; }

std::uint8_t record_byte(const TMemoryBlock& t, int c, std::size_t i) {
  return valid(c) ? t.byte_at(channel_record_offset(c) + i) : 0;
}

std::uint16_t record_u16(const TMemoryBlock& t, int c, std::size_t i) {
  return static_cast<std::uint16_t>(record_byte(t, c, i) | record_byte(t, c, i + 1) << 8);
}

std::optional<int> record_of_channel(const TMemoryBlock& t, int k) {
  if (!valid(k)) return std::nullopt;
  for (int c = 0; c < kChannelRecords; ++c)
    if (record_byte(t, c, 0) == k + 1) return c;
  return std::nullopt;
}

}  // namespace

std::uint8_t channel_byte_1(const TMemoryBlock& table, int c) { return record_byte(table, c, 1); }
std::uint8_t channel_byte_2(const TMemoryBlock& table, int c) { return record_byte(table, c, 2); }

std::uint16_t channel_telephone_record(const TMemoryBlock& table, int k) {
  const auto c = record_of_channel(table, k);
  return c ? record_u16(table, *c, 6) : 0;
}

std::uint16_t channel_communicator_type(const TMemoryBlock& table, int k) {
  const auto c = record_of_channel(table, k);
  return c ? record_u16(table, *c, 3) : 0;
}

std::uint8_t channel_notice_type(const TMemoryBlock& table, int k) {
  const auto c = record_of_channel(table, k);
  return c ? record_byte(table, *c, 5) : 0;
}

}  // namespace vq::memory
