#include "settings/partitions.hpp"

#include <algorithm>
#include <string>

#include "memory/routines.hpp"
#include "settings/field_input.hpp"
#include "shell/messages.hpp"
#include "util/bytes.hpp"
#include "util/cp1251.hpp"

namespace vq::settings {
namespace {

using memory::Configuration;
using memory::ImageId;
using memory::TMemoryBlock;

std::string num(long long v) { return std::to_string(v); }

std::size_t index_of(int partition) { return static_cast<std::size_t>(partition - 1); }

bool partition_valid(int p) { return p >= 1 && p <= kPartitionCount; }

Result<> refuse_partition(int p) {
  return fail("Раздел " + num(p) + ": номер раздела должен быть от 1 до " + num(kPartitionCount));
}

// A table loaded from a file may be shorter than the panel's: nothing is written into a
// table that does not hold every byte the operation writes.
Result<> require_bytes(const TMemoryBlock& image, std::size_t end, std::string_view what) {
  if (image.length() >= end) return {};
  return fail("Таблица «" + std::string(what) + "» короче, чем нужно (" + num(image.length()) + " байт вместо " +
              num(static_cast<long long>(end)) + "): изменение не сохранено");
}

// Flag bits of byte 1 of a partition record.
constexpr int kBit24Hours = 0, kBitAutoArm = 1, kBitSilent = 2, kBitBypass = 3;

// Byte offsets in the partition name table.
constexpr std::size_t kNameIndexAt = 0;
constexpr std::size_t kTypedNamesAt = 105;

std::size_t typed_name_at(int p) { return kTypedNamesAt + kNameBytes * index_of(p); }

// A value the operation stores, checked against its range unless it is the one stored.
Result<> check_range(int value, int stored, int hi, const std::string& field) {
  if (value == stored || (value >= 0 && value <= hi)) return {};
  return fail(field + ": введите целое число от 0 до " + num(hi));
}

std::string trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return std::string(s);
}

constexpr std::size_t kRelayRecordSize = 6;

}  // namespace

// ---------------------------------------------------------------------------------------

std::string partition_type_name(int type) {
  switch (type) {
    case kTypeSecurity: return shell::msg(15115);
    case kTypeTransit: return shell::msg(15116);
    case kTypeFire1: return shell::msg(15117);
    case kTypeFire2: return shell::msg(15118);
    case kTypeTechnical: return shell::msg(15119);
    case kTypeTemperature: return shell::msg(15325);
    case kTypeFireAnalog: return shell::msg(15120);
    default: return "-";
  }
}

std::optional<int> partition_type_by_name(std::string_view name) {
  for (int t = kTypeSecurity; t <= kTypeFireAnalog; ++t)
    if (partition_type_name(t) == name) return t;
  return std::nullopt;
}

bool type_selectable(int partition, int type) {
  if (type == kTypeTransit) return partition == 1;
  return type >= kTypeSecurity && type <= kTypeTemperature;
}

bool is_fire_type(int type) { return type == kTypeFire1 || type == kTypeFire2; }

bool delays_apply(int partition, const PartitionSettings& s) {
  return type_selectable(partition, s.type) && (s.type == kTypeSecurity || s.type == kTypeTechnical) &&
         !s.round_the_clock;
}

bool temperature_applies(int partition, const PartitionSettings& s) {
  return type_selectable(partition, s.type) && s.type == kTypeTemperature;
}

void choose_type(PartitionSettings& s, int type) {
  s.type = type;
  if (is_fire_type(type)) {
    s.round_the_clock = true;
    s.silent_alarm = false;
  } else {
    s.round_the_clock = false;
  }
}

