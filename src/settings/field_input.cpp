#include "settings/field_input.hpp"

#include <charconv>

#include "util/cp1251.hpp"

namespace vq::settings {
namespace {

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

bool all_digits(std::string_view s) {
  if (s.empty()) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

std::string range_text(std::string_view field, int lo, int hi) {
  return std::string(field) + ": введите целое число от " + std::to_string(lo) + " до " + std::to_string(hi);
}

// Digits only, within lo..hi (no overflow: long digit runs are out of range).
bool number_in(std::string_view digits, int lo, int hi, int& out) {
  if (!all_digits(digits)) return false;
  long long v = 0;
  auto [p, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), v);
  if (ec != std::errc{} || p != digits.data() + digits.size()) return false;
  if (v < lo || v > hi) return false;
  out = static_cast<int>(v);
  return true;
}

}  // namespace

Result<int> parse_whole_number(std::string_view text, int lo, int hi, std::string_view field) {
  int v = 0;
  if (!number_in(trim(text), lo, hi, v)) return fail(range_text(field, lo, hi));
  return v;
}

Result<std::vector<int>> parse_number_list(std::string_view text, int lo, int hi, std::string_view field) {
  std::vector<int> out;
  auto refuse = [&](std::string_view item) {
    return fail(std::string(field) + ": «" + std::string(item) +
                "» — не номер и не диапазон номеров; введите номера от " + std::to_string(lo) + " до " +
                std::to_string(hi) + " или диапазоны через запятую, например 1,3,5,7-12");
  };
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t comma = text.find(',', start);
    if (comma == std::string_view::npos) comma = text.size();
    const std::string_view item = trim(text.substr(start, comma - start));
    start = comma + 1;
    const std::size_t dash = item.find('-');
    if (dash == std::string_view::npos) {
      int v = 0;
      if (!number_in(item, lo, hi, v)) return refuse(item);
      out.push_back(v);
      continue;
    }
    int a = 0, b = 0;
    if (!number_in(trim(item.substr(0, dash)), lo, hi, a) || !number_in(trim(item.substr(dash + 1)), lo, hi, b))
      return refuse(item);
    for (int v = a; v <= b; ++v) out.push_back(v);
  }
  return out;
}

Result<Bytes> encode_name(std::string_view utf8, std::size_t max_bytes, std::string_view field) {
  Bytes bytes = utf8_to_cp1251(utf8);
  // A character outside the code page comes back as '?': it does not survive the trip.
  if (cp1251_to_utf8(bytes) != utf8)
    return fail(std::string(field) + ": «" + std::string(utf8) +
                "» содержит знаки, которых нет в кодировке прибора (допустимы русские и латинские буквы, "
                "цифры и знаки препинания)");
  if (bytes.size() > max_bytes)
    return fail(std::string(field) + ": не длиннее " + std::to_string(max_bytes) + " знаков («" +
                std::string(utf8) + "» — " + std::to_string(bytes.size()) + ")");
  return bytes;
}

Result<bool> parse_flag(std::string_view text, std::string_view field) {
  const auto t = trim(text);
  if (t == "1" || t == "да" || t == "true") return true;
  if (t == "0" || t == "нет" || t == "false") return false;
  return fail(std::string(field) + ": введите 1 (да) или 0 (нет)");
}

}  // namespace vq::settings
