#include "sim/virtual_panel.hpp"

#include <algorithm>

#include "link/frames.hpp"

namespace vq::sim {

using namespace vq::link;

namespace {

struct Page {
  std::uint32_t table;
  std::uint32_t address;
};
constexpr Page kPages[] = {{30, 0x10AE00}, {33, 0x10B400}, {34, 0x10B600}, {35, 0x10B800}, {36, 0x10BA00},
                           {37, 0x10BC00}, {60, 0x10D000}, {70, 0x10D200}, {71, 0x10D400}};

constexpr std::uint32_t kEventLogAddress = 0x112E00;
constexpr std::uint32_t kEventLogLength = 9900 * 16;

}  // namespace

VirtualPanel::VirtualPanel() : memory_(kMemorySize, 0) {
  // Where this panel keeps its journal and the six tables the journal reader needs.
  directory_.entries = {{
      {200, kEventLogAddress, kEventLogLength},  // EventLog
      {201, 0x002500, 873},                      // SectNames: the partition name table
      {202, 0x13A000, 192},                      // SectNamePointers
      {203, 0x13A100, 16},                       // AddInfo
      {204, 0x13A200, 96},                       // RegDevs
      {205, 0x13A300, 250},                      // RegRPDs
      {206, 0x13A400, 96},                       // RazdelTypes
  }};
}

std::optional<std::uint32_t> VirtualPanel::page_address(std::uint32_t table) {
  for (const auto& p : kPages)
    if (p.table == table) return p.address;
  return std::nullopt;
}

void VirtualPanel::set_chunk_size(std::size_t n) { chunk_size_ = std::clamp<std::size_t>(n, 1, 254); }

std::optional<VirtualPanel::Target> VirtualPanel::resolve(std::uint32_t table, std::uint32_t address,
                                                          std::uint32_t length) const {
  std::uint32_t base = address;
  std::uint32_t span = length;
  if (auto page = page_address(table)) {
    base = *page;
    span = std::min<std::uint32_t>(length, kPageSize);
  } else if (table != kTableDirect) {
    const auto& e = directory_.entries;
    const bool listed = std::any_of(e.begin(), e.end(), [&](const auto& d) { return d.table == table; });
    if (!listed) return std::nullopt;
  }
  if (base > kMemorySize) return std::nullopt;
  return Target{base, std::min<std::uint32_t>(span, kMemorySize - base), false};
}

void VirtualPanel::receive(ByteView transfer) {
  rx_.insert(rx_.end(), transfer.begin(), transfer.end());
  process();
}

void VirtualPanel::reset_exchange() {
  rx_.clear();
  tx_.clear();
  answer_suppressed_ = false;
  last_scenario_ = 0;
  tp_table_ = tp_address_ = tp_length_ = 0;
  tp_valid_ = false;
  write_.reset();
  write_blocks_ = 0;
  write_next_ = 1;
  await_ = Await::nothing;
  read_ = {};
  read_blocks_ = read_next_ = 0;
}

std::optional<Bytes> VirtualPanel::take_answer() {
  if (tx_.empty()) return std::nullopt;
  Bytes b = std::move(tx_.front());
  tx_.pop_front();
  return b;
}

// The panel sees a byte stream: convention A arrives one byte per transfer, so frames are
// found by their own length field, not by transfer boundaries.
void VirtualPanel::process() {
  std::size_t at = 0;
  for (;;) {
    while (at < rx_.size() && rx_[at] != kRequestStart) {
      ++at;
      ++stats_.dropped_bytes;
    }
    const std::size_t left = rx_.size() - at;
    if (left < 4) break;
    if (rx_[at + 3] == 0x00) {  // no command is 0: a PC receipt
      ++stats_.receipts;
      at += kReceipt;
      on_receipt();
      continue;
    }
    if (left < 5) break;
    const std::size_t total = std::size_t{rx_[at + 4]} + 7;
    if (left < total) break;
    on_frame(ByteView(rx_).subspan(at, total));
    at += total;
  }
  rx_.erase(rx_.begin(), rx_.begin() + static_cast<std::ptrdiff_t>(at));
}

void VirtualPanel::send_raw(Bytes frame) {
  if (answer_suppressed_ || faults_.silent) return;
  if (faults_.bad_start_answers > 0) {
    --faults_.bad_start_answers;
    frame[0] = kRequestStart;
  }
  tx_.push_back(std::move(frame));
}

void VirtualPanel::send_answer(Bytes frame, std::uint16_t crc_start) {
  append_crc(frame, crc_start);
  if (faults_.bad_crc_answers > 0 && !answer_suppressed_ && !faults_.silent) {
    --faults_.bad_crc_answers;
    frame.back() ^= 0x5A;
  }
  send_raw(std::move(frame));
}

void VirtualPanel::send_receipt(std::uint8_t status) { send_raw({kAnswerStart, 0x00, 0x00, status}); }

void VirtualPanel::on_frame(ByteView frame) {
  ++stats_.frames;
  answer_suppressed_ = false;
  if (faults_.silent_at_frame > 0 && --faults_.silent_at_frame == 0) answer_suppressed_ = true;

  const std::uint8_t command = frame[3];
  const std::size_t n = frame[4];
  const bool data_block = command == kCmdTableWrite && n == 254;
  const bool conv_b = frame[1] == 0xFF && !data_block;
  // A data block carries FF FF yet its CRC starts at 0x0000.
  if (!crc_matches(frame, conv_b ? kCrcStartB : kCrcStartA)) {
    ++stats_.corrupt_frames;
    send_receipt(0x01);
    return;
  }
  if (command != kCmdTableRead) await_ = Await::nothing;  // a new exchange ends any read stream

  const ByteView params = frame.subspan(5, n);
  switch (command) {
    case kCmdSystemSearch: on_search(conv_b); break;
    case kCmdScenario:
      if (n >= 1) on_scenario(params[0], conv_b);
      break;
    case kCmdTableWrite:
      if (data_block)
        on_data_block(params);
      else
        on_write_header(params);
      break;
    case kCmdTableRead:
      if (n >= 6) on_read(params, conv_b);
      break;
    default: send_receipt(0x02); break;
  }
}

void VirtualPanel::on_receipt() {
  answer_suppressed_ = false;
  if (await_ == Await::read_receipt) send_next_read_block();
}

void VirtualPanel::on_search(bool conv_b) {
  Bytes a{kAnswerStart, static_cast<std::uint8_t>(conv_b ? 0xFF : 0x00)};
  append_u16(a, identity_.device_type);
  append_u16(a, identity_.platform);
  a.insert(a.end(), identity_.version.begin(), identity_.version.end());
  send_answer(std::move(a), conv_b ? kCrcStartB : kCrcStartA);
}

void VirtualPanel::on_scenario(std::uint8_t code, bool conv_b) {
  last_scenario_ = code;
  const std::uint16_t start = conv_b ? kCrcStartB : kCrcStartA;
  if (code == 1) {
    Bytes a{kAnswerStart, 0x00};
    for (const auto& e : directory_.entries) {
      append_u16(a, static_cast<std::uint16_t>(e.table));
      append_u32(a, e.address);
      append_u32(a, e.length);
    }
    send_answer(std::move(a), start);
    return;
  }
  // r1..r3: the scenario taken and two zero status bytes.
  Bytes a{kAnswerStart, 0x00, code, 0x00, 0x00};
  a.resize(kScenarioAnswer - 2, 0);
  send_answer(std::move(a), start);
}

void VirtualPanel::on_write_header(ByteView p) {
  write_.reset();
  if (p.size() == 22 && get_u16(p, 4) == kTableTransfer) {
    tp_table_ = get_u16(p, 12);
    tp_address_ = get_u32(p, 14);
    tp_length_ = get_u32(p, 18);
    tp_valid_ = true;
    send_receipt(0x00);
    return;
  }
  if (p.size() != 12) {
    send_receipt(0x02);
    return;
  }
  const std::uint16_t packets = get_u16(p, 2);
  const std::uint16_t table = get_u16(p, 4);
  const std::uint32_t address = get_u32(p, 6);
  write_blocks_ = packets > 0 ? packets - 1u : 0u;
  write_next_ = 1;

  if (table == 0 && last_scenario_ == 4) {
    firmware_.clear();
    write_ = Target{0, static_cast<std::uint32_t>(write_blocks_ * kBlockData), true};
  } else {
    // Only the length announced in table 18 reaches memory.
    const std::uint32_t announced = tp_valid_ ? tp_length_ : 0;
    write_ = resolve(table, address, announced);
    if (!write_ || (tp_valid_ && write_->limit < announced && !page_address(table))) {
      write_.reset();
      send_receipt(0x02);
      return;
    }
  }
  send_receipt(0x00);
}

void VirtualPanel::on_data_block(ByteView p) {
  const std::uint16_t number = get_u16(p, 0);
  if (!write_ || number != write_next_ || number > write_blocks_) {
    send_receipt(0x02);
    return;
  }
  const ByteView data = p.subspan(2, kBlockData);
  const std::size_t offset = (number - 1u) * kBlockData;
  if (write_->firmware) {
    firmware_.insert(firmware_.end(), data.begin(), data.end());
  } else if (offset < write_->limit) {
    const std::size_t n = std::min<std::size_t>(kBlockData, write_->limit - offset);
    std::copy_n(data.begin(), n, memory_.begin() + static_cast<std::ptrdiff_t>(write_->base + offset));
  }
  ++write_next_;
  if (write_next_ > write_blocks_) write_.reset();
  std::uint8_t status = 0x00;
  if (faults_.block_status_at > 0 && static_cast<std::size_t>(faults_.block_status_at) == number) {
    faults_.block_status_at = 0;
    status = faults_.block_status;
  }
  send_receipt(status);
}

void VirtualPanel::on_read(ByteView p, bool conv_b) {
  const std::uint16_t table = get_u16(p, 0);
  const std::uint32_t address = get_u32(p, 2);

  if (conv_b) {
    // One frame, as many bytes as the panel likes, bounded by the table it belongs to.
    std::uint32_t end = address + static_cast<std::uint32_t>(chunk_size_);
    for (const auto& e : directory_.entries)
      if (e.table == table && address >= e.address && address < e.address + e.length)
        end = std::min(end, e.address + e.length);
    end = std::min(end, kMemorySize);
    Bytes a{kAnswerStart, 0x00};
    if (address < end) a.insert(a.end(), memory_.begin() + address, memory_.begin() + end);
    send_answer(std::move(a), kCrcStartB);
    return;
  }

  const std::uint32_t length = tp_valid_ ? tp_length_ : 0;
  auto target = resolve(table, address, length);
  if (!target) {
    send_raw({0x00, 0x00, 0, 0, 0, 0, 0, 0});  // not an answer: the PC gives up on it
    return;
  }
  read_ = *target;
  read_blocks_ = blocks_for(length);
  read_next_ = 0;
  Bytes first{kAnswerStart, 0x00};
  append_u32(first, length);
  append_crc(first, kCrcStartA);
  send_raw(std::move(first));
  await_ = Await::read_receipt;
}

void VirtualPanel::send_next_read_block() {
  if (read_next_ >= read_blocks_) {
    await_ = Await::nothing;
    return;
  }
  Bytes block{kAnswerStart, 0x00};
  append_u16(block, static_cast<std::uint16_t>(read_next_ + 1));
  const std::size_t offset = read_next_ * kBlockData;
  for (std::size_t i = 0; i < kBlockData; ++i)
    block.push_back(offset + i < read_.limit ? memory_[read_.base + offset + i] : 0);
  append_crc(block, kCrcStartA);
  ++read_next_;
  send_raw(std::move(block));
}

}  // namespace vq::sim
