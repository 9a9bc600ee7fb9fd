// The file rules before a firmware write: the window's .tsk rule and catalogue masks, files
// of other kinds, files that are not regular, and sizes no image can have. A refused write
// sends nothing.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "firmware/file_checks.hpp"
#include "firmware/firmware_write.hpp"
#include "memory/config_file.hpp"
#include "support/panel_rig.hpp"

using namespace vq;
using namespace vq::firmware;
using vq::test::PanelRig;
namespace fs = std::filesystem;

namespace {

class FirmwareFileRules : public ::testing::Test {
 protected:
  fs::path dir;
  void SetUp() override {
    dir = fs::temp_directory_path() / ("vq-fwrules-" + std::to_string(::getpid()) + "-" +
                                       ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir);
  }
  void TearDown() override { fs::remove_all(dir); }

  // A panel firmware file of `size` bytes (header 630, platform 0x61).
  fs::path firmware(const std::string& name, std::uintmax_t size) {
    const auto path = dir / name;
    Bytes b{0x76, 0x02, 0x61, 0x00, 2, 4, 8};
    b.resize(std::min<std::uintmax_t>(size, 4096), 0x5A);
    b.resize(std::min<std::size_t>(b.size(), size));
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
    if (size > b.size()) fs::resize_file(path, size);  // sparse: no disk for the big ones
    return path;
  }
};

}  // namespace

TEST_F(FirmwareFileRules, SizeLimitsFollowTheBlocksTheWriteCanNumber) {
  const auto usb = image_size_limits(FirmwareLink::usb);
  EXPECT_EQ(usb.min, 8u);
  EXPECT_EQ(usb.max, 65534u * 252u);
  const auto rs485 = image_size_limits(FirmwareLink::rs485);
  EXPECT_EQ(rs485.min, 12u);
  EXPECT_EQ(rs485.max, 65534u * 192u);
}

TEST_F(FirmwareFileRules, FilesThatCannotBeFirmwareAreRefusedBeforeAnythingIsSent) {
  {
    const auto cfg = dir / "630M_settings.tsk";
    const Bytes bytes = memory::serialize_configuration(memory::Configuration{});
    std::ofstream(cfg, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  fs::create_directory(dir / "630M_folder.tsk");
  ASSERT_EQ(::mkfifo((dir / "630M_fifo.tsk").c_str(), 0600), 0);
  firmware("630M_good.TSK", 300);
  firmware("630M_good.bin", 300);
  struct Case {
    fs::path file;
    FirmwareLink over;
    int code;             // 0: accepted
    const char* refusal;  // a part of the text
  };
  const Case cases[] = {
      {firmware("630M_smallest.tsk", 8), FirmwareLink::usb, 0, ""},
      {firmware("630M_largest.tsk", 65534u * 252u), FirmwareLink::usb, 0, ""},
      {firmware("readme.tsk", 7), FirmwareLink::usb, kImpossibleSize,
       "его размер 7 байт, а файл ПО занимает от 8 до 16514568 байт"},
      {firmware("630M_huge.tsk", 100u << 20), FirmwareLink::usb, kImpossibleSize, "его размер 104857600 байт"},
      {firmware("630M_over.tsk", 65534u * 252u + 1), FirmwareLink::usb, kImpossibleSize, "16514569"},
      {firmware("526_short.tsk", 11), FirmwareLink::rs485, kImpossibleSize, "от 12 до 12582528 байт"},
      {dir / "630M_settings.tsk", FirmwareLink::usb, kNotFirmware, "это файл настроек, а не файл прошивки"},
      {dir / "630M_folder.tsk", FirmwareLink::usb, kNotFirmware, "это папка"},
      {dir / "630M_fifo.tsk", FirmwareLink::usb, kNotFirmware, "не обычный файл"},
      {dir / "630M_good.TSK", FirmwareLink::usb, kNotTsk, "Выбранный Вами файл не соответствует формату!"},
      {dir / "630M_good.bin", FirmwareLink::usb, kNotTsk, "Выбранный Вами файл не соответствует формату!"},
      {dir / "630M_missing.tsk", FirmwareLink::usb, kNotFirmware, "Не удалось открыть файл ПО"},
  };
  for (const auto& c : cases) {
    const auto r = check_file_rules(c.file, c.over);
    if (c.code == 0) {
      EXPECT_TRUE(r) << c.file << ": " << r.error().full();
      continue;
    }
    ASSERT_FALSE(r) << c.file;
    EXPECT_EQ(r.error().code, c.code) << c.file;
    EXPECT_NE(r.error().text.find(c.refusal), std::string::npos) << c.file << ": " << r.error().text;
  }

  // The write itself reads no FIFO and no file larger than an image: nothing reaches the panel.
  for (const auto& name : {"630M_huge.tsk", "630M_fifo.tsk"}) {
    PanelRig rig;
    const auto w = write_usb(rig.session(), dir / name);
    EXPECT_FALSE(w) << name;
    EXPECT_TRUE(rig.p().firmware().empty()) << name;
    EXPECT_EQ(rig.p().stats().frames, 0u) << name;
  }
}

TEST_F(FirmwareFileRules, ANameOutsideTheDevicesMaskIsRefused) {
  struct Case {
    const char* name;
    const char* mask;
    bool accepted;
  };
  const Case cases[] = {
      {"630M_2_4_8.tsk", "630M*.tsk", true},
      {"630m_2_4_8.tsk", "630M*.tsk", true},  // the window's search folds ASCII case
      {"517_1_4.tsk", "630M*.tsk", false},
      {"readme.tsk", "630M*.tsk", false},
      {"517_1_4.tsk", "517*.tsk", true},
      {"630M_2_4_8.tsk", "526*.tsk", false},
      {"anything.tsk", "", true},  // a model without a mask: the header checks decide
  };
  for (const auto& c : cases) {
    const auto r = check_catalogue_mask(dir / c.name, c.mask, "Сорвел-630М-Q");
    EXPECT_EQ(static_cast<bool>(r), c.accepted) << c.name << " " << c.mask;
    if (!r) {
      EXPECT_EQ(r.error().code, kOtherModel);
      EXPECT_EQ(r.error().text, std::string("Файл ") + c.name + " не для прибора Сорвел-630М-Q: имена файлов ПО "
                                "этого прибора соответствуют маске " + c.mask);
    }
  }
}
