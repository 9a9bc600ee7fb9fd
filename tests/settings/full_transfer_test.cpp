// Read-all, write-all and verify against the virtual panel.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

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
  mem[layout(PageId::channels).address] = 8;  // all eight channels in use: nothing to clean up
}

bool same_bytes(const Bytes& a, const Bytes& b, std::uint32_t address, std::uint32_t length) {
  return std::equal(a.begin() + address, a.begin() + address + length, b.begin() + address);
}

// Everything a configuration holds, in one row of bytes.
Bytes snapshot(const Configuration& c) {
  Bytes out;
  for (const auto& s : images()) {
    const auto d = c.image(s.id).data();
    out.insert(out.end(), d.begin(), d.end());
  }
  for (const auto& s : pages()) {
    const auto d = c.page(s.id).data();
    out.insert(out.end(), d.begin(), d.end());
  }
  for (const auto& e : c.page_list()) out.insert(out.end(), e.data.begin(), e.data.end());
  out.push_back(static_cast<std::uint8_t>(c.device.device_type));
  out.push_back(c.device.version[0]);
  return out;
}

// Panel traffic: request frames and receipts.
std::size_t traffic(const sim::VirtualPanel& p) { return p.stats().frames + p.stats().receipts; }

// Says "cancelled" from its k-th look on, and keeps what the panel had taken in at every
// look: the job must send nothing after the look that said so.
class CancelAtLook final : public link::Progress {
 public:
  CancelAtLook(const sim::VirtualPanel& panel, std::size_t k) : panel_(panel), k_(k) {}
  void percent(int v) override { values.push_back(v); }
  bool cancelled() const override {
    at_look.push_back(traffic(panel_));
    return at_look.size() >= k_;
  }
  mutable std::vector<std::size_t> at_look;
  std::vector<int> values;

 private:
  const sim::VirtualPanel& panel_;
  std::size_t k_;
};

// The gauge against the time a real panel takes: the recorded fixed waits, plus a little
// for every frame or receipt on the link (which counts for the many short waits of a write).
class GaugeAgainstTime final : public link::Progress {
 public:
  GaugeAgainstTime(const link::RecordingPacing& pacing, const sim::VirtualPanel& panel)
      : pacing_(pacing), panel_(panel) {}
  void percent(int v) override { seen.push_back({v, now()}); }
  long long now() const { return pacing_.total().count() + 10 * static_cast<long long>(traffic(panel_)); }
  struct Seen {
    int value;
    long long at_ms;
  };
  std::vector<Seen> seen;

 private:
  const link::RecordingPacing& pacing_;
  const sim::VirtualPanel& panel_;
};

// Monotone from 10 to 100, then 0 at the end; on the way every value stays close to the
// share of the time gone, and the gauge never sits still for long (one 500 ms wait apart).
void expect_gauge_follows_time(const GaugeAgainstTime& g, long long start_ms, long long end_ms, const char* what) {
  ASSERT_GE(g.seen.size(), 3u) << what;
  EXPECT_EQ(g.seen.front().value, 10) << what;
  EXPECT_EQ(g.seen.back().value, 0) << what;
  ASSERT_EQ(g.seen[g.seen.size() - 2].value, 100) << what;
  const double total = static_cast<double>(end_ms - start_ms);
  const long long still = std::max<long long>(end_ms - start_ms, 0) / 50 + 500;
  long long last_ms = start_ms;
  int last = 0;
  for (std::size_t i = 0; i + 1 < g.seen.size(); ++i) {
    const auto& s = g.seen[i];
    EXPECT_GT(s.value, last) << what << " at " << i;
    const double share = 10 + 90.0 * static_cast<double>(s.at_ms - start_ms) / total;
    EXPECT_NEAR(s.value, share, 5.0) << what << " at " << i;
    EXPECT_LE(s.at_ms - last_ms, still) << what << ": the gauge sat still at " << last;
    last = s.value;
    last_ms = s.at_ms;
  }
}

