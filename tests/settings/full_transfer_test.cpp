// Read-all, write-all and verify against the virtual panel.
#include <gtest/gtest.h>

#include "memory/memory_map.hpp"
#include "settings/full_transfer.hpp"
#include "support/panel_rig.hpp"

using namespace vq;
using namespace vq::memory;
using vq::settings::Difference;
using vq::test::PanelRig;
using vq::test::RecordingProgress;

namespace {

// Every settings table and page of the panel filled with a pattern of its own.
void fill_panel(sim::VirtualPanel& p, std::uint8_t seed) {
  auto& mem = p.memory();
  for (const auto& s : images())
    for (std::uint32_t i = 0; i < s.length; ++i)
      mem[s.address + i] = static_cast<std::uint8_t>(i * 7 + s.address + seed);
  for (const auto& s : pages())
    for (std::uint32_t i = 0; i < kPageSize; ++i) mem[s.address + i] = static_cast<std::uint8_t>(i * 3 + s.table + seed);
  mem[spec(PageId::channels).address] = 8;  // all eight channels in use: nothing to clean up
}

bool same_bytes(const Bytes& a, const Bytes& b, std::uint32_t address, std::uint32_t length) {
  return std::equal(a.begin() + address, a.begin() + address + length, b.begin() + address);
}

}  // namespace

TEST(FullTransfer, ReadAllFillsEveryImageAndPage) {
  PanelRig rig;
  fill_panel(rig.p(), 1);
  Configuration config;
  RecordingProgress progress;
  auto r = settings::read_all(rig.session(), config, &progress);
  ASSERT_TRUE(r) << r.error().full();
  const auto& mem = rig.p().memory();
  for (const auto& s : images()) {
    const auto d = config.image(s.id).data();
    EXPECT_TRUE(std::equal(d.begin(), d.end(), mem.begin() + s.address)) << s.name;
  }
  for (const auto& s : pages()) {
    const auto d = config.page(s.id).data();
    EXPECT_TRUE(std::equal(d.begin(), d.end(), mem.begin() + s.address)) << s.name;
    EXPECT_TRUE(std::equal(d.begin(), d.end(), config.page_list_entry(s.id).data.begin())) << s.name;
  }
  EXPECT_EQ(progress.values, (std::vector<int>{10, 25, 50, 75, 100, 0}));
  EXPECT_EQ(progress.statuses.front(), "Чтение настроек из прибора...");
  EXPECT_EQ(progress.statuses.back(), "Чтение настроек из прибора успешно завершено!");
  EXPECT_EQ(rig.trace.lines.front(), "Receiving...");
}

TEST(FullTransfer, WriteAllToABlankPanelReproducesTheOriginal) {
  PanelRig source;
  fill_panel(source.p(), 5);
  Configuration config;
  ASSERT_TRUE(settings::read_all(source.session(), config));

  PanelRig blank;
  RecordingProgress progress;
  auto w = settings::write_all(blank.session(), config, &progress);
  ASSERT_TRUE(w) << w.error().full();
  EXPECT_EQ(progress.values, (std::vector<int>{10, 15, 50, 100, 0}));
  EXPECT_EQ(progress.statuses.back(), "Запись настроек в прибор успешно завершена.");

  const auto& a = source.p().memory();
  const auto& b = blank.p().memory();
  for (const auto& s : images()) {
    if (s.id == ImageId::table_146C00) {
      EXPECT_TRUE(std::all_of(b.begin() + s.address, b.begin() + s.address + s.length, [](auto v) { return v == 0; }))
          << "never written";
      continue;
    }
    EXPECT_TRUE(same_bytes(a, b, s.address, s.length)) << s.name;
  }
  for (const auto& s : pages()) EXPECT_TRUE(same_bytes(a, b, s.address, kPageSize)) << s.name;

  auto diffs = settings::verify_written(blank.session(), config);
  ASSERT_TRUE(diffs) << diffs.error().full();
  EXPECT_TRUE(diffs->empty());
}

TEST(FullTransfer, ServiceTableSendsOnlyTwoBytesFromItsImage) {
  PanelRig rig;
  fill_panel(rig.p(), 9);
  Configuration config;
  ASSERT_TRUE(settings::read_all(rig.session(), config));
  const std::uint32_t base = spec(PageId::service).address;
  const std::uint8_t before5 = rig.p().memory()[base + 5];

  auto service = config.page(PageId::service).data();
  service[38] = 0xA1;
  service[40] = 0xB2;
  service[5] = static_cast<std::uint8_t>(before5 + 1);  // an edit that must not reach the panel
  ASSERT_TRUE(settings::write_all(rig.session(), config));
  EXPECT_EQ(rig.p().memory()[base + 38], 0xA1);
  EXPECT_EQ(rig.p().memory()[base + 40], 0xB2);
  EXPECT_EQ(rig.p().memory()[base + 5], before5);
}

TEST(FullTransfer, TelephoneAndChannelCleanup) {
  struct Case {
    std::uint8_t channels;
    bool all_cleared;
  };
  for (Case c : {Case{0, true}, Case{0xFF, true}, Case{3, false}}) {
    Configuration config;
    for (auto id : {PageId::phone_numbers, PageId::recipient_partitions, PageId::recipients, PageId::channels}) {
      auto d = config.page(id).data();
      std::fill(d.begin(), d.end(), std::uint8_t{0x11});
    }
    config.page(PageId::channels).data()[0] = c.channels;
    settings::telephone_channel_cleanup(config);
    const auto& phones = config.page(PageId::phone_numbers);
    const auto& channels = config.page(PageId::channels);
    if (c.all_cleared) {
      for (auto id : {PageId::phone_numbers, PageId::recipient_partitions, PageId::recipients, PageId::channels}) {
        const auto d = config.page(id).data();
        EXPECT_TRUE(std::all_of(d.begin(), d.end(), [](auto v) { return v == 0; })) << int{c.channels};
      }
      continue;
    }
    for (std::size_t r = 0; r < 8; ++r) {
      const std::uint8_t want = r < c.channels ? 0x11 : 0x00;
      EXPECT_EQ(phones.byte_at(3 + 12 * r), want) << r;
      EXPECT_EQ(channels.byte_at(1 + 11 * r), want) << r;
    }
    EXPECT_EQ(phones.byte_at(4), 0x11) << "only the first byte of a number goes";
  }
}

