// The panel's configuration kept before a write: the copy is what `config read` saves,
// copies of one second never overwrite each other, the last 20 stay; and the device check
// that guards a write.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "memory/config_file.hpp"
#include "settings/config_backup.hpp"
#include "settings/config_files.hpp"
#include "settings/full_transfer.hpp"
#include "sim/demo_panel.hpp"
#include "support/panel_rig.hpp"

using namespace vq;
namespace fs = std::filesystem;

namespace {

struct Scratch {
  fs::path dir = fs::temp_directory_path() /
                 ("vq-backup-" + std::to_string(::getpid()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
  Scratch() {
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
  ~Scratch() { fs::remove_all(dir); }
};

std::string bytes_of(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

}  // namespace

TEST(ConfigBackup, TheCopyIsWhatAReadSavesAndThePanelIsUntouched) {
  test::PanelRig rig;
  sim::load_demo_contents(*rig.panel);
  const auto memory_before = rig.p().memory();
  Scratch s;

  auto backup = settings::backup_panel_configuration(rig.session(), s.dir / "Conf");
  ASSERT_TRUE(backup) << backup.error().full();
  EXPECT_EQ(backup->parent_path(), s.dir / "Conf" / "backup");
  EXPECT_EQ(rig.p().memory(), memory_before);

  memory::Configuration read;
  ASSERT_TRUE(settings::connect_for_settings(rig.session(), read));
  ASSERT_TRUE(settings::read_all(rig.session(), read));
  ASSERT_TRUE(settings::save_settings_file(read, s.dir / "read.cfg"));
  EXPECT_EQ(bytes_of(*backup), bytes_of(s.dir / "read.cfg"));
}

TEST(ConfigBackup, CopiesOfOneSecondAreKeptApartAndTheLast20Stay) {
  Scratch s;
  const auto folder = settings::backup_folder(s.dir);
  fs::create_directories(folder);
  // Files of the user's own: never pruned.
  for (const char* name : {"notes.cfg", "2020-01-01_00-00-00.txt", "2020-01-01_00-00-00_x.cfg"})
    std::ofstream(folder / name) << "mine";

  std::vector<fs::path> saved;
  for (int i = 0; i < 23; ++i) {
    memory::Configuration config;
    config.image(memory::ImageId::partitions).set_byte(0, static_cast<std::uint8_t>(i));
    auto p = settings::save_panel_backup(config, s.dir);
    ASSERT_TRUE(p) << p.error().full();
    saved.push_back(*p);
  }
  EXPECT_EQ(std::set<fs::path>(saved.begin(), saved.end()).size(), saved.size()) << "a copy was overwritten";
  for (int i = 0; i < 23; ++i) {
    const auto& p = saved[static_cast<std::size_t>(i)];
    if (i < 3) {
      EXPECT_FALSE(fs::exists(p)) << p;
      continue;
    }
    ASSERT_TRUE(fs::exists(p)) << p;
    memory::Configuration back;
    ASSERT_TRUE(memory::load_configuration(back, p));
    EXPECT_EQ(back.image(memory::ImageId::partitions).byte_at(0), i) << p;
  }
  for (const char* name : {"notes.cfg", "2020-01-01_00-00-00.txt", "2020-01-01_00-00-00_x.cfg"})
    EXPECT_TRUE(fs::exists(folder / name)) << name;
  EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator{}), 23);
}

TEST(ConfigBackup, AFolderThatCannotBeMadeIsAnError) {
  Scratch s;
  std::ofstream(s.dir / "Conf") << "a file where the folder goes";
  memory::Configuration config;
  const auto r = settings::save_panel_backup(config, s.dir / "Conf");
  ASSERT_FALSE(r);
  EXPECT_NE(r.error().text.find("Не удалось создать папку резервных копий"), std::string::npos) << r.error().text;
}

TEST(ConfigBackup, TheFileMustBeForTheConnectedPanel) {
  const link::SystemInfo panel{630, 0x61, {2, 4, 7}};
  struct Case {
    memory::IdentifiedDevice file;
    bool accepted;
  };
  const Case cases[] = {
      {{630, 0x61, {2, 4, 7}, 0}, true},
      {{630, 0x61, {2, 4, 1}, 9}, true},   // another build of the line; the extra byte is no part
      {{0, 0, {0, 0, 0}, 0}, true},        // prepared without a panel
      {{0, 0, {0, 0, 0}, 5}, true},
      {{517, 0x61, {2, 4, 7}, 0}, false},
      {{630, 0x62, {2, 4, 7}, 0}, false},
      {{630, 0x61, {2, 5, 7}, 0}, false},
      {{630, 0x61, {3, 4, 7}, 0}, false},
      {{0, 0x61, {0, 0, 0}, 0}, false},
  };
  for (const auto& c : cases) {
    const auto r = settings::check_device_for_writing(c.file, panel);
    EXPECT_EQ(r.has_value(), c.accepted) << c.file.device_type << " " << c.file.platform;
    if (!r) {
      EXPECT_EQ(r.error().code, settings::kDeviceMismatch);
      EXPECT_EQ(r.error().text.rfind("Файл настроек сделан для другого прибора: в файле ", 0), 0u) << r.error().text;
      const auto connected = r.error().text.substr(r.error().text.find(", подключён ") + 1);
      EXPECT_NE(connected.find("код 630"), std::string::npos) << r.error().text;
      EXPECT_NE(connected.find("платформа 0x0061, версия 2.4.7"), std::string::npos)
          << r.error().text;
    }
  }
  const auto mismatch = settings::check_device_for_writing({517, 1, {1, 0, 0}, 0}, panel);
  ASSERT_FALSE(mismatch);
  EXPECT_EQ(settings::device_mismatch_question(mismatch.error()),
            mismatch.error().text + ".\nЗаписать эти настройки в прибор всё равно?");
}
