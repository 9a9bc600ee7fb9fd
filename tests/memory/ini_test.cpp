// The INI reader and table images loaded from INI files.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "memory/ini_file.hpp"
#include "memory/ini_image.hpp"

using namespace vq::memory;

namespace {

// A file in the test's temporary folder, removed afterwards.
class TempFile {
 public:
  explicit TempFile(std::string_view contents) {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    path_ = std::filesystem::path(::testing::TempDir()) / (std::string("vq_ini_") + info->name() + ".ini");
    std::ofstream(path_, std::ios::binary) << contents;
  }
  ~TempFile() { std::filesystem::remove(path_); }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace

TEST(IniFile, ParsesSectionsKeysAndComments) {
  const auto ini = IniFile::parse(
      "\xEF\xBB\xBF"
      "top=before any section\r\n"
      "; comment=1\r\n"
      "# comment=2\r\n"
      "[ Main ]\r\n"
      "  Name  =  value with = and ; inside  \r\n"
      "Name=second is ignored\r\n"
      "not a key line\r\n"
      "Empty=\r\n"
      "=orphan\r\n"
      "[Other\n"
      "name=other\n"
      "[main]\n"
      "late=joins Main\n"
      "last=no newline");
  EXPECT_EQ(ini.value("main", "NAME"), "value with = and ; inside");
  EXPECT_EQ(ini.value("Main", "Empty"), "");
  EXPECT_EQ(ini.value("Main", "late"), "joins Main");
  EXPECT_EQ(ini.value("Other", "name"), "other");
  EXPECT_EQ(ini.value("Main", "last"), "no newline");
  EXPECT_EQ(ini.value("", "top"), "before any section");
  EXPECT_EQ(ini.value("Main", "comment"), std::nullopt);
  EXPECT_EQ(ini.value("", "; comment"), std::nullopt);
  EXPECT_EQ(ini.value("Main", "top"), std::nullopt);
  EXPECT_EQ(ini.value("Missing", "name"), std::nullopt);
  EXPECT_TRUE(ini.has_section("OTHER"));
  EXPECT_FALSE(ini.has_section("Missing"));
  EXPECT_EQ(ini.read_string("Main", "absent", "dflt"), "dflt");
}

TEST(IniFile, ReadInteger) {
  struct Case {
    const char* value;
    std::int64_t expected;
  };
  const Case cases[] = {
      {"300", 300},   {"-1", -1},       {"+7", 7},      {"0x1F", 31},   {"$ff", 255},
      {"-0x10", -16}, {"abc", -99},     {"", -99},      {"12abc", -99}, {"1 2", -99},
      {"0x", -99},    {"-", -99},       {"99999999999999999999", -99},
      {"9223372036854775807", INT64_MAX}, {"-9223372036854775808", INT64_MIN},
  };
  for (const auto& c : cases) {
    const auto ini = IniFile::parse(std::string("[S]\nk = ") + c.value + "\n");
    EXPECT_EQ(ini.read_integer("S", "k", -99), c.expected) << c.value;
  }
  EXPECT_EQ(IniFile::parse("").read_integer("S", "k", 5), 5);
}

TEST(IniFile, MissingFileFailsNamingIt) {
  const auto path = std::filesystem::path(::testing::TempDir()) / "vq_no_such_file.ini";
  const auto r = IniFile::load(path);
  ASSERT_FALSE(r);
  EXPECT_NE(r.error().text.find("vq_no_such_file.ini"), std::string::npos);
  EXPECT_FALSE(IniFile::load(::testing::TempDir()));  // a folder is not a file
}

TEST(IniImage, LoadsItemKeysLowEightBits) {
  const TempFile file(
      "[SectNamesTableSection]\r\n"
      "SectNamesTableItem0=300\r\n"
      "SectNamesTableItem1=-1\r\n"
      "SectNamesTableItem3=9\r\n"
      "SectNamesTableItem02=7\r\n"   // leading zero: not the key of byte 2
      "[OtherSection]\r\n"
      "SectNamesTableItem2=5\r\n");
  TMemoryBlock image(0, 3, 0xAA);
  ASSERT_TRUE(load_image_from_ini(image, file.path(), "SectNamesTable"));
  EXPECT_EQ(std::vector<std::uint8_t>(image.data().begin(), image.data().end()),
            (std::vector<std::uint8_t>{44, 255, 0}));
  EXPECT_EQ(image.length(), 3u);
}

TEST(IniImage, UnreadableFileLeavesTheImageAlone) {
  TMemoryBlock image(0, 2, 0xAA);
  const auto r = load_image_from_ini(image, std::filesystem::path(::testing::TempDir()) / "vq_absent.ini", "X");
  EXPECT_FALSE(r);
  EXPECT_EQ(image.byte_at(0), 0xAA);
  EXPECT_EQ(image.byte_at(1), 0xAA);
}
