// The checks that run before a firmware file is written, and their refusals.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "firmware/file_checks.hpp"

using namespace vq;
using namespace vq::firmware;
namespace fs = std::filesystem;

namespace {

link::SystemInfo device(std::uint16_t type, std::uint16_t platform, std::uint8_t a, std::uint8_t b, std::uint8_t c) {
  link::SystemInfo d;
  d.device_type = type;
  d.platform = platform;
  d.version[0] = a;
  d.version[1] = b;
  d.version[2] = c;
  return d;
}

}  // namespace

TEST(FirmwareChecks, HeaderAgainstTheDeviceInTheirOrder) {
  struct Case {
    const char* what;
    FirmwareHeader file;
    link::SystemInfo dev;
    int refusal;  // 0: on to the confirmation
    const char* text;
  };
  const auto gsm = device(517, 0x61, 5, 1, 3);
  const std::vector<Case> cases = {
      {"same panel", {630, 0x61, {2, 4, 7}}, device(630, 0x61, 2, 4, 7), 0, ""},
      {"older panel file", {630, 0x61, {1, 1, 0}}, device(630, 0x61, 2, 4, 7), 0, ""},
      {"other model", {517, 0x61, {1, 1, 3}}, device(630, 0x61, 1, 1, 3), kWrongDeviceType,
       "Выбранный файл не соответствует типу подключенного устройства! Запись невозможна!"},
      {"model before platform", {526, 0x10, {0, 1, 0}}, gsm, kWrongDeviceType,
       "Выбранный файл не соответствует типу подключенного устройства! Запись невозможна!"},
      {"other platform", {630, 0x62, {2, 4, 7}}, device(630, 0x61, 2, 4, 7), kWrongPlatform,
       "Выбранный файл не соответствует платформе подключенного устройства! Запись невозможна!"},
      {"platform before downgrade", {517, 0x62, {0, 1, 2}}, gsm, kWrongPlatform,
       "Выбранный файл не соответствует платформе подключенного устройства! Запись невозможна!"},
      {"517 x.1.3 to y.1.2", {517, 0x61, {9, 1, 2}}, gsm, kForbiddenDowngrade, "Недопустимо!"},
      {"517 x.1.7 to y.1.0", {517, 0x61, {0, 1, 0}}, device(517, 0x61, 0, 1, 7), kForbiddenDowngrade, "Недопустимо!"},
      {"517 to y.1.3", {517, 0x61, {9, 1, 3}}, gsm, 0, ""},
      {"517 to y.2.0", {517, 0x61, {9, 2, 0}}, gsm, 0, ""},
      {"517 to y.0.1", {517, 0x61, {9, 0, 1}}, gsm, 0, ""},
      {"517 running x.1.2", {517, 0x61, {9, 1, 0}}, device(517, 0x61, 5, 1, 2), 0, ""},
      {"517 running x.2.5", {517, 0x61, {9, 1, 0}}, device(517, 0x61, 5, 2, 5), 0, ""},
      {"517 on another platform", {517, 0x62, {9, 1, 2}}, device(517, 0x62, 5, 1, 3), 0, ""},
      {"panel is never held back", {630, 0x61, {9, 1, 2}}, device(630, 0x61, 5, 1, 3), 0, ""},
  };
  for (const auto& c : cases) {
    auto r = check_header(c.file, c.dev);
    if (c.refusal == 0) {
      EXPECT_TRUE(r) << c.what << ": " << r.error().full();
    } else {
      ASSERT_FALSE(r) << c.what;
      EXPECT_EQ(r.error().code, c.refusal) << c.what;
      EXPECT_EQ(r.error().text, c.text) << c.what;
    }
  }
}

class FirmwareCheckFile : public ::testing::Test {
 protected:
  fs::path dir;
  void SetUp() override {
    dir = fs::temp_directory_path() / ("vq-fwchk-" + std::to_string(::getpid()) + "-" +
                                       ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir);
  }
  void TearDown() override { fs::remove_all(dir); }

  CatalogueRow row_for(const char* name, const Bytes& bytes) {
    std::ofstream(dir / name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return CatalogueRow{name, "", bytes.size(), {}, dir};
  }
};

TEST_F(FirmwareCheckFile, ReadsTheSelectedFileAgainAndRefusesWhatIsNotThere) {
  const auto panel = device(630, 0x61, 2, 4, 7);

  auto none = check_file(nullptr, panel);
  ASSERT_FALSE(none);
  EXPECT_EQ(none.error().code, kNoFileSelected);
  EXPECT_EQ(none.error().text, "Не выбран файл для записи! Выберите файл и повторите операцию.");

  const auto good = row_for("630M_good.tsk", Bytes{0x76, 0x02, 0x61, 0x00, 2, 5, 1, 0xAB});
  auto ok = check_file(&good, panel);
  ASSERT_TRUE(ok) << ok.error().full();
  EXPECT_EQ(*ok, (FirmwareHeader{630, 0x61, {2, 5, 1}})) << "the selected file record";

  const auto wrong = row_for("630M_517.tsk", Bytes{0x05, 0x02, 0x61, 0x00, 1, 1, 3});
  auto refused = check_file(&wrong, panel);
  ASSERT_FALSE(refused);
  EXPECT_EQ(refused.error().code, kWrongDeviceType);

  // The file on disk counts, not what the row showed when it was listed.
  auto replaced = row_for("630M_replaced.tsk", Bytes{0x76, 0x02, 0x61, 0x00, 2, 4, 7});
  row_for("630M_replaced.tsk", Bytes{0x76, 0x02, 0x62, 0x00, 2, 4, 7});
  auto now = check_file(&replaced, panel);
  ASSERT_FALSE(now);
  EXPECT_EQ(now.error().code, kWrongPlatform);

  const auto cut = row_for("630M_cut.tsk", Bytes{0x76, 0x02, 0x61});
  auto short_file = check_file(&cut, panel);
  ASSERT_FALSE(short_file);
  EXPECT_EQ(short_file.error().code, kFileUnreadable);

  const auto gone = row_for("630M_gone.tsk", Bytes{0x76, 0x02, 0x61, 0x00, 2, 4, 7});
  fs::remove(gone.path());
  auto vanished = check_file(&gone, panel);
  ASSERT_FALSE(vanished);
  EXPECT_EQ(vanished.error().code, kFileUnreadable);
  EXPECT_NE(vanished.error().text.find(gone.path().string()), std::string::npos) << vanished.error().text;
}

TEST(FirmwareConfirmation, AsksBeforeWriting) {
  EXPECT_EQ(confirmation_question(), "Вы уверены, что хотите записать выбранный файл в прибор?");
  EXPECT_EQ(kChecksCaption, 15021);
}
