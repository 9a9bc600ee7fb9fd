// The system outputs domain as named fields for `config show/set/get`.
//
// A binding is three keys set one after another, and each step must leave a binding the
// assignment dialog could have made. So a new class takes its first device that has a
// free output, and a new device keeps the physical output when it is free there and takes
// the first free one otherwise; the keys that follow in the same command then name the
// device and output wanted.
#include <algorithm>

#include "settings/config_fields.hpp"
#include "settings/field_input.hpp"
#include "settings/system_outputs.hpp"

namespace vq::settings {
namespace {

constexpr std::string_view kSection = "system_outputs";

bool contains_output(const std::vector<int>& outputs, int o) {
  return std::find(outputs.begin(), outputs.end(), o) != outputs.end();
}

std::string label(int n, std::string_view what) { return "выход " + std::to_string(n) + ": " + std::string(what); }

bool listed(const memory::Configuration& c, int n) {
  return output_binding(c, n).device_class != 0 || work_mode(c, n) != 0 || partition_links(c, n).any();
}

void report(const memory::Configuration& c, const ReportOptions&, std::vector<ReportSection>& out) {
  ReportSection s;
  s.key = std::string(kSection);
  s.title = "Системные выходы";
  for (int n = 1; n <= kSystemOutputCount; ++n) {
    if (!listed(c, n)) continue;
    const std::string k = std::to_string(n) + ".";
    const auto b = presented_binding(c, n);
    s.fields.push_back(choice_field(k + "device_class", label(n, "тип устройства"), b.device_class,
                                    output_class_name(b.device_class)));
    if (b.device_class != 0) {
      s.fields.push_back(number_field(k + "device", label(n, "номер устройства"), b.device));
      s.fields.push_back(number_field(k + "output", label(n, "номер физического выхода"), b.output));
    }
    const int mode = work_mode(c, n);
    s.fields.push_back(choice_field(k + "mode", label(n, "режим"), mode, work_mode_name(mode)));
    if (has_control_time(mode))
      s.fields.push_back(number_field(k + "control_time", label(n, "время контроля, с"), control_time(c, n)));
    s.fields.push_back(text_field(k + "partitions", label(n, "разделы"), partition_list_text(partition_links(c, n))));
  }
  out.push_back(std::move(s));
}

std::string class_list() {
  std::string s;
  for (int c = 0; c < kOutputClassCount; ++c) s += (c ? ", " : "") + std::to_string(c) + " «" + output_class_name(c) + "»";
  return s;
}
std::string mode_list() {
  std::string s;
  for (int m = 0; m < kWorkModeCount; ++m) s += (m ? ", " : "") + std::to_string(m) + " «" + work_mode_name(m) + "»";
  return s;
}

Result<> refuse_unbound(int n, const OutputBinding& b) {
  if (b.device_class == 0)
    return fail("выход " + std::to_string(n) + " свободен: сначала задайте тип устройства (device_class)");
  return fail("у выхода " + std::to_string(n) + " тип устройства «" + output_class_name(b.device_class) +
              "», которого нет в списке: сначала задайте тип устройства (device_class)");
}

Result<> set_class(memory::Configuration& c, int n, std::string_view value) {
  const auto cls = output_class_from_text(value);
  if (!cls) return fail("Тип устройства: введите " + class_list());
  const auto now = presented_binding(c, n);
  if (*cls == now.device_class) return {};
  if (*cls == 0) return assign_output(c, n, {0, 0, 0});
  for (int d : candidate_devices(c, *cls)) {
    const auto outputs = free_physical_outputs(c, *cls, d);
    if (!outputs.empty()) return assign_output(c, n, {*cls, d, outputs.front()});
  }
  return fail("Тип устройства «" + output_class_name(*cls) + "»: нет устройства этого типа со свободным выходом");
}

Result<> set_device(memory::Configuration& c, int n, std::string_view value) {
  const auto now = presented_binding(c, n);
  if (now.device_class < 1 || now.device_class >= kOutputClassCount) return refuse_unbound(n, now);
  auto d = parse_whole_number(value, 1, 255, "Номер устройства");
  if (!d) return std::unexpected(d.error());
  if (*d == now.device) return {};
  const auto outputs = free_physical_outputs(c, now.device_class, *d);
  if (outputs.empty()) {
    // Let assign_output say why (not a device of the class, or no free output).
    return assign_output(c, n, {now.device_class, *d, 1});
  }
  const int output = contains_output(outputs, now.output) ? now.output : outputs.front();
  return assign_output(c, n, {now.device_class, *d, output});
}

Result<> set_output(memory::Configuration& c, int n, std::string_view value) {
  const auto now = presented_binding(c, n);
  if (now.device_class < 1 || now.device_class >= kOutputClassCount) return refuse_unbound(n, now);
  auto o = parse_whole_number(value, 1, 16, "Номер физического выхода");
  if (!o) return std::unexpected(o.error());
  return assign_output(c, n, {now.device_class, now.device, *o});
}

Result<> set_mode(memory::Configuration& c, int n, std::string_view value) {
  const auto mode = work_mode_from_text(value);
  if (!mode) return fail("Режим работы выхода: введите " + mode_list());
  // As the dialog: choosing another mode puts the time at 10; keeping the mode keeps it.
  int seconds = kDefaultControlTime;
  if (*mode == work_mode(c, n)) {
    const int t = control_time(c, n);
    if (t >= kControlTimeMin && t <= kControlTimeMax) seconds = t;
  }
  return set_work_mode(c, {n}, *mode, seconds);
}

Result<> set_time(memory::Configuration& c, int n, std::string_view value) {
  auto t = parse_whole_number(value, kControlTimeMin, kControlTimeMax, "Время контроля, с");
  if (!t) return std::unexpected(t.error());
  return set_control_time(c, n, *t);
}

Result<> set_partitions(memory::Configuration& c, int n, std::string_view value) {
  std::bitset<96> links;
  if (value.find_first_not_of(' ') != std::string_view::npos) {
    auto list = parse_number_list(value, 1, 96, "Разделы");
    if (!list) return std::unexpected(list.error());
    for (int p : *list) links.set(static_cast<std::size_t>(p - 1));
  }
  return set_partition_links(c, {n}, links);
}

std::optional<Result<>> set(memory::Configuration& c, std::string_view key, std::string_view value) {
  const auto parts = split_key(key);
  if (parts.empty() || parts[0] != kSection) return std::nullopt;
  const auto n = parts.size() == 3 ? key_item(parts[1], kSystemOutputCount) : std::nullopt;
  if (!n)
    return fail("Ключ системного выхода: system_outputs.N.поле, N от 1 до " + std::to_string(kSystemOutputCount));
  const std::string_view field = parts[2];
  if (field == "device_class") return set_class(c, *n, value);
  if (field == "device") return set_device(c, *n, value);
  if (field == "output") return set_output(c, *n, value);
  if (field == "mode") return set_mode(c, *n, value);
  if (field == "control_time") return set_time(c, *n, value);
  if (field == "partitions") return set_partitions(c, *n, value);
  return fail("У системного выхода нет поля «" + std::string(field) +
              "»; есть device_class, device, output, mode, control_time, partitions");
}

}  // namespace

FieldDomain system_output_fields() {
  FieldDomain d;
  d.report = report;
  d.images = {memory::ImageId::system_outputs, memory::ImageId::control_times};
  d.set = set;
  return d;
}

}  // namespace vq::settings
