#include "memory/memory_map.hpp"

#include <algorithm>

namespace vq::memory {
namespace {

using I = ImageId;
constexpr std::array<ImageLayout, kImageCount> kImages = {{
    {I::partitions, "partitions", 0x000040, 192, 1, 1},
    {I::entry_exit_delays, "entry_exit_delays", 0x147000, 192, 2, 2},
    {I::auto_arm_times, "auto_arm_times", 0x004100, 96, 3, 3},
    {I::relay_modules, "relay_modules", 0x003B00, 1500, 4, 4},
    {I::partition_names, "partition_names", 0x002500, 873, 5, 9},
    {I::wired_loops, "wired_loops", 0x000039, 6, 6, 7},
    {I::integration_time, "integration_time", 0x000034, 1, 7, 8},
    {I::radio_devices, "radio_devices", 0x002000, 506, 8, 5},
    {I::registered_devices, "registered_devices", 0x10D800, 8001, 9, 6},
    {I::system_outputs, "system_outputs", 0x000100, 5000, 10, 10},
    {I::radio_channel_control, "radio_channel_control", 0x000035, 3, 11, 11},
    {I::radio_device_params, "radio_device_params", 0x003406, 500, 12, 12},
    {I::identifier_records, "identifier_records", 0x101C00, 11004, 13, 13},
    {I::identifier_codes, "identifier_codes", 0x104A00, 6005, 14, 14},
    {I::identifier_aux, "identifier_aux", 0x106800, 4004, 15, 15},
    {I::identifier_partitions, "identifier_partitions", 0x107A00, 12004, 16, 16},
    {I::identifier_settings, "identifier_settings", 0x000037, 2, 17, 17},
    {I::first_password, "first_password", 0x00002C, 6, 18, 18},
    {I::second_password, "second_password", 0x000004, 6, 19, 19},
    {I::password_reset, "password_reset", 0x000028, 1, 20, 20},
    {I::indication, "indication", 0x000023, 4, 21, 21},
    {I::panel_language, "panel_language", 0x000003, 1, 22, 22},
    {I::voice_module, "voice_module", 0x000013, 16, 23, 23},
    {I::speech_notice_partitions, "speech_notice_partitions", 0x143C00, 9216, 24, 24},
    {I::speech_notices, "speech_notices", 0x146000, 3072, 25, 25},
    {I::table_146C00, "table_146C00", 0x146C00, 1024, 26, 0},
    {I::temperature_limits, "temperature_limits", 0x149080, 192, 27, 26},
    {I::control_times, "control_times", 0x149400, 256, 28, 27},
}};

using P = PageId;
constexpr std::array<PageLayout, kPageCount> kPages = {{
    {P::phone_numbers, "phone_numbers", 30, 0x10AE00, 1},
    {P::recipient_partitions, "recipient_partitions", 33, 0x10B400, 2},
    {P::recipients, "recipients", 34, 0x10B600, 3},
    {P::channels, "channels", 35, 0x10B800, 4},
    {P::table_36, "table_36", 36, 0x10BA00, 5},
    {P::delivery_groups, "delivery_groups", 37, 0x10BC00, 6},
    {P::remote_control_users, "remote_control_users", 60, 0x10D000, 12},
    {P::remote_control, "remote_control", 70, 0x10D200, 13},
    {P::service, "service", 71, 0x10D400, 14},
}};

// Entry 15 carries an address but table 0, so it never takes part in a transfer.
constexpr std::array<PageListSlot, kPageListEntries> kPageList = {{
    {0, 0},
    {30, 0x10AE00},
    {33, 0x10B400},
    {34, 0x10B600},
    {35, 0x10B800},
    {36, 0x10BA00},
    {37, 0x10BC00},
    {0, 0},
    {0, 0},
    {0, 0},
    {0, 0},
    {0, 0},
    {60, 0x10D000},
    {70, 0x10D200},
    {71, 0x10D400},
    {0, 0x10AC00},
}};

constexpr ConfigSlot img(I id) { return {false, static_cast<std::uint8_t>(id)}; }
constexpr ConfigSlot pg(P id) { return {true, static_cast<std::uint8_t>(id)}; }

constexpr std::array<ConfigSlot, kConfigSlotsUsed> kSlots = {{
    img(I::partitions), img(I::entry_exit_delays), img(I::auto_arm_times), img(I::integration_time),
    img(I::relay_modules), img(I::radio_devices), img(I::wired_loops), img(I::partition_names),
    img(I::system_outputs), img(I::registered_devices), img(I::radio_channel_control),
    img(I::radio_device_params), img(I::identifier_records), img(I::identifier_codes),
    img(I::identifier_aux), img(I::identifier_partitions), img(I::identifier_settings),
    img(I::first_password), img(I::second_password), img(I::password_reset), img(I::indication),
    img(I::panel_language), img(I::voice_module), pg(P::phone_numbers), pg(P::recipient_partitions),
    pg(P::recipients), pg(P::channels), pg(P::table_36), pg(P::delivery_groups),
    pg(P::remote_control_users), pg(P::remote_control), pg(P::service),
    img(I::speech_notice_partitions), img(I::speech_notices), img(I::temperature_limits),
    img(I::control_times),
}};

template <std::size_t N>
std::array<ImageId, N> ordered(int ImageLayout::*field) {
  std::array<ImageId, N> out{};
  for (const auto& s : kImages)
    if (s.*field > 0) out[static_cast<std::size_t>(s.*field - 1)] = s.id;
  return out;
}

}  // namespace

const std::array<ImageLayout, kImageCount>& images() { return kImages; }
const std::array<PageLayout, kPageCount>& pages() { return kPages; }
const ImageLayout& layout(ImageId id) { return kImages[static_cast<std::size_t>(id)]; }
const PageLayout& layout(PageId id) { return kPages[static_cast<std::size_t>(id)]; }
const std::array<PageListSlot, kPageListEntries>& page_list_layout() { return kPageList; }
const std::array<ConfigSlot, kConfigSlotsUsed>& config_slots() { return kSlots; }

const std::array<ImageId, kImageCount>& read_order() {
  static const auto order = ordered<kImageCount>(&ImageLayout::read_order);
  return order;
}

const std::array<ImageId, kImageCount - 1>& write_order() {
  static const auto order = ordered<kImageCount - 1>(&ImageLayout::write_order);
  return order;
}

}  // namespace vq::memory
