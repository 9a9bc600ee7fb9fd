#include "link/table_commands.hpp"

#include <algorithm>
#include <cstdio>

#include "link/block_exchange.hpp"
#include "link/frames.hpp"
#include "shell/messages.hpp"

namespace vq::link {
namespace {

using Pipe = DeviceLink::Pipe;

void flush_both(Session& s) {
  s.link.flush(Pipe::write);
  s.link.flush(Pipe::read);
}

Result<> write_each_byte(Session& s, ByteView bytes) {
  for (auto b : bytes)
    if (auto w = s.link.write_byte(b); !w) return w;
  return {};
}

Result<> read_each_byte(Session& s, std::span<std::uint8_t> out) {
  for (auto& b : out) {
    auto r = s.link.read_byte();
    if (!r) return std::unexpected(r.error());
    b = *r;
  }
  return {};
}

Result<> read_receipt(Session& s, ReceiptKind kind) {
  std::uint8_t receipt[kReceipt];
  if (auto r = read_each_byte(s, receipt); !r) return r;
  return judge_receipt(receipt, kind);
}

std::string numbered(const char* format, long long value) {
  char buf[128];
  std::snprintf(buf, sizeof buf, format, value);
  return buf;
}

Error wrapped(int message_id, const Error& cause) {
  return Error{cause.code, message_id, shell::msg(message_id), cause.full()};
}

}  // namespace

Result<ScenarioValues> ScenarioControl(Session& s, std::uint8_t code) {
  flush_both(s);
  if (auto w = write_each_byte(s, scenario_request(code)); !w) return std::unexpected(w.error());
  s.link.flush(Pipe::write);
  std::uint8_t answer[kScenarioAnswer];
  if (auto r = read_each_byte(s, answer); !r) return std::unexpected(r.error());
  if (answer[0] != kAnswerStart) return fail(std::string(kTextBadPacket));
  ScenarioValues v;
  if (crc_matches(answer, kCrcStartA)) v = {true, answer[2], answer[3], answer[4]};
  s.link.flush(Pipe::read);
  // The panel expects FF FF in this receipt although the exchange is in convention A.
  if (auto w = write_each_byte(s, pc_receipt(0xFF)); !w) return std::unexpected(w.error());
  s.link.flush(Pipe::write);
  return v;
}

Result<> write_transfer_parameters(Session& s, std::uint16_t table, std::uint32_t address, std::uint32_t length) {
  flush_both(s);
  if (auto w = write_each_byte(s, transfer_parameters_frame(table, address, length)); !w) return w;
  s.link.flush(Pipe::write);
  s.wait_ms(5);
  return read_receipt(s, ReceiptKind::header);
}

Result<> WriteTable(Session& s, ByteView data, std::uint16_t table, std::uint32_t address, Progress* progress) {
  const std::size_t blocks = blocks_for(data.size());
  if (blocks + 1 > 0xFFFF) return fail("Таблица слишком велика для записи: " + std::to_string(data.size()) + " байт");

  flush_both(s);
  if (auto w = write_each_byte(s, table_write_header(static_cast<std::uint16_t>(blocks + 1), table, address)); !w)
    return w;
  s.link.flush(Pipe::write);
  s.wait_ms(5);
  if (auto r = read_receipt(s, ReceiptKind::header); !r) return r;
  s.link.flush(Pipe::write);

  std::uint8_t chunk[kBlockData];
  for (std::size_t k = 1; k <= blocks; ++k) {
    if (progress) progress->percent(k == 1 ? 0 : static_cast<int>(k * 100 / blocks));
    if (auto c = check_cancel(progress); !c) return c;

    const std::size_t from = (k - 1) * kBlockData;
    const std::size_t n = std::min(kBlockData, data.size() - from);
    std::copy_n(data.begin() + static_cast<std::ptrdiff_t>(from), n, chunk);
    std::fill(chunk + n, chunk + kBlockData, std::uint8_t{0});
    const Bytes frame = table_write_block(static_cast<std::uint16_t>(k), chunk);

    flush_both(s);
    const ByteView f(frame);
    if (auto w = write_each_byte(s, f.first(5)); !w) return w;
    for (std::size_t part = 0; part < 4; ++part)
      if (auto w = s.link.write_bytes(f.subspan(5 + 64 * part, 64)); !w) return w;
    s.wait_ms(5);
    if (auto r = read_receipt(s, ReceiptKind::data_block); !r) return r;
    s.wait_ms(2);
  }
  return {};
}

Result<> ReadTable(Session& s, std::span<std::uint8_t> out, std::uint16_t table, std::uint32_t address,
                   Progress* progress) {
  const std::size_t length = out.size();
  if (length > 0xFFFFFFFFu) return fail("Таблица слишком велика для чтения");
  // A cancel is looked at before every exchange, so it acts within one frame.
  if (auto c = check_cancel(progress); !c) return c;
  if (auto sc = ScenarioControl(s, 5); !sc) return std::unexpected(sc.error());
  if (auto c = check_cancel(progress); !c) return c;
  if (auto tp = write_transfer_parameters(s, table, address, static_cast<std::uint32_t>(length)); !tp) return tp;
  s.wait_ms(30);
  if (auto c = check_cancel(progress); !c) return c;
  (void)ScenarioControl(s, 2);  // its answer carries nothing the read needs

  if (auto c = check_cancel(progress); !c) return c;
  if (auto w = write_each_byte(s, table_read_request(Convention::A, table, address)); !w) return w;
  flush_both(s);
  s.wait_ms(100);
  std::uint8_t first[kReadFirstAnswer];
  if (auto r = read_each_byte(s, first); !r) return r;
  if (first[0] != kAnswerStart) return fail(std::string(kTextBadPacket));
  if (auto c = check_cancel(progress); !c) return c;  // before the receipt that starts the blocks
  if (auto w = write_each_byte(s, pc_receipt(0x00)); !w) return w;
  s.link.flush(Pipe::write);

  const std::size_t blocks = blocks_for(length);
  if (progress) progress->percent(0);
  std::uint8_t block[kReadBlockFrame];
  for (std::size_t i = 0; i < blocks; ++i) {
    if (auto r = read_each_byte(s, std::span(block, 2)); !r) return r;
    if (block[0] != kAnswerStart) return fail(std::string(kTextBadPacket));
    for (std::size_t part = 0; part < 4; ++part)
      if (auto r = s.link.read64(std::span<std::uint8_t, 64>(block + 2 + 64 * part, 64)); !r) return r;
    const std::size_t at = i * kBlockData;
    std::copy_n(block + 4, std::min(kBlockData, length - at), out.begin() + static_cast<std::ptrdiff_t>(at));
    s.wait_ms(200);
    // Cancel before the receipt: the panel then has nothing more on its way.
    if (i + 1 < blocks)
      if (auto c = check_cancel(progress); !c) return c;
    if (auto w = write_each_byte(s, pc_receipt(0x00)); !w) return w;
    if (progress) progress->percent(static_cast<int>((i + 1) * 100 / blocks));
  }
  return {};
}

Result<std::size_t> ReadTableDirect(Session& s, std::uint16_t table, std::uint32_t address, Bytes& out) {
  flush_both(s);
  if (auto w = send_block_request(s, table_read_request(Convention::B, table, address), kTextCantSendRead, 15017); !w)
    return std::unexpected(w.error());
  s.link.flush(Pipe::write);

  Bytes answer(kReadBlockFrame, 0);
  auto got = s.link.read_bytes(answer);
  const std::size_t n = got ? *got : 0;
  s.log("Принимаем...");
  s.log(numbered("Байт ожидали - %lld", static_cast<long long>(kReadBlockFrame)));
  s.log(numbered("Байт пришло - %lld", static_cast<long long>(n)));
  if (!got) {
    s.log(got.error().text);
    return std::unexpected(got.error());
  }
  answer.resize(n);
  // Fewer than four bytes cannot hold the start, the second byte and the CRC.
  if (answer[0] != kAnswerStart || n < 4) {
    s.log(kTextBadPacket);
    s.log(buffer_line(0, answer[0]));
    return fail(std::string(kTextBadPacket));
  }
  log_buffer(s, answer);
  if (auto c = check_block_answer(s, answer); !c) return std::unexpected(c.error());
  out.insert(out.end(), answer.begin() + 2, answer.end() - 2);
  if (auto w = send_block_receipt(s); !w) return std::unexpected(w.error());
  return n - 4;
}

Result<> ReadTableDirectory(Session& s, TableDirectory& dir) {
  flush_both(s);
  s.log("Команда управления сценарием");
  if (auto w = send_block_request(s, directory_request(), kTextCantSendScenario, 15013); !w) return w;
  s.link.flush(Pipe::write);
  s.wait_ms(100);
  s.log("Принимаем...");
  Bytes answer(kDirectoryAnswer, 0);
  auto got = s.link.read_bytes(answer);
  log_buffer(s, answer);
  if (!got) {
    s.log(got.error().text);
    return std::unexpected(got.error());
  }
  if (auto c = check_block_answer(s, answer); !c) return c;
  for (std::size_t i = 0; i < dir.entries.size(); ++i) {
    const std::size_t at = 2 + 10 * i;
    auto& e = dir.entries[i];
    e = {get_u16(answer, at), get_u32(answer, at + 2), get_u32(answer, at + 6)};
    const std::string name(TableDirectory::kNames[i]);
    s.log(numbered(("Номер таблицы " + name + " - %lld").c_str(), e.table));
    s.log(numbered(("Абсолютный адрес " + name + " - %lld").c_str(), e.address));
    s.log(numbered(("Длина таблицы " + name + " - %lld").c_str(), e.length));
  }
  if (auto w = send_block_receipt(s); !w) return w;
  if (dir.entries[0].length == 0) return fail("Прибор сообщил пустой журнал событий", kDirectoryEmpty);
  return {};
}

Result<> write_table_sequence(Session& s, std::uint16_t table, std::uint32_t address, ByteView data,
                              bool check_scenarios, Progress* progress) {
  if (data.size() > 0xFFFFFFFFu) return fail("Таблица слишком велика для записи");
  if (auto c = check_cancel(progress); !c) return c;
  auto sc5 = ScenarioControl(s, 5);
  if (check_scenarios && !sc5) return std::unexpected(sc5.error());
  if (auto c = check_cancel(progress); !c) return c;
  if (auto tp = write_transfer_parameters(s, table, address, static_cast<std::uint32_t>(data.size())); !tp) return tp;
  if (auto c = check_cancel(progress); !c) return c;
  auto sc3 = ScenarioControl(s, 3);
  if (check_scenarios && !sc3) return std::unexpected(sc3.error());
  if (auto c = check_cancel(progress); !c) return c;
  return WriteTable(s, data, table, address, progress);
}

Result<> WriteBlockToPanel(Session& s, std::uint32_t address, ByteView data, Progress* progress) {
  // A cancel is not a write error: it keeps its own text.
  if (auto r = write_table_sequence(s, kTableDirect, address, data, true, progress); !r)
    return is_cancel(r.error()) ? r : fail(wrapped(15052, r.error()));
  return {};
}

Result<> ReadBlockFromPanel(Session& s, std::uint32_t address, std::span<std::uint8_t> out, Progress* progress) {
  if (auto r = ReadTable(s, out, kTableDirect, address, progress); !r)
    return is_cancel(r.error()) ? r : fail(wrapped(15059, r.error()));
  return {};
}

}  // namespace vq::link