PartitionSettings read_partition(const Configuration& config, int partition) {
  PartitionSettings s;
  if (!partition_valid(partition)) return s;
  const auto i = index_of(partition);
  const auto& types = config.image(ImageId::partitions);
  const auto& delays = config.image(ImageId::entry_exit_delays);
  const auto& limits = config.image(ImageId::temperature_limits);
  s.type = types.byte_at(2 * i);
  const std::uint8_t flags = types.byte_at(2 * i + 1);
  s.round_the_clock = memory::bit_test(flags, kBit24Hours);
  s.auto_arm = memory::bit_test(flags, kBitAutoArm);
  s.silent_alarm = memory::bit_test(flags, kBitSilent);
  s.bypass_allowed = memory::bit_test(flags, kBitBypass);
  s.entry_delay = delays.byte_at(2 * i);
  s.exit_delay = delays.byte_at(2 * i + 1);
  s.auto_arm_time = config.image(ImageId::auto_arm_times).byte_at(i);
  s.temp_low = limits.byte_at(2 * i);
  s.temp_high = limits.byte_at(2 * i + 1);
  return s;
}

Result<> set_partition(Configuration& config, int partition, const PartitionSettings& wanted) {
  if (!partition_valid(partition)) return refuse_partition(partition);
  const PartitionSettings stored = read_partition(config, partition);
  const std::string who = "Раздел " + num(partition);

  if (!type_selectable(partition, wanted.type) && wanted.type != stored.type) {
    if (wanted.type == kTypeTransit)
      return fail(who + ": тип «" + partition_type_name(kTypeTransit) + "» допустим только для раздела 1");
    if (wanted.type == kTypeFireAnalog)
      return fail(who + ": тип «" + partition_type_name(kTypeFireAnalog) +
                  "» в настройке раздела не выбирается (допустимы типы 0–5)");
    return fail(who + ", тип: введите номер типа от 0 до 5 или его название");
  }
  PartitionSettings s = wanted;
  if (is_fire_type(s.type)) {
    s.round_the_clock = true;
    s.silent_alarm = false;
  }
  const bool store_delays = delays_apply(partition, s);
  const bool store_limits = temperature_applies(partition, s);

  if (store_delays) {
    if (auto r = check_range(s.entry_delay, stored.entry_delay, kMaxDelay, who + ", задержка на вход"); !r) return r;
    if (auto r = check_range(s.exit_delay, stored.exit_delay, kMaxDelay, who + ", задержка на выход"); !r) return r;
  }
  if (s.auto_arm) {
    if (auto r = check_range(s.auto_arm_time, stored.auto_arm_time, kMaxAutoArmTime, who + ", время автовзятия"); !r)
      return r;
  }
  if (store_limits) {
    if (auto r = check_range(s.temp_low, stored.temp_low, kMaxTemperature, who + ", нижняя граница температуры"); !r)
      return r;
    if (auto r = check_range(s.temp_high, stored.temp_high, kMaxTemperature, who + ", верхняя граница температуры");
        !r)
      return r;
  }

  const auto i = index_of(partition);
  auto& types = config.image(ImageId::partitions);
  auto& delays = config.image(ImageId::entry_exit_delays);
  auto& auto_arm = config.image(ImageId::auto_arm_times);
  auto& limits = config.image(ImageId::temperature_limits);
  if (auto r = require_bytes(types, 2 * i + 2, "разделы"); !r) return r;
  if (store_delays)
    if (auto r = require_bytes(delays, 2 * i + 2, "задержки на вход и выход"); !r) return r;
  if (s.auto_arm)
    if (auto r = require_bytes(auto_arm, i + 1, "время автовзятия"); !r) return r;
  if (store_limits)
    if (auto r = require_bytes(limits, 2 * i + 2, "границы температуры"); !r) return r;

  types.set_byte(2 * i, static_cast<std::uint8_t>(s.type));
  std::uint8_t flags = 0;
  if (s.round_the_clock) memory::bit_set(flags, kBit24Hours);
  if (s.auto_arm) memory::bit_set(flags, kBitAutoArm);
  if (s.silent_alarm) memory::bit_set(flags, kBitSilent);
  if (s.bypass_allowed) memory::bit_set(flags, kBitBypass);
  types.set_byte(2 * i + 1, flags);
  if (s.auto_arm) auto_arm.set_byte(i, static_cast<std::uint8_t>(s.auto_arm_time));
  if (store_delays) {
    delays.set_byte(2 * i, static_cast<std::uint8_t>(s.entry_delay));
    delays.set_byte(2 * i + 1, static_cast<std::uint8_t>(s.exit_delay));
  }
  if (store_limits) {
    limits.set_byte(2 * i, static_cast<std::uint8_t>(s.temp_low));
    limits.set_byte(2 * i + 1, static_cast<std::uint8_t>(s.temp_high));
  }
  return {};
}

