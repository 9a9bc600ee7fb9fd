#include "memory/speech_notices.hpp"

#include <optional>

#include "memory/routines.hpp"
#include "util/bytes.hpp"

namespace vq::memory {
namespace {

bool in_range(int v, int count) { return v >= 0 && v < count; }

std::optional<std::size_t> flag_offset(int m, int z, int p) {
  if (!in_range(m, kSpeechMessages) || !in_range(z, kSpeechZones) || !in_range(p, kSpeechPartitions))
    return std::nullopt;
  return static_cast<std::size_t>(kSpeechZones) * static_cast<std::size_t>(p) + static_cast<std::size_t>(z);
}

std::optional<std::size_t> notice_offset(const TMemoryBlock& t, int m, int z) {
  if (!in_range(m, kSpeechMessages) || !in_range(z, kSpeechZones)) return std::nullopt;
  const std::size_t at = 32 * static_cast<std::size_t>(z) + 4 * static_cast<std::size_t>(m);
  if (at + 4 > t.length()) return std::nullopt;
  return at;
}

}  // namespace

bool partition_flag(const TMemoryBlock& table, int m, int z, int p) {
  const auto at = flag_offset(m, z, p);
  return at && bit_test(table.byte_at(*at), m);
}

bool set_partition_flag(TMemoryBlock& table, int m, int z, int p, bool on) {
  const auto at = flag_offset(m, z, p);
  if (!at || *at >= table.length()) return false;
  std::uint8_t b = table.byte_at(*at);
  if (on)
    bit_set(b, m);
  else
    bit_clear(b, m);
  return table.set_byte(*at, b);
}

std::uint32_t read_notice(const TMemoryBlock& table, int m, int z) {
  const auto at = notice_offset(table, m, z);
  return at ? get_u32(table.data(), *at) : 0;
}

bool write_notice(TMemoryBlock& table, int m, int z, std::uint32_t value) {
  const auto at = notice_offset(table, m, z);
  if (!at) return false;
  put_u32(table.data(), *at, value);
  return true;
}

}  // namespace vq::memory
