#pragma once
// Partitions: type and properties, names, the integration time of the wired loops and the
// relay bindings of the relay modules — read out of the configuration and changed by named
// operations. A refused operation changes no byte.
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "memory/configuration.hpp"
#include "util/result.hpp"

namespace vq::settings {

inline constexpr int kPartitionCount = 96;

// ---------------------------------------------------------------------------------------
// Type and properties ("Настройка разделов").

// Partition types as stored.
inline constexpr int kTypeSecurity = 0;     // охранный
inline constexpr int kTypeTransit = 1;      // проходная зона, partition 1 only
inline constexpr int kTypeFire1 = 2;        // пожарный, single activation
inline constexpr int kTypeFire2 = 3;        // пожарный, double activation
inline constexpr int kTypeTechnical = 4;    // технологический
inline constexpr int kTypeTemperature = 5;  // контроль температуры
inline constexpr int kTypeFireAnalog = 6;   // пожарно-аналоговый (shown, never chosen)

inline constexpr int kMaxDelay = 255;         // seconds
inline constexpr int kMaxAutoArmTime = 250;   // seconds
inline constexpr int kMaxTemperature = 99;    // degrees C

// The type's name as the list shows it; "-" for a value outside 0..6.
std::string partition_type_name(int type);
// The type a name stands for (the names above), if any.
std::optional<int> partition_type_by_name(std::string_view name);

struct PartitionSettings {
  int type = kTypeSecurity;
  bool round_the_clock = false;  // "Круглосуточно"
  bool auto_arm = false;         // "Автовзятие"
  bool silent_alarm = false;     // "Тихая тревога"
  bool bypass_allowed = false;   // "Разрешение обхода"
  int entry_delay = 0;
  int exit_delay = 0;
  int auto_arm_time = 0;
  int temp_low = 0;
  int temp_high = 0;
  friend bool operator==(const PartitionSettings&, const PartitionSettings&) = default;
};

// Whether the partition dialog offers the type for partition p: 0, 2, 3, 4, 5 always, the
// transit zone only for partition 1. Any other stored type opens with no type chosen.
bool type_selectable(int partition, int type);
bool is_fire_type(int type);
// What the dialog enables for these settings of partition p (and what its confirm stores).
bool delays_apply(int partition, const PartitionSettings& s);       // types 0, 4 without 24h
bool temperature_applies(int partition, const PartitionSettings& s);  // type 5
// Choosing a type in the dialog: a fire type ticks "Круглосуточно" and unticks "Тихая
// тревога"; any other type unticks "Круглосуточно".
void choose_type(PartitionSettings& s, int type);

// Partition p (1..96) as stored.
PartitionSettings read_partition(const memory::Configuration& config, int partition);

// The dialog's confirm: the type is stored when the dialog offers it for p (a type it
// does not offer may only stay as stored: type 6 survives), the flag byte is rebuilt
// (bits 4-7 zero; a fire type always round the clock and never silent), the auto-arm
// time is stored only with "Автовзятие", delays only when delays_apply, limits only when
// temperature_applies. A value out of its range is refused — unless it is the stored
// one, which may stay.
Result<> set_partition(memory::Configuration& config, int partition, const PartitionSettings& s);

// ---------------------------------------------------------------------------------------
// Names ("Наименование разделов").

inline constexpr int kListedNames = 56;      // entries 0..55 are stored as their index
inline constexpr int kUserNameEntry = 56;    // "пользовательское название": asks for a typed name
inline constexpr int kUserNameIndex = 63;    // the index written for a typed name
inline constexpr std::size_t kNameBytes = 8; // typed names, code page 1251

// The 57 entries of the name list in stored order (entry 56 asks for a typed name).
const std::vector<std::string>& partition_name_list();
// The list position of a name among entries 0..55, if it is one of them.
std::optional<int> listed_name_index(std::string_view name);

// The name of partition p: the list entry at its index, or its typed bytes (index above 55).
std::string partition_name(const memory::Configuration& config, int partition);
// Checks a name as set_partition_name would store it (not empty, at most 8 bytes in
// code page 1251, no character that code page lacks).
Result<> check_partition_name(int partition, std::string_view name);
// A listed name stores its index; any other stores index 63 and the name's bytes,
// zero-padded to 8. A name that does not fit is refused.
Result<> set_partition_name(memory::Configuration& config, int partition, std::string_view name);
// Several names at once ("Сохранить изменения" on the names page): all stored, or — when
// one is refused — none.
Result<> set_partition_names(memory::Configuration& config, const std::vector<std::pair<int, std::string>>& names);

// ---------------------------------------------------------------------------------------
// Integration time ("Время интегрирования").

// Integration time of wired loop 1 (ШС1) or 2 (ШС2): 500 or 70 ms.
int loop_integration_ms(const memory::Configuration& config, int loop);
// Sets it; only 500 and 70 are accepted, and no other bit of the byte changes.
Result<> set_loop_integration_ms(memory::Configuration& config, int loop, int ms);

// ---------------------------------------------------------------------------------------
// Relay bindings ("Контроль цепи МР").

inline constexpr int kRelayModuleRecords = 250;
inline constexpr int kRelaysPerModule = 4;

struct RelayModule {
  int record = 0;                        // 0..249, position in the table
  int number = 0;                        // as the page shows it: the stored field plus one
  std::array<int, kRelaysPerModule> relays{};  // bound partition, 0 for none
  friend bool operator==(const RelayModule&, const RelayModule&) = default;
};

// The used records (module field not 0), in table order.
std::vector<RelayModule> relay_modules(const memory::Configuration& config);
// Partitions the relay lists offer: those of type технологический, in increasing order.
std::vector<int> technical_partitions(const memory::Configuration& config);

// A relay list's text: "-" for none, else a partition number 0..96 (any partition: the
// list offers the technological ones, but a typed number stands).
Result<int> parse_relay_partition(std::string_view text, int relay);

// The relay dialog's confirm for one record: the four bindings, each 0..96 (a stored
// value out of range may stay as it is).
Result<> set_relay_bindings(memory::Configuration& config, int record, const std::array<int, kRelaysPerModule>& relays);
// One relay (1..4) of the first used record whose shown number is `module`.
Result<> set_relay_binding(memory::Configuration& config, int module, int relay, int partition);

}  // namespace vq::settings
