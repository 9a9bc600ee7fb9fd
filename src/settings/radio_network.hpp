#pragma once
// The radio network: the channel control period, the 250 device slots (type code and
// partition, as the panel registered them), each device's parameters as its type defines
// them, deletion of devices, and the partitions of radio devices and of the wired loops
// ШС1, ШС2 and SOS. Registration happens in the panel: nothing here registers a device.
// A refused operation changes no byte.
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "memory/configuration.hpp"
#include "util/result.hpp"

namespace vq::settings {

inline constexpr int kRadioDeviceCount = 250;
inline constexpr int kChannelControlMin = 4;   // minutes, as the page offers them
inline constexpr int kChannelControlMax = 42;
inline constexpr int kIptThresholdMin = 54;    // degrees C
inline constexpr int kIptThresholdMax = 65;
inline constexpr int kOprVolumeMin = 1;
inline constexpr int kOprVolumeMax = 4;
inline constexpr int kMaxAssignablePartition = 96;

// ---- channel control ----------------------------------------------------------------

// Byte 0 of the channel control table, as stored (a panel may hold a value the page
// does not offer).
int channel_control_period(const memory::Configuration& config);
// Only 4..42 minutes are accepted; bytes 1 and 2 of the table stay as they are.
Result<> set_channel_control_period(memory::Configuration& config, int minutes);

// ---- device slots ---------------------------------------------------------------------

// Type code of device n (1..250); 0 is an empty slot.
int radio_device_type(const memory::Configuration& config, int n);
bool radio_device_registered(const memory::Configuration& config, int n);
// Partition of device n, as stored (1..96, 0 for none).
int radio_device_partition(const memory::Configuration& config, int n);
// The short name of a type code ("ИК"); "" for an unknown code.
std::string radio_type_name(int type_code);
// Byte 0 of the device table (the number of slots; 250 once partitions were assigned).
int radio_slot_count(const memory::Configuration& config);

// ---- device parameters ------------------------------------------------------------

// The parameters a type may have, each one list of the parameter dialog.
enum class RadioParam {
  main_channel,      // EnCh1CmB: 0 выключен, 1 включен
  aux_input,         // EnCh2CmB: 0 выключен, 1 включен
  aux_input_type,    // InvCh2CmB: 0 НЗ, 1 НР
  device_kind,       // DevTypeCmB: 0 СМК, 1 РПД
  sensitivity,       // SensCh1CmB: 0 низкая, 1 нормальная, 2 хорошая, 3 высокая
  integration_time,  // VBRIntegTimeCmB: 0 минимальное .. 3 максимальное
  sensitivity_db,    // VBRSensCmB: 0..5 for −20, −17, −11, −7, −3, 0 dB
  threshold_temp,    // IPTGradCmB: degrees C
  volume,            // OPRVolumeCmB: volume 1..4
};
inline constexpr int kRadioParamCount = 9;
inline constexpr std::array<RadioParam, kRadioParamCount> kAllRadioParams = {
    RadioParam::main_channel,     RadioParam::aux_input,      RadioParam::aux_input_type,
    RadioParam::device_kind,      RadioParam::sensitivity,    RadioParam::integration_time,
    RadioParam::sensitivity_db,   RadioParam::threshold_temp, RadioParam::volume};

// One device's parameters: entry indices of the dialog's lists, except threshold_temp
// (degrees) and volume (1..4). A parameter without a value is one the type does not
// have, or one without a valid entry; saving leaves its bits as the target holds them.
struct RadioDeviceParams {
  std::array<std::optional<int>, kRadioParamCount> values{};
  bool changed = false;  // the change mark (byte 1 bit 7); saving always sets it

