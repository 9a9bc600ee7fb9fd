#include "settings/remote_control.hpp"

#include "settings/identifiers.hpp"

#include <algorithm>

#include "settings/field_input.hpp"
#include "shell/messages.hpp"
#include "util/bytes.hpp"

namespace vq::settings {
namespace {

using memory::Configuration;
using memory::ImageId;
using memory::PageId;
using memory::TMemoryBlock;

// Remote control table (table 70).
constexpr std::size_t kCountAt = 0;
constexpr std::size_t kRecordsAt = 3;
constexpr std::size_t kRecordSize = 32;
constexpr std::size_t kPasswordAt = 0;
constexpr std::size_t kCommandsLowAt = 8;   // commands 0..7
constexpr std::size_t kCommandsHighAt = 9;  // commands 8..11 in bits 0..3
constexpr std::size_t kZeroFrom = 10, kZeroTo = 16;
constexpr std::size_t kTelephoneAt = 16;
constexpr std::size_t kTelephoneBytes = 16;
// Remote control user table (table 60).
constexpr std::size_t kUsersAt = 2;
constexpr std::uint16_t kNoUser = 0xFFFF;
// Identifier record table: counter, then 1000 records of 11 bytes, user number first.
constexpr std::size_t kIdentifierRecordsAt = 4;
constexpr std::size_t kIdentifierRecordSize = 11;
constexpr int kIdentifierSlots = 1000;

constexpr std::uint16_t kAllCommands = (1u << kRemoteCommandCount) - 1;

std::size_t record_at(int record) { return kRecordsAt + kRecordSize * static_cast<std::size_t>(record); }
std::size_t user_at(int record) { return kUsersAt + 2 * static_cast<std::size_t>(record); }

bool record_valid(int record) { return record >= 0 && record < kRemoteRecordCount; }

Result<> refuse_record(int record) {
  return fail("Запись дистанционного управления " + std::to_string(record + 1) + ": номер записи должен быть от 1 до " +
              std::to_string(kRemoteRecordCount));
}

// A table loaded from a file may be shorter than the panel's: nothing is written into a
// table that does not hold every byte the operation writes.
Result<> require_bytes(const TMemoryBlock& table, std::size_t end, std::string_view what) {
  if (table.length() >= end) return {};
  return fail("Таблица «" + std::string(what) + "» короче, чем нужно (" + std::to_string(table.length()) +
              " байт вместо " + std::to_string(end) + "): изменение не сохранено");
}

Result<> require_tables(const Configuration& c) {
  if (auto r = require_bytes(c.page(PageId::remote_control), record_at(kRemoteRecordCount), "дистанционное управление");
      !r)
    return r;
  return require_bytes(c.page(PageId::remote_control_users), user_at(kRemoteRecordCount),
                       "пользователи дистанционного управления");
}

bool active_byte(std::uint8_t b) { return b != 0x00 && b != 0xFF; }

std::uint16_t stored_user(const Configuration& c, int record) {
  const auto& users = c.page(PageId::remote_control_users);
  return static_cast<std::uint16_t>(users.byte_at(user_at(record)) | users.byte_at(user_at(record) + 1) << 8);
}

void store_count(Configuration& c) {
  auto& t = c.page(PageId::remote_control);
  put_u16(t.data(), kCountAt, static_cast<std::uint16_t>(active_remote_records(c)));
}

}  // namespace

const std::array<std::string_view, kRemoteCommandCount>& remote_command_names() {
  static const std::array<std::string_view, kRemoteCommandCount> names = {
      "Запрос справки",
      "Запрос баланса SIM-карт",
      "Постановка на охрану",
      "Снятие с охраны",
      "Запрос неисправности системы",
      "Запрос состояния раздела",
      "Включение системного выхода",
      "Выключение системного выхода",
      "Включение микрофонного аудио входа",
      "Запрос температуры в разделе",
      "Включение аудио выхода",
      "Включение системного выхода на время",
  };
  return names;
}

RemoteRecord read_remote_record(const Configuration& c, int record) {
  RemoteRecord r;
  if (!record_valid(record)) return r;
  const auto& t = c.page(PageId::remote_control);
  const std::size_t at = record_at(record);
  r.active = active_byte(t.byte_at(at + kPasswordAt));
  for (std::size_t i = 0; i < kRemotePasswordMax; ++i) {
    const auto b = t.byte_at(at + kPasswordAt + i);
    if (b >= '0' && b <= '9') r.password += static_cast<char>(b);
  }
  r.commands =
      static_cast<std::uint16_t>(t.byte_at(at + kCommandsLowAt) | (t.byte_at(at + kCommandsHighAt) & 0x0F) << 8);
  r.has_telephone = active_byte(t.byte_at(at + kTelephoneAt));
  r.telephone = "+";
  for (std::size_t i = 0; i < kTelephoneBytes; ++i) {
    const auto b = t.byte_at(at + kTelephoneAt + i);
    for (const int nibble : {b >> 4, b & 0x0F}) {
      if (nibble == 15) continue;
      // 10..14 have no digit: shown as "?", which saving refuses rather than misreads.
      r.telephone += nibble < 10 ? static_cast<char>('0' + nibble) : '?';
    }
  }
  const std::uint16_t user = stored_user(c, record);
  if (active_byte(static_cast<std::uint8_t>(user & 0xFF))) r.user = user;
  return r;
}

int remote_record_count(const Configuration& c) {
  const auto& t = c.page(PageId::remote_control);
  return t.byte_at(kCountAt) | t.byte_at(kCountAt + 1) << 8;
}

bool remote_records_shown(const Configuration& c) { return remote_record_count(c) <= 255; }

int active_remote_records(const Configuration& c) {
  int n = 0;
  for (int i = 0; i < kRemoteRecordCount; ++i)
    if (active_byte(c.page(PageId::remote_control).byte_at(record_at(i) + kPasswordAt))) ++n;
  return n;
}

std::string remote_commands_text(std::uint16_t commands) {
  std::string out;
  for (int n = 0; n < kRemoteCommandCount; ++n)
    if (commands >> n & 1) out += (out.empty() ? "" : ",") + std::to_string(n);
  return out;
}

Result<std::uint16_t> parse_remote_commands(std::string_view text) {
  if (text.find_first_not_of(" \t") == std::string_view::npos) return std::uint16_t{0};
  auto list = parse_number_list(text, 0, kRemoteCommandCount - 1, "Список команд");
  if (!list) return std::unexpected(list.error());
  std::uint16_t bits = 0;
  for (int n : *list) bits = static_cast<std::uint16_t>(bits | 1u << n);
  return bits;
}

Result<> check_remote_password(std::string_view text) {
  std::size_t length = 0;
  for (char ch : text) {
    if (ch == ' ') continue;
    if (ch < '0' || ch > '9') return fail(Error{0, 15020, shell::msg(15020), {}});
    ++length;
  }
  if (length > kRemotePasswordMax)
    return fail("Пароль дистанционного управления: не более " + std::to_string(kRemotePasswordMax) + " цифр");
  return {};
}

Result<std::array<std::uint8_t, 16>> encode_remote_telephone(std::string_view text) {
  std::array<std::uint8_t, 16> bytes;
  bytes.fill(0xFF);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.size() > kRemoteTelephoneMax)
    return fail("Номер телефона: не более " + std::to_string(kRemoteTelephoneMax) + " цифр после «+»");
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char ch = text[i];
    int symbol = 15;
    if (ch >= '0' && ch <= '9') {
      symbol = ch - '0';
    } else if (ch != ' ') {
      // The whole character, also when it is more than one byte.
      std::size_t end = i + 1;
      while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) ++end;
      return fail("Номер телефона: знак «" + std::string(text.substr(i, end - i)) +
                  "» не сохраняется; допустимы «+» в начале, цифры и пробелы");
    }
    auto& b = bytes[i / 2];
    b = i % 2 ? static_cast<std::uint8_t>((b & 0xF0) | symbol) : static_cast<std::uint8_t>(symbol << 4 | 0x0F);
  }
  return bytes;
}

