#include "shell/messages.hpp"

#include <atomic>
#include <charconv>
#include <fstream>
#include <memory>
#include <mutex>
#include <optional>
#include <system_error>

namespace vq::shell {
namespace {

const std::string kEmpty;

std::optional<std::size_t> slot(int id) {
  if (id < kFirstMessageId || id >= kFirstMessageId + kMessageCount) return std::nullopt;
  return static_cast<std::size_t>(id - kFirstMessageId);
}

// Keeps the first `max` characters; a character is a lead byte and its continuations,
// so a multi-byte sequence is never split.
std::string cut_characters(std::string text, std::size_t max) {
  std::size_t chars = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) continue;
    if (chars == max) {
      text.resize(i);
      break;
    }
    ++chars;
  }
  return text;
}

// Strict enough to refuse a module saved in a single-byte code page.
bool valid_utf8(std::string_view s) {
  for (std::size_t i = 0; i < s.size();) {
    const auto b = static_cast<unsigned char>(s[i]);
    std::size_t len = 0;
    unsigned min = 0;
    if (b < 0x80) {
      ++i;
      continue;
    } else if (b >= 0xC2 && b <= 0xDF) {
      len = 2, min = 0x80;
    } else if (b >= 0xE0 && b <= 0xEF) {
      len = 3, min = 0x800;
    } else if (b >= 0xF0 && b <= 0xF4) {
      len = 4, min = 0x10000;
    } else {
      return false;
    }
    if (i + len > s.size()) return false;
    unsigned cp = b & (0x7Fu >> len);
    for (std::size_t k = 1; k < len; ++k) {
      const auto c = static_cast<unsigned char>(s[i + k]);
      if ((c & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (c & 0x3Fu);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    i += len;
  }
  return true;
}

std::string unescape(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 1 < s.size() && (s[i + 1] == 'n' || s[i + 1] == '\\')) {
      out += s[i + 1] == 'n' ? '\n' : '\\';
      ++i;
    } else {
      out += s[i];  // any other backslash is kept: "C:\Base" survives
    }
  }
  return out;
}

std::string_view trim_blanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// Never destroyed: messages() may still be asked during static destruction.
const MessageTable& builtin_table() {
  static const MessageTable* table = [] {
    auto parsed = MessageTable::parse(detail::kMessagesRu);
    return new MessageTable(parsed ? std::move(*parsed) : MessageTable{});
  }();
  return *table;
}

// nullptr means the built-in table; constant-initialised, so safe before any set.
std::atomic<const MessageTable*> g_active{nullptr};

// Language codes become a file extension: no separators, dots or other surprises.
bool plausible_locale(std::string_view locale) {
  if (locale.size() > 16) return false;
  for (char c : locale) {
    const bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
                    c == '_';
    if (!ok) return false;
  }
  return true;
}

// 1000 entries of 254 four-byte characters with their ids fit well below this.
constexpr std::uintmax_t kMaxModuleSize = 4u << 20;

}  // namespace

MessageTable::MessageTable() : entries_(static_cast<std::size_t>(kMessageCount)) {}

const std::string& MessageTable::text(int id) const {
  const auto i = slot(id);
  return i ? entries_[*i] : kEmpty;
}

void MessageTable::set(int id, std::string text) {
  if (const auto i = slot(id)) entries_[*i] = cut_characters(std::move(text), kMaxMessageLength);
}

MessageTable MessageTable::builtin() { return builtin_table(); }

Result<MessageTable> MessageTable::parse(std::string_view text) {
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  MessageTable table;
  std::vector<int> defined_on(static_cast<std::size_t>(kMessageCount), 0);
  int line_no = 0;
  while (!text.empty()) {
    const auto nl = text.find('\n');
    std::string_view line = text.substr(0, nl);
    text = nl == std::string_view::npos ? std::string_view{} : text.substr(nl + 1);
    ++line_no;
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (trim_blanks(line).empty() || line.front() == '#') continue;

    const auto where = "Таблица сообщений, строка " + std::to_string(line_no) + ": ";
    const auto eq = line.find('=');
    if (eq == std::string_view::npos) return fail(where + "ожидается «номер=текст»");
    const auto digits = trim_blanks(line.substr(0, eq));
    const bool all_digits = !digits.empty() && digits.find_first_not_of("0123456789") == std::string_view::npos;
    if (!all_digits) return fail(where + "неверный номер сообщения «" + std::string(digits.substr(0, 20)) + "»");
    int id = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), id);
    const auto i = ec == std::errc{} ? slot(id) : std::nullopt;
    if (!i) return fail(where + "номер " + std::string(digits.substr(0, 20)) + " вне 15000..15999");
    if (defined_on[*i])
      return fail(where + "сообщение " + std::to_string(id) + " задано дважды (первый раз в строке " +
                  std::to_string(defined_on[*i]) + ")");
    defined_on[*i] = line_no;

    auto value = unescape(line.substr(eq + 1));
    if (!valid_utf8(value)) return fail(where + "текст не в кодировке UTF-8");
    table.set(id, std::move(value));
  }
  return table;
}

