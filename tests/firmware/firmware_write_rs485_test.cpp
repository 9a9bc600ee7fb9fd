// Writing firmware to the virtual relay module over the RS-485 commands.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "firmware/firmware_write_rs485.hpp"
#include "link/pacing.hpp"
#include "sim/relay_module.hpp"
#include "support/panel_rig.hpp"

using namespace vq;
using namespace vq::firmware;
using vq::test::RecordingProgress;

namespace {

class RelayFirmware : public ::testing::Test {
 protected:
  std::filesystem::path dir;
  sim::RelayModule module;
  sim::RelayModuleAdapter adapter{module};
  link::NoPacing pacing;
  link::VectorTrace trace;
  link::rs485::Rs485Session session{adapter, pacing, &trace};

  void SetUp() override {
    dir = std::filesystem::temp_directory_path() /
          ("vq-fw485-" + std::to_string(::getpid()) + "-" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir);
  }
  void TearDown() override { std::filesystem::remove_all(dir); }

  std::filesystem::path make_file(std::size_t size, Bytes* content = nullptr) {
    Bytes b(size);
    for (std::size_t i = 0; i < size; ++i) b[i] = static_cast<std::uint8_t>(i + 1);
    if (content) *content = b;
    const auto path = dir / "526_test.tsk";
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
    return path;
  }
};

}  // namespace

TEST_F(RelayFirmware, A203ByteFileGivesTwoBlocksAndAnAnnounceCountOfThree) {
  Bytes content;
  const auto file = make_file(203, &content);
  RecordingProgress progress;
  auto r = write_rs485(session, file, &progress);
  ASSERT_TRUE(r) << r.error().full();
  ASSERT_TRUE(module.announce());
  EXPECT_EQ(module.announce()->blocks_plus_one, 3);
  ASSERT_EQ(module.blocks().size(), 2u);
  const Bytes& first = module.blocks().at(1);
  ASSERT_EQ(first.size(), 192u);
  EXPECT_TRUE(std::equal(first.begin(), first.end(), content.begin() + 11)) << "block 1 is the file after its header";
  const Bytes& second = module.blocks().at(2);
  EXPECT_TRUE(std::all_of(second.begin(), second.end(), [](auto b) { return b == 0; }));
  EXPECT_TRUE(std::equal(content.begin(), content.begin() + 10, module.announce()->header.begin()));
  EXPECT_EQ(module.scenario_codes(), (std::vector<std::uint8_t>{4}));
  EXPECT_EQ(progress.statuses.back(), "Обновление ПО успешно завершено!");
  EXPECT_NE(std::find(trace.lines.begin(), trace.lines.end(), "numTable - 0x0040"), trace.lines.end());
}

TEST_F(RelayFirmware, EachBlockGetsThreeAttempts) {
  const auto file = make_file(500);
  module.faults().refuse_next = 2;  // the announce is refused twice, then accepted
  ASSERT_TRUE(write_rs485(session, file));
  EXPECT_EQ(module.blocks().size(), 3u);

  module.faults().refuse_next = 3;
  auto r = write_rs485(session, file);
  ASSERT_FALSE(r);
  EXPECT_EQ(r.error().text, "Продолжение записи невозможно!");
}

TEST_F(RelayFirmware, SilenceAndSearch) {
  auto found = connect_rs485(session);
  ASSERT_TRUE(found) << found.error().full();
  EXPECT_EQ(found->name, "Сорвел-526");
  EXPECT_EQ(found->version_text, "2.3");
  EXPECT_EQ(found->mask, "526*.tsk");

  module.faults().silent = true;
  auto lost = connect_rs485(session);
  ASSERT_FALSE(lost);
  EXPECT_EQ(lost.error().text, "Ошибка установки связи! Попробуйте еще раз!");
  auto w = write_rs485(session, make_file(10));
  ASSERT_FALSE(w);
  EXPECT_EQ(w.error().text, "Ошибка связи! Попробуйте еще раз");
}
