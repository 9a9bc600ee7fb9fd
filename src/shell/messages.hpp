#pragma once
// The message table: every user-facing text by its id (15000..15999), the built-in
// Russian one or a translated language module, plus the language and help-file naming.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>
#include <vector>

#include "util/result.hpp"

namespace vq::shell {

inline constexpr int kFirstMessageId = 15000;
inline constexpr int kMessageCount = 1000;
// Characters (code points), not bytes: the original kept 254 characters of a
// single-byte code page, so a Cyrillic text may take up to 508 bytes here.
inline constexpr std::size_t kMaxMessageLength = 254;

class MessageTable {
 public:
  MessageTable();  // every entry empty

  // Empty for an id without text and for any id outside 15000..15999.
  const std::string& text(int id) const;
  // Cuts the text to kMaxMessageLength characters; an id out of range is ignored.
  void set(int id, std::string text);

  // The Russian table compiled into the program (parsed once).
  static MessageTable builtin();
  // `id=text` lines; '#' starts a comment line, blank lines are skipped; only the first
  // '=' separates; "\n" and "\\" in a text are a line break and a backslash.
  static Result<MessageTable> parse(std::string_view text);

 private:
  std::vector<std::string> entries_;
};

// The program-wide table: the built-in Russian one until set_messages() replaces it.
// Replace it at start-up, before other threads run; reads are safe from any thread,
// and a table once returned stays valid for the life of the program.
const MessageTable& messages();
void set_messages(MessageTable table);
std::string msg(int id);

// "RU" 0, "EN" 1, "TR" 2; anything else (case matters) 0.
int language_index(std::string_view locale);

// Program file name without its folder ('/' or '\\'), its extension replaced by
// "_ru-help.hlp", "_en-help.hlp" or "_tu-help.hlp" by language index (others: Russian).
std::string help_file_name(std::string_view program_file_name, int language_index);

// The language module of `locale` beside the program: "/opt/vq/vantorq" + "EN" gives
// "/opt/vq/vantorq.EN".
std::filesystem::path language_module_path(const std::filesystem::path& program_path,
                                           std::string_view locale);

// Empty or "RU": the built-in table. Otherwise the language module, which replaces the
// whole table (its missing ids are empty). A module that is missing, unreadable or
// malformed gives the built-in table and, when `note` is given, the reason in it
// (`note` is emptied when nothing went wrong).
MessageTable load_message_table(const std::filesystem::path& program_path, std::string_view locale,
                                std::string* note = nullptr);

// One argument of format_message(): a text or a whole number.
class FormatArg {
 public:
  FormatArg(std::string s) : value_(std::move(s)) {}
  FormatArg(std::string_view s) : value_(std::string(s)) {}
  FormatArg(const char* s) : value_(std::string(s ? s : "")) {}
  template <class T>
    requires(std::is_integral_v<T> && !std::is_same_v<T, bool>)
  FormatArg(T n) : value_(static_cast<std::int64_t>(n)) {}

  const std::string* text() const { return std::get_if<std::string>(&value_); }
  const std::int64_t* number() const { return std::get_if<std::int64_t>(&value_); }

 private:
  std::variant<std::string, std::int64_t> value_;
};

// printf-like, but safe for formats from translated modules: each "%s" or "%d" takes the
// next argument and writes it as text (a number in decimal, whichever of the two it
// meets), "%%" is '%'. A missing argument gives an empty text; any other directive
// stays as written and takes no argument.
std::string format_message(std::string_view fmt, std::initializer_list<FormatArg> args);

namespace detail {
extern const char kMessagesRu[];  // the built-in table file, generated at build time
}  // namespace detail

}  // namespace vq::shell
