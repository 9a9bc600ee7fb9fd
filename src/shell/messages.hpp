#pragma once
// The message table: 1000 texts, ids 15000..15999, that every window and command takes
// its user-facing texts from. Built in in Russian; a language module beside the program
// can replace it.
#include <array>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>

#include "util/result.hpp"

namespace vq::shell {

inline constexpr int kFirstMessageId = 15000;
inline constexpr int kMessageCount = 1000;
// Entries once passed through a 255-byte buffer of a single-byte code page.
inline constexpr std::size_t kMaxMessageLength = 254;

class MessageTable {
 public:
  // Empty for ids without a text and for ids outside 15000..15999.
  const std::string& text(int id) const;
  // Cut to 254 characters; ids out of range are ignored.
  void set(int id, std::string text);

  static const MessageTable& builtin();
  // `id=text` lines; '#' starts a comment line. Errors name the line.
  static Result<MessageTable> parse(std::string_view text);

 private:
  std::array<std::string, kMessageCount> entries_;
};

// The program-wide table. Set once at start-up, before other threads read it.
const MessageTable& messages();
void set_messages(MessageTable table);
inline std::string msg(int id) { return messages().text(id); }

// "RU" 0, "EN" 1, "TR" 2, anything else 0; the comparison is exact.
int language_index(std::string_view locale);

// The program's file name with its extension replaced by "_ru-help.hlp", "_en-help.hlp"
// or "_tu-help.hlp".
std::string help_file_name(std::string_view program_file_name, int language_index);

// The module for a language sits beside the program, named like it with the language
// code as extension ("vantorq.EN"). Empty or "RU" is the built-in table; a missing or
// broken module falls back to it, with the reason in `note`.
MessageTable load_message_table(const std::filesystem::path& program_path, std::string_view locale,
                                std::string* note = nullptr);

// printf-like %s and %d (and %%) in order. The format may come from a translated module,
// so missing or mismatched arguments never crash: a missing one is left empty.
struct FormatArg {
  FormatArg(std::string s) : value(std::move(s)) {}
  FormatArg(const char* s) : value(std::string(s)) {}
  FormatArg(int i) : value(i) {}
  std::variant<std::string, int> value;
};
std::string format_message(std::string_view format, std::initializer_list<FormatArg> args);

}  // namespace vq::shell