// ---------------------------------------------------------------------------------------

const std::vector<std::string>& partition_name_list() {
  // The panel's fixed list; the texts are the panel's own, double blanks included.
  static const std::vector<std::string> names = {
      "раздел",          "аварийн. сигнализ.", "балкон",           "бойлерная",
      "ванная",          "ворота",             "входная дверь",    "гаражная  дверь",
      "гараж",           "гостинная",          "детская",          "зал",
      "запасный выход",  "каб. бухгалтера",    "каб. директора",   "кабинет",
      "кладовка",        "комната  1",         "комната  2",       "комната  3",
      "комната  4",      "комната  5",         "комната  6",       "комната  7",
      "комната  8",      "комната  9",         "коридор",          "кухня",
      "лестница",        "мансарда",           "объем",            "объем 1",
      "объем 2",         "объем 3",            "охран. сигнализ.", "периметр",
      "периметр 1",      "периметр 2",         "подвал",           "пожарн. сигнализ.",
      "пост охраны",     "приемная",           "прихожая",         "санузел",
      "сауна",           "серверная",          "склад",            "склад 1",
      "склад 2",         "спальня",            "столовая",         "техн. этаж",
      "туалет",          "этаж 1",             "этаж 2",           "этаж 3",
      "пользовательское название",
  };
  return names;
}

std::optional<int> listed_name_index(std::string_view name) {
  const auto& list = partition_name_list();
  for (int k = 0; k < kListedNames; ++k)
    if (list[static_cast<std::size_t>(k)] == name) return k;
  return std::nullopt;
}

std::string partition_name(const Configuration& config, int partition) {
  if (!partition_valid(partition)) return {};
  const auto& table = config.image(ImageId::partition_names);
  const int index = table.byte_at(kNameIndexAt + index_of(partition));
  if (index < kListedNames) return partition_name_list()[static_cast<std::size_t>(index)];
  Bytes bytes;
  for (std::size_t k = 0; k < kNameBytes; ++k)
    if (const auto b = table.byte_at(typed_name_at(partition) + k); b != 0) bytes.push_back(b);
  return cp1251_to_utf8(bytes);
}

Result<> check_partition_name(int partition, std::string_view name) {
  const std::string field = "Наименование раздела " + num(partition);
  if (name.empty()) return fail(field + ": введите название или выберите его из списка");
  if (listed_name_index(name)) return {};
  if (auto bytes = encode_name(name, kNameBytes, field); !bytes) return std::unexpected(bytes.error());
  return {};
}

Result<> set_partition_name(Configuration& config, int partition, std::string_view name) {
  if (!partition_valid(partition)) return refuse_partition(partition);
  if (auto r = check_partition_name(partition, name); !r) return r;
  auto& table = config.image(ImageId::partition_names);
  if (const auto listed = listed_name_index(name)) {
    if (auto r = require_bytes(table, kNameIndexAt + index_of(partition) + 1, "наименования разделов"); !r) return r;
    table.set_byte(kNameIndexAt + index_of(partition), static_cast<std::uint8_t>(*listed));
    return {};
  }
  const Bytes bytes = *encode_name(name, kNameBytes, {});
  if (auto r = require_bytes(table, typed_name_at(partition) + kNameBytes, "наименования разделов"); !r) return r;
  table.set_byte(kNameIndexAt + index_of(partition), static_cast<std::uint8_t>(kUserNameIndex));
  for (std::size_t k = 0; k < kNameBytes; ++k)
    table.set_byte(typed_name_at(partition) + k, k < bytes.size() ? bytes[k] : std::uint8_t{0});
  return {};
}

Result<> set_partition_names(Configuration& config, const std::vector<std::pair<int, std::string>>& names) {
  auto& table = config.image(ImageId::partition_names);
  const Bytes before(table.data().begin(), table.data().end());
  for (const auto& [p, name] : names) {
    if (auto r = set_partition_name(config, p, name); !r) {
      std::copy(before.begin(), before.end(), table.data().begin());
      return r;
    }
  }
  return {};
}

