#pragma once
// Where the settings live in the panel: the 28 images reached through table 15, the nine
// 512-byte pages transferred under their own table numbers, the page list, and the slots
// of the configuration file.
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace vq::memory {

enum class ImageId : std::uint8_t {
  partitions,              // 0x000040, 192
  entry_exit_delays,       // 0x147000, 192
  auto_arm_times,          // 0x004100, 96
  relay_modules,           // 0x003B00, 1500
  partition_names,         // 0x002500, 873
  wired_loops,             // 0x000039, 6
  integration_time,        // 0x000034, 1
  radio_devices,           // 0x002000, 506
  registered_devices,      // 0x10D800, 8001
  system_outputs,          // 0x000100, 5000
  radio_channel_control,   // 0x000035, 3
  radio_device_params,     // 0x003406, 500 ("TableRadioNetDev")
  identifier_records,      // 0x101C00, 11004
  identifier_codes,        // 0x104A00, 6005
  identifier_aux,          // 0x106800, 4004
  identifier_partitions,   // 0x107A00, 12004
  identifier_settings,     // 0x000037, 2
  first_password,          // 0x00002C, 6
  second_password,         // 0x000004, 6
  password_reset,          // 0x000028, 1
  indication,              // 0x000023, 4
  panel_language,          // 0x000003, 1
  voice_module,            // 0x000013, 16
  speech_notice_partitions,// 0x143C00, 9216
  speech_notices,          // 0x146000, 3072
  table_146C00,            // 0x146C00, 1024 (read only)
  temperature_limits,      // 0x149080, 192
  control_times,           // 0x149400, 256
};
inline constexpr std::size_t kImageCount = 28;

struct ImageLayout {
  ImageId id;
  std::string_view name;   // stable English name used in CLI output and JSON
  std::uint32_t address;
  std::uint32_t length;
  int read_order;          // 1..28
  int write_order;         // 1..27, 0 = never written
};

enum class PageId : std::uint8_t {
  phone_numbers,           // table 30
  recipient_partitions,    // table 33
  recipients,              // table 34
  channels,                // table 35
  table_36,                // table 36
  delivery_groups,         // table 37
  remote_control_users,    // table 60
  remote_control,          // table 70
  service,                 // table 71
};
inline constexpr std::size_t kPageCount = 9;
inline constexpr std::uint32_t kPageSize = 512;

struct PageLayout {
  PageId id;
  std::string_view name;
  std::uint16_t table;
  std::uint32_t address;
  int page_list_entry;     // 1..6, 12, 13, 14
};

inline constexpr std::size_t kPageListEntries = 16;
inline constexpr int kServicePageEntry = 14;

// The page list as the settings window sets it up: table numbers and addresses; entries
// with table 0 take no part in transfers.
struct PageListSlot {
  std::uint16_t table;
  std::uint32_t address;
};

// A configuration file slot: an image or a page.
struct ConfigSlot {
  bool is_page;
  std::uint8_t index;      // ImageId or PageId
};
inline constexpr std::size_t kConfigSlotsUsed = 36;
inline constexpr std::size_t kConfigSlots = 40;

const std::array<ImageLayout, kImageCount>& images();
const std::array<PageLayout, kPageCount>& pages();
const ImageLayout& layout(ImageId id);
const PageLayout& layout(PageId id);
const std::array<PageListSlot, kPageListEntries>& page_list_layout();
const std::array<ConfigSlot, kConfigSlotsUsed>& config_slots();

// Images in read order (28) and write order (27).
const std::array<ImageId, kImageCount>& read_order();
const std::array<ImageId, kImageCount - 1>& write_order();

}  // namespace vq::memory
