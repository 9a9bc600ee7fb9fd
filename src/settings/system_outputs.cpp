#include "settings/system_outputs.hpp"

#include <algorithm>
#include <array>

#include "memory/registered_devices.hpp"
#include "settings/field_input.hpp"
#include "shell/messages.hpp"

namespace vq::settings {
namespace {

using memory::ImageId;

constexpr std::size_t kRecordSize = 20;
constexpr std::size_t kModeByte = 2;
constexpr std::uint8_t kModeMask = 0x7F;
constexpr std::size_t kLinksByte = 8;
constexpr std::size_t kLinksBytes = 12;

// Radio device table: type code of device n at 6 + 2 (n - 1).
constexpr std::size_t kRadioTypeAt = 6;
constexpr int kRadioDeviceCount = 250;
constexpr std::uint8_t kTypeOps = 70;
constexpr std::uint8_t kTypeSiren = 65;

constexpr int kPanelOutputs = 5;
constexpr int kRelayModuleOutputs = 4;

constexpr std::array<std::string_view, kOutputClassCount> kClassNames = {"нет устройства", "ППКОП", "РТМ",
                                                                          "МР",             "СЗО",   "ОПС"};
constexpr std::array<std::string_view, kWorkModeCount> kModeNames = {
    "ПЦН тревога", "Взят/Снят", "Исполнительный", "Контрольная лампа",       "Тревога",
    "Звуковой",    "Нарушение", "Табло",          "Дистанционное управление"};

std::size_t record(int n) { return static_cast<std::size_t>(n - 1) * kRecordSize; }
bool valid_output(int n) { return n >= 1 && n <= kSystemOutputCount; }

std::string output_range_text(int n) {
  return "номер системного выхода " + std::to_string(n) + " вне диапазона 1–" + std::to_string(kSystemOutputCount);
}

// A table loaded from a file may be shorter than the panel's: nothing is written into a
// record it does not hold whole.
Result<> check_record(const memory::Configuration& config, int n) {
  if (!valid_output(n)) return fail(output_range_text(n));
  if (record(n) + kRecordSize > config.image(ImageId::system_outputs).length())
    return fail("Таблица системных выходов короче ожидаемого: выход " + std::to_string(n) + " в ней не помещается");
  return {};
}
Result<> check_time_byte(const memory::Configuration& config, int n) {
  if (static_cast<std::size_t>(n) > config.image(ImageId::control_times).length())
    return fail("Таблица времени контроля короче ожидаемого: выход " + std::to_string(n) + " в ней не помещается");
  return {};
}

std::uint8_t radio_type(const memory::Configuration& config, int device) {
  if (device < 1 || device > kRadioDeviceCount) return 0;
  return config.image(ImageId::radio_devices).byte_at(kRadioTypeAt + 2 * static_cast<std::size_t>(device - 1));
}

// Radio types a class offers, and how many physical outputs a device of that type has.
int radio_outputs(int device_class, std::uint8_t type) {
  switch (device_class) {
    case 2:
      if (type == 225 || type == 228) return 1;
      if (type == 226 || type == 229) return 2;
      return 0;
    case 4:
      return type == kTypeSiren ? 2 : 0;
    case 5:
      return type == kTypeOps ? 1 : 0;
    default:
      return 0;
  }
}

std::vector<int> relay_modules(const memory::Configuration& config) {
  std::vector<int> out;
  const auto& t = config.image(ImageId::registered_devices);
  memory::for_each_counted_device(t, [&](std::size_t at, std::uint16_t model) {
    if (model == memory::kModelRelayModule) out.push_back(t.byte_at(at) + 1);
  });
  return out;
}

bool contains(const std::vector<int>& v, int x) { return std::find(v.begin(), v.end(), x) != v.end(); }

std::string join(const std::vector<int>& v) {
  std::string s;
  for (int x : v) s += (s.empty() ? "" : ", ") + std::to_string(x);
  return s;
}

std::string_view trim(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

template <std::size_t N>
std::optional<int> from_names(std::string_view text, const std::array<std::string_view, N>& names) {
  const auto t = trim(text);
  for (std::size_t i = 0; i < N; ++i)
    if (t == names[i] || t == std::to_string(i)) return static_cast<int>(i);
  return std::nullopt;
}

}  // namespace

OutputBinding output_binding(const memory::Configuration& config, int n) {
  const auto& t = config.image(ImageId::system_outputs);
  const std::uint8_t b0 = t.byte_at(record(n));
  return {b0 >> 4, t.byte_at(record(n) + 1), (b0 & 0x0F) + 1};
}

int free_outputs_bound_to(memory::Configuration& config, int device_class, int device) {
  auto& t = config.image(ImageId::system_outputs);
  int freed = 0;
  for (int n = 1; n <= kSystemOutputCount; ++n) {
    const auto at = record(n);
    if ((t.byte_at(at) >> 4) != device_class || t.byte_at(at + 1) != device) continue;
    t.set_byte(at, 0);
    t.set_byte(at + 1, 0);
    ++freed;
  }
  return freed;
}

std::string output_class_name(int device_class) {
  if (device_class >= 0 && device_class < kOutputClassCount)
    return std::string(kClassNames[static_cast<std::size_t>(device_class)]);
  return "класс " + std::to_string(device_class);
}

std::optional<int> output_class_from_text(std::string_view text) { return from_names(text, kClassNames); }

int presented_class(const memory::Configuration& config, int n) {
  const auto b = output_binding(config, n);
  if (b.device_class == static_cast<int>(OutputClass::radio_relay) && radio_type(config, b.device) == kTypeOps)
    return static_cast<int>(OutputClass::ops);
  return b.device_class;
}

OutputBinding presented_binding(const memory::Configuration& config, int n) {
  auto b = output_binding(config, n);
  b.device_class = presented_class(config, n);
  if (b.device_class == 0) return {0, 0, 0};
  if (b.device_class == static_cast<int>(OutputClass::panel) && b.device == 0) b.device = 1;
  return b;
}

std::vector<int> candidate_devices(const memory::Configuration& config, int device_class) {
  std::vector<int> out;
  switch (device_class) {
    case 1:
      out.push_back(1);
      break;
    case 3:
      out = relay_modules(config);
      break;
    case 2:
    case 4:
    case 5:
      for (int d = 1; d <= kRadioDeviceCount; ++d)
        if (radio_outputs(device_class, radio_type(config, d)) > 0) out.push_back(d);
      break;
    default:
      break;
  }
  return out;
}

bool has_relay_module(const memory::Configuration& config) { return !relay_modules(config).empty(); }

std::vector<int> physical_outputs(const memory::Configuration& config, int device_class, int device) {
  if (!contains(candidate_devices(config, device_class), device)) return {};
  int count = 0;
  if (device_class == 1) count = kPanelOutputs;
  else if (device_class == 3) count = kRelayModuleOutputs;
  else count = radio_outputs(device_class, radio_type(config, device));
  std::vector<int> out;
  for (int o = 1; o <= count; ++o) out.push_back(o);
  return out;
}

std::vector<int> free_physical_outputs(const memory::Configuration& config, int device_class, int device) {
  auto out = physical_outputs(config, device_class, device);
  for (int n = 1; n <= kSystemOutputCount && !out.empty(); ++n) {
    const auto b = presented_binding(config, n);
    if (b.device_class != device_class || b.device != device) continue;
    std::erase(out, b.output);
  }
  return out;
}

const std::vector<int>& AssignmentChoices::outputs_of(int device_class, int device) const {
  static const std::vector<int> none;
  const auto it = free_outputs.find({device_class, device});
  return it == free_outputs.end() ? none : it->second;
}

AssignmentChoices assignment_choices(const memory::Configuration& config) {
  AssignmentChoices out;
  for (int c = 1; c < kOutputClassCount; ++c) {
    out.devices[static_cast<std::size_t>(c)] = candidate_devices(config, c);
    for (int d : out.devices[static_cast<std::size_t>(c)]) out.free_outputs[{c, d}] = free_physical_outputs(config, c, d);
  }
  return out;
}

Result<> assign_output(memory::Configuration& config, int n, const OutputBinding& binding) {
  if (auto r = check_record(config, n); !r) return r;
  const int c = binding.device_class;
  if (c < 0 || c >= kOutputClassCount)
    return fail("Тип устройства: выберите один из списка (" + output_class_name(0) + ", ..., " +
                output_class_name(kOutputClassCount - 1) + ")");
  // The binding the output already has: nothing to change (a panel output stored with
  // device 0 keeps its 0).
  if (c != 0 && binding == presented_binding(config, n)) return {};
  if (c != 0) {
    const auto devices = candidate_devices(config, c);
    if (!contains(devices, binding.device))
      return fail("Номер устройства: " + std::to_string(binding.device) + " не устройство типа «" +
                  output_class_name(c) + "»" + (devices.empty() ? "; таких устройств нет" : "; есть: " + join(devices)));
    const auto outputs = free_physical_outputs(config, c, binding.device);
    if (!contains(outputs, binding.output))
      return fail("Номер физического выхода: " + std::to_string(binding.output) + " не свободный выход устройства " +
                  output_class_name(c) + " " + std::to_string(binding.device) +
                  (outputs.empty() ? "; свободных выходов нет" : "; свободны: " + join(outputs)));
  }
  auto& t = config.image(ImageId::system_outputs);
  const int stored = c == static_cast<int>(OutputClass::ops) ? static_cast<int>(OutputClass::radio_relay) : c;
  const int device = c == 0 ? 0 : binding.device;
  const int output = c == 0 ? 0 : binding.output - 1;
  t.set_byte(record(n), static_cast<std::uint8_t>(stored << 4 | (output & 0x0F)));
  t.set_byte(record(n) + 1, static_cast<std::uint8_t>(device));
  return {};
}

Result<> swap_outputs(memory::Configuration& config, int a, int b) {
  if (auto r = check_record(config, a); !r) return r;
  if (auto r = check_record(config, b); !r) return r;
  if (a == b) return fail(Error{0, 15268, shell::msg(15268), {}});
  auto data = config.image(ImageId::system_outputs).data();
  std::swap_ranges(data.begin() + static_cast<std::ptrdiff_t>(record(a)),
                   data.begin() + static_cast<std::ptrdiff_t>(record(a) + kRecordSize),
                   data.begin() + static_cast<std::ptrdiff_t>(record(b)));
  return {};
}

Result<> free_output(memory::Configuration& config, int n) {
  if (auto r = check_record(config, n); !r) return r;
  auto& t = config.image(ImageId::system_outputs);
  t.set_byte(record(n), 0);
  t.set_byte(record(n) + 1, 0);
  return {};
}

std::string work_mode_name(int mode) {
  if (mode >= 0 && mode < kWorkModeCount) return std::string(kModeNames[static_cast<std::size_t>(mode)]);
  return "режим " + std::to_string(mode);
}

std::optional<int> work_mode_from_text(std::string_view text) { return from_names(text, kModeNames); }

int work_mode(const memory::Configuration& config, int n) {
  return config.image(ImageId::system_outputs).byte_at(record(n) + kModeByte) & kModeMask;
}

int control_time(const memory::Configuration& config, int n) {
  return config.image(ImageId::control_times).byte_at(static_cast<std::size_t>(n - 1));
}

Result<std::vector<int>> work_mode_targets(ApplyTo to, int selected, std::string_view numbers) {
  switch (to) {
    case ApplyTo::selected:
      if (!valid_output(selected)) return fail(output_range_text(selected));
      return std::vector<int>{selected};
    case ApplyTo::all: {
      std::vector<int> all;
      for (int n = 1; n <= kSystemOutputCount; ++n) all.push_back(n);
      return all;
    }
    case ApplyTo::numbers:
      break;
  }
  return parse_number_list(numbers, 1, kSystemOutputCount, "Применить к номерам");
}

Result<> set_work_mode(memory::Configuration& config, const std::vector<int>& targets, int mode, int seconds) {
  if (mode < 0 || mode >= kWorkModeCount)
    return fail("Режим работы выхода: введите число от 0 до " + std::to_string(kWorkModeCount - 1) +
                " или название режима");
  const bool timed = has_control_time(mode);
  if (timed && (seconds < kControlTimeMin || seconds > kControlTimeMax))
    return fail("Время контроля: введите целое число от " + std::to_string(kControlTimeMin) + " до " +
                std::to_string(kControlTimeMax));
  for (int n : targets) {
    if (auto r = check_record(config, n); !r) return r;
    if (timed)
      if (auto r = check_time_byte(config, n); !r) return r;
  }
  auto& t = config.image(ImageId::system_outputs);
  auto& times = config.image(ImageId::control_times);
  for (int n : targets) {
    const auto at = record(n) + kModeByte;
    t.set_byte(at, static_cast<std::uint8_t>((t.byte_at(at) & 0x80) | mode));
    if (timed) times.set_byte(static_cast<std::size_t>(n - 1), static_cast<std::uint8_t>(seconds));
    if (mode == kRemoteControlMode)
      for (std::size_t i = 0; i < kLinksBytes; ++i) t.set_byte(record(n) + kLinksByte + i, 0);
  }
  return {};
}

Result<> set_control_time(memory::Configuration& config, int n, int seconds) {
  if (auto r = check_record(config, n); !r) return r;
  const int mode = work_mode(config, n);
  if (!has_control_time(mode))
    return fail("Время контроля есть только в режимах «" + work_mode_name(2) + "» и «" +
                work_mode_name(kRemoteControlMode) + "»; выход " + std::to_string(n) + " в режиме «" +
                work_mode_name(mode) + "»");
  return set_work_mode(config, {n}, mode, seconds);
}

std::bitset<96> partition_links(const memory::Configuration& config, int n) {
  std::bitset<96> out;
  const auto& t = config.image(ImageId::system_outputs);
  for (std::size_t p = 0; p < 96; ++p)
    if ((t.byte_at(record(n) + kLinksByte + p / 8) >> (p % 8)) & 1) out.set(p);
  return out;
}

Result<> set_partition_links(memory::Configuration& config, const std::vector<int>& outputs,
                             const std::bitset<96>& links) {
  for (int n : outputs) {
    if (auto r = check_record(config, n); !r) return r;
    if (links.any() && work_mode(config, n) == kRemoteControlMode)
      return fail(Error{0, 15331, "Выход " + std::to_string(n) + ": " + shell::msg(15331), {}});
  }
  auto& t = config.image(ImageId::system_outputs);
  for (int n : outputs) {
    for (std::size_t i = 0; i < kLinksBytes; ++i) {
      std::uint8_t b = 0;
      for (std::size_t bit = 0; bit < 8; ++bit)
        if (links.test(i * 8 + bit)) b = static_cast<std::uint8_t>(b | 1u << bit);
      t.set_byte(record(n) + kLinksByte + i, b);
    }
  }
  return {};
}

std::string partition_list_text(const std::bitset<96>& links) {
  std::string out;
  std::size_t p = 0;
  while (p < 96) {
    if (!links.test(p)) {
      ++p;
      continue;
    }
    std::size_t end = p;
    while (end + 1 < 96 && links.test(end + 1)) ++end;
    if (!out.empty()) out += ',';
    if (end - p >= 2) {
      out += std::to_string(p + 1) + "-" + std::to_string(end + 1);
    } else {
      out += std::to_string(p + 1);
      if (end > p) out += "," + std::to_string(end + 1);
    }
    p = end + 1;
  }
  return out;
}

}  // namespace vq::settings
