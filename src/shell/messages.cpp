#include "shell/messages.hpp"

#include <atomic>
#include <fstream>
#include <memory>
#include <sstream>
#include <vector>

namespace vq::shell {
namespace detail {
extern const unsigned char kMessagesRu[];
extern const std::size_t kMessagesRuSize;
}  // namespace detail

namespace {

// Cuts after `max` UTF-8 characters, never inside one.
std::string cut_characters(std::string text, std::size_t max) {
  std::size_t chars = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
      if (chars == max) {
        text.resize(i);
        break;
      }
      ++chars;
    }
  }
  return text;
}

std::string unescape(std::string_view s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 1 < s.size() && (s[i + 1] == 'n' || s[i + 1] == '\\')) {
      out += s[i + 1] == 'n' ? '\n' : '\\';
      ++i;
    } else {
      out += s[i];
    }
  }
  return out;
}

const std::string kEmpty;

std::shared_ptr<const MessageTable>& active_slot() {
  static std::shared_ptr<const MessageTable> active;
  return active;
}

}  // namespace

const std::string& MessageTable::text(int id) const {
  if (id < kFirstMessageId || id >= kFirstMessageId + kMessageCount) return kEmpty;
  return entries_[static_cast<std::size_t>(id - kFirstMessageId)];
}

void MessageTable::set(int id, std::string text) {
  if (id < kFirstMessageId || id >= kFirstMessageId + kMessageCount) return;
  entries_[static_cast<std::size_t>(id - kFirstMessageId)] = cut_characters(std::move(text), kMaxMessageLength);
}

Result<MessageTable> MessageTable::parse(std::string_view text) {
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  MessageTable table;
  std::array<bool, kMessageCount> seen{};
  std::size_t line_no = 0;
  while (!text.empty()) {
    const auto nl = text.find('\n');
    std::string_view line = text.substr(0, nl);
    text = nl == std::string_view::npos ? std::string_view{} : text.substr(nl + 1);
    ++line_no;
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (line.empty() || line.front() == '#') continue;
    const auto eq = line.find('=');
    const auto where = "строка " + std::to_string(line_no);
    if (eq == std::string_view::npos || eq == 0) return fail("Неверная строка таблицы сообщений (" + where + ")");
    int id = 0;
    for (char ch : line.substr(0, eq)) {
      if (ch < '0' || ch > '9' || id > 100000) return fail("Неверный номер сообщения (" + where + ")");
      id = id * 10 + (ch - '0');
    }
    if (id < kFirstMessageId || id >= kFirstMessageId + kMessageCount)
      return fail("Номер сообщения вне 15000..15999 (" + where + ")");
    auto& once = seen[static_cast<std::size_t>(id - kFirstMessageId)];
    if (once) return fail("Сообщение " + std::to_string(id) + " задано дважды (" + where + ")");
    once = true;
    table.set(id, unescape(line.substr(eq + 1)));
  }
  return table;
}

const MessageTable& MessageTable::builtin() {
  static const MessageTable table = [] {
    const std::string_view data(reinterpret_cast<const char*>(detail::kMessagesRu), detail::kMessagesRuSize);
    auto parsed = parse(data);
    return parsed ? std::move(*parsed) : MessageTable{};
  }();
  return table;
}

const MessageTable& messages() {
  auto active = std::atomic_load(&active_slot());
  return active ? *active : MessageTable::builtin();
}

void set_messages(MessageTable table) {
  // The previous table stays alive: a caller may still hold a reference into it.
  static std::vector<std::shared_ptr<const MessageTable>> retired;
  auto next = std::make_shared<const MessageTable>(std::move(table));
  if (auto old = std::atomic_load(&active_slot())) retired.push_back(old);
  std::atomic_store(&active_slot(), std::move(next));
}

int language_index(std::string_view locale) {
  if (locale == "EN") return 1;
  if (locale == "TR") return 2;
  return 0;
}

std::string help_file_name(std::string_view program_file_name, int index) {
  const auto slash = program_file_name.find_last_of("/\\");
  std::string_view name = slash == std::string_view::npos ? program_file_name : program_file_name.substr(slash + 1);
  if (const auto dot = name.find_last_of('.'); dot != std::string_view::npos && dot > 0) name = name.substr(0, dot);
  static constexpr std::string_view kSuffix[] = {"_ru-help.hlp", "_en-help.hlp", "_tu-help.hlp"};
  return std::string(name) + std::string(kSuffix[index >= 0 && index <= 2 ? index : 0]);
}

MessageTable load_message_table(const std::filesystem::path& program_path, std::string_view locale,
                                std::string* note) {
  if (locale.empty() || locale == "RU") return MessageTable::builtin();
  auto module = program_path;
  module.replace_extension("." + std::string(locale));
  std::ifstream in(module, std::ios::binary);
  if (!in) {
    if (note) *note = "Языковой модуль не найден: " + module.string();
    return MessageTable::builtin();
  }
  std::stringstream ss;
  ss << in.rdbuf();
  auto parsed = MessageTable::parse(ss.str());
  if (!parsed) {
    if (note) *note = "Языковой модуль " + module.string() + " не прочитан: " + parsed.error().text;
    return MessageTable::builtin();
  }
  return std::move(*parsed);
}

std::string format_message(std::string_view format, std::initializer_list<FormatArg> args) {
  std::string out;
  auto next = args.begin();
  for (std::size_t i = 0; i < format.size(); ++i) {
    const char ch = format[i];
    if (ch != '%' || i + 1 >= format.size()) {
      out += ch;
      continue;
    }
    const char spec = format[i + 1];
    if (spec == '%') {
      out += '%';
      ++i;
      continue;
    }
    if (spec != 's' && spec != 'd') {
      out += ch;  // not ours: left as it stands
      continue;
    }
    ++i;
    if (next == args.end()) continue;
    if (const auto* s = std::get_if<std::string>(&next->value))
      out += *s;
    else
      out += std::to_string(std::get<int>(next->value));
    ++next;
  }
  return out;
}

}  // namespace vq::shell
