// The demo configuration as the settings editor meets it: read from the virtual panel,
// every table where the memory map puts it, every reference pointing at something real.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "memory/channels.hpp"
#include "memory/configuration.hpp"
#include "memory/memory_map.hpp"
#include "memory/phone_numbers.hpp"
#include "memory/registered_devices.hpp"
#include "settings/full_transfer.hpp"
#include "sim/demo_configuration.hpp"
#include "support/panel_rig.hpp"
#include "util/cp1251.hpp"

using namespace vq;
using namespace vq::memory;
using vq::sim::load_demo_configuration;
using vq::sim::VirtualPanel;

namespace {

bool inside_settings_table(std::uint32_t address) {
  for (const auto& s : images())
    if (address >= s.address && address < s.address + s.length) return true;
  for (const auto& s : pages())
    if (address >= s.address && address < s.address + kPageSize) return true;
  return false;
}

// The demo panel read the way the settings editor reads it, clean-up included.
Configuration read_demo() {
  test::PanelRig rig;
  load_demo_configuration(rig.p());
  Configuration config;
  auto r = settings::read_all(rig.session(), config);
  EXPECT_TRUE(r) << r.error().full();
  return config;
}

}  // namespace

TEST(DemoConfiguration, LoadsTheSameBytesEveryTimeWhateverWasThere) {
  VirtualPanel once;
  load_demo_configuration(once);

  VirtualPanel twice;
  load_demo_configuration(twice);
  load_demo_configuration(twice);
  EXPECT_TRUE(once.memory() == twice.memory());

  // Earlier settings leave no trace: every table is written whole.
  VirtualPanel used;
  for (const auto& s : images()) std::fill_n(used.memory().begin() + s.address, s.length, std::uint8_t{0x5A});
  for (const auto& s : pages()) std::fill_n(used.memory().begin() + s.address, kPageSize, std::uint8_t{0x5A});
  load_demo_configuration(used);
  EXPECT_TRUE(once.memory() == used.memory());
}

TEST(DemoConfiguration, WritesNothingOutsideTheSettingsTables) {
  VirtualPanel blank;
  VirtualPanel demo;
  load_demo_configuration(demo);
  std::size_t changed = 0;
  for (std::uint32_t a = 0; a < VirtualPanel::kMemorySize; ++a) {
    if (demo.memory()[a] == blank.memory()[a]) continue;
    ++changed;
    EXPECT_TRUE(inside_settings_table(a)) << std::hex << "0x" << a;
  }
  EXPECT_GT(changed, 0u);
}

TEST(DemoConfiguration, ReadAllKeepsEveryTableAsLoaded) {
  test::PanelRig rig;
  load_demo_configuration(rig.p());
  Configuration config;
  ASSERT_TRUE(settings::read_all(rig.session(), config));
  // The telephone and channel clean-up after a read must find nothing to clear.
  const auto& mem = rig.p().memory();
  for (const auto& s : images()) {
    const auto d = config.image(s.id).data();
    EXPECT_TRUE(std::equal(d.begin(), d.end(), mem.begin() + s.address)) << s.name;
  }
  for (const auto& s : pages()) {
    const auto d = config.page(s.id).data();
    EXPECT_TRUE(std::equal(d.begin(), d.end(), mem.begin() + s.address)) << s.name;
  }
}

TEST(DemoConfiguration, RegisteredDevicesHoldBothCommunicatorsAndTwoRelayModules) {
  const Configuration config = read_demo();
  const auto& table = config.image(ImageId::registered_devices);
  std::multiset<std::uint16_t> models;
  std::set<std::uint8_t> numbers;
  for_each_counted_device(table, [&](std::size_t at, std::uint16_t model) {
    models.insert(model);
    numbers.insert(table.byte_at(at));
  });
  EXPECT_EQ(models, (std::multiset<std::uint16_t>{517, 518, 526, 526}));
  EXPECT_EQ(table.byte_at(0), models.size());
  EXPECT_EQ(numbers.size(), models.size()) << "device numbers repeat";
  // The PSTN module's line priority is shown and may be changed.
  EXPECT_EQ(model_518_byte_20(table), 3);
  EXPECT_LE(model_518_byte_11(table), 1);
}

