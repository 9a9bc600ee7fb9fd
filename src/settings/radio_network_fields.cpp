// The radio network domain as named fields for `config show/set/get`: the channel control
// period, every registered radio device with its type's parameters, and the wired loops.
// A value is set through the operation the page uses for it.
#include <cstdio>
#include <functional>

#include "settings/config_fields.hpp"
#include "settings/field_input.hpp"
#include "settings/partitions.hpp"
#include "settings/radio_network.hpp"
#include "shell/messages.hpp"

namespace vq::settings {
namespace {

using memory::Configuration;
using memory::ImageId;

std::string hex_bytes(const memory::TMemoryBlock& t, std::size_t from, std::size_t to) {
  std::string out;
  for (std::size_t i = from; i <= to; ++i) {
    char buf[4];
    std::snprintf(buf, sizeof buf, "%02x", static_cast<unsigned>(t.byte_at(i)));
    out += (out.empty() ? "" : " ") + std::string(buf);
  }
  return out;
}

std::string partition_type_name(int type) {
  static constexpr int kIds[] = {15115, 15116, 15117, 15118, 15119, 15325, 15120};
  return type >= 0 && type < 7 ? shell::msg(kIds[type]) : "-";
}

std::string type_choice_name(int code) {
  const std::string name = radio_type_name(code);
  return name.empty() ? "код " + std::to_string(code) : name;
}

// ---- report ---------------------------------------------------------------------------

ReportSection radio_section(const Configuration& c) {
  ReportSection s{"radio", "Радиосеть", {}, false, 0, {}};
  s.fields.push_back(number_field("channel_control_period", "период контроля канала, мин", channel_control_period(c)));
  s.fields.push_back(number_field("slot_count", "число ячеек радиоустройств", radio_slot_count(c)));
  s.fields.push_back(text_field("device_table_reserved", "таблица радиоустройств, байты 1–5",
                                hex_bytes(c.image(ImageId::radio_devices), 1, 5)));
  s.fields.push_back(text_field("channel_control_reserved", "контроль канала, байты 1–2",
                                hex_bytes(c.image(ImageId::radio_channel_control), 1, 2)));
  return s;
}

ReportField param_field(const std::string& prefix, const std::string& label, RadioParam p, int value) {
  const std::string key = prefix + std::string(param_key(p));
  const std::string what = label + param_label(p);
  const auto entries = param_entries(p);
  if (entries.empty()) return number_field(key, what, value);
  const bool known = value >= 0 && value < static_cast<int>(entries.size());
  return choice_field(key, what, value, known ? entries[static_cast<std::size_t>(value)] : "-");
}

ReportSection devices_section(const Configuration& c) {
  ReportSection s{"radio_devices", "Радиоустройства", {}, false, 0, {}};
  for (int n = 1; n <= kRadioDeviceCount; ++n) {
    const int type = radio_device_type(c, n);
    if (type == 0) continue;
    const std::string prefix = std::to_string(n) + ".";
    const std::string label = "устройство " + std::to_string(n) + ": ";
    s.fields.push_back(choice_field(prefix + "type", label + "тип", type, type_choice_name(type)));
    s.fields.push_back(number_field(prefix + "partition", label + "раздел", radio_device_partition(c, n)));
    const auto params = read_device_params(c, n);
    for (auto p : params_of_type(type))
      if (const auto& v = params[p]) s.fields.push_back(param_field(prefix, label, p, *v));
    s.fields.push_back(flag_field(prefix + "changed", label + "отметка изменения", params.changed));
  }
  return s;
}

struct LoopKey {
  const char* key;
  WiredLoop loop;
  int name_id;
};
constexpr LoopKey kLoops[] = {{"1", WiredLoop::shs1, 15112}, {"2", WiredLoop::shs2, 15113}, {"sos", WiredLoop::sos, 15114}};

ReportSection loops_section(const Configuration& c) {
  ReportSection s{"loops", "Шлейфы", {}, false, 0, {}};
  for (const auto& l : kLoops) {
    const std::string prefix = std::string(l.key) + ".";
    const std::string label = shell::msg(l.name_id) + ": ";
    s.fields.push_back(number_field(prefix + "partition", label + "раздел", loop_partition(c, l.loop)));
    const int type = loop_partition_type(c, l.loop);
    s.fields.push_back(choice_field(prefix + "partition_type", label + "тип раздела (записанный)", type,
                                    partition_type_name(type)));
    if (l.loop == WiredLoop::sos) continue;
    const int number = l.loop == WiredLoop::shs1 ? 1 : 2;
    s.fields.push_back(flag_field(prefix + "double_activation", label + "двойная сработка",
                                  loop_double_activation(c, l.loop)));
    s.fields.push_back(number_field(prefix + "integration_ms", label + "время интегрирования, мс",
                                    loop_integration_ms(c, number)));
  }
  return s;
}

// ---- set ----------------------------------------------------------------------------------

Result<> read_only(std::string_view what, std::string_view why) {
  return fail(std::string(what) + ": только для чтения — " + std::string(why));
}

// An enumerated value by its stored number or the name the page shows.
Result<int> parse_choice(std::string_view text, RadioParam p) {
  const auto entries = param_entries(p);
  for (std::size_t i = 0; i < entries.size(); ++i)
    if (text == entries[i]) return static_cast<int>(i);
  auto v = parse_whole_number(text, 0, static_cast<int>(entries.size()) - 1, param_label(p));
  if (v) return v;
  std::string names;
  for (std::size_t i = 0; i < entries.size(); ++i)
    names += (i ? ", " : "") + std::to_string(i) + " или «" + entries[i] + "»";
  return fail(param_label(p) + ": допустимо " + names);
}

// A partition goes in as "Назначение в разделы" stores it: the whole assignment again,
// so the loop bytes are recomputed.
Result<> set_partition(Configuration& c, std::string_view value, const std::string& whose,
                       const std::function<int&(RpdiAssignment&)>& slot) {
  auto p = parse_whole_number(value, 0, kMaxAssignablePartition, "Раздел " + whose);
  if (!p) return std::unexpected(p.error());
  auto a = read_rpdi(c);
  slot(a) = *p;
  return apply_rpdi(c, a);
}

int& loop_slot(RpdiAssignment& a, WiredLoop loop) {
  switch (loop) {
    case WiredLoop::shs1: return a.shs1;
    case WiredLoop::shs2: return a.shs2;
    case WiredLoop::sos: break;
  }
  return a.sos;
}

Result<> set_device_field(Configuration& c, int n, std::string_view field, std::string_view value) {
  const std::string whose = "радиоустройства " + std::to_string(n);
  if (field == "type")
    return read_only("Тип " + whose, "тип задаёт прибор, когда регистрирует устройство");
  if (field == "changed")
    return read_only("Отметка изменения " + whose, "ставится сама при сохранении параметров устройства");
  if (field == "partition")
    return set_partition(c, value, whose,
                         [n](RpdiAssignment& a) -> int& { return a.device[static_cast<std::size_t>(n - 1)]; });
  for (auto p : kAllRadioParams) {
    if (param_key(p) != field) continue;
    const int type = radio_device_type(c, n);
    if (type == 0) return fail("Радиоустройство " + std::to_string(n) + ": " + shell::msg(15121));
    auto form = device_form(type, read_device_params(c, n));
    // Checked before the value, so the reason names the type rather than the range.
    if (!type_has_param(type, p) || !form.is_enabled(p))
      if (auto r = choose_param(type, form, p, 0); !r) return r;
    Result<int> v = param_entries(p).empty()
                        ? (p == RadioParam::volume
                               ? parse_whole_number(value, kOprVolumeMin, kOprVolumeMax, "Громкость звучания (для ОПР)")
                               : parse_whole_number(value, kIptThresholdMin, kIptThresholdMax,
                                                    "Пороговая температура сработки (для ИПТ)"))
                        : parse_choice(value, p);
    if (!v) return std::unexpected(v.error());
    if (auto r = choose_param(type, form, p, *v); !r) return r;
    return save_device_params(c, n, form.values, false);
  }
  return fail("Нет такого поля радиоустройства: " + std::string(field));
}

Result<> set_loop_field(Configuration& c, const LoopKey& l, std::string_view field, std::string_view value) {
  const std::string name = shell::msg(l.name_id);
  if (field == "partition")
    return set_partition(c, value, name, [&l](RpdiAssignment& a) -> int& { return loop_slot(a, l.loop); });
  if (field == "partition_type")
    return read_only("Тип раздела " + name, "пересчитывается из таблицы разделов при назначении в разделы");
  if (l.loop != WiredLoop::sos) {
    const int number = l.loop == WiredLoop::shs1 ? 1 : 2;
    if (field == "double_activation")
      return read_only("Двойная сработка " + name,
                       "ставится сама, когда шлейф назначен в раздел «Пожарный 2»");
    if (field == "integration_ms") {
      auto ms = parse_whole_number(value, 0, 100000, "Время интегрирования");
      if (!ms) return fail("Время интегрирования " + name + ": допустимо 500 или 70 мс");
      return set_loop_integration_ms(c, number, *ms);
    }
  }
  return fail("Нет такого поля шлейфа " + name + ": " + std::string(field));
}

std::optional<Result<>> set_field(Configuration& c, std::string_view key, std::string_view value) {
  const auto parts = split_key(key);
  if (parts.empty()) return std::nullopt;
  if (parts[0] == "radio") {
    if (parts.size() != 2) return fail("Нет такого ключа: " + std::string(key));
    if (parts[1] == "channel_control_period") {
      auto v = parse_whole_number(value, kChannelControlMin, kChannelControlMax, "Период контроля канала");
      if (!v) return std::unexpected(v.error());
      return set_channel_control_period(c, *v);
    }
    if (parts[1] == "slot_count")
      return read_only("Число ячеек радиоустройств", "записывается само (250) при назначении в разделы");
    if (parts[1] == "device_table_reserved" || parts[1] == "channel_control_reserved")
      return read_only("Служебные байты", "программа их не изменяет");
    return fail("Нет такого ключа: " + std::string(key));
  }
  if (parts[0] == "radio_devices") {
    if (parts.size() != 3) return fail("Нет такого ключа: " + std::string(key));
    const auto n = key_item(parts[1], kRadioDeviceCount);
    if (!n) return fail("Номер радиоустройства: от 1 до 250, получено «" + std::string(parts[1]) + "»");
    return set_device_field(c, *n, parts[2], value);
  }
  if (parts[0] == "loops") {
    if (parts.size() != 3) return fail("Нет такого ключа: " + std::string(key));
    for (const auto& l : kLoops)
      if (parts[1] == l.key) return set_loop_field(c, l, parts[2], value);
    return fail("Шлейф: допустимо 1, 2 или sos, получено «" + std::string(parts[1]) + "»");
  }
  return std::nullopt;
}

}  // namespace

FieldDomain radio_network_fields() {
  FieldDomain d;
  d.report = [](const Configuration& c, const ReportOptions&, std::vector<ReportSection>& out) {
    out.push_back(radio_section(c));
    out.push_back(devices_section(c));
    out.push_back(loops_section(c));
  };
  d.images = {ImageId::radio_devices, ImageId::radio_device_params, ImageId::radio_channel_control,
              ImageId::wired_loops, ImageId::integration_time};
  d.set = set_field;
  return d;
}

}  // namespace vq::settings