Result<std::uint16_t> parse_remote_user(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return kNoUser;
  const auto last = text.find_last_not_of(" \t");
  const auto digits = text.substr(first, last - first + 1);
  if (!std::all_of(digits.begin(), digits.end(), [](char ch) { return ch >= '0' && ch <= '9'; }))
    return fail(Error{0, 15281, shell::msg(15281), {}});
  auto n = parse_whole_number(digits, 1, kRemoteUserMax, "Номер пользователя");
  if (!n) return std::unexpected(n.error());
  return static_cast<std::uint16_t>(*n);
}

Result<> check_remote_user_needed(std::uint16_t commands, std::uint16_t user) {
  const bool acts_for_user = (commands >> kCommandArm & 1) || (commands >> kCommandDisarm & 1);
  if (acts_for_user && !active_byte(static_cast<std::uint8_t>(user & 0xFF))) return fail(Error{0, 15277, shell::msg(15277), {}});
  return {};
}

Result<> save_remote_record(Configuration& c, int record, const RemoteRecordEdit& edit) {
  if (!record_valid(record)) return refuse_record(record);
  if (edit.password)
    if (auto r = check_remote_password(*edit.password); !r) return r;
  if (edit.commands & ~kAllCommands) return fail("Список команд: номера команд от 0 до 11");
  std::optional<std::array<std::uint8_t, 16>> telephone;
  if (edit.telephone) {
    auto bytes = encode_remote_telephone(*edit.telephone);
    if (!bytes) return std::unexpected(bytes.error());
    telephone = *bytes;
  }
  std::uint16_t user = stored_user(c, record);
  if (edit.user) {
    auto parsed = parse_remote_user(*edit.user);
    if (!parsed) return std::unexpected(parsed.error());
    user = *parsed;
  }
  if (auto r = check_remote_user_needed(edit.commands, user); !r) return r;
  if (auto r = require_tables(c); !r) return r;

  auto t = c.page(PageId::remote_control).data();
  const std::size_t at = record_at(record);
  if (edit.password) {
    std::fill_n(t.begin() + static_cast<std::ptrdiff_t>(at + kPasswordAt), kRemotePasswordMax, std::uint8_t{0xFF});
    std::size_t k = 0;
    for (char ch : *edit.password)
      if (ch != ' ') t[at + kPasswordAt + k++] = static_cast<std::uint8_t>(ch);
  }
  for (std::size_t i = kCommandsLowAt; i < kZeroTo; ++i) t[at + i] = 0;
  static_assert(kCommandsHighAt + 1 == kZeroFrom);
  t[at + kCommandsLowAt] = static_cast<std::uint8_t>(edit.commands & 0xFF);
  t[at + kCommandsHighAt] = static_cast<std::uint8_t>(edit.commands >> 8);
  if (telephone)
    std::copy(telephone->begin(), telephone->end(), t.begin() + static_cast<std::ptrdiff_t>(at + kTelephoneAt));
  put_u16(c.page(PageId::remote_control_users).data(), user_at(record), user);
  store_count(c);
  return {};
}