const MessageTable& messages() {
  const MessageTable* active = g_active.load(std::memory_order_acquire);
  return active ? *active : builtin_table();
}

void set_messages(MessageTable table) {
  // Every table ever set stays alive, so a reference from messages() never dangles;
  // tables are set at start-up only, so this costs next to nothing.
  static std::mutex mutex;
  static auto* kept = new std::vector<std::unique_ptr<const MessageTable>>;
  std::lock_guard lock(mutex);
  kept->push_back(std::make_unique<const MessageTable>(std::move(table)));
  g_active.store(kept->back().get(), std::memory_order_release);
}

std::string msg(int id) { return messages().text(id); }

int language_index(std::string_view locale) {
  if (locale == "RU") return 0;
  if (locale == "EN") return 1;
  if (locale == "TR") return 2;
  return 0;
}

std::string help_file_name(std::string_view program_file_name, int index) {
  static constexpr std::string_view kSuffix[] = {"_ru-help.hlp", "_en-help.hlp", "_tu-help.hlp"};
  std::string_view name = program_file_name;
  if (const auto sep = name.find_last_of("/\\"); sep != std::string_view::npos) name.remove_prefix(sep + 1);
  // A leading dot names a hidden file, not an extension.
  if (const auto dot = name.find_last_of('.'); dot != std::string_view::npos && dot > 0) name = name.substr(0, dot);
  return std::string(name) + std::string(kSuffix[index >= 0 && index <= 2 ? index : 0]);
}

std::filesystem::path language_module_path(const std::filesystem::path& program_path, std::string_view locale) {
  auto module = program_path;
  module.replace_extension("." + std::string(locale));
  return module;
}

MessageTable load_message_table(const std::filesystem::path& program_path, std::string_view locale,
                                std::string* note) {
  auto fallback = [&](std::string why) {
    if (note) *note = std::move(why);
    return MessageTable::builtin();
  };
  if (note) note->clear();
  if (locale.empty() || locale == "RU") return MessageTable::builtin();
  if (!plausible_locale(locale)) return fallback("Недопустимый код языка «" + std::string(locale) + "»");

  const auto module = language_module_path(program_path, locale);
  const auto name = module.string();
  std::error_code ec;
  if (!std::filesystem::is_regular_file(module, ec)) return fallback("Языковой модуль не найден: " + name);
  const auto size = std::filesystem::file_size(module, ec);
  if (ec) return fallback("Языковой модуль " + name + " не прочитан: " + ec.message());
  if (size > kMaxModuleSize) return fallback("Языковой модуль " + name + " слишком велик");

  std::ifstream in(module, std::ios::binary);
  std::string data(static_cast<std::size_t>(size), '\0');
  if (!in || !in.read(data.data(), static_cast<std::streamsize>(data.size())))
    return fallback("Языковой модуль " + name + " не прочитан");
  auto parsed = MessageTable::parse(data);
  if (!parsed) return fallback("Языковой модуль " + name + " не прочитан: " + parsed.error().text);
  return std::move(*parsed);
}

std::string format_message(std::string_view fmt, std::initializer_list<FormatArg> args) {
  std::string out;
  out.reserve(fmt.size());
  auto next = args.begin();
  for (std::size_t i = 0; i < fmt.size(); ++i) {
    const char c = fmt[i];
    const char directive = i + 1 < fmt.size() ? fmt[i + 1] : '\0';
    if (c != '%' || (directive != '%' && directive != 's' && directive != 'd')) {
      out += c;  // plain text, a lone '%' at the end, or someone else's directive
      continue;
    }
    ++i;
    if (directive == '%') {
      out += '%';
    } else if (next != args.end()) {
      if (const auto* s = next->text()) out += *s;
      if (const auto* n = next->number()) out += std::to_string(*n);
      ++next;
    }
  }
  return out;
}

}  // namespace vq::shell
