#pragma once
// The registered system devices table: byte 0 is the number of registered devices, then
// 32-byte records from offset 33. In a record byte 0 is the device number minus 1, bytes
// 5-6 the model code (LE), bytes 11 and 20 per-device settings.
#include <cstddef>
#include <cstdint>
#include <functional>

#include "memory/memory_block.hpp"

namespace vq::memory {

inline constexpr std::size_t kRegisteredDevicesFirstRecord = 33;
inline constexpr std::size_t kRegisteredDeviceRecordSize = 32;

inline constexpr std::uint16_t kModelGsmCommunicator = 517;
inline constexpr std::uint16_t kModel518 = 518;
inline constexpr std::uint16_t kModelRelayModule = 526;
inline constexpr std::uint16_t kModel6172 = 6172;

// Models that count as registered devices; records of other models are skipped.
constexpr bool is_counted_model(std::uint16_t model) {
  return model == kModelRelayModule || model == kModel518 || model == kModelGsmCommunicator || model == kModel6172;
}

// The counting walk: calls fn(record offset, model) for each counted record, in table
// order, while fewer than byte 0 records have been counted and the record lies wholly
// inside the image. A count of 0 visits nothing.
void for_each_counted_device(const TMemoryBlock& table,
                             const std::function<void(std::size_t record_offset, std::uint16_t model)>& fn);

bool has_model_517(const TMemoryBlock& table);
bool has_model_518(const TMemoryBlock& table);

// Byte 0 (device number minus 1) of the last counted record of that model; 0 if none.
std::uint8_t device_index_of_model_517(const TMemoryBlock& table);
std::uint8_t device_index_of_model_518(const TMemoryBlock& table);

// Byte 20 / byte 11 of the last counted model 518 record; 0 if none.
std::uint8_t model_518_byte_20(const TMemoryBlock& table);
std::uint8_t model_518_byte_11(const TMemoryBlock& table);

// Writes the value into byte 11 of every counted model 518 record; returns byte 0 of the
// table (the device count), as callers have always received it.
std::uint8_t set_model_518_byte_11(TMemoryBlock& table, std::uint8_t value);

}  // namespace vq::memory
