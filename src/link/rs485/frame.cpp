#include "link/rs485/frame.hpp"

#include <cassert>
#include <cstdio>

#include "link/crc16.hpp"

namespace vq::link::rs485 {
namespace {

// CRC of offsets 2..6: the first scrambling byte is its high byte.
std::uint16_t prefix_crc(ByteView frame) {
  std::uint16_t crc = 0;
  for (std::size_t i = 2; i < 7; ++i) crc = crc16_step(crc, frame[i]);
  return crc;
}

std::uint8_t hi(std::uint16_t v) { return static_cast<std::uint8_t>(v >> 8); }

}  // namespace

Bytes build_frame(std::uint16_t txn, std::uint8_t command, ByteView data) {
  assert(data.size() <= 0xFF);
  Bytes f{0xFF, 0x55, 0xFF, 0x00, static_cast<std::uint8_t>(data.size())};
  append_u16(f, txn);
  f.push_back(command);
  f.insert(f.end(), data.begin(), data.end());
  std::uint16_t crc = prefix_crc(f);
  for (std::size_t i = 7; i < f.size(); ++i) {
    f[i] = static_cast<std::uint8_t>(f[i] ^ hi(crc));
    crc = crc16_step(crc, f[i]);
  }
  append_u16(f, crc);
  return f;
}

CrcCheck descramble(std::span<std::uint8_t> frame) {
  // Too short to hold a frame: not one, whatever its bytes.
  if (frame.size() < kFrameOverhead) return {};
  const std::size_t n = frame.size();
  std::uint16_t crc = prefix_crc(frame);
  for (std::size_t i = 7; i < n - 2; ++i) {
    const std::uint8_t wire = frame[i];
    frame[i] = static_cast<std::uint8_t>(wire ^ hi(crc));
    crc = crc16_step(crc, wire);
  }
  CrcCheck c;
  c.computed = crc;
  c.received = get_u16(frame, n - 2);
  c.ok = c.computed == c.received;
  return c;
}

std::optional<PlainFrame> decode_frame(ByteView frame) {
  if (frame.size() < kFrameOverhead || frame.size() != kFrameOverhead + frame[4]) return std::nullopt;
  Bytes copy(frame.begin(), frame.end());
  if (!descramble(copy).ok) return std::nullopt;
  PlainFrame p;
  p.txn = get_u16(copy, 5);
  p.command = copy[7];
  p.data.assign(copy.begin() + 8, copy.end() - 2);
  return p;
}

Bytes find_system_request() { return build_frame(kTxnFindSystem, kCmdFindSystem, {}); }

Bytes find_system_ack() {
  const std::uint8_t zero[1] = {0};
  return build_frame(kTxnFindSystem, kCmdAck, zero);
}

Bytes scenario_control_request(std::uint8_t code) {
  const std::uint8_t data[1] = {code};
  return build_frame(kTxnScenarioControl, kCmdScenarioControl, data);
}

Bytes scenario_control_ack() {
  const std::uint8_t zero[1] = {0};
  return build_frame(kTxnScenarioControl, kCmdAck, zero);
}

Bytes write_init_table_request(std::uint16_t table, std::uint32_t address, std::uint16_t blocks_plus_one,
                               ByteView header) {
  assert(header.size() == kHeaderSize);
  Bytes d;
  append_u16(d, 0);
  append_u16(d, blocks_plus_one);
  append_u16(d, table);
  append_u32(d, address);
  d.push_back(0xFF);
  d.push_back(0xFF);
  d.insert(d.end(), header.begin(), header.begin() + 10);
  d.push_back(0);  // the header's eleventh byte stays home
  return build_frame(kTxnWriteInitTable, kCmdWriteTable, d);
}

Bytes write_table_data_request(std::uint16_t block_number, ByteView block) {
  assert(block.size() == kBlockSize);
  Bytes d;
  append_u16(d, block_number);
  d.insert(d.end(), block.begin(), block.end());
  return build_frame(kTxnWriteTableData, kCmdWriteTable, d);
}

std::string byte_line(std::uint8_t b) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "0x%02X", static_cast<unsigned>(b));
  return buf;
}

}  // namespace vq::link::rs485
