#include "link/rs485/commands.hpp"

#include <cstdio>

#include "link/rs485/frame.hpp"

namespace vq::link::rs485 {
namespace {

constexpr Millis kAnswerWait{200};

std::string hex2(std::uint8_t b) {
  char buf[4];
  std::snprintf(buf, sizeof buf, "%02X", static_cast<unsigned>(b));
  return buf;
}

void trace_bytes(Rs485Session& s, ByteView bytes) {
  for (auto b : bytes) trace_line(s.trace, byte_line(b));
}

// Writes the whole frame in one call and traces it.
Result<> send_frame(Rs485Session& s, ByteView frame) {
  auto w = s.adapter.write(frame);
  trace_line(s.trace, "Send query:");
  trace_bytes(s, frame);
  return w;
}

// Steps 6 to 10: wait, read the answer, descramble and check it.
Result<Bytes> receive_answer(Rs485Session& s, std::size_t length) {
  Bytes answer(length);
  auto r = s.adapter.read(answer, s.read_timeout);
  const std::size_t got = r ? *r : 0;
  trace_line(s.trace, "Receive answer:");
  trace_bytes(s, ByteView(answer).first(got));
  if (!r) return fail(r.error());
  if (got < length)
    return fail(Error{0, 0, std::string(kTextNoAnswer),
                      "получено байт: " + std::to_string(got) + " из " + std::to_string(length)});
  auto c = descramble(answer);
  if (!c.ok) {
    auto lo = [](std::uint16_t v) { return static_cast<std::uint8_t>(v); };
    auto hi = [](std::uint16_t v) { return static_cast<std::uint8_t>(v >> 8); };
    trace_line(s.trace, "CRC error!");
    trace_line(s.trace, "crc_d.byte.lo - 0x" + hex2(lo(c.computed)));
    trace_line(s.trace, "TxBuffer[TxBytes-2] - 0x" + hex2(lo(c.received)));
    trace_line(s.trace, "crc_d.byte.hi - 0x" + hex2(hi(c.computed)));
    trace_line(s.trace, "TxBuffer[TxBytes-1] - 0x" + hex2(hi(c.received)));
    return fail(std::string(kTextBadCrc));
  }
  return answer;
}

Result<Bytes> exchange(Rs485Session& s, std::string_view name, ByteView request, std::size_t answer_length) {
  trace_line(s.trace, name);
  if (auto w = send_frame(s, request); !w) return fail(w.error());
  s.pacing.wait(kAnswerWait);
  return receive_answer(s, answer_length);
}

Result<> check_result_code(const Bytes& answer) {
  const std::uint8_t code = answer[8];
  if (code != 0) return fail(Error{code, 0, std::string(kTextRefused) + " " + std::to_string(code), {}});
  return {};
}

}  // namespace

Result<DeviceIdentity> FindSystem485(Rs485Session& s) {
  auto a = exchange(s, "FindSystem485", find_system_request(), kAnswerFindSystem);
  if (!a) return fail(a.error());
  DeviceIdentity id;
  id.device_type = get_u16(*a, 8);
  id.platform = get_u16(*a, 10);
  id.version = {(*a)[12], (*a)[13], (*a)[14]};
  if (auto w = send_frame(s, find_system_ack()); !w) return fail(w.error());
  return id;
}

Result<ScenarioAnswer> ScenarioControl485(Rs485Session& s, std::uint8_t code) {
  auto a = exchange(s, "ScenarioControl485", scenario_control_request(code), kAnswerScenarioControl);
  if (!a) return fail(a.error());
  ScenarioAnswer ans;
  ans.table = get_u16(*a, 8);
  ans.address = get_u32(*a, 10);
  ans.length = get_u32(*a, 14);
  if (auto w = send_frame(s, scenario_control_ack()); !w) return fail(w.error());
  return ans;
}

Result<> WriteInitTable485(Rs485Session& s, std::uint16_t table, std::uint32_t address,
                           std::uint16_t blocks_plus_one, ByteView header) {
  if (header.size() != kHeaderSize) return fail("Заголовок файла ПО должен занимать 11 байт");
  auto a = exchange(s, "WriteInitTable485", write_init_table_request(table, address, blocks_plus_one, header),
                    kAnswerWrite);
  if (!a) return fail(a.error());
  return check_result_code(*a);
}

Result<> WriteTableData485(Rs485Session& s, std::uint16_t block_number, std::uint32_t first,
                           std::uint32_t end, ByteView data) {
  if (end < first || end - first != kBlockSize || end > data.size())
    return fail("Блок данных RS-485 должен занимать 192 байта внутри данных");
  trace_line(s.trace, "WriteTableData485");
  const Bytes frame = write_table_data_request(block_number, data.subspan(first, kBlockSize));
  // One byte per write, as the bus side expects; the last write's status decides.
  trace_line(s.trace, "Send query:");
  Result<> status;
  for (auto b : frame) {
    const std::uint8_t one[1] = {b};
    status = s.adapter.write(one);
    trace_line(s.trace, byte_line(b));
  }
  s.pacing.wait(kAnswerWait);
  if (!status) return fail(status.error());
  auto a = receive_answer(s, kAnswerWrite);
  if (!a) return fail(a.error());
  return check_result_code(*a);
}

}  // namespace vq::link::rs485
