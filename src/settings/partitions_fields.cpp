// The partitions domain as named fields for `config show/set/get`: every partition with
// its type, flags and name, and the values its type gives meaning to; the relay bindings
// of the relay modules. Setting a field goes through the dialog's confirm (set_partition,
// set_partition_name, set_relay_binding) and refuses what the dialog would not let one change.
#include <set>
#include <string>

#include "settings/config_fields.hpp"
#include "settings/field_input.hpp"
#include "settings/partitions.hpp"

namespace vq::settings {
namespace {

using memory::Configuration;

std::string num(long long v) { return std::to_string(v); }

std::string who(int p) { return "Раздел " + num(p); }

std::string label(int p, std::string_view what) { return "раздел " + num(p) + ": " + std::string(what); }

void report_partitions(const Configuration& c, std::vector<ReportSection>& out) {
  ReportSection s{"partitions", "Разделы", {}, false, 0, {}};
  for (int p = 1; p <= kPartitionCount; ++p) {
    const auto ps = read_partition(c, p);
    const std::string n = num(p) + ".";
    s.fields.push_back(choice_field(n + "type", label(p, "тип"), ps.type, partition_type_name(ps.type)));
    s.fields.push_back(flag_field(n + "round_the_clock", label(p, "круглосуточно"), ps.round_the_clock));
    s.fields.push_back(flag_field(n + "auto_arm", label(p, "автовзятие"), ps.auto_arm));
    s.fields.push_back(flag_field(n + "silent_alarm", label(p, "тихая тревога"), ps.silent_alarm));
    s.fields.push_back(flag_field(n + "bypass_allowed", label(p, "разрешение обхода"), ps.bypass_allowed));
    if (delays_apply(p, ps)) {
      s.fields.push_back(number_field(n + "entry_delay", label(p, "задержка на вход, с"), ps.entry_delay));
      s.fields.push_back(number_field(n + "exit_delay", label(p, "задержка на выход, с"), ps.exit_delay));
    }
    if (ps.auto_arm)
      s.fields.push_back(number_field(n + "auto_arm_time", label(p, "время автовзятия, с"), ps.auto_arm_time));
    if (temperature_applies(p, ps)) {
      s.fields.push_back(number_field(n + "temp_low", label(p, "нижняя граница температуры, °C"), ps.temp_low));
      s.fields.push_back(number_field(n + "temp_high", label(p, "верхняя граница температуры, °C"), ps.temp_high));
    }
    s.fields.push_back(text_field(n + "name", label(p, "наименование"), partition_name(c, p)));
  }
  out.push_back(std::move(s));
}

void report_relay_modules(const Configuration& c, std::vector<ReportSection>& out) {
  ReportSection s{"relay_modules", "Модули МР", {}, false, 0, {}};
  // A module number keys its first record, as the page's dialog edits it.
  std::set<int> seen;
  for (const auto& m : relay_modules(c)) {
    if (!seen.insert(m.number).second) continue;
    for (int r = 1; r <= kRelaysPerModule; ++r)
      s.fields.push_back(number_field(num(m.number) + ".relay_" + num(r),
                                      "модуль МР " + num(m.number) + ": реле " + num(r),
                                      m.relays[static_cast<std::size_t>(r - 1)]));
  }
  out.push_back(std::move(s));
}

Result<int> parse_type(int p, std::string_view value) {
  if (auto t = partition_type_by_name(value)) return *t;
  if (auto t = parse_whole_number(value, 0, 255, who(p) + ", тип")) return *t;
  std::string names;
  for (int t = kTypeSecurity; t <= kTypeTemperature; ++t) {
    if (t == kTypeTransit && p != 1) continue;
    names += (names.empty() ? "" : ", ") + num(t) + " «" + partition_type_name(t) + "»";
  }
  return fail(who(p) + ", тип: введите номер типа или его название: " + names);
}

Result<> set_partition_field(Configuration& c, int p, std::string_view field, std::string_view value) {
  if (field == "name") return set_partition_name(c, p, value);
  PartitionSettings s = read_partition(c, p);
  const std::string type_text = "«" + partition_type_name(s.type) + "»";

  auto number = [&](int hi, std::string_view what, int& into) -> Result<> {
    auto v = parse_whole_number(value, 0, hi, who(p) + ", " + std::string(what));
    if (!v) return std::unexpected(v.error());
    into = *v;
    return {};
  };
  auto flag = [&](std::string_view what, bool& into) -> Result<> {
    auto v = parse_flag(value, who(p) + ", " + std::string(what));
    if (!v) return std::unexpected(v.error());
    into = *v;
    return {};
  };

  Result<> parsed;
  if (field == "type") {
    auto t = parse_type(p, value);
    if (!t) return std::unexpected(t.error());
    if (*t != s.type) choose_type(s, *t);
  } else if (field == "round_the_clock" || field == "silent_alarm") {
    const bool day_night = field == "round_the_clock";
    if (is_fire_type(s.type))
      return fail(who(p) + ": «" + std::string(day_night ? "Круглосуточно" : "Тихая тревога") +
                  "» у пожарного раздела не меняется (" + (day_night ? "всегда включено" : "всегда выключено") + ")");
    parsed = flag(day_night ? "круглосуточно" : "тихая тревога", day_night ? s.round_the_clock : s.silent_alarm);
  } else if (field == "auto_arm") {
    parsed = flag("автовзятие", s.auto_arm);
  } else if (field == "bypass_allowed") {
    parsed = flag("разрешение обхода", s.bypass_allowed);
  } else if (field == "entry_delay" || field == "exit_delay") {
    const bool entry = field == "entry_delay";
    const std::string what = entry ? "задержка на вход" : "задержка на выход";
    if (!delays_apply(p, s)) {
      if (s.type == kTypeSecurity || s.type == kTypeTechnical)
        return fail(who(p) + ": " + what + " не задаётся, пока включено «Круглосуточно»");
      return fail(who(p) + ": " + what + " не задаётся для типа " + type_text +
                  " (только для охранного и технологического раздела)");
    }
    parsed = number(kMaxDelay, what, entry ? s.entry_delay : s.exit_delay);
  } else if (field == "auto_arm_time") {
    if (!s.auto_arm) return fail(who(p) + ": время автовзятия задаётся только при включённом «Автовзятие»");
    parsed = number(kMaxAutoArmTime, "время автовзятия", s.auto_arm_time);
  } else if (field == "temp_low" || field == "temp_high") {
    const bool low = field == "temp_low";
    const std::string what = low ? "нижняя граница температуры" : "верхняя граница температуры";
    if (!temperature_applies(p, s))
      return fail(who(p) + ": " + what + " задаётся только для типа «" + partition_type_name(kTypeTemperature) +
                  "», а у раздела тип " + type_text);
    parsed = number(kMaxTemperature, what, low ? s.temp_low : s.temp_high);
  } else {
    return fail("Нет такого ключа: partitions." + num(p) + "." + std::string(field));
  }
  if (!parsed) return parsed;
  return set_partition(c, p, s);
}

Result<> set_relay_field(Configuration& c, int module, std::string_view field, std::string_view value) {
  int relay = 0;
  for (int r = 1; r <= kRelaysPerModule; ++r)
    if (field == "relay_" + num(r)) relay = r;
  if (relay == 0) return fail("Нет такого ключа: relay_modules." + num(module) + "." + std::string(field));
  // The page's dialog shows relays 1 and 2 only.
  if (relay > 2)
    return fail("Модуль МР " + num(module) + ": привязка реле " + num(relay) +
                " на странице «Контроль цепи МР» не настраивается (только реле 1 и 2)");
  auto partition = parse_relay_partition(value, relay);
  if (!partition) return std::unexpected(partition.error());
  return set_relay_binding(c, module, relay, *partition);
}

}  // namespace

FieldDomain partition_fields() {
  FieldDomain d;
  d.report = [](const Configuration& c, const ReportOptions&, std::vector<ReportSection>& out) {
    report_partitions(c, out);
    report_relay_modules(c, out);
  };
  d.images = {memory::ImageId::partitions,         memory::ImageId::entry_exit_delays,
              memory::ImageId::auto_arm_times,     memory::ImageId::temperature_limits,
              memory::ImageId::partition_names,    memory::ImageId::relay_modules};
  d.set = [](Configuration& c, std::string_view key, std::string_view value) -> std::optional<Result<>> {
    const auto parts = split_key(key);
    if (parts.empty()) return std::nullopt;
    if (parts[0] == "partitions") {
      const auto p = parts.size() == 3 ? key_item(parts[1], kPartitionCount) : std::nullopt;
      if (!p) return fail("Нет такого ключа: " + std::string(key) + " (разделы 1–" + num(kPartitionCount) + ")");
      return set_partition_field(c, *p, parts[2], value);
    }
    if (parts[0] == "relay_modules") {
      const auto m = parts.size() == 3 ? key_item(parts[1], 65536) : std::nullopt;
      if (!m) return fail("Нет такого ключа: " + std::string(key));
      return set_relay_field(c, *m, parts[2], value);
    }
    return std::nullopt;
  };
  return d;
}

}  // namespace vq::settings
