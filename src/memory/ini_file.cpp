#include "memory/ini_file.hpp"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <iterator>
#include <system_error>

namespace vq::memory {
namespace {

std::string lower(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

std::string_view ini_trim(std::string_view s) {
  constexpr std::string_view kBlanks = " \t\r\f\v";
  const auto first = s.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  const auto last = s.find_last_not_of(kBlanks);
  return s.substr(first, last - first + 1);
}

bool ini_names_equal(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return lower(x) == lower(y); });
}

std::optional<std::int64_t> ini_integer(std::string_view s) {
  s = ini_trim(s);
  bool negative = false;
  if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
    negative = s.front() == '-';
    s.remove_prefix(1);
  }
  int base = 10;
  if (s.starts_with("0x") || s.starts_with("0X")) {
    base = 16;
    s.remove_prefix(2);
  } else if (s.starts_with('$')) {
    base = 16;
    s.remove_prefix(1);
  }
  if (s.empty()) return std::nullopt;
  std::uint64_t magnitude = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), magnitude, base);
  if (ec != std::errc{} || end != s.data() + s.size()) return std::nullopt;
  constexpr std::uint64_t kMaxPositive = static_cast<std::uint64_t>(INT64_MAX);
  if (!negative) {
    if (magnitude > kMaxPositive) return std::nullopt;
    return static_cast<std::int64_t>(magnitude);
  }
  if (magnitude > kMaxPositive + 1) return std::nullopt;
  return magnitude == kMaxPositive + 1 ? INT64_MIN : -static_cast<std::int64_t>(magnitude);
}

Result<IniFile> IniFile::load(const std::filesystem::path& path) {
  std::error_code ec;
  // A folder opens as a stream on Linux and reads as empty: say what it is instead.
  if (std::filesystem::is_directory(path, ec)) return fail("Не удалось открыть файл " + path.string() + ": это папка");
  const auto size = std::filesystem::file_size(path, ec);
  if (!ec && size > kMaxFileSize)
    return fail("Файл " + path.string() + " слишком велик: " + std::to_string(size) + " байт");
  std::ifstream in(path, std::ios::binary);
  if (!in) return fail("Не удалось открыть файл " + path.string());
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return fail("Не удалось прочитать файл " + path.string());
  return parse(text);
}

IniFile IniFile::parse(std::string_view text) {
  IniFile ini;
  Keys* section = &ini.sections_[std::string()];
  for_each_ini_line(
      text, [&](std::string_view name) { section = &ini.sections_[lower(name)]; },
      [&](std::string_view key, std::string_view value) { section->try_emplace(lower(key), value); });
  return ini;
}

bool IniFile::has_section(std::string_view section) const { return sections_.contains(lower(section)); }

std::optional<std::string_view> IniFile::value(std::string_view section, std::string_view key) const {
  const auto s = sections_.find(lower(section));
  if (s == sections_.end()) return std::nullopt;
  const auto k = s->second.find(lower(key));
  if (k == s->second.end()) return std::nullopt;
  return k->second;
}

std::string IniFile::read_string(std::string_view section, std::string_view key, std::string_view fallback) const {
  return std::string(value(section, key).value_or(fallback));
}

std::int64_t IniFile::read_integer(std::string_view section, std::string_view key, std::int64_t fallback) const {
  const auto v = value(section, key);
  if (!v) return fallback;
  return ini_integer(*v).value_or(fallback);
}

}  // namespace vq::memory