// ---------------------------------------------------------------------------------------

namespace {

// ШС1 in bit 0, ШС2 in bit 2; a set bit means 70 ms.
int integration_bit(int loop) { return loop == 1 ? 0 : 2; }

}  // namespace

int loop_integration_ms(const Configuration& config, int loop) {
  const std::uint8_t b = config.image(ImageId::integration_time).byte_at(0);
  return memory::bit_test(b, integration_bit(loop)) ? 70 : 500;
}

Result<> set_loop_integration_ms(Configuration& config, int loop, int ms) {
  if (loop != 1 && loop != 2) return fail("Шлейф " + std::to_string(loop) + ": есть только ШС1 и ШС2");
  if (ms != 500 && ms != 70)
    return fail("Время интегрирования ШС" + std::to_string(loop) + ": допустимо 500 или 70 мс");
  auto& image = config.image(ImageId::integration_time);
  std::uint8_t b = image.byte_at(0);
  if (ms == 70)
    memory::bit_set(b, integration_bit(loop));
  else
    memory::bit_clear(b, integration_bit(loop));
  image.set_byte(0, b);
  return {};
}

// ---------------------------------------------------------------------------------------

std::vector<RelayModule> relay_modules(const Configuration& config) {
  std::vector<RelayModule> out;
  const auto& table = config.image(ImageId::relay_modules);
  const auto data = table.data();
  for (int r = 0; r < kRelayModuleRecords; ++r) {
    const std::size_t at = kRelayRecordSize * static_cast<std::size_t>(r);
    if (at + kRelayRecordSize > data.size()) break;
    const std::uint16_t field = get_u16(data, at);
    if (field == 0) continue;
    RelayModule m;
    m.record = r;
    m.number = field + 1;
    for (int k = 0; k < kRelaysPerModule; ++k) m.relays[static_cast<std::size_t>(k)] = data[at + 2 + static_cast<std::size_t>(k)];
    out.push_back(m);
  }
  return out;
}

std::vector<int> technical_partitions(const Configuration& config) {
  std::vector<int> out;
  for (int p = 1; p <= kPartitionCount; ++p)
    if (read_partition(config, p).type == kTypeTechnical) out.push_back(p);
  return out;
}

Result<int> parse_relay_partition(std::string_view text, int relay) {
  if (trimmed(text) == "-") return 0;
  return parse_whole_number(text, 0, kPartitionCount, "Привязка реле " + num(relay));
}

Result<> set_relay_bindings(Configuration& config, int record, const std::array<int, kRelaysPerModule>& relays) {
  auto& table = config.image(ImageId::relay_modules);
  const std::size_t at = kRelayRecordSize * static_cast<std::size_t>(std::max(record, 0));
  if (record < 0 || record >= kRelayModuleRecords || at + kRelayRecordSize > table.length() ||
      get_u16(table.data(), at) == 0)
    return fail("Запись " + num(record + 1) + " таблицы модулей МР не занята: привязки реле не сохранены");
  for (int k = 0; k < kRelaysPerModule; ++k) {
    const auto pos = at + 2 + static_cast<std::size_t>(k);
    if (auto r = check_range(relays[static_cast<std::size_t>(k)], table.byte_at(pos), kPartitionCount,
                             "Привязка реле " + num(k + 1));
        !r)
      return r;
  }
  for (int k = 0; k < kRelaysPerModule; ++k)
    table.set_byte(at + 2 + static_cast<std::size_t>(k), static_cast<std::uint8_t>(relays[static_cast<std::size_t>(k)]));
  return {};
}

Result<> set_relay_binding(Configuration& config, int module, int relay, int partition) {
  if (relay < 1 || relay > kRelaysPerModule)
    return fail("Модуль МР " + num(module) + ": реле " + num(relay) + " нет (есть реле 1–4)");
  for (const auto& m : relay_modules(config)) {
    if (m.number != module) continue;
    auto relays = m.relays;
    relays[static_cast<std::size_t>(relay - 1)] = partition;
    return set_relay_bindings(config, m.record, relays);
  }
  return fail("Модуль МР " + num(module) + " в таблице модулей МР не найден");
}

}  // namespace vq::settings