TEST(DemoConfiguration, EveryChannelInUseDialsAStoredNumberThroughARegisteredCommunicator) {
  const Configuration config = read_demo();
  const auto& channels = config.page(PageId::channels);
  const auto& phones = config.page(PageId::phone_numbers);
  const auto& devices = config.image(ImageId::registered_devices);
  const int in_use = channels.byte_at(0);
  ASSERT_GT(in_use, 0);
  ASSERT_LE(in_use, kChannelRecords);

  for (int k = 0; k < in_use; ++k) {
    SCOPED_TRACE("channel " + std::to_string(k + 1));
    EXPECT_EQ(channels.byte_at(channel_record_offset(k)), k + 1);
    const int record = channel_telephone_record(channels, k);
    ASSERT_GE(record, 1);
    ASSERT_LE(record, kPhoneNumberCount);
    const auto bytes = phones.data().subspan(phone_number_offset(record - 1), kPhoneNumberBytes);
    EXPECT_FALSE(std::all_of(bytes.begin(), bytes.end(), [](auto b) { return b == 0xFF; }));
    EXPECT_FALSE(std::all_of(bytes.begin(), bytes.end(), [](auto b) { return b == 0x00; }));
    EXPECT_GE(phone_number_text(phones, record - 1).size(), 10u);

    // GSM carries speech, SMS and Contact ID; PSTN Contact ID and SIA.
    const auto notice = channel_notice_type(channels, k);
    switch (channel_communicator_type(channels, k)) {
      case 0x0800:
        EXPECT_TRUE(has_model_517(devices));
        EXPECT_EQ(channel_byte_2(channels, k), device_index_of_model_517(devices));
        EXPECT_TRUE(notice == 1 || notice == 2 || notice == 4) << int{notice};
        break;
      case 0x0400:
        EXPECT_TRUE(has_model_518(devices));
        EXPECT_EQ(channel_byte_2(channels, k), device_index_of_model_518(devices));
        EXPECT_TRUE(notice == 4 || notice == 5) << int{notice};
        break;
      default:
        ADD_FAILURE() << "communicator type " << channel_communicator_type(channels, k);
    }
  }
  EXPECT_EQ(phones.byte_at(0), in_use);

  // Recipients use only channels in use, each channel once; the delivery groups follow
  // the recipients that have a main channel.
  const auto& recipients = config.page(PageId::recipients);
  const auto& groups = config.page(PageId::delivery_groups);
  std::multiset<int> used;
  int with_main = 0;
  for (int r = 0; r < 8; ++r) {
    const std::size_t at = 2 + 11 * static_cast<std::size_t>(r);
    const int main = recipients.byte_at(at), reserve = recipients.byte_at(at + 1);
    for (int ch : {main, reserve})
      if (ch != 0 && ch != 0xFF) {
        EXPECT_LE(ch, in_use) << "recipient " << r + 1;
        used.insert(ch);
      }
    if (main == 0 || main == 0xFF) continue;
    EXPECT_EQ(groups.byte_at(2 + 6 * static_cast<std::size_t>(with_main)), r + 1);
    ++with_main;
  }
  EXPECT_EQ(used.size(), std::set<int>(used.begin(), used.end()).size());
  EXPECT_EQ(recipients.byte_at(0), with_main);
  EXPECT_EQ(groups.byte_at(0), with_main);
}

TEST(DemoConfiguration, SystemOutputsDriveDevicesThatExist) {
  const Configuration config = read_demo();
  const auto& outputs = config.image(ImageId::system_outputs);
  const auto& radio = config.image(ImageId::radio_devices);
  const auto& registered = config.image(ImageId::registered_devices);
  std::set<int> relay_modules;
  for_each_counted_device(registered, [&](std::size_t at, std::uint16_t model) {
    if (model == kModelRelayModule) relay_modules.insert(registered.byte_at(at) + 1);
  });
  auto radio_type = [&](int n) {
    return n >= 1 && n <= 250 ? radio.byte_at(6 + 2 * static_cast<std::size_t>(n - 1)) : 0;
  };

  int bound = 0;
  for (int n = 1; n <= 250; ++n) {
    const std::size_t at = 20 * static_cast<std::size_t>(n - 1);
    const int cls = outputs.byte_at(at) >> 4, out = (outputs.byte_at(at) & 0x0F) + 1, dev = outputs.byte_at(at + 1);
    const int mode = outputs.byte_at(at + 2) & 0x7F;
    if (cls == 0) continue;
    ++bound;
    SCOPED_TRACE("output " + std::to_string(n));
    EXPECT_LE(mode, 8);
    const int type = radio_type(dev);
    switch (cls) {
      case 1: EXPECT_LE(out, 5); break;
      case 2:
        EXPECT_TRUE(type == 225 || type == 226 || type == 228 || type == 229 || type == 70) << type;
        EXPECT_LE(out, type == 226 || type == 229 ? 2 : 1);
        break;
      case 3:
        EXPECT_TRUE(relay_modules.contains(dev)) << dev;
        EXPECT_LE(out, 4);
        break;
      case 4:
        EXPECT_EQ(type, 65);
        EXPECT_LE(out, 2);
        break;
      default: ADD_FAILURE() << "class " << cls;
    }
    const std::uint8_t time = config.image(ImageId::control_times).byte_at(static_cast<std::size_t>(n - 1));
    if (mode == 2 || mode == 8) {
      EXPECT_GE(time, 1);
      EXPECT_LE(time, 250);
    }
    if (mode == 8) {
      for (std::size_t b = 8; b < 20; ++b) EXPECT_EQ(outputs.byte_at(at + b), 0) << "remote control has no partitions";
    }
  }
  EXPECT_GT(bound, 0);
}

TEST(DemoConfiguration, PartitionNamesReadBackInRussian) {
  const Configuration config = read_demo();
  const auto& names = config.image(ImageId::partition_names);
  struct Case {
    int partition;
    int index;         // name list entry, or 63 for a typed name
    const char* name;  // the typed name
  };
  for (const Case c : {Case{1, 63, "Офис"}, Case{2, 46, ""}, Case{4, 63, "Бухгалт."}, Case{5, 63, "Раздел 5"},
                       Case{10, 63, "Щитовая"}}) {
    SCOPED_TRACE("partition " + std::to_string(c.partition));
    const auto i = static_cast<std::size_t>(c.partition - 1);
    EXPECT_EQ(names.byte_at(i), c.index);
    const auto stored = names.data().subspan(105 + 8 * i, 8);
    // Zero bytes after a short name; an 8-character name fills all 8 bytes.
    const auto end = std::find(stored.begin(), stored.end(), std::uint8_t{0});
    EXPECT_TRUE(std::all_of(end, stored.end(), [](auto b) { return b == 0; }));
    EXPECT_EQ(cp1251_to_utf8(ByteView(stored.begin(), end)), c.name);
  }
}
