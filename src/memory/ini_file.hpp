#pragma once
// A small INI reader: "[section]" lines, "key=value" lines, whole-line ";" and "#"
// comments. Section and key names match without regard to ASCII case, and the first
// occurrence of a key wins, as the Windows profile functions behave. Values are kept as
// the file's bytes (no code page conversion), trimmed of surrounding blanks.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "util/result.hpp"

namespace vq::memory {

// The line rules every INI reader here shares, for a reader that streams over a large file
// and keeps only what it needs.
std::string_view ini_trim(std::string_view s);
// Section and key names compare without regard to ASCII case.
bool ini_names_equal(std::string_view a, std::string_view b);
// Decimal with an optional sign, or hex after "0x" / "$", in 64 bits; blanks around it allowed.
std::optional<std::int64_t> ini_integer(std::string_view s);

// Calls on_section(name) for every "[name]" line (a header without "]" still opens a
// section) and on_key(key, value) for every "key=value" line, both trimmed, in file order;
// a UTF-8 BOM, CR LF, blank lines, ";" and "#" comments and other lines are skipped.
template <class OnSection, class OnKey>
void for_each_ini_line(std::string_view text, OnSection&& on_section, OnKey&& on_key) {
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  while (!text.empty()) {
    const auto eol = text.find('\n');
    const std::string_view line = ini_trim(text.substr(0, eol));
    text.remove_prefix(eol == std::string_view::npos ? text.size() : eol + 1);
    if (line.empty() || line.front() == ';' || line.front() == '#') continue;
    if (line.front() == '[') {
      const auto close = line.find(']');
      on_section(ini_trim(line.substr(1, close == std::string_view::npos ? line.npos : close - 1)));
      continue;
    }
    const auto eq = line.find('=');
    if (eq == std::string_view::npos) continue;
    const std::string_view key = ini_trim(line.substr(0, eq));
    if (!key.empty()) on_key(key, ini_trim(line.substr(eq + 1)));
  }
}

class IniFile {
 public:
  // Files larger than this are refused rather than read into memory.
  static constexpr std::uintmax_t kMaxFileSize = 256u << 20;

  static Result<IniFile> load(const std::filesystem::path& path);
  // Never fails: lines that are neither section, key nor comment are skipped. A UTF-8 BOM
  // and CR LF line ends are accepted.
  static IniFile parse(std::string_view text);

  bool has_section(std::string_view section) const;
  std::optional<std::string_view> value(std::string_view section, std::string_view key) const;
  std::string read_string(std::string_view section, std::string_view key, std::string_view fallback) const;
  // Decimal with an optional sign, or hex after "0x" / "$". A missing key, or a value that
  // is not such a number in 64 bits, gives the fallback.
  std::int64_t read_integer(std::string_view section, std::string_view key, std::int64_t fallback) const;

 private:
  using Keys = std::unordered_map<std::string, std::string>;
  std::unordered_map<std::string, Keys> sections_;
};

}  // namespace vq::memory
