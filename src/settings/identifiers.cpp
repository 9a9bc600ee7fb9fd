#include "settings/identifiers.hpp"

#include <algorithm>
#include <cstdio>

#include "settings/field_input.hpp"
#include "shell/messages.hpp"
#include "util/bytes.hpp"

namespace vq::settings {
namespace {

using memory::ImageId;

// Record table: counter, counter + 1, then 11 bytes a slot.
constexpr std::size_t kCounterAt = 0;
constexpr std::size_t kNextAt = 2;
constexpr std::size_t kRecordsAt = 4;
constexpr std::size_t kRecordSize = 11;
constexpr std::size_t kUserAt = 0;
constexpr std::size_t kOrdinalAt = 2;
constexpr std::size_t kSlotAt = 6;
constexpr std::size_t kTacticAt = 8;
constexpr std::size_t kKindAt = 9;
// Code table: the same four counter bytes, one byte left alone, then 6 bytes a slot.
constexpr std::size_t kCodesAt = 5;
// Partition table: four bytes left alone, then 12 bytes a slot.
constexpr std::size_t kLinksAt = 4;
constexpr std::size_t kLinksBytes = 12;
// Identifier setting bytes: user and ordinal of the quick-arm identifier.
constexpr std::uint8_t kQuickUnmarked = 0x00;
constexpr std::uint8_t kQuickDeleted = 0xFF;

constexpr std::array<std::string_view, kTacticCount> kTactics = {
    "взятие/снятие", "только взятие", "только снятие", "перевзятие", "снятие под принуждением"};

std::size_t record(int slot) { return kRecordsAt + kRecordSize * static_cast<std::size_t>(slot - 1); }
std::size_t code_at(int slot) { return kCodesAt + kCodeBytes * static_cast<std::size_t>(slot - 1); }
std::size_t links_at(int slot) { return kLinksAt + kLinksBytes * static_cast<std::size_t>(slot - 1); }

std::uint16_t u16(const memory::TMemoryBlock& t, std::size_t at) {
  return static_cast<std::uint16_t>(t.byte_at(at) | t.byte_at(at + 1) << 8);
}
void put16(memory::TMemoryBlock& t, std::size_t at, int v) {
  t.set_byte(at, static_cast<std::uint8_t>(v & 0xFF));
  t.set_byte(at + 1, static_cast<std::uint8_t>((v >> 8) & 0xFF));
}

bool valid_slot(int slot) { return slot >= 1 && slot <= kIdentifierSlots; }

// A table loaded from a file may be shorter than the panel's: a slot whose bytes it does
// not hold whole counts as empty and is never written.
bool slot_fits(const memory::Configuration& c, int slot) {
  return record(slot) + kRecordSize <= c.image(ImageId::identifier_records).length() &&
         code_at(slot) + kCodeBytes <= c.image(ImageId::identifier_codes).length() &&
         links_at(slot) + kLinksBytes <= c.image(ImageId::identifier_partitions).length();
}

Result<> check_slot(const memory::Configuration& c, int slot) {
  if (!valid_slot(slot))
    return fail("номер идентификатора " + std::to_string(slot) + " вне диапазона 1–" +
                std::to_string(kIdentifierSlots));
  if (!slot_fits(c, slot))
    return fail("Таблицы идентификаторов короче ожидаемого: идентификатор " + std::to_string(slot) +
                " в них не помещается");
  if (c.image(ImageId::identifier_settings).length() < 2 || c.image(ImageId::identifier_codes).length() < 4)
    return fail("Таблицы идентификаторов короче ожидаемого");
  return {};
}

int stored_user(const memory::Configuration& c, int slot) {
  return slot_fits(c, slot) ? u16(c.image(ImageId::identifier_records), record(slot) + kUserAt) : 0;
}
int stored_ordinal(const memory::Configuration& c, int slot) {
  return u16(c.image(ImageId::identifier_records), record(slot) + kOrdinalAt);
}

struct Quick {
  int user = 0, ordinal = 0;
};
Quick quick(const memory::Configuration& c) {
  const auto& t = c.image(ImageId::identifier_settings);
  return {t.byte_at(0), t.byte_at(1)};
}
void set_quick(memory::Configuration& c, int user, int ordinal) {
  auto& t = c.image(ImageId::identifier_settings);
  t.set_byte(0, static_cast<std::uint8_t>(user));
  t.set_byte(1, static_cast<std::uint8_t>(ordinal));
}

// The user's identifiers after `ordinal` move down by one; quick arming follows them.
void close_ordinals(memory::Configuration& c, int user, int ordinal, int except_slot) {
  auto& t = c.image(ImageId::identifier_records);
  for (int s = 1; s <= kIdentifierSlots; ++s) {
    if (s == except_slot || stored_user(c, s) != user) continue;
    const int o = stored_ordinal(c, s);
    if (o > ordinal) put16(t, record(s) + kOrdinalAt, o - 1);
  }
  const auto q = quick(c);
  if (q.user == user && q.ordinal > ordinal) set_quick(c, user, q.ordinal - 1);
}

// Bytes 0–3 go to the code table as well whenever they change.
void copy_counter(memory::Configuration& c) {
  const auto& r = c.image(ImageId::identifier_records);
  auto& k = c.image(ImageId::identifier_codes);
  for (std::size_t i = 0; i < 4; ++i) k.set_byte(i, r.byte_at(i));
}

Error message(int id) { return Error{0, id, shell::msg(id), {}}; }

std::string_view trim(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

int hex_value(char ch) {
  if (ch >= '0' && ch <= '9') return ch - '0';
  if (ch >= 'A' && ch <= 'F') return ch - 'A' + 10;
  if (ch >= 'a' && ch <= 'f') return ch - 'a' + 10;
  return -1;
}

bool all_digits(std::string_view s) {
  return std::all_of(s.begin(), s.end(), [](char ch) { return ch >= '0' && ch <= '9'; });
}

}  // namespace

std::string kind_name(int kind) {
  switch (kind) {
    case kKindPin: return shell::msg(15123);
    case kKindKey: return shell::msg(15124);
    case kKindFob: return shell::msg(15064);
    default: return shell::msg(15125);
  }
}

std::optional<int> kind_from_text(std::string_view text) {
  const auto t = trim(text);
  for (int k : {kKindPin, kKindKey, kKindFob})
    if (t == kind_name(k) || t == std::to_string(k)) return k;
  return std::nullopt;
}

std::string tactic_name(int tactic) {
  if (tactic >= 0 && tactic < kTacticCount) return std::string(kTactics[static_cast<std::size_t>(tactic)]);
  return "тактика " + std::to_string(tactic);
}

std::optional<int> tactic_from_text(std::string_view text) {
  const auto t = trim(text);
  for (int i = 0; i < kTacticCount; ++i)
    if (t == kTactics[static_cast<std::size_t>(i)] || t == std::to_string(i)) return i;
  return std::nullopt;
}

std::string identifier_value_text(int kind, const IdentifierCode& code) {
  std::string out;
  switch (kind) {
    case kKindPin:
      for (auto b : code)
        if (b != 0 && b != 0xFF) out += std::to_string(b & 0x0F);
      return out;
    case kKindKey:
      for (std::size_t i = kCodeBytes; i-- > 0;) {
        char buf[4];
        std::snprintf(buf, sizeof buf, "%02X", static_cast<unsigned>(code[i]));
        out += buf;
      }
      return out;
    case kKindFob: return std::to_string(code[0]);
    default: return shell::msg(15125);
  }
}

Result<IdentifierCode> encode_identifier_value(int kind, std::string_view text) {
  IdentifierCode code{};
  switch (kind) {
    case kKindPin: {
      if (!all_digits(text)) return fail("ПИН-код должен содержать только цифры");
      if (text.size() < kPinMinDigits) return fail(message(15286));
      if (text.size() > kPinMaxDigits) return fail("ПИН-код: не более 6 цифр");
      code.fill(0xFF);
      std::copy(text.begin(), text.end(), code.begin());
      return code;
    }
    case kKindKey: {
      if (text.empty() || text.size() > kKeyDigits)
        return fail("Код ключа ТМ: от 1 до 12 шестнадцатеричных цифр (0–9, A–F)");
      if (!std::all_of(text.begin(), text.end(), [](char ch) { return hex_value(ch) >= 0; }))
        return fail("Код ключа ТМ: только шестнадцатеричные цифры (0–9, A–F)");
      std::string digits(kKeyDigits - text.size(), '0');
      digits += text;
      for (std::size_t k = 0; k < kCodeBytes; ++k) {
        const std::size_t hi = kKeyDigits - 2 * k - 2;
        code[k] = static_cast<std::uint8_t>(hex_value(digits[hi]) << 4 | hex_value(digits[hi + 1]));
      }
      return code;
    }
    case kKindFob: {
      if (!all_digits(text) || text.empty()) return fail("Номер брелока БР должен содержать только цифры");
      if (text.size() < kPinMinDigits) return fail(message(15286));
      auto n = parse_whole_number(text, 1, kFobMax, "Номер брелока БР");
      if (!n) return std::unexpected(n.error());
      code[0] = static_cast<std::uint8_t>(*n);
      return code;
    }
    default:
      return fail("Тип идентификатора: " + kind_name(kKindPin) + ", " + kind_name(kKindKey) + " или " +
                  kind_name(kKindFob));
  }
}

Identifier read_identifier(const memory::Configuration& config, int slot) {
  Identifier id;
  id.slot = slot;
  if (!valid_slot(slot) || !slot_fits(config, slot)) return id;
  const auto& r = config.image(ImageId::identifier_records);
  id.user = u16(r, record(slot) + kUserAt);
  if (id.user == 0) return id;
  id.ordinal = u16(r, record(slot) + kOrdinalAt);
  id.tactic = r.byte_at(record(slot) + kTacticAt);
  id.kind = r.byte_at(record(slot) + kKindAt);
  const auto& k = config.image(ImageId::identifier_codes);
  for (std::size_t i = 0; i < kCodeBytes; ++i) id.code[i] = k.byte_at(code_at(slot) + i);
  const auto q = quick(config);
  id.quick_arm = q.user == id.user && q.ordinal == id.ordinal;
  id.partitions = identifier_partitions(config, slot);
  return id;
}

std::vector<Identifier> read_identifiers(const memory::Configuration& config) {
  std::vector<Identifier> out;
  for (int s = 1; s <= kIdentifierSlots; ++s)
    if (stored_user(config, s) != 0) out.push_back(read_identifier(config, s));
  return out;
}

std::vector<UserIdentifiers> identifier_users(const memory::Configuration& config) {
  std::vector<UserIdentifiers> out;
  auto ids = read_identifiers(config);
  std::stable_sort(ids.begin(), ids.end(), [](const Identifier& a, const Identifier& b) {
    return a.user != b.user ? a.user < b.user : a.ordinal < b.ordinal;
  });
  for (auto& id : ids) {
    if (out.empty() || out.back().user != id.user) out.push_back({id.user, {}});
    out.back().identifiers.push_back(std::move(id));
  }
  return out;
}

int user_identifier_count(const memory::Configuration& config, int user, int except_slot) {
  int n = 0;
  for (int s = 1; s <= kIdentifierSlots; ++s)
    if (s != except_slot && stored_user(config, s) == user) ++n;
  return n;
}

IdentifierNeighbours identifier_neighbours(const memory::Configuration& config, int slot) {
  IdentifierNeighbours n;
  n.slot = slot;
  const auto& records = config.image(ImageId::identifier_records);
  const auto& codes = config.image(ImageId::identifier_codes);
  for (int s = 1; s <= kIdentifierSlots; ++s) {
    const int user = stored_user(config, s);
    if (user == 0) continue;
    if (s == slot) {
      n.own_user = user;
      n.own_ordinal = stored_ordinal(config, s);
      continue;
    }
    if (user <= kIdentifierUsers) ++n.counts[static_cast<std::size_t>(user)];
    IdentifierCode code{};
    for (std::size_t i = 0; i < kCodeBytes; ++i) code[i] = codes.byte_at(code_at(s) + i);
    n.others.emplace_back(records.byte_at(record(s) + kKindAt), code);
  }
  return n;
}

Result<int> IdentifierNeighbours::ordinal_for(int user) const {
  if (user < 1 || user > kIdentifierUsers) return fail(message(15273));
  if (own_user == user) return own_ordinal;
  const int count = counts[static_cast<std::size_t>(user)];
  if (count >= kIdentifiersPerUser) return fail(message(15057));
  return count + 1;
}

int IdentifierNeighbours::count_of(int user) const {
  if (user < 1 || user > kIdentifierUsers) return 0;
  return counts[static_cast<std::size_t>(user)] + (own_user == user ? 1 : 0);
}

bool IdentifierNeighbours::taken(int kind, const IdentifierCode& code) const {
  return std::any_of(others.begin(), others.end(), [&](const auto& o) { return o.first == kind && o.second == code; });
}

Result<int> ordinal_for(const memory::Configuration& config, int slot, int user) {
  return identifier_neighbours(config, slot).ordinal_for(user);
}

Result<> set_identifier(memory::Configuration& config, int slot, const IdentifierEdit& edit) {
  if (auto r = check_slot(config, slot); !r) return r;
  if (edit.user == 0) return fail(message(15282));
  if (edit.kind != kKindPin && edit.kind != kKindKey && edit.kind != kKindFob)
    return fail("Тип идентификатора: " + kind_name(kKindPin) + ", " + kind_name(kKindKey) + " или " +
                kind_name(kKindFob));
  if (edit.tactic < 0 || edit.tactic >= kTacticCount)
    return fail("Тактика обработки идентификатора: от 0 до " + std::to_string(kTacticCount - 1) + " или её название");
  const auto neighbours = identifier_neighbours(config, slot);
  auto ordinal = neighbours.ordinal_for(edit.user);
  if (!ordinal) return std::unexpected(ordinal.error());
  if (neighbours.taken(edit.kind, edit.code)) return fail(message(15058));

  const int old_user = stored_user(config, slot);
  const int old_ordinal = old_user ? stored_ordinal(config, slot) : 0;
  const auto q = quick(config);
  const bool was_quick = old_user != 0 && q.user == old_user && q.ordinal == old_ordinal;

  auto& r = config.image(ImageId::identifier_records);
  const int counter = (u16(r, kCounterAt) + 1) & 0xFFFF;
  put16(r, kCounterAt, counter);
  put16(r, kNextAt, (counter + 1) & 0xFFFF);
  copy_counter(config);

  r.set_byte(record(slot) + kKindAt, static_cast<std::uint8_t>(edit.kind));
  auto& k = config.image(ImageId::identifier_codes);
  for (std::size_t i = 0; i < kCodeBytes; ++i) k.set_byte(code_at(slot) + i, edit.code[i]);
  put16(r, record(slot) + kUserAt, edit.user);
  put16(r, record(slot) + kOrdinalAt, *ordinal);
  put16(r, record(slot) + kSlotAt, slot);
  r.set_byte(record(slot) + kTacticAt, static_cast<std::uint8_t>(edit.tactic));

  if (edit.quick_arm) {
    set_quick(config, edit.user, *ordinal);
  } else if (was_quick) {
    set_quick(config, kQuickUnmarked, kQuickUnmarked);
  }
  // Moved to another user: the one it left keeps 1..n.
  if (old_user != 0 && old_user != edit.user) close_ordinals(config, old_user, old_ordinal, slot);
  return {};
}

Result<> delete_identifier(memory::Configuration& config, int slot) {
  if (auto r = check_slot(config, slot); !r) return r;
  const int user = stored_user(config, slot);
  if (user == 0) return {};
  const int ordinal = stored_ordinal(config, slot);

  auto& r = config.image(ImageId::identifier_records);
  put16(r, kCounterAt, std::max(0, u16(r, kCounterAt) - 1));
  copy_counter(config);
  r.set_byte(record(slot) + kKindAt, 0);
  auto& k = config.image(ImageId::identifier_codes);
  for (std::size_t i = 0; i < kCodeBytes; ++i) k.set_byte(code_at(slot) + i, 0);
  const auto q = quick(config);
  if (q.user == user && q.ordinal == ordinal) set_quick(config, kQuickDeleted, kQuickDeleted);
  for (std::size_t at : {kUserAt, kOrdinalAt, kSlotAt}) put16(r, record(slot) + at, 0);
  r.set_byte(record(slot) + kTacticAt, 0);
  // Links left behind would pass to the next identifier given this slot.
  auto& p = config.image(ImageId::identifier_partitions);
  for (std::size_t i = 0; i < kLinksBytes; ++i) p.set_byte(links_at(slot) + i, 0);
  close_ordinals(config, user, ordinal, slot);
  return {};
}

std::bitset<96> identifier_partitions(const memory::Configuration& config, int slot) {
  std::bitset<96> out;
  if (!valid_slot(slot)) return out;
  const auto& t = config.image(ImageId::identifier_partitions);
  for (std::size_t p = 0; p < 96; ++p)
    if ((t.byte_at(links_at(slot) + p / 8) >> (p % 8)) & 1) out.set(p);
  return out;
}

Result<> set_identifier_partitions(memory::Configuration& config, const std::vector<int>& slots,
                                   const std::bitset<96>& links) {
  for (int s : slots)
    if (auto r = check_slot(config, s); !r) return r;
  auto& t = config.image(ImageId::identifier_partitions);
  for (int s : slots) {
    if (stored_user(config, s) == 0) continue;
    for (std::size_t i = 0; i < kLinksBytes; ++i) {
      std::uint8_t b = 0;
      for (std::size_t bit = 0; bit < 8; ++bit)
        if (links.test(i * 8 + bit)) b = static_cast<std::uint8_t>(b | 1u << bit);
      t.set_byte(links_at(s) + i, b);
    }
  }
  return {};
}

int identifier_counter(const memory::Configuration& config) {
  return u16(config.image(ImageId::identifier_records), kCounterAt);
}

}  // namespace vq::settings
