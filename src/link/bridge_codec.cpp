#include "link/bridge_codec.hpp"

#include <string>

#include "link/transport.hpp"

namespace vq::link {

Result<Bytes> encode_record(ByteView transfer) {
  if (transfer.empty() || transfer.size() > kMaxBridgeRecord)
    return fail("Передача длиной " + std::to_string(transfer.size()) +
                    " байт не помещается в запись моста (допустимо от 1 до " + std::to_string(kMaxBridgeRecord) +
                    ")",
                kTransportIo);
  Bytes record;
  record.reserve(kBridgeHeader + transfer.size());
  append_u16(record, static_cast<std::uint16_t>(transfer.size()));
  record.insert(record.end(), transfer.begin(), transfer.end());
  return record;
}

void RecordReader::feed(ByteView chunk) {
  // Drop what was consumed before growing, so a long session does not accumulate.
  if (pos_ > 0 && pos_ >= buf_.size() / 2) {
    buf_.erase(buf_.begin(), buf_.begin() + static_cast<std::ptrdiff_t>(pos_));
    pos_ = 0;
  }
  buf_.insert(buf_.end(), chunk.begin(), chunk.end());
}

Result<std::optional<Bytes>> RecordReader::next() {
  if (pending() < kBridgeHeader) return std::nullopt;
  const std::size_t length = get_u16(buf_, pos_);
  if (length == 0 || length > kMaxBridgeRecord)
    return fail("запись неверной длины " + std::to_string(length) + ", допустимо от 1 до " +
                    std::to_string(kMaxBridgeRecord),
                kTransportIo);
  if (pending() < kBridgeHeader + length) return std::nullopt;
  const auto first = buf_.begin() + static_cast<std::ptrdiff_t>(pos_ + kBridgeHeader);
  Bytes record(first, first + static_cast<std::ptrdiff_t>(length));
  pos_ += kBridgeHeader + length;
  if (pos_ == buf_.size()) {
    buf_.clear();
    pos_ = 0;
  }
  return record;
}

}  // namespace vq::link