TEST(FullTransfer, ConnectAcceptsOnlyFirmware24OfThePanel) {
  struct Case {
    std::uint16_t type;
    std::array<std::uint8_t, 3> version;
    int message;  // 0 = accepted
  };
  const Case cases[] = {
      {630, {2, 4, 7}, 0},     {630, {2, 4, 0}, 0},     {630, {2, 3, 9}, 15327},
      {630, {2, 5, 0}, 15327}, {630, {1, 2, 0}, 15083}, {517, {2, 4, 1}, 15083},
  };
  for (const auto& c : cases) {
    PanelRig rig;
    rig.p().identity().device_type = c.type;
    rig.p().identity().version = c.version;
    Configuration config;
    RecordingProgress progress;
    auto r = settings::connect_for_settings(rig.session(), config, &progress);
    EXPECT_EQ(config.device.device_type, c.type) << "the identified device is kept";
    EXPECT_EQ(config.device.version, c.version);
    if (c.message == 0) {
      EXPECT_TRUE(r) << r.error().full();
      EXPECT_EQ(progress.statuses.back(), "Связь успешно установлена!");
      continue;
    }
    ASSERT_FALSE(r) << c.type;
    EXPECT_EQ(r.error().message_id, c.message) << int{c.version[0]} << "." << int{c.version[1]};
  }
}

TEST(FullTransfer, DiscoveryProblemsStopReadAndWrite) {
  PanelRig rig;
  Configuration config;
  rig.p().faults().discover_count = 2;
  auto r = settings::read_all(rig.session(), config);
  ASSERT_FALSE(r);
  EXPECT_EQ(r.error().message_id, 15082);
  rig.p().faults().discover_count = 0;
  auto w = settings::write_all(rig.session(), config);
  ASSERT_FALSE(w);
  EXPECT_EQ(w.error().message_id, 15034);
  EXPECT_EQ(rig.p().stats().frames, 0u);
}

TEST(FullTransfer, AFailedImageStopsAndSaysThePanelIsPartlyWritten) {
  PanelRig rig;
  Configuration config;
  // Nine pages take 4 + blocks frames each; fail somewhere among the images.
  rig.p().faults().silent_at_frame = 9 * 7 + 30;
  auto w = settings::write_all(rig.session(), config);
  ASSERT_FALSE(w);
  EXPECT_EQ(w.error().text, "Ошибка записи настроек!");
  EXPECT_NE(w.error().detail.find("прибор записан частично"), std::string::npos) << w.error().detail;

  PanelRig reader;
  reader.p().faults().silent_at_frame = 9 * 8 + 20;
  auto r = settings::read_all(reader.session(), config);
  ASSERT_FALSE(r);
  EXPECT_EQ(r.error().text, "Ошибка чтения настроек!");
}

TEST(FullTransfer, RadioDeviceParametersAreTracedByteByByte) {
  PanelRig rig;
  Configuration config;
  config.image(ImageId::radio_device_params).data()[0] = 0x1F;
  ASSERT_TRUE(settings::write_all(rig.session(), config));
  const auto& lines = rig.trace.lines;
  auto at = std::find(lines.begin(), lines.end(), "TableRadioNetDev");
  ASSERT_NE(at, lines.end());
  EXPECT_EQ(*(at + 1), "TableRadioNetDev[0] = 0x1f");
  EXPECT_EQ(*(at + 500), "TableRadioNetDev[499] = 0x0");
}

TEST(FullTransfer, VerifyReportsEveryDifferingByte) {
  PanelRig rig;
  fill_panel(rig.p(), 3);
  Configuration config;
  ASSERT_TRUE(settings::read_all(rig.session(), config));
  ASSERT_TRUE(settings::write_all(rig.session(), config));
  const auto& pw = spec(ImageId::first_password);
  rig.p().memory()[pw.address + 2] ^= 0xFF;
  const std::uint8_t found = rig.p().memory()[pw.address + 2];
  auto diffs = settings::verify_written(rig.session(), config);
  ASSERT_TRUE(diffs);
  ASSERT_EQ(diffs->size(), 1u);
  const Difference& d = diffs->front();
  EXPECT_EQ(d.table, "first_password");
  EXPECT_EQ(d.offset, 2u);
  EXPECT_EQ(d.found, found);
  EXPECT_EQ(d.expected, static_cast<std::uint8_t>(found ^ 0xFF));
}

TEST(FullTransfer, CancelStopsBetweenTables) {
  PanelRig rig;
  Configuration config;
  RecordingProgress progress;
  progress.cancel = true;
  auto r = settings::read_all(rig.session(), config, &progress);
  ASSERT_FALSE(r);
  EXPECT_EQ(r.error().text, std::string(link::kTextCancelled));
  auto w = settings::write_all(rig.session(), config, &progress);
  ASSERT_FALSE(w);
  EXPECT_EQ(w.error().detail.find("частично"), std::string::npos) << "nothing was written yet";
}
