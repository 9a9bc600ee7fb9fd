#pragma once
// One table image: the local copy of a panel table, exactly `length` bytes.
#include <cstdint>
#include <span>
#include <vector>

namespace vq::memory {

class TMemoryBlock {
 public:
  TMemoryBlock(std::uint32_t start_address, std::uint32_t length, std::uint8_t fill = 0)
      : start_(start_address), data_(length, fill) {}

  // Images are held by their owners, never copied.
  TMemoryBlock(const TMemoryBlock&) = delete;
  TMemoryBlock& operator=(const TMemoryBlock&) = delete;
  TMemoryBlock(TMemoryBlock&&) = default;
  TMemoryBlock& operator=(TMemoryBlock&&) = default;

  std::uint32_t table_number() const { return table_; }
  void set_table_number(std::uint32_t t) { table_ = t; }
  std::uint32_t start_address() const { return start_; }
  std::uint32_t length() const { return static_cast<std::uint32_t>(data_.size()); }

  std::span<std::uint8_t> data() { return data_; }
  std::span<const std::uint8_t> data() const { return data_; }

  // Byte i, or 0 outside the image: accessors never read past it.
  std::uint8_t byte_at(std::size_t i) const { return i < data_.size() ? data_[i] : 0; }
  // Writes byte i when it lies inside the image; returns whether it did.
  bool set_byte(std::size_t i, std::uint8_t v) {
    if (i >= data_.size()) return false;
    data_[i] = v;
    return true;
  }

 private:
  std::uint32_t table_ = 0;
  std::uint32_t start_;
  std::vector<std::uint8_t> data_;
};

}  // namespace vq::memory
