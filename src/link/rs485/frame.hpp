#pragma once
// Bus frames: FF 55 FF 00, length, transaction number, then the command byte and its data
// scrambled with the running CRC, then the CRC. Pure functions, no I/O.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "util/bytes.hpp"

namespace vq::link::rs485 {

inline constexpr std::size_t kFrameOverhead = 10;  // N = 10 + L
inline constexpr std::size_t kBlockSize = 192;
inline constexpr std::size_t kHeaderSize = 11;     // the caller's header; 10 of it travel

inline constexpr std::uint16_t kTxnFindSystem = 12345;
inline constexpr std::uint16_t kTxnScenarioControl = 23456;
inline constexpr std::uint16_t kTxnWriteInitTable = 34567;
inline constexpr std::uint16_t kTxnWriteTableData = 45678;

inline constexpr std::uint8_t kCmdAck = 0x00;
inline constexpr std::uint8_t kCmdFindSystem = 0x06;
inline constexpr std::uint8_t kCmdScenarioControl = 0x81;
inline constexpr std::uint8_t kCmdWriteTable = 0x54;

inline constexpr std::size_t kAnswerFindSystem = 21;
inline constexpr std::size_t kAnswerScenarioControl = 20;
inline constexpr std::size_t kAnswerWrite = 11;

// A whole frame on the wire (scrambled, CRC appended).
Bytes build_frame(std::uint16_t txn, std::uint8_t command, ByteView data);

// Outcome of descrambling a received frame in place.
struct CrcCheck {
  bool ok = false;
  std::uint16_t computed = 0;  // running CRC over the frame as received
  std::uint16_t received = 0;  // the frame's last two bytes, low first
};

// Replaces offsets 7.. up to the last data byte by their plain values and checks the CRC.
// The frame must be at least kFrameOverhead bytes long.
CrcCheck descramble(std::span<std::uint8_t> frame);

// Plain view of a good frame: command byte and data (after descramble()).
struct PlainFrame {
  std::uint16_t txn = 0;
  std::uint8_t command = 0;
  Bytes data;
};
// Descrambles a copy; nullopt when too short, the length byte disagrees or the CRC fails.
std::optional<PlainFrame> decode_frame(ByteView frame);

// Requests and acknowledgements.
Bytes find_system_request();
Bytes find_system_ack();
Bytes scenario_control_request(std::uint8_t code);
Bytes scenario_control_ack();
// `header` must be kHeaderSize bytes; its eleventh byte never travels.
Bytes write_init_table_request(std::uint16_t table, std::uint32_t address, std::uint16_t blocks_plus_one,
                               ByteView header);
// `block` must be kBlockSize bytes.
Bytes write_table_data_request(std::uint16_t block_number, ByteView block);

// "0x" and two upper-case hex digits: the trace line of one byte.
std::string byte_line(std::uint8_t b);

}  // namespace vq::link::rs485
