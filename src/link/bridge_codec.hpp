#pragma once
// The bridge's wire format: every USB transfer travels as one record, a 2-byte
// little-endian length L (1..4096) followed by L bytes, so transfer boundaries survive
// the byte stream.
#include <cstddef>
#include <optional>

#include "util/bytes.hpp"
#include "util/result.hpp"

namespace vq::link {

inline constexpr std::size_t kMaxBridgeRecord = 4096;
inline constexpr std::size_t kBridgeHeader = 2;

// Fails for an empty transfer or one longer than a record can carry.
Result<Bytes> encode_record(ByteView transfer);

// Cuts records out of a byte stream that arrives in arbitrary pieces.
class RecordReader {
 public:
  void feed(ByteView chunk);
  // The next complete record; nothing while it is still arriving; an error when the peer
  // sent a length out of range (the stream cannot be resynchronised after that).
  Result<std::optional<Bytes>> next();
  // Bytes of a record that has not fully arrived yet.
  std::size_t pending() const { return buf_.size() - pos_; }

 private:
  Bytes buf_;
  std::size_t pos_ = 0;  // start of the first unread byte in buf_
};

}  // namespace vq::link
