#pragma once
// The identifier code table: 1000 codes of 6 bytes, code i at 5 + 6i.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "memory/memory_block.hpp"

namespace vq::memory {

inline constexpr int kIdentifierCodeCount = 1000;
inline constexpr std::size_t kIdentifierCodeSize = 6;

constexpr std::size_t identifier_code_offset(int i) { return 5 + kIdentifierCodeSize * static_cast<std::size_t>(i); }

using IdentifierCode = std::span<const std::uint8_t, kIdentifierCodeSize>;

// Index of the first code equal to the given one byte for byte, and 0 when none is: a
// match at slot 0 and no match look the same, as the pages have always seen it. Callers
// that must tell them apart use find_identifier_code_exact.
int find_identifier_code(const TMemoryBlock& table, IdentifierCode code);

// Index of the first equal code, or nothing. Codes not wholly inside the image (a short
// image) are not compared.
std::optional<int> find_identifier_code_exact(const TMemoryBlock& table, IdentifierCode code);

}  // namespace vq::memory
