#pragma once
// Received transfers kept as records: a read of n takes up to n bytes from the oldest
// record that still has bytes, the rest stays for the next read. This is how a bulk IN
// pipe hands out one device transfer, and how the link bridge and the in-process panel
// deliver answers.
#include <algorithm>
#include <cstddef>
#include <deque>
#include <span>

#include "util/bytes.hpp"

namespace vq::link {

class RecordQueue {
 public:
  void push(Bytes record) {
    if (!record.empty()) records_.push_back(std::move(record));
  }
  bool empty() const { return records_.empty(); }

  std::size_t take(std::span<std::uint8_t> out) {
    if (records_.empty() || out.empty()) return 0;
    Bytes& front = records_.front();
    const std::size_t n = std::min(out.size(), front.size() - offset_);
    std::copy_n(front.begin() + static_cast<std::ptrdiff_t>(offset_), n, out.begin());
    offset_ += n;
    if (offset_ == front.size()) {
      records_.pop_front();
      offset_ = 0;
    }
    return n;
  }

  void clear() {
    records_.clear();
    offset_ = 0;
  }

 private:
  std::deque<Bytes> records_;
  std::size_t offset_ = 0;  // bytes of the front record already taken
};

}  // namespace vq::link