Result<> set_remote_password(Configuration& c, int record, std::string_view password) {
  if (password.find_first_not_of(' ') == std::string_view::npos)
    return fail("Пароль дистанционного управления не введён; чтобы удалить запись, задайте ей active=0");
  RemoteRecordEdit edit;
  edit.password = std::string(password);
  edit.commands = read_remote_record(c, record).commands;
  return save_remote_record(c, record, edit);
}

Result<> clear_remote_record(Configuration& c, int record) {
  if (!record_valid(record)) return refuse_record(record);
  if (auto r = require_tables(c); !r) return r;
  auto t = c.page(PageId::remote_control).data();
  const std::size_t at = record_at(record);
  std::fill_n(t.begin() + static_cast<std::ptrdiff_t>(at + kPasswordAt), kRemotePasswordMax, std::uint8_t{0xFF});
  t[at + kCommandsLowAt] = 0;
  t[at + kCommandsHighAt] &= 0xF0;
  std::fill_n(t.begin() + static_cast<std::ptrdiff_t>(at + kTelephoneAt), kTelephoneBytes, std::uint8_t{0xFF});
  put_u16(c.page(PageId::remote_control_users).data(), user_at(record), kNoUser);
  store_count(c);
  return {};
}

int remote_row_to_check(const std::array<bool, kRemoteRecordCount>& checked, int row) {
  for (int i = 0; i < row && i < kRemoteRecordCount; ++i)
    if (!checked[static_cast<std::size_t>(i)]) return i;
  return row;
}

std::vector<int> remote_control_users(const Configuration& c) {
  // In slot order, as found; every slot is looked at (the identifier counter counts
  // identifiers, not users). A number whose low byte is 0 is no user.
  std::vector<int> users;
  for (const auto& id : read_identifiers(c))
    if ((id.user & 0xFF) != 0 && std::find(users.begin(), users.end(), id.user) == users.end())
      users.push_back(id.user);
  return users;
}

}  // namespace vq::settings