// The data blocks a write-all sends, in order: (address, length).
std::vector<std::pair<std::uint32_t, std::uint32_t>> write_blocks(const Configuration& c) {
  std::vector<std::pair<std::uint32_t, std::uint32_t>> out;
  auto add = [&](std::uint32_t address, std::uint32_t length) {
    for (std::uint32_t at = 0; at < length; at += 252) out.push_back({address + at, std::min<std::uint32_t>(252, length - at)});
  };
  for (const auto& e : c.page_list())
    if (e.table != 0) add(e.address, kPageSize);
  for (auto id : write_order()) add(c.image(id).start_address(), c.image(id).length());
  return out;
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
  EXPECT_EQ(progress.values.front(), 10);
  EXPECT_TRUE(std::is_sorted(progress.values.begin(), progress.values.end() - 1));
  EXPECT_EQ(progress.values.end()[-2], 100);
  EXPECT_EQ(progress.values.back(), 0);
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
  EXPECT_TRUE(std::is_sorted(progress.values.begin(), progress.values.end() - 1));
  EXPECT_EQ(progress.values.end()[-2], 100);
  EXPECT_EQ(progress.values.back(), 0);
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
  const std::uint32_t base = layout(PageId::service).address;
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
  const auto& pw = layout(ImageId::first_password);
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

TEST(FullTransfer, TheGaugeMovesWithTheWork) {
  PanelRig rig;
  fill_panel(rig.p(), 2);
  Configuration config;
  GaugeAgainstTime read(rig.pacing, rig.p());
  ASSERT_TRUE(settings::read_all(rig.session(), config, &read));
  // The closing 500 ms come after 100.
  expect_gauge_follows_time(read, 0, read.now() - 500, "read");

  GaugeAgainstTime write(rig.pacing, rig.p());
  const long long start = write.now();
  ASSERT_TRUE(settings::write_all(rig.session(), config, &write));
  expect_gauge_follows_time(write, start, write.now() - 500, "write");
}

TEST(FullTransfer, ACancelledReadLeavesTheConfigurationAsItWas) {
  PanelRig rig;
  fill_panel(rig.p(), 4);
  // How often a whole read looks at the cancel flag.
  std::size_t looks = 0;
  {
    Configuration scratch;
    CancelAtLook never(rig.p(), SIZE_MAX);
    ASSERT_TRUE(settings::read_all(rig.session(), scratch, &never));
    looks = never.at_look.size();
    ASSERT_GT(looks, 300u) << "a look between frames, not only between tables";
    for (std::size_t i = 1; i < looks; ++i)
      EXPECT_LE(never.at_look[i] - never.at_look[i - 1], 2u) << "more than one exchange between looks " << i;
  }
  // Discovery, the first page, mid-page, the last page, the first image, mid-image, the
  // last frames, and a stride through all of it.
  std::vector<std::size_t> ks = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 40, 70, 71, 72, 73, 120, looks - 1, looks};
  for (std::size_t k = 11; k < looks; k += 23) ks.push_back(k);
  for (std::size_t k : ks) {
    Configuration config;
    config.device = {630, 0x61, {2, 4, 1}, 0};
    for (const auto& s : images()) std::fill_n(config.image(s.id).data().begin(), s.length, std::uint8_t{0xA5});
    for (const auto& s : pages()) config.page(s.id).data()[7] = 0x5A;
    const Bytes before = snapshot(config);
    CancelAtLook cancel(rig.p(), k);
    auto r = settings::read_all(rig.session(), config, &cancel);
    ASSERT_FALSE(r) << k;
    EXPECT_EQ(r.error().text, std::string(link::kTextCancelled)) << k;
    EXPECT_EQ(traffic(rig.p()), cancel.at_look.back()) << k << ": frames went after the cancel";
    EXPECT_TRUE(snapshot(config) == before) << k << ": the configuration changed";
  }
  // The link is fine after all of that.
  Configuration config;
  ASSERT_TRUE(settings::read_all(rig.session(), config));
  EXPECT_TRUE(std::equal(config.image(ImageId::control_times).data().begin(),
                         config.image(ImageId::control_times).data().end(),
                         rig.p().memory().begin() + layout(ImageId::control_times).address));
}

TEST(FullTransfer, AFailedReadLeavesTheConfigurationAsItWas) {
  for (int frame : {1, 5, 30, 60, 146}) {  // 4 request frames a table, 37 tables
    PanelRig rig;
    fill_panel(rig.p(), 6);
    Configuration config;
    for (const auto& s : images()) config.image(s.id).data()[0] = 0x33;
    const Bytes before = snapshot(config);
    rig.p().faults().silent_at_frame = frame;
    ASSERT_FALSE(settings::read_all(rig.session(), config)) << frame;
    EXPECT_TRUE(snapshot(config) == before) << frame;
  }
}

TEST(FullTransfer, ACancelledWriteLeavesThePanelWithAWholePrefixOfTheBlocks) {
  PanelRig source;
  fill_panel(source.p(), 7);
  Configuration config;
  ASSERT_TRUE(settings::read_all(source.session(), config));
  const auto blocks = write_blocks(config);

  PanelRig rig;
  fill_panel(rig.p(), 8);  // every settings byte differs from what is written
  const Bytes old_memory = rig.p().memory();
  std::size_t looks = 0;
  {
    PanelRig probe;
    CancelAtLook never(probe.p(), SIZE_MAX);
    ASSERT_TRUE(settings::write_all(probe.session(), config, &never));
    looks = never.at_look.size();
    ASSERT_GT(looks, 300u);
    for (std::size_t i = 1; i < looks; ++i) EXPECT_LE(never.at_look[i] - never.at_look[i - 1], 2u) << i;
  }
  std::vector<std::size_t> ks = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 50, 51, 52, 53, 54, 55, looks - 1, looks};
  for (std::size_t k = 11; k < looks; k += 29) ks.push_back(k);
  for (std::size_t k : ks) {
    rig.p().memory() = old_memory;
    CancelAtLook cancel(rig.p(), k);
    auto w = settings::write_all(rig.session(), config, &cancel);
    ASSERT_FALSE(w) << k;
    EXPECT_EQ(w.error().text, std::string(link::kTextCancelled)) << k;
    EXPECT_EQ(traffic(rig.p()), cancel.at_look.back()) << k << ": frames went after the cancel";

    // The panel holds the first n blocks whole and nothing of the rest, byte for byte.
    const Bytes& now = rig.p().memory();
    const auto& fresh = source.p().memory();
    std::size_t n = 0;
    while (n < blocks.size() && same_bytes(now, fresh, blocks[n].first, blocks[n].second)) ++n;
    Bytes expected = old_memory;
    for (std::size_t b = 0; b < n; ++b)
      std::copy_n(fresh.begin() + blocks[b].first, blocks[b].second, expected.begin() + blocks[b].first);
    EXPECT_TRUE(now == expected) << k << ": not a whole prefix of " << n << " blocks";
    EXPECT_EQ(w.error().detail.find("частично") != std::string::npos, n > 0) << k << " after " << n << " blocks";

    // A write after the cancel completes.
    ASSERT_TRUE(settings::write_all(rig.session(), config)) << k;
    for (const auto& [address, length] : blocks) ASSERT_TRUE(same_bytes(rig.p().memory(), fresh, address, length)) << k;
  }
}
