#pragma once
// System outputs: which device and physical output each of the 250 drives, its work mode,
// control time and partition links — read out of the configuration and changed by named
// operations. A refused operation changes no byte.
//
// Classes as the pages present them: outputs bound to a radio device of type code 70
// ("ОПС") are stored as class 2 and presented as class 5; a class-5 choice is stored as
// class 2 again. A stored class above 5 has no name and reads "класс N", a stored mode
// above 8 reads "режим N"; both are shown as stored and can be replaced, never offered.
#include <array>
#include <bitset>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "memory/configuration.hpp"
#include "util/result.hpp"

namespace vq::settings {

inline constexpr int kSystemOutputCount = 250;
inline constexpr int kOutputClassCount = 6;  // 0..5, as the class list orders them
inline constexpr int kWorkModeCount = 9;     // 0..8
inline constexpr int kRemoteControlMode = 8;
inline constexpr int kControlTimeMin = 1;
inline constexpr int kControlTimeMax = 250;
// What the work-mode dialog sets the control time to whenever a mode is chosen.
inline constexpr int kDefaultControlTime = 10;

// Device classes as stored (byte 0 high nibble); `ops` only as presented.
enum class OutputClass : int { none = 0, panel = 1, radio_relay = 2, relay_module = 3, siren = 4, ops = 5 };

// What output n (1..250) is bound to, as stored: class, device number (byte 1) and
// physical output number 1..16 (low nibble + 1).
struct OutputBinding {
  int device_class = 0;
  int device = 0;
  int output = 1;
  friend bool operator==(const OutputBinding&, const OutputBinding&) = default;
};
OutputBinding output_binding(const memory::Configuration& config, int n);

// Frees every output bound under `device_class` to `device` (bytes 0 and 1 set to 0; mode
// and partition links stay). Returns how many were freed.
int free_outputs_bound_to(memory::Configuration& config, int device_class, int device);

// ---- Binding as the pages present it ------------------------------------------------

// "нет устройства", "ППКОП", "РТМ", "МР", "СЗО", "ОПС"; "класс N" for any other.
std::string output_class_name(int device_class);
// The class by its name or stored number ("ППКОП" or "1"); only 0..5.
std::optional<int> output_class_from_text(std::string_view text);

// The stored class, or 5 for a class-2 output whose device has radio type code 70.
int presented_class(const memory::Configuration& config, int n);
// The binding as shown: presented class, device (class 1 with 0 reads 1), output 1..16.
// For a free output (class 0) device and output are 0.
OutputBinding presented_binding(const memory::Configuration& config, int n);

// The devices a class offers, in the order the assignment dialog lists them: the panel
// (1) for class 1; radio devices by number for classes 2, 4 and 5; relay modules in the
// order of the registered system devices table for class 3. Nothing for class 0 or an
// unknown class.
std::vector<int> candidate_devices(const memory::Configuration& config, int device_class);
// Whether the registered system devices table lists a relay module.
bool has_relay_module(const memory::Configuration& config);
// The physical outputs (1-based) of a candidate device; empty for a device the class
// does not offer.
std::vector<int> physical_outputs(const memory::Configuration& config, int device_class, int device);
// Those physical outputs that no system output of the same presented class and device
// uses yet (class 1 with device 0 counting as device 1); the dialog's output list.
std::vector<int> free_physical_outputs(const memory::Configuration& config, int device_class, int device);

// Everything the assignment dialog may offer: the devices of each class, and the free
// outputs of each (class, device).
struct AssignmentChoices {
  std::array<std::vector<int>, kOutputClassCount> devices;
  std::map<std::pair<int, int>, std::vector<int>> free_outputs;
  const std::vector<int>& outputs_of(int device_class, int device) const;
};
AssignmentChoices assignment_choices(const memory::Configuration& config);

// Binds output n as the assignment dialog confirms it: class 0 frees it (bytes 0 and 1
// zero), class 5 is stored as class 2. The device must be one the class offers and the
// physical output one of its free outputs; the binding the output already has is
// accepted as it is. Mode and partition links stay.
Result<> assign_output(memory::Configuration& config, int n, const OutputBinding& binding);
// Exchanges the 20-byte records of outputs a and b (binding, mode, partition links; the
// control times stay). a == b is refused with message 15268.
Result<> swap_outputs(memory::Configuration& config, int a, int b);
// Bytes 0 and 1 of output n set to 0; mode and partition links stay.
Result<> free_output(memory::Configuration& config, int n);

// ---- Work mode, control time, partition links ---------------------------------------

// "ПЦН тревога" .. "Дистанционное управление"; "режим N" for any other.
std::string work_mode_name(int mode);
// The mode by its name or number; only 0..8.
std::optional<int> work_mode_from_text(std::string_view text);
// Modes 2 and 8 carry a control time.
constexpr bool has_control_time(int mode) { return mode == 2 || mode == kRemoteControlMode; }

// Bits 0..6 of byte 2.
int work_mode(const memory::Configuration& config, int n);
// Control time table byte n - 1, seconds.
int control_time(const memory::Configuration& config, int n);

// Whom the work-mode dialog's "Применить:" names.
enum class ApplyTo { selected, all, numbers };
// The target outputs: the selected one, all 250, or the list in `numbers`
// ("1,3,5,7-10", expanded in the order written, repeats kept; a descending range gives
// none). An element without digits or a number outside 1..250 refuses the whole list.
Result<std::vector<int>> work_mode_targets(ApplyTo to, int selected, std::string_view numbers);

// For each target: byte 2 = (byte 2 & 0x80) | mode; for modes 2 and 8 the control time
// (1..250) is written; mode 8 clears all 96 partition links. An unknown mode, a control
// time out of range or a target outside 1..250 refuses the whole operation.
Result<> set_work_mode(memory::Configuration& config, const std::vector<int>& targets, int mode, int control_time);
// The control time of one output alone; only for outputs in mode 2 or 8.
Result<> set_control_time(memory::Configuration& config, int n, int seconds);

// Partition p (1..96) in bit p - 1.
std::bitset<96> partition_links(const memory::Configuration& config, int n);
// Gives every listed output these links. Mode 8 allows none: a non-empty set for an
// output in mode 8 is refused (message 15331), and so the whole operation.
Result<> set_partition_links(memory::Configuration& config, const std::vector<int>& outputs,
                             const std::bitset<96>& links);

// "1,5,7-9" for partitions 1, 5, 7, 8, 9 (runs of three or more as ranges); empty for none.
std::string partition_list_text(const std::bitset<96>& links);

}  // namespace vq::settings
