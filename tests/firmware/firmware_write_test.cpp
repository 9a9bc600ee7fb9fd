// Writing firmware to the virtual panel over USB.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "firmware/firmware_write.hpp"
#include "support/panel_rig.hpp"

using namespace vq;
using namespace vq::firmware;
using vq::test::PanelRig;
using vq::test::RecordingProgress;

namespace {

class FirmwareWrite : public ::testing::Test {
 protected:
  std::filesystem::path dir;
  void SetUp() override {
    dir = std::filesystem::temp_directory_path() /
          ("vq-fw-" + std::to_string(::getpid()) + "-" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir);
  }
  void TearDown() override { std::filesystem::remove_all(dir); }

  std::filesystem::path make_file(std::size_t size) {
    Bytes b(size);
    for (std::size_t i = 0; i < size; ++i) b[i] = static_cast<std::uint8_t>(i * 17 + 3);
    const auto path = dir / ("630M_" + std::to_string(size) + ".tsk");
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
    return path;
  }
};

}  // namespace

TEST_F(FirmwareWrite, ArrivesByteExactWithItsPaddingAndTheLinkIsClosed) {
  struct Case {
    std::size_t size, blocks;
  };
  for (Case c : {Case{504, 2}, Case{505, 3}, Case{7, 1}}) {
    PanelRig rig;
    const auto file = make_file(c.size);
    ASSERT_TRUE(connect_usb(rig.session()));
    RecordingProgress progress;
    auto r = write_usb(rig.session(), file, &progress);
    ASSERT_TRUE(r) << r.error().full();
    const Bytes& fw = rig.p().firmware();
    ASSERT_EQ(fw.size(), c.blocks * 252) << c.size;
    std::ifstream in(file, std::ios::binary);
    const Bytes original((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_TRUE(std::equal(original.begin(), original.end(), fw.begin())) << c.size;
    EXPECT_TRUE(std::all_of(fw.begin() + static_cast<std::ptrdiff_t>(c.size), fw.end(), [](auto b) { return b == 0; }));
    EXPECT_FALSE(rig.link().connected()) << "every write ends disconnected";
    EXPECT_EQ(progress.statuses.back(), "Обновление ПО успешно завершено!");
  }
}

TEST_F(FirmwareWrite, FailuresAreReportedWith15054AndEndDisconnected) {
  PanelRig rig;
  const auto file = make_file(1000);
  ASSERT_TRUE(connect_usb(rig.session()));
  rig.p().faults().block_status_at = 2;
  rig.p().faults().block_status = 0x02;
  auto r = write_usb(rig.session(), file);
  ASSERT_FALSE(r);
  EXPECT_EQ(r.error().text, "Ошибка обновления ПО!");
  EXPECT_NE(r.error().detail.find("ошибка записи в память"), std::string::npos);
  EXPECT_FALSE(rig.link().connected());

  PanelRig gone;
  ASSERT_TRUE(connect_usb(gone.session()));
  auto missing = write_usb(gone.session(), dir / "vanished.tsk");
  ASSERT_FALSE(missing);
  EXPECT_NE(missing.error().text.find("vanished.tsk"), std::string::npos);
  EXPECT_EQ(gone.p().stats().frames, 1u) << "only the search went out";
}

TEST_F(FirmwareWrite, CancelIsHonouredOnlyBeforeTheFirstBlock) {
  PanelRig rig;
  const auto file = make_file(2000);
  ASSERT_TRUE(connect_usb(rig.session()));
  RecordingProgress progress;
  progress.cancel = true;
  auto r = write_usb(rig.session(), file, &progress);
  ASSERT_FALSE(r);
  EXPECT_TRUE(rig.p().firmware().empty());

  PanelRig late;
  ASSERT_TRUE(connect_usb(late.session()));
  RecordingProgress later;
  later.cancel_at_percent = 50;  // asked mid-way: the transfer runs to its end
  ASSERT_TRUE(write_usb(late.session(), file, &later));
  EXPECT_EQ(late.p().firmware().size(), 8u * 252);
}

TEST_F(FirmwareWrite, DevicesAreNamedAndGetTheirCatalogueMask) {
  struct Case {
    std::uint16_t type;
    std::array<std::uint8_t, 3> version;
    const char* name;
    const char* version_text;
    const char* mask;
  };
  const Case cases[] = {
      {630, {2, 4, 7}, "Сорвел-630М-Q", "2.4.7", "630M*.tsk"},
      {630, {1, 3, 0}, "Сорвел-630М-РТС", "1.3.0", "630M*.tsk"},
      {517, {1, 4, 2}, "Сорвел-517", "4.2", "517*.tsk"},
      {999, {1, 0, 0}, "999", "", ""},
  };
  for (const auto& c : cases) {
    PanelRig rig;
    rig.p().identity().device_type = c.type;
    rig.p().identity().version = c.version;
    auto d = connect_usb(rig.session());
    ASSERT_TRUE(d) << d.error().full();
    EXPECT_EQ(d->name, c.name);
    EXPECT_EQ(d->version_text, c.version_text);
    EXPECT_EQ(d->mask, c.mask);
  }
  PanelRig silent;
  silent.p().faults().silent = true;
  auto failed = connect_usb(silent.session());
  ASSERT_FALSE(failed);
  EXPECT_EQ(failed.error().text, "Ошибка установки связи! Попробуйте еще раз!");
}
