#include "sim/demo_journal.hpp"

#include <array>
#include <string_view>

#include "util/cp1251.hpp"

namespace vq::sim {
namespace {

// Event codes the decoder knows, over every group.
constexpr std::array<std::uint16_t, 74> kEventIds = {
    4368,  4376,  4384,  4400,  4440,  4441,  4864,  4865,  4866,  4870,  4873,  4881,  4883,  4885,  4886,
    4887,  4888,  4900,  4919,  4920,  4929,  4930,  4932,  4947,  4948,  4976,  4992,  4993,  4994,  4995,
    4996,  5122,  5138,  5139,  5153,  5169,  5219,  5425,  5426,  5636,  5656,  5669,  5671,  5672,  13056,
    13057, 13058, 13064, 13065, 13073, 13077, 13078, 13092, 13111, 13112, 13121, 13122, 13123, 13124, 13139,
    13168, 13184, 13185, 13186, 13187, 13188, 13314, 13315, 13345, 13361, 13398, 13413, 26114, 26134};

constexpr std::array<std::string_view, 8> kPartitionNames = {
    "Офис 1 этаж", "Склад", "Серверная", "Бухгалтерия", "Раздел 5", "Котельная", "Коридор", "Проходная"};
constexpr std::array<std::uint8_t, 10> kRadioTypes = {1, 2, 3, 4, 18, 31, 33, 35, 65, 90};
struct DemoModule {
  std::uint8_t address;
  std::uint16_t type;
};
constexpr std::array<DemoModule, 4> kModules = {{{0, 517}, {1, 518}, {2, 526}, {3, 526}}};

std::uint8_t bcd(int v) { return static_cast<std::uint8_t>(((v / 10) << 4) | (v % 10)); }

}  // namespace

void load_demo_journal(VirtualPanel& panel, std::size_t records) {
  auto& mem = panel.memory();
  auto& dir = panel.directory().entries;
  records = std::min<std::size_t>(records, 9900);

  // Partition names, each closed by a zero byte, and pointers to where each starts.
  Bytes names;
  Bytes pointers;
  for (const auto& n : kPartitionNames) {
    append_u16(pointers, static_cast<std::uint16_t>(names.size()));
    const Bytes b = utf8_to_cp1251(n);
    names.insert(names.end(), b.begin(), b.end());
    names.push_back(0);
  }
  Bytes add_info(16, 0);
  put_u16(add_info, 0, static_cast<std::uint16_t>(records));
  Bytes devs;
  for (const auto& m : kModules) {
    devs.push_back(m.address);
    append_u16(devs, m.type);
  }
  const Bytes rpds(kRadioTypes.begin(), kRadioTypes.end());
  // Partition types as the panel's own partition table holds them (type, flags per partition).
  Bytes types(96);
  for (std::size_t k = 0; k < types.size(); ++k) types[k] = mem[0x40 + 2 * k];

  const std::uint32_t log_address = dir[0].address;
  const std::array<const Bytes*, 6> companions = {&names, &pointers, &add_info, &devs, &rpds, &types};
  std::uint32_t at = 0x13A000;
  for (std::size_t i = 0; i < companions.size(); ++i) {
    const Bytes& b = *companions[i];
    std::copy(b.begin(), b.end(), mem.begin() + at);
    dir[i + 1].address = at;
    dir[i + 1].length = static_cast<std::uint32_t>(b.size());
    at += 0x100;
  }

  // Records a few seconds to a few hours apart from 1 November 2026, 08:00.
  int day = 1, month = 11, hour = 8, minute = 0, second = 0;
  for (std::size_t n = 0; n < records; ++n) {
    const std::uint16_t id = kEventIds[(n * 7) % kEventIds.size()];
    std::uint8_t* r = mem.data() + log_address + n * 16;
    std::fill(r, r + 16, std::uint8_t{0});
    r[0] = static_cast<std::uint8_t>(id & 0xFF);
    r[1] = static_cast<std::uint8_t>(id >> 8);
    r[2] = static_cast<std::uint8_t>(n % kModules.size());        // module number
    r[3] = static_cast<std::uint8_t>(1 + n % kRadioTypes.size());  // radio device
    r[4] = static_cast<std::uint8_t>(1 + n % 4);                  // loop or identifier
    r[5] = static_cast<std::uint8_t>(n % 3);
    const auto partition = static_cast<std::uint16_t>(1 + n % kPartitionNames.size());
    r[7] = static_cast<std::uint8_t>(partition);
    r[8] = 0;
    r[9] = kRadioTypes[(r[3] - 1u) % kRadioTypes.size()];
    r[10] = bcd(second);
    r[11] = bcd(minute);
    r[12] = bcd(hour);
    r[13] = bcd(day);
    r[14] = bcd(month);
    r[15] = bcd(26);

    second += 7 + static_cast<int>(n % 13) * 11;
    minute += second / 60 + static_cast<int>(n % 5) * 3;
    second %= 60;
    hour += minute / 60;
    minute %= 60;
    day += hour / 24;
    hour %= 24;
    if (day > 30) {
      day = 1;
      ++month;
      if (month > 12) month = 1;
    }
  }
  dir[0].length = static_cast<std::uint32_t>(records * 16);
}

}  // namespace vq::sim
