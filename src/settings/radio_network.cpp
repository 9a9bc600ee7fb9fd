#include "settings/radio_network.hpp"

#include "memory/routines.hpp"
#include "memory/type_names.hpp"
#include "settings/system_outputs.hpp"
#include "shell/messages.hpp"

namespace vq::settings {
namespace {

using memory::Configuration;
using memory::ImageId;
using u8 = std::uint8_t;

// Device table: slot count, a zero byte, four bytes nobody here touches, then a type code
// and a partition per device.
constexpr std::size_t kSlotsByte = 0;
constexpr std::size_t kSecondByte = 1;
constexpr std::size_t type_at(int n) { return 6 + 2 * static_cast<std::size_t>(n - 1); }
constexpr std::size_t partition_at(int n) { return 7 + 2 * static_cast<std::size_t>(n - 1); }
// Parameter table: two bytes per device; byte 1 bit 7 is the change mark.
constexpr std::size_t param_at(int n) { return 2 * static_cast<std::size_t>(n - 1); }
constexpr u8 kChangeMark = 0x80;

// Bits of parameter byte 0.
constexpr int kMainChannelBit = 2;
constexpr int kDeviceKindBit = 3;
constexpr int kAuxTypeBit = 4;
constexpr int kAuxInputBit = 6;
constexpr u8 kLowPairMask = 0x03;      // sensitivity / integration time
constexpr u8 kVbrSensMask = 0x70;      // bits 4..6
constexpr int kVbrSensShift = 4;

// Wired loop table.
constexpr std::size_t kLoopTypesByte = 3;
constexpr std::size_t kSosTypeByte = 4;
constexpr std::size_t kDoubleActivationByte = 5;
constexpr int kFireDoubleActivation = 3;  // partition type "Пожарный 2"

bool valid_device(int n) { return n >= 1 && n <= kRadioDeviceCount; }

Error message_error(int id, std::string detail = {}) { return Error{0, id, shell::msg(id), std::move(detail)}; }

std::string type_text(int code) {
  const std::string name = radio_type_name(code);
  if (name.empty()) return "с кодом " + std::to_string(code);
  return name + " (код " + std::to_string(code) + ")";
}

int bit(u8 b, int n) { return memory::bit_test(b, n) ? 1 : 0; }

void put_bit(u8& b, int n, const std::optional<int>& v) {
  if (!v) return;
  if (*v != 0)
    memory::bit_set(b, n);
  else
    memory::bit_clear(b, n);
}

// How many entries an enumerated parameter's list holds; 0 for numbers.
int entry_count(RadioParam p) { return static_cast<int>(param_entries(p).size()); }

// The value a parameter may take, as the dialog's lists allow it.
Result<> check_value(RadioParam p, int value) {
  switch (p) {
    case RadioParam::threshold_temp:
      if (value < kIptThresholdMin || value > kIptThresholdMax)
        return fail("Пороговая температура сработки (для ИПТ): введите целое число от 54 до 65");
      return {};
    case RadioParam::volume:
      if (value < kOprVolumeMin || value > kOprVolumeMax)
        return fail("Громкость звучания (для ОПР): введите целое число от 1 до 4");
      return {};
    default: {
      const int count = entry_count(p);
      if (value < 0 || value >= count) {
        std::string names;
        for (const auto& e : param_entries(p)) names += (names.empty() ? "" : ", ") + e;
        return fail(param_label(p) + ": допустимо от 0 до " + std::to_string(count - 1) + " (" + names + ")");
      }
      return {};
    }
  }
}

bool enabled_list(const RadioDeviceForm& f, RadioParam p) { return f.enabled[static_cast<std::size_t>(p)]; }
void enable(RadioDeviceForm& f, RadioParam p) { f.enabled[static_cast<std::size_t>(p)] = true; }

// Writes one target's record: only the bits named for its type.
void encode_params(memory::TMemoryBlock& t, int n, int type, const RadioDeviceParams& p) {
  const std::size_t at = param_at(n);
  u8 b0 = t.byte_at(at);
  u8 b1 = t.byte_at(at + 1);
  switch (type) {
    case 1:
    case 4:
      put_bit(b0, kMainChannelBit, p[RadioParam::main_channel]);
      put_bit(b0, kDeviceKindBit, p[RadioParam::device_kind]);
      put_bit(b0, kAuxInputBit, p[RadioParam::aux_input]);
      put_bit(b0, kAuxTypeBit, p[RadioParam::aux_input_type]);
      break;
    case 2:
    case 3:
      put_bit(b0, kAuxInputBit, p[RadioParam::aux_input]);
      put_bit(b0, kAuxTypeBit, p[RadioParam::aux_input_type]);
      if (const auto& s = p[RadioParam::sensitivity])
        b0 = static_cast<u8>((b0 & ~kLowPairMask) | (*s & kLowPairMask));
      break;
    case 5:
      if (const auto& v = p[RadioParam::integration_time])
        b0 = static_cast<u8>((b0 & ~kLowPairMask) | (*v & kLowPairMask));
      if (const auto& v = p[RadioParam::sensitivity_db])
        b0 = static_cast<u8>((b0 & ~kVbrSensMask) | ((*v << kVbrSensShift) & kVbrSensMask));
      break;
    case 35:
      if (const auto& v = p[RadioParam::threshold_temp]) b0 = b1 = static_cast<u8>(*v);
      break;
    case 66:
      if (const auto& v = p[RadioParam::volume]) b0 = b1 = static_cast<u8>(*v);
      break;
    case 90:
      put_bit(b0, kAuxTypeBit, p[RadioParam::aux_input_type]);
      break;
    case 226:
      put_bit(b0, kAuxTypeBit, p[RadioParam::aux_input_type]);
      put_bit(b0, kAuxInputBit, p[RadioParam::aux_input]);
      break;
    case 228:
    case 229:
      put_bit(b0, kMainChannelBit, p[RadioParam::main_channel]);
      break;
    default:
      break;
  }
  t.set_byte(at, b0);
  t.set_byte(at + 1, static_cast<u8>(b1 | kChangeMark));
}

int partition_type_of(const Configuration& config, int partition) {
  // No partition, no entry to read: the loop counts as type 0.
  if (partition < 1 || partition > kMaxAssignablePartition) return 0;
  return config.image(ImageId::partitions).byte_at(2 * static_cast<std::size_t>(partition - 1));
}

Result<> check_partition(int partition, const std::string& whose) {
  if (partition < 0 || partition > kMaxAssignablePartition)
    return fail("Раздел " + whose + ": введите целое число от 0 до 96");
  return {};
}

}  // namespace

// ---- channel control ------------------------------------------------------------------

int channel_control_period(const Configuration& config) {
  return config.image(ImageId::radio_channel_control).byte_at(0);
}

Result<> set_channel_control_period(Configuration& config, int minutes) {
  if (minutes < kChannelControlMin || minutes > kChannelControlMax)
    return fail("Период контроля канала: введите целое число от 4 до 42");
  config.image(ImageId::radio_channel_control).set_byte(0, static_cast<u8>(minutes));
  return {};
}

// ---- device slots -----------------------------------------------------------------------

int radio_device_type(const Configuration& config, int n) {
  return valid_device(n) ? config.image(ImageId::radio_devices).byte_at(type_at(n)) : 0;
}

bool radio_device_registered(const Configuration& config, int n) { return radio_device_type(config, n) != 0; }

int radio_device_partition(const Configuration& config, int n) {
  return valid_device(n) ? config.image(ImageId::radio_devices).byte_at(partition_at(n)) : 0;
}

std::string radio_type_name(int type_code) {
  return memory::device_type_message_id(type_code) ? memory::device_type_name(type_code) : std::string();
}

int radio_slot_count(const Configuration& config) { return config.image(ImageId::radio_devices).byte_at(kSlotsByte); }

// ---- device parameters -------------------------------------------------------------

std::vector<RadioParam> params_of_type(int type_code) {
  using P = RadioParam;
  switch (type_code) {
    case 1:
    case 4: return {P::aux_input, P::aux_input_type, P::device_kind, P::main_channel};
    case 2:
    case 3: return {P::aux_input, P::aux_input_type, P::sensitivity};
    case 5: return {P::sensitivity_db, P::integration_time};
    case 35: return {P::threshold_temp};
    case 66: return {P::volume};
    case 90: return {P::aux_input_type};
    case 226: return {P::aux_input, P::aux_input_type};
    case 228:
    case 229: return {P::main_channel};
    default: return {};
  }
}

bool type_has_param(int type_code, RadioParam p) {
  for (auto q : params_of_type(type_code))
    if (q == p) return true;
  return false;
}

RadioDeviceParams read_device_params(const Configuration& config, int n) {
  RadioDeviceParams out;
  if (!valid_device(n)) return out;
  const auto& t = config.image(ImageId::radio_device_params);
  const u8 b0 = t.byte_at(param_at(n));
  const u8 b1 = t.byte_at(param_at(n) + 1);
  out.changed = (b1 & kChangeMark) != 0;
  using P = RadioParam;
  switch (radio_device_type(config, n)) {
    case 1:
    case 4:
      out[P::main_channel] = bit(b0, kMainChannelBit);
      out[P::aux_input] = bit(b0, kAuxInputBit);
      out[P::aux_input_type] = bit(b0, kAuxTypeBit);
      out[P::device_kind] = bit(b0, kDeviceKindBit);
      break;
    case 2:
    case 3:
      out[P::sensitivity] = b0 & kLowPairMask;
      out[P::aux_input_type] = bit(b0, kAuxTypeBit);
      out[P::aux_input] = bit(b0, kAuxInputBit);
      break;
    case 5:
      out[P::integration_time] = b0 & kLowPairMask;
      out[P::sensitivity_db] = (b0 & kVbrSensMask) >> kVbrSensShift;
      break;
    case 35: out[P::threshold_temp] = b1 & 0x7F; break;
    case 66: out[P::volume] = b0; break;
    case 90: out[P::aux_input_type] = bit(b0, kAuxTypeBit); break;
    case 226:
      out[P::aux_input_type] = bit(b0, kAuxTypeBit);
      out[P::aux_input] = bit(b0, kAuxInputBit);
      break;
    case 228:
    case 229: out[P::main_channel] = bit(b0, kMainChannelBit); break;
    default: break;
  }
  return out;
}

RadioDeviceForm device_form(int type_code, const RadioDeviceParams& stored) {
  using P = RadioParam;
  RadioDeviceForm f;
  f.values.changed = stored.changed;
  auto take = [&](P p) {
    // The editable threshold list shows any stored number; the other lists show no entry
    // for a value they have none for.
    const auto& v = stored[p];
    if (v && (p == P::threshold_temp || check_value(p, *v))) f.values[p] = v;
  };
  switch (type_code) {
    case 1:
    case 4:
      for (auto p : {P::main_channel, P::aux_input, P::aux_input_type, P::device_kind}) take(p);
      if (f.values[P::device_kind] == 1) {
        enable(f, P::aux_input_type);
        enable(f, P::device_kind);
      } else {
        enable(f, P::aux_input);
        enable(f, P::main_channel);
        enable(f, P::device_kind);
        f.values[P::aux_input_type] = 0;
      }
      break;
    case 2:
    case 3:
      for (auto p : {P::sensitivity, P::aux_input_type, P::aux_input}) take(p);
      enable(f, P::aux_input);
      enable(f, P::sensitivity);
      f.values[P::aux_input_type] = 0;
      break;
    case 5:
      take(P::integration_time);
      take(P::sensitivity_db);
      enable(f, P::integration_time);
      enable(f, P::sensitivity_db);
      break;
    case 35:
      take(P::threshold_temp);
      enable(f, P::threshold_temp);
      break;
    case 66:
      take(P::volume);
      enable(f, P::volume);
      break;
    case 90:
      take(P::aux_input_type);
      enable(f, P::aux_input_type);
      break;
    case 226:
      take(P::aux_input_type);
      take(P::aux_input);
      enable(f, P::aux_input_type);
      enable(f, P::aux_input);
      break;
    case 228:
    case 229:
      take(P::main_channel);
      enable(f, P::main_channel);
      break;
    default: break;
  }
  return f;
}

RadioDeviceForm device_form_for_kind(int kind) {
  using P = RadioParam;
  RadioDeviceForm f;
  const bool rpd = kind != 0;
  f.values[P::device_kind] = rpd ? 1 : 0;
  f.values[P::aux_input] = rpd ? 1 : 0;
  f.values[P::aux_input_type] = rpd ? 1 : 0;
  f.values[P::main_channel] = rpd ? 0 : 1;
  enable(f, P::device_kind);
  if (rpd) {
    enable(f, P::aux_input_type);
  } else {
    enable(f, P::aux_input);
    enable(f, P::main_channel);
  }
  return f;
}

Result<> choose_param(int type_code, RadioDeviceForm& form, RadioParam p, int value) {
  const std::string label = param_label(p);
  if (!type_has_param(type_code, p))
    return fail("у устройства типа " + type_text(type_code) + " нет параметра «" + label + "»");
  if (!enabled_list(form, p)) {
    std::string why;
    if ((type_code == 1 || type_code == 4) && form.values[RadioParam::device_kind] == 1)
      why = "для вида РПД задаются только тип входа дополнительного канала и вид устройства";
    else if (p == RadioParam::aux_input_type)
      why = "у этого устройства вход дополнительного канала всегда НЗ";
    return fail("«" + label + "» недоступен в окне параметров устройства " + type_text(type_code) +
                (why.empty() ? "" : ": " + why));
  }
  if (auto r = check_value(p, value); !r) return r;
  if (p == RadioParam::sensitivity && (value == 1 || value == 2)) return fail(message_error(15024));
  if (p == RadioParam::device_kind) {
    const bool changed = form.values.changed;
    form = device_form_for_kind(value);
    form.values.changed = changed;
    return {};
  }
  form.values[p] = value;
  return {};
}

Result<> save_device_params(Configuration& config, int n, const RadioDeviceParams& params, bool to_all_of_type) {
  if (!valid_device(n)) return fail("Номер радиоустройства: введите целое число от 1 до 250");
  const int type = radio_device_type(config, n);
  if (type == 0)
    return fail("Радиоустройство " + std::to_string(n) + ": " + shell::msg(15121) + ", параметры не сохраняются");
  for (auto p : params_of_type(type))
    if (const auto& v = params[p])
      if (auto r = check_value(p, *v); !r) return r;
  auto& t = config.image(ImageId::radio_device_params);
  if (!to_all_of_type) {
    encode_params(t, n, type, params);
    return {};
  }
  for (int k = 1; k <= kRadioDeviceCount; ++k)
    if (radio_device_type(config, k) == type) encode_params(t, k, type, params);
  return {};
}

std::string_view param_key(RadioParam p) {
  switch (p) {
    case RadioParam::main_channel: return "main_channel";
    case RadioParam::aux_input: return "aux_input";
    case RadioParam::aux_input_type: return "aux_input_type";
    case RadioParam::device_kind: return "device_kind";
    case RadioParam::sensitivity: return "sensitivity";
    case RadioParam::integration_time: return "integration_time";
    case RadioParam::sensitivity_db: return "sensitivity_db";
    case RadioParam::threshold_temp: return "threshold_temp";
    case RadioParam::volume: return "volume";
  }
  return {};
}

std::string param_label(RadioParam p) {
  switch (p) {
    case RadioParam::main_channel: return "основной канал";
    case RadioParam::aux_input: return "вход дополнительного канала";
    case RadioParam::aux_input_type: return "тип входа дополнительного канала";
    case RadioParam::device_kind: return "тип устройства (для СМК)";
    case RadioParam::sensitivity: return "чувствительность основного канала";
    case RadioParam::integration_time: return "время интегрирования (для ВБР)";
    case RadioParam::sensitivity_db: return "чувствительность (для ВБР)";
    case RadioParam::threshold_temp: return "пороговая температура сработки, град.C";
    case RadioParam::volume: return "громкость звучания";
  }
  return {};
}

std::vector<std::string> param_entries(RadioParam p) {
  switch (p) {
    case RadioParam::main_channel:
    case RadioParam::aux_input: return {"выключен", "включен"};
    case RadioParam::aux_input_type: return {"НЗ", "НР"};
    case RadioParam::device_kind: return {"СМК", "РПД"};
    case RadioParam::sensitivity: return {"низкая", "нормальная", "хорошая", "высокая"};
    case RadioParam::integration_time: return {"минимальное", "среднее", "высокое", "максимальное"};
    case RadioParam::sensitivity_db: return {"-20 дБ", "-17 дБ", "-11 дБ", "-7 дБ", "-3 дБ", "0 дБ"};
    case RadioParam::threshold_temp:
    case RadioParam::volume: return {};
  }
  return {};
}

// ---- deletion ---------------------------------------------------------------------------

Result<> delete_radio_device(Configuration& config, int n) {
  if (!valid_device(n) || !radio_device_registered(config, n)) return fail(message_error(15131));
  free_outputs_bound_to(config, static_cast<int>(OutputClass::radio_relay), n);
  auto& t = config.image(ImageId::radio_devices);
  t.set_byte(type_at(n), 0);
  t.set_byte(partition_at(n), 0);
  return {};
}

int delete_all_radio_devices(Configuration& config) {
  int freed = 0;
  auto& t = config.image(ImageId::radio_devices);
  for (int n = 1; n <= kRadioDeviceCount; ++n) {
    freed += free_outputs_bound_to(config, static_cast<int>(OutputClass::radio_relay), n);
    t.set_byte(type_at(n), 0);
    t.set_byte(partition_at(n), 0);
  }
  return freed;
}

// ---- partitions of devices and wired loops -------------------------------------------

RpdiAssignment read_rpdi(const Configuration& config) {
  RpdiAssignment a;
  for (int n = 1; n <= kRadioDeviceCount; ++n)
    a.device[static_cast<std::size_t>(n - 1)] = radio_device_partition(config, n);
  a.shs1 = loop_partition(config, WiredLoop::shs1);
  a.shs2 = loop_partition(config, WiredLoop::shs2);
  a.sos = loop_partition(config, WiredLoop::sos);
  return a;
}

Result<> apply_rpdi(Configuration& config, const RpdiAssignment& a) {
  for (int n = 1; n <= kRadioDeviceCount; ++n) {
    const int p = a.device[static_cast<std::size_t>(n - 1)];
    if (auto r = check_partition(p, "радиоустройства " + std::to_string(n)); !r) return r;
    // A number the empty slot already holds is no assignment: leave it be.
    if (p != 0 && !radio_device_registered(config, n) && p != radio_device_partition(config, n))
      return fail(message_error(15129, "радиоустройство " + std::to_string(n)));
  }
  if (auto r = check_partition(a.shs1, shell::msg(15112)); !r) return r;
  if (auto r = check_partition(a.shs2, shell::msg(15113)); !r) return r;
  if (auto r = check_partition(a.sos, shell::msg(15114)); !r) return r;

  auto& devices = config.image(ImageId::radio_devices);
  devices.set_byte(kSlotsByte, static_cast<u8>(kRadioDeviceCount));
  devices.set_byte(kSecondByte, 0);
  for (int n = 1; n <= kRadioDeviceCount; ++n)
    devices.set_byte(partition_at(n), static_cast<u8>(a.device[static_cast<std::size_t>(n - 1)]));

  auto& loops = config.image(ImageId::wired_loops);
  loops.set_byte(0, static_cast<u8>(a.shs1));
  loops.set_byte(1, static_cast<u8>(a.shs2));
  loops.set_byte(2, static_cast<u8>(a.sos));
  const int t1 = partition_type_of(config, a.shs1);
  const int t2 = partition_type_of(config, a.shs2);
  // One nibble each: a type that does not fit a nibble is corrupt and must not spill
  // into the other loop's half.
  loops.set_byte(kLoopTypesByte, static_cast<u8>(((t1 & 0x0F) << 4) | (t2 & 0x0F)));
  loops.set_byte(kSosTypeByte, static_cast<u8>(partition_type_of(config, a.sos)));
  u8 b5 = loops.byte_at(kDoubleActivationByte);
  if (t1 == kFireDoubleActivation) memory::bit_set(b5, 0);
  if (t2 == kFireDoubleActivation) memory::bit_set(b5, 4);
  loops.set_byte(kDoubleActivationByte, b5);
  return {};
}

int loop_partition(const Configuration& config, WiredLoop loop) {
  return config.image(ImageId::wired_loops).byte_at(static_cast<std::size_t>(loop));
}

int loop_partition_type(const Configuration& config, WiredLoop loop) {
  const auto& t = config.image(ImageId::wired_loops);
  switch (loop) {
    case WiredLoop::shs1: return t.byte_at(kLoopTypesByte) >> 4;
    case WiredLoop::shs2: return t.byte_at(kLoopTypesByte) & 0x0F;
    case WiredLoop::sos: return t.byte_at(kSosTypeByte);
  }
  return 0;
}

bool loop_double_activation(const Configuration& config, WiredLoop loop) {
  const u8 b5 = config.image(ImageId::wired_loops).byte_at(kDoubleActivationByte);
  switch (loop) {
    case WiredLoop::shs1: return memory::bit_test(b5, 0);
    case WiredLoop::shs2: return memory::bit_test(b5, 4);
    case WiredLoop::sos: return false;
  }
  return false;
}

}  // namespace vq::settings
