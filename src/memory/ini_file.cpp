#include "memory/ini_file.hpp"

#include <charconv>
#include <fstream>
#include <iterator>
#include <system_error>

namespace vq::memory {
namespace {

std::string_view trim(std::string_view s) {
  constexpr std::string_view kBlanks = " \t\r\f\v";
  const auto first = s.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  const auto last = s.find_last_not_of(kBlanks);
  return s.substr(first, last - first + 1);
}

std::string lower(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

std::optional<std::int64_t> parse_integer(std::string_view s) {
  s = trim(s);
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

}  // namespace

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
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  Keys* section = &ini.sections_[std::string()];
  while (!text.empty()) {
    const auto eol = text.find('\n');
    const std::string_view line = trim(text.substr(0, eol));
    text.remove_prefix(eol == std::string_view::npos ? text.size() : eol + 1);

    if (line.empty() || line.front() == ';' || line.front() == '#') continue;
    if (line.front() == '[') {
      // A header without "]" still opens a section, so its keys are not filed under the
      // section before it.
      const auto close = line.find(']');
      section = &ini.sections_[lower(trim(line.substr(1, close == std::string_view::npos ? line.npos : close - 1)))];
      continue;
    }
    const auto eq = line.find('=');
    if (eq == std::string_view::npos) continue;
    const std::string_view key = trim(line.substr(0, eq));
    if (key.empty()) continue;
    section->try_emplace(lower(key), trim(line.substr(eq + 1)));
  }
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
  return parse_integer(*v).value_or(fallback);
}

}  // namespace vq::memory
