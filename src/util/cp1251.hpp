#pragma once
// The panel keeps names in Windows-1251; the program works in UTF-8.
#include <string>
#include <string_view>

#include "util/bytes.hpp"

namespace vq {

std::string cp1251_to_utf8(ByteView bytes);
// Characters without a place in the code page become '?'.
Bytes utf8_to_cp1251(std::string_view text);

}  // namespace vq
