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
