#include "shell/preferences.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace vq::shell {
namespace {

class PreferencesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("vq_prefs_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    file_ = dir_ / "vantorq.ini";
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  void write(const std::string& text) { std::ofstream(file_, std::ios::binary) << text; }
  std::string read() {
    std::ifstream in(file_, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  std::filesystem::path dir_, file_;
};

TEST_F(PreferencesTest, MissingFileAndKeysGiveTheDefaults) {
  auto p = load_preferences(file_);
  EXPECT_TRUE(p.show_all_soft);
  EXPECT_EQ(p.default_mode, 0);
  EXPECT_FALSE(p.starts_online());
  EXPECT_EQ(p.language, "RU");

  write("[System]\nDefaultMode=1\n");
  p = load_preferences(file_);
  EXPECT_TRUE(p.show_all_soft);
  EXPECT_EQ(p.default_mode, 1);
  EXPECT_TRUE(p.starts_online());
}

TEST_F(PreferencesTest, SaveThenLoadRoundTripsAndKeepsOtherSections) {
  write("; user notes\n[Window]\nWidth=900\n[system]\nDefaultMode=0\nStale=1\n[Other]\nA=b\n");
  Preferences p;
  p.show_all_soft = false;
  p.default_mode = 1;
  p.default_system = 1;
  p.language = "EN";
  p.first_run = false;
  ASSERT_TRUE(save_preferences(file_, p));

  const auto back = load_preferences(file_);
  EXPECT_FALSE(back.show_all_soft);
  EXPECT_EQ(back.default_mode, 1);
  EXPECT_EQ(back.default_system, 1);
  EXPECT_EQ(back.language, "EN");
  EXPECT_FALSE(back.first_run);

  const std::string text = read();
  EXPECT_NE(text.find("Width=900"), std::string::npos);
  EXPECT_NE(text.find("[Other]\nA=b"), std::string::npos);
  EXPECT_EQ(text.find("Stale"), std::string::npos) << "the System section is written afresh";
  // Saving twice gives the same file.
  ASSERT_TRUE(save_preferences(file_, p));
  EXPECT_EQ(read(), text);
}

TEST_F(PreferencesTest, UsbIdsAreStoredOnOneLineAndOnlyWhenSet) {
  Preferences p;
  ASSERT_TRUE(save_preferences(file_, p));
  EXPECT_EQ(read().find("UsbIds"), std::string::npos);
  EXPECT_EQ(load_preferences(file_).usb_ids, "");

  p.usb_ids = " 0483:5740,1234:abcd ";
  ASSERT_TRUE(save_preferences(file_, p));
  EXPECT_NE(read().find("UsbIds=0483:5740,1234:abcd\n"), std::string::npos) << read();
  EXPECT_EQ(load_preferences(file_).usb_ids, "0483:5740,1234:abcd");

  // A line break in the value cannot add a key of its own.
  p.usb_ids = "0483:5740\nDefaultMode=1";
  ASSERT_TRUE(save_preferences(file_, p));
  const auto back = load_preferences(file_);
  EXPECT_EQ(back.default_mode, 0);
  EXPECT_EQ(back.usb_ids, "0483:5740DefaultMode=1");
}

TEST_F(PreferencesTest, CreatesItsFolderAndRefusesAnUnwritableOne) {
  const auto nested = dir_ / "a" / "b" / "vantorq.ini";
  ASSERT_TRUE(save_preferences(nested, Preferences{}));
  EXPECT_TRUE(std::filesystem::exists(nested));

  const auto blocked = dir_ / "file-not-folder";
  std::ofstream(blocked) << "x";
  auto r = save_preferences(blocked / "vantorq.ini", Preferences{});
  ASSERT_FALSE(r);
  EXPECT_NE(r.error().text.find("Не удалось записать файл настроек"), std::string::npos);
}

TEST_F(PreferencesTest, ALanguageThatIsNotACodeFallsBackToRussian) {
  write("[System]\nLanguage=../../etc\n");
  EXPECT_EQ(load_preferences(file_).language, "RU");
}

TEST(PreferencesPath, PortableBesideTheProgramElseTheConfigFolder) {
  EXPECT_EQ(preferences_path("/opt/vq/vantorq", true), std::filesystem::path("/opt/vq/vantorq.ini"));
  ::setenv("XDG_CONFIG_HOME", "/tmp/cfg-home", 1);
  EXPECT_EQ(preferences_path("/opt/vq/vantorq", false), std::filesystem::path("/tmp/cfg-home/vantorq/vantorq.ini"));
}

}  // namespace
}  // namespace vq::shell
