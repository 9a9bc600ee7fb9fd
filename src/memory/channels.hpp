#pragma once
// The channel table (table 35): byte 0 is the number of channels in use, then 8 records of
// 11 bytes at 1 + 11c. Record byte 0 is the channel number (c + 1, 0 when free), byte 2 the
// communicator's device number, bytes 3-4 the communicator type, byte 5 the notice type,
// bytes 6-7 the telephone record number.
#include <cstddef>
#include <cstdint>

#include "memory/memory_block.hpp"

namespace vq::memory {

inline constexpr int kChannelRecords = 8;
inline constexpr std::size_t kChannelRecordSize = 11;

constexpr std::size_t channel_record_offset(int c) { return 1 + kChannelRecordSize * static_cast<std::size_t>(c); }

// Record bytes 1 and 2 of record c (0..7); 0 for any other c or past the image's end.
std::uint8_t channel_byte_1(const TMemoryBlock& table, int c);
std::uint8_t channel_byte_2(const TMemoryBlock& table, int c);

// Fields of the first record whose channel number is k + 1 (k 0..7); 0 when no record
// carries it. Bytes past the end of a short image read as 0.
std::uint16_t channel_telephone_record(const TMemoryBlock& table, int k);
std::uint16_t channel_communicator_type(const TMemoryBlock& table, int k);
std::uint8_t channel_notice_type(const TMemoryBlock& table, int k);

}  // namespace vq::memory
