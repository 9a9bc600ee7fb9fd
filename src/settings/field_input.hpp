#pragma once
// What a person types into a settings field, checked before any byte changes: whole
// numbers within their range, number lists ("1,3,5,7-10"), names in code page 1251.
// Every refusal names the field and what it accepts, in the words the page uses.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "util/bytes.hpp"
#include "util/result.hpp"

namespace vq::settings {

// A whole decimal number from lo to hi; blanks around it are allowed. Anything else —
// an empty text, a sign, a fraction, letters, a number outside the range — is refused:
// "Задержка на вход: введите целое число от 0 до 255".
Result<int> parse_whole_number(std::string_view text, int lo, int hi, std::string_view field);

// A list of numbers and ranges separated by commas, expanded in the order written
// (repeats kept): "1,3,5,7-10" gives 1, 3, 5, 7, 8, 9, 10. An element without digits, with
// anything but digits and one '-', or a number outside lo..hi is refused as a whole; a
// range whose first number exceeds its second gives no number (as the page always did).
Result<std::vector<int>> parse_number_list(std::string_view text, int lo, int hi, std::string_view field);

// A name as the panel stores it: code page 1251, at most max_bytes bytes. A character
// the code page cannot hold, or a name longer than max_bytes, is refused.
Result<Bytes> encode_name(std::string_view utf8, std::size_t max_bytes, std::string_view field);

// A check box value as keys take it: "0"/"1" (also "нет"/"да", "false"/"true").
Result<bool> parse_flag(std::string_view text, std::string_view field);

}  // namespace vq::settings
