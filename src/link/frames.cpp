#include "link/frames.hpp"

#include <algorithm>
#include <cassert>

namespace vq::link {

Bytes build_request(Convention c, std::uint8_t command, ByteView params) {
  assert(params.size() <= 254);
  Bytes f(params.size() + 5);
  const auto cb = convention_byte(c);
  f[0] = kRequestStart;
  f[1] = cb;
  f[2] = cb;
  f[3] = command;
  f[4] = static_cast<std::uint8_t>(params.size());
  std::copy(params.begin(), params.end(), f.begin() + 5);
  append_crc(f, crc_start(c));
  return f;
}

AnswerCheck check_answer(ByteView answer, Convention c) {
  if (answer.empty() || answer[0] != kAnswerStart) return AnswerCheck::bad_packet;
  return crc_matches(answer, crc_start(c)) ? AnswerCheck::good : AnswerCheck::crc_error;
}

Bytes pc_receipt(std::uint8_t fill, std::uint8_t status) { return {kRequestStart, fill, fill, status}; }

namespace {
struct StatusText {
  std::uint8_t status;
  int id;
  std::string_view text;
};
constexpr StatusText kStatusTexts[] = {
    {0x01, 15008, "4-й байт квитанции: ошибка CRC"},
    {0x02, 15009, "4-й байт квитанции: ошибка записи в память"},
    {0x03, 15010, "4-й байт квитанции: нет связи с устройством"},
    {0x04, 15011, "4-й байт квитанции: сбой в ПО ВМ"},
    {0x05, 15012, "4-й байт квитанции: ошибка типа устройства"},
    {0xFF, 15015, "4-й байт квитанции: ошибка 0xFF"},
};

const StatusText* find_status(std::uint8_t status, ReceiptKind kind) {
  if (status == 0xFF && kind != ReceiptKind::data_block) return nullptr;
  for (const auto& s : kStatusTexts)
    if (s.status == status) return &s;
  return nullptr;
}
}  // namespace

Result<> judge_receipt(ByteView receipt, ReceiptKind kind) {
  if (receipt.size() < kReceipt || receipt[0] != kAnswerStart)
    return fail(Error{0, 0, "Неверная квитанция прибора", {}});
  if (const auto* s = find_status(receipt[3], kind))
    return fail(Error{receipt[3], s->id, std::string(s->text), {}});
  return {};
}

Bytes scenario_request(std::uint8_t code) {
  const std::uint8_t p[] = {code};
  return build_request(Convention::A, kCmdScenario, p);
}

Bytes directory_request() {
  const std::uint8_t p[] = {1};
  return build_request(Convention::B, kCmdScenario, p);
}

Bytes transfer_parameters_frame(std::uint16_t table, std::uint32_t address, std::uint32_t length) {
  Bytes p;
  append_u16(p, 0);
  append_u16(p, 1);
  append_u16(p, kTableTransfer);
  p.insert(p.end(), 6, 0);
  append_u16(p, table);
  append_u32(p, address);
  append_u32(p, length);
  return build_request(Convention::A, kCmdTableWrite, p);
}

Bytes table_write_header(std::uint16_t packets, std::uint16_t table, std::uint32_t address) {
  Bytes p;
  append_u16(p, 0);
  append_u16(p, packets);
  append_u16(p, table);
  append_u32(p, address);
  append_u16(p, 0);
  return build_request(Convention::A, kCmdTableWrite, p);
}

Bytes table_write_block(std::uint16_t number, ByteView data252) {
  assert(data252.size() == kBlockData);
  Bytes f(kDataBlockFrame - 2);
  f[0] = kRequestStart;
  f[1] = 0xFF;
  f[2] = 0xFF;
  f[3] = kCmdTableWrite;
  f[4] = 0xFE;
  put_u16(f, 5, number);
  std::copy(data252.begin(), data252.end(), f.begin() + 7);
  append_crc(f, kCrcStartA);
  return f;
}

Bytes table_read_request(Convention c, std::uint16_t table, std::uint32_t address) {
  Bytes p;
  append_u16(p, table);
  append_u32(p, address);
  return build_request(c, kCmdTableRead, p);
}

}  // namespace vq::link
