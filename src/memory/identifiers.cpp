#include "memory/identifiers.hpp"

#include <algorithm>

namespace vq::memory {

std::optional<int> find_identifier_code_exact(const TMemoryBlock& table, IdentifierCode code) {
  const auto data = table.data();
  for (int i = 0; i < kIdentifierCodeCount; ++i) {
    const std::size_t at = identifier_code_offset(i);
    if (at + kIdentifierCodeSize > data.size()) break;
    if (std::equal(code.begin(), code.end(), data.begin() + static_cast<std::ptrdiff_t>(at))) return i;
  }
  return std::nullopt;
}

int find_identifier_code(const TMemoryBlock& table, IdentifierCode code) {
  return find_identifier_code_exact(table, code).value_or(0);
}

}  // namespace vq::memory
