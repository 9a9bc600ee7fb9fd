// Configuration files as the settings editor saves and opens them.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "memory/config_file.hpp"
#include "settings/config_files.hpp"
#include "settings/full_transfer.hpp"
#include "support/panel_rig.hpp"

using namespace vq;
using namespace vq::memory;
using vq::test::PanelRig;

namespace {

class ConfigFiles : public ::testing::Test {
 protected:
  std::filesystem::path dir;
  void SetUp() override {
    dir = std::filesystem::temp_directory_path() /
          ("vq-cfgfiles-" + std::to_string(::getpid()) + "-" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir);
  }
  void TearDown() override { std::filesystem::remove_all(dir); }
};

void fill_panel(sim::VirtualPanel& p) {
  auto& mem = p.memory();
  for (const auto& s : images())
    for (std::uint32_t i = 0; i < s.length; ++i) mem[s.address + i] = static_cast<std::uint8_t>(i * 5 + s.length);
  for (const auto& s : pages())
    for (std::uint32_t i = 0; i < kPageSize; ++i) mem[s.address + i] = static_cast<std::uint8_t>(i + s.table);
  mem[layout(PageId::channels).address] = 8;  // all channels in use: the clean-up keeps every byte
}

}  // namespace

TEST_F(ConfigFiles, PanelToFileToBlankPanelIsByteExact) {
  PanelRig source;
  fill_panel(source.p());
  Configuration read;
  ASSERT_TRUE(settings::read_all(source.session(), read));
  const auto file = dir / "panel.cfg";
  ASSERT_TRUE(settings::save_settings_file(read, file));
  EXPECT_EQ(std::filesystem::file_size(file), 67867u);

  Configuration loaded;
  auto opened = settings::open_settings_file(loaded, file);
  ASSERT_TRUE(opened) << opened.error().full();
  PanelRig blank;
  ASSERT_TRUE(settings::write_all(blank.session(), loaded));
  const auto& a = source.p().memory();
  const auto& b = blank.p().memory();
  for (const auto& s : images()) {
    if (s.id == ImageId::table_146C00) continue;  // read but never written back
    EXPECT_TRUE(std::equal(a.begin() + s.address, a.begin() + s.address + s.length, b.begin() + s.address)) << s.name;
  }
  for (const auto& s : pages())
    EXPECT_TRUE(std::equal(a.begin() + s.address, a.begin() + s.address + kPageSize, b.begin() + s.address)) << s.name;
}

TEST_F(ConfigFiles, SavingRefreshesTheServiceTableFromItsPageListCopy) {
  Configuration c;
  auto& entry = c.page_list_entry(PageId::service);
  std::fill(entry.data.begin(), entry.data.end(), std::uint8_t{0x44});
  c.page(PageId::service).set_byte(38, 0x38);
  c.page(PageId::service).set_byte(40, 0x40);
  c.page(PageId::service).set_byte(7, 0x99);
  ASSERT_TRUE(settings::save_settings_file(c, dir / "s.cfg"));
  const auto& page = c.page(PageId::service);
  EXPECT_EQ(page.byte_at(7), 0x44) << "the rest comes from the copy the panel gave";
  EXPECT_EQ(page.byte_at(38), 0x38);
  EXPECT_EQ(page.byte_at(40), 0x40);
}

TEST_F(ConfigFiles, OpeningCleansUpAndFillsThePageList) {
  Configuration c;
  for (auto id : {PageId::phone_numbers, PageId::channels, PageId::remote_control}) {
    auto d = c.page(id).data();
    std::fill(d.begin(), d.end(), std::uint8_t{0x21});
  }
  c.page(PageId::channels).set_byte(0, 0);  // no channels: numbers and channels go
  ASSERT_TRUE(save_configuration(c, dir / "c.cfg"));

  Configuration opened;
  ASSERT_TRUE(settings::open_settings_file(opened, dir / "c.cfg"));
  const auto phones = opened.page(PageId::phone_numbers).data();
  EXPECT_TRUE(std::all_of(phones.begin(), phones.end(), [](auto b) { return b == 0; }));
  EXPECT_EQ(opened.page(PageId::remote_control).byte_at(3), 0x21);
  EXPECT_EQ(opened.page_list_entry(PageId::remote_control).data[3], 0x21);
  EXPECT_EQ(opened.page_list_entry(PageId::phone_numbers).data[3], 0);
}

TEST_F(ConfigFiles, ARefusedFileChangesNothing) {
  Configuration c;
  c.page(PageId::phone_numbers).set_byte(3, 0x12);  // would be cleaned up by a successful open
  const Bytes before = serialize_configuration(c);
  std::ofstream(dir / "short.cfg") << "not a configuration";
  auto r = settings::open_settings_file(c, dir / "short.cfg");
  ASSERT_FALSE(r);
  EXPECT_EQ(serialize_configuration(c), before);
  EXPECT_EQ(c.page_list_entry(PageId::phone_numbers).data[3], 0);

  auto missing = settings::open_settings_file(c, dir / "missing.cfg");
  ASSERT_FALSE(missing);
  EXPECT_NE(missing.error().text.find("missing.cfg"), std::string::npos);
}
