#pragma once
// CRC-16 with the reflected polynomial 0xA001, appended low byte first.
// Start 0x0000 gives CRC-16/ARC (convention A), start 0xFFFF CRC-16/MODBUS (convention B).
#include <cstdint>

#include "util/bytes.hpp"

namespace vq::link {

inline constexpr std::uint16_t kCrcStartA = 0x0000;
inline constexpr std::uint16_t kCrcStartB = 0xFFFF;

// One byte fed into the accumulator.
std::uint16_t crc16_step(std::uint16_t crc, std::uint8_t byte);

std::uint16_t crc16(ByteView data, std::uint16_t start);

// Appends the CRC of everything already in `frame`, low byte first.
void append_crc(Bytes& frame, std::uint16_t start);

// True when the last two bytes are the CRC of the bytes before them.
bool crc_matches(ByteView frame, std::uint16_t start);

}  // namespace vq::link
