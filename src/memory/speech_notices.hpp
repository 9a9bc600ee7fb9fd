#pragma once
// The voice module's notices: the speech notice table (96 zones of 8 messages of 4 bytes,
// record (z, m) at 32z + 4m) and the speech notice partition table (96 x 96 bytes, the
// byte for zone z and partition p at 96p + z, its bit m for message m of zone z).
#include <cstddef>
#include <cstdint>

#include "memory/memory_block.hpp"

namespace vq::memory {

inline constexpr int kSpeechZones = 96;
inline constexpr int kSpeechMessages = 8;
inline constexpr int kSpeechPartitions = 96;

// Message m (0..7), zone z (0..95), partition p (0..95). Arguments out of range, or a
// byte past the end of a short image, read as off and are not written.
bool partition_flag(const TMemoryBlock& table, int m, int z, int p);
// Returns whether the bit was written.
bool set_partition_flag(TMemoryBlock& table, int m, int z, int p, bool on);

// The 4 bytes of record (z, m), little-endian; 0 when the record is out of range or not
// wholly inside the image.
std::uint32_t read_notice(const TMemoryBlock& table, int m, int z);
// Stores the value little-endian; a record not wholly inside the image is left alone
// rather than written in part. Returns whether it was written.
bool write_notice(TMemoryBlock& table, int m, int z, std::uint32_t value);

}  // namespace vq::memory