  std::optional<int>& operator[](RadioParam p) { return values[static_cast<std::size_t>(p)]; }
  const std::optional<int>& operator[](RadioParam p) const { return values[static_cast<std::size_t>(p)]; }
  friend bool operator==(const RadioDeviceParams&, const RadioDeviceParams&) = default;
};

// The parameters of a type code, in dialog order; empty for types without any.
std::vector<RadioParam> params_of_type(int type_code);
bool type_has_param(int type_code, RadioParam p);

// The stored parameters of device n (1..250), decoded by its type code; every bit named
// for the type, as stored.
RadioDeviceParams read_device_params(const memory::Configuration& config, int n);

// What the parameter dialog shows: the values of its lists and which of them are enabled.
struct RadioDeviceForm {
  RadioDeviceParams values;
  std::array<bool, kRadioParamCount> enabled{};
  bool is_enabled(RadioParam p) const { return enabled[static_cast<std::size_t>(p)]; }
};
// The dialog as it opens for a device of this type with these stored parameters (an СМК
// and an ИК or АК show their auxiliary input type as НЗ, which saving then stores).
RadioDeviceForm device_form(int type_code, const RadioDeviceParams& stored);
// The dialog after "СМК" (0) or "РПД" (1) was chosen in "Тип устройства (для СМК):".
RadioDeviceForm device_form_for_kind(int kind);
// One choice in the dialog, made as `config set` makes it: a parameter the type lacks or
// the dialog leaves disabled is refused with the reason, so is an entry outside the list
// and the sensitivities "нормальная" and "хорошая" (message 15024); choosing a device
// kind brings the lists along as the dialog does. A refusal leaves the form as it was.
Result<> choose_param(int type_code, RadioDeviceForm& form, RadioParam p, int value);

// "Сохранить" of the parameter dialog: device n, or every device of n's type code ("ко
// всем однотипным", n included). Only the bits named for the type change (ИПТ and ОПР
// have both bytes rewritten); the change mark is set on every target. An empty slot, a
// threshold outside 54..65, a volume outside 1..4 or an index outside its list is refused.
Result<> save_device_params(memory::Configuration& config, int n, const RadioDeviceParams& params,
                            bool to_all_of_type);

// Names for the readable report and the keys.
std::string_view param_key(RadioParam p);     // "main_channel"
std::string param_label(RadioParam p);        // "основной канал"
// Entry names of an enumerated parameter; empty for threshold_temp and volume (numbers).
std::vector<std::string> param_entries(RadioParam p);

// ---- deletion -----------------------------------------------------------------------

// "Удалить устройство": frees every system output bound to device n under class 2 and
// empties the slot (type code and partition 0; the parameter record stays). An empty
// slot is refused with message 15131.
Result<> delete_radio_device(memory::Configuration& config, int n);
// "Удалить все устройства": the same for all 250 slots; returns how many outputs were freed.
int delete_all_radio_devices(memory::Configuration& config);

// ---- partitions of devices and wired loops ---------------------------------------

enum class WiredLoop { shs1 = 0, shs2 = 1, sos = 2 };

struct RpdiAssignment {
  std::array<int, kRadioDeviceCount> device{};  // partition of device n at index n − 1
  int shs1 = 0;
  int shs2 = 0;
  int sos = 0;
  friend bool operator==(const RpdiAssignment&, const RpdiAssignment&) = default;
};

RpdiAssignment read_rpdi(const memory::Configuration& config);
// "Назначение в разделы": writes 250 and 0 to bytes 0 and 1 of the device table, stores
// every partition, and recomputes the loops' partition types (bytes 3 and 4) and sets the
// double-activation bits (byte 5) of a loop in a "Пожарный 2" partition (never clears
// them). A loop with partition 0 gets type 0: there is no partition entry to read.
// Refused: a partition outside 0..96, and a partition given to an empty slot (message
// 15129) unless the slot already holds that very number.
Result<> apply_rpdi(memory::Configuration& config, const RpdiAssignment& assignment);

// Wired loop table as stored.
int loop_partition(const memory::Configuration& config, WiredLoop loop);
// The partition type recorded for the loop (byte 3 nibble, byte 4 for SOS).
int loop_partition_type(const memory::Configuration& config, WiredLoop loop);
// Byte 5 bit 0 (ШС1) or bit 4 (ШС2).
bool loop_double_activation(const memory::Configuration& config, WiredLoop loop);

}  // namespace vq::settings
