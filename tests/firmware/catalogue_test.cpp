// Firmware file header, and the catalogue filled from the Base folder, the open dialog
// and dropped files.
#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <utility>
#include <vector>

#include "firmware/catalogue.hpp"
#include "firmware/firmware_header.hpp"

using namespace vq;
using namespace vq::firmware;
namespace fs = std::filesystem;

namespace {

Bytes header_bytes(std::uint16_t type, std::uint16_t platform, std::uint8_t a, std::uint8_t b, std::uint8_t c) {
  Bytes h;
  append_u16(h, type);
  append_u16(h, platform);
  h.insert(h.end(), {a, b, c});
  return h;
}

class FirmwareFiles : public ::testing::Test {
 protected:
  fs::path root, base;
  void SetUp() override {
    root = fs::temp_directory_path() / ("vq-fwcat-" + std::to_string(::getpid()) + "-" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    base = root / "Base";
    fs::create_directories(base);
  }
  void TearDown() override { fs::remove_all(root); }

  fs::path put(const fs::path& path, const Bytes& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path;
  }

  static std::vector<std::string> names(const Catalogue& c) {
    std::vector<std::string> v;
    for (const auto& r : c.rows()) v.push_back(r.name);
    return v;
  }
};

}  // namespace

TEST_F(FirmwareFiles, HeaderIsReadFromTheFirstSevenBytesOrRefused) {
  struct Case {
    const char* what;
    Bytes bytes;
    bool create;  // false: the file does not exist
    int fault;  // 0: a header
  };
  Bytes long_file = header_bytes(630, 0x0161, 2, 4, 7);
  long_file.insert(long_file.end(), {0xFF, 0xEE, 0xDD});
  const std::vector<Case> cases = {
      {"exact", header_bytes(630, 0x0161, 2, 4, 7), true, 0},
      {"longer", long_file, true, 0},
      {"six bytes", Bytes{0x76, 0x02, 0x61, 0x01, 2, 4}, true, kHeaderShort},
      {"empty", Bytes{}, true, kHeaderShort},
      {"missing", Bytes{}, false, kHeaderUnreadable},
  };
  for (const auto& c : cases) {
    const fs::path file = base / (std::string("630M_") + c.what + ".tsk");
    if (c.create) put(file, c.bytes);
    auto h = read_header(file);
    if (c.fault == 0) {
      ASSERT_TRUE(h) << c.what << ": " << h.error().full();
      EXPECT_EQ(*h, (FirmwareHeader{630, 0x0161, {2, 4, 7}})) << c.what;
    } else {
      ASSERT_FALSE(h) << c.what;
      EXPECT_EQ(h.error().code, c.fault) << c.what;
      EXPECT_NE(h.error().text.find(file.string()), std::string::npos) << c.what << ": names the file";
    }
  }
  auto dir = read_header(base);
  ASSERT_FALSE(dir);
  EXPECT_EQ(dir.error().code, kHeaderUnreadable);
}

TEST(FirmwareVersionText, PanelShowsThreeNumbersOtherModelsTheLastTwo) {
  struct Case {
    FirmwareHeader h;
    const char* model, *full;
  };
  for (const Case& c : {Case{{630, 0x61, {2, 4, 7}}, "2.4.7", "2.4.7"},
                        Case{{517, 0x61, {1, 4, 7}}, "4.7", "1.4.7"},
                        Case{{526, 0x10, {0, 255, 0}}, "255.0", "0.255.0"},
                        Case{{999, 0, {9, 8, 7}}, "8.7", "9.8.7"}}) {
    EXPECT_EQ(model_version_text(c.h), c.model) << c.h.device_type;
    EXPECT_EQ(full_version_text(c.h), c.full) << c.h.device_type;
  }
}

TEST(FirmwareMask, FollowsTheFolderSearchRules) {
  struct Case {
    const char* mask, *name;
    bool match;
  };
  for (const Case& c : {Case{"630M*.*", "630M_2.4.7.tsk", true}, Case{"630M*.*", "630M_notes", true},
                        Case{"630M*.*", "630M", true}, Case{"630M*.*", "630m_x.TSK", true},
                        Case{"630M*.*", "X630M.tsk", false}, Case{"630M*.*", "517_1.tsk", false},
                        Case{"630M*.tsk", "630M_x.tsk", true}, Case{"630M*.tsk", "630M_x.TSK", true},
                        Case{"630M*.tsk", "630M_x.bin", false}, Case{"630M*.tsk", "630M_x.tsk.bak", false},
                        Case{"630M*.tsk", "630M", false}, Case{"517*.tsk", "517.tsk", true},
                        Case{"5?7*.*", "517a", true}, Case{"5?7*.*", "57", false}}) {
    EXPECT_EQ(mask_matches(c.mask, c.name), c.match) << c.mask << " vs " << c.name;
  }
}

TEST(FirmwareStamp, DateAndTimeButOnlyTheDateAtMidnight) {
  std::tm t{};
  t.tm_year = 2026 - 1900;
  t.tm_mon = 2;
  t.tm_mday = 5;
  t.tm_hour = 9;
  t.tm_min = 7;
  t.tm_sec = 3;
  EXPECT_EQ(stamp_text(t), "05.03.2026 09:07:03");
  t.tm_hour = t.tm_min = t.tm_sec = 0;
  EXPECT_EQ(stamp_text(t), "05.03.2026");
  t.tm_sec = 1;
  EXPECT_EQ(stamp_text(t), "05.03.2026 00:00:01");

  // A row's file time goes through the local clock: a local midnight shows no time.
  for (auto [hour, shown] : {std::pair{0, "05.03.2026"}, std::pair{14, "05.03.2026 14:00:00"}}) {
    std::tm local{};
    local.tm_year = 2026 - 1900;
    local.tm_mon = 2;
    local.tm_mday = 5;
    local.tm_hour = hour;
    local.tm_isdst = -1;
    CatalogueRow row;
    row.written = std::chrono::file_clock::from_sys(std::chrono::system_clock::from_time_t(std::mktime(&local)));
    EXPECT_EQ(row.date_text(), shown);
  }
}

TEST_F(FirmwareFiles, ListingByTheStartMasksSortsSkipsAndShowsTheModelsVersion) {
  put(base / "630M_b.tsk", header_bytes(630, 0x61, 2, 4, 7));
  put(base / "630M_a.tsk", header_bytes(630, 0x61, 2, 5, 0));
  put(base / "630M_notes.txt", header_bytes(630, 0x61, 2, 4, 7));
  put(base / "630m_c.tsk", header_bytes(630, 0x61, 2, 3, 0));
  put(base / "630M_short.tsk", Bytes{0x76, 0x02, 0x61});
  put(base / "517_gsm.tsk", header_bytes(517, 0x61, 1, 4, 7));
  put(base / "526_relay.tsk", header_bytes(526, 0x10, 3, 0, 9));
  put(base / "other.tsk", header_bytes(630, 0x61, 2, 4, 7));
  fs::create_directories(base / "630M_old");
  fs::create_symlink(base / "630M_a.tsk", base / "630M_link.tsk");

  Catalogue cat;
  // A trailing separator on the folder must not reach the rows.
  const auto report = cat.list_all_soft_files(firmware_folder(root).string() + "/", kDeviceFirmwareMode);
  const auto& skipped = report.skipped;
  EXPECT_EQ(report.added, 6u);

  EXPECT_EQ(names(cat), (std::vector<std::string>{"630M_a.tsk", "630M_b.tsk", "630m_c.tsk", "630M_notes.txt",
                                                  "517_gsm.tsk", "526_relay.tsk"}));
  ASSERT_EQ(skipped.size(), 1u) << "the short file is reported, not listed";
  EXPECT_EQ(skipped[0].code, kHeaderShort);
  EXPECT_NE(skipped[0].text.find("630M_short.tsk"), std::string::npos);

  const auto& rows = cat.rows();
  EXPECT_EQ(rows[0].version_text, "2.5.0");
  EXPECT_EQ(rows[4].version_text, "4.7") << "listing shows a 517 file by its last two numbers";
  EXPECT_EQ(rows[5].version_text, "0.9");
  EXPECT_EQ(rows[0].size_text(), "7 байт");
  for (const auto& r : rows) {
    EXPECT_EQ(r.folder, base) << r.name;
    EXPECT_EQ(r.path(), base / r.name);
  }
}

TEST_F(FirmwareFiles, ListingAfterAConnectionTakesOnlyTskAndKeepsDuplicates) {
  put(base / "630M_2.tsk", header_bytes(630, 0x61, 2, 4, 7));
  put(base / "630M_1.tsk", header_bytes(630, 0x61, 2, 4, 6));
  put(base / "630M_notes.txt", header_bytes(630, 0x61, 2, 4, 7));

  Catalogue cat;
  EXPECT_EQ(cat.list_soft_files(base, "630M*.tsk", kDeviceFirmwareMode).added, 2u);
  EXPECT_EQ(cat.list_soft_files(base, "630M*.tsk", kDeviceFirmwareMode).added, 2u);
  EXPECT_EQ(names(cat), (std::vector<std::string>{"630M_1.tsk", "630M_2.tsk", "630M_1.tsk", "630M_2.tsk"}));

  Catalogue modules;
  EXPECT_EQ(modules.list_soft_files(base, "630M*.*", 2).added, 0u) << "the built-in modules' mode lists nothing";
  EXPECT_TRUE(modules.rows().empty());

  Catalogue none;
  auto missing = none.list_soft_files(root / "NoBase", "630M*.*", kDeviceFirmwareMode);
  EXPECT_EQ(missing.added, 0u);
  EXPECT_TRUE(none.rows().empty());
}

TEST_F(FirmwareFiles, AddingByHandShowsThreeNumbersAndRefusesAListedName) {
  put(base / "517_gsm.tsk", header_bytes(517, 0x61, 1, 4, 7));
  const auto elsewhere = put(root / "Other" / "517_gsm.tsk", header_bytes(517, 0x61, 1, 4, 8));
  const auto mine = put(root / "Other" / "517_new.tsk", header_bytes(517, 0x61, 1, 4, 9));
  Bytes big = header_bytes(517, 0x61, 1, 5, 0);
  big.resize(1000, 0xAA);
  const auto large = put(root / "Other" / "517_big.bin", big);

  Catalogue cat;
  cat.list_soft_files(base, "517*.*", kDeviceFirmwareMode);
  ASSERT_TRUE(cat.add_file(mine));
  ASSERT_TRUE(cat.add_file(large)) << "the open dialog is not held to the .tsk extension";

  auto dup = cat.add_file(elsewhere);
  ASSERT_FALSE(dup);
  EXPECT_EQ(dup.error().message_id, 15031);
  EXPECT_EQ(dup.error().text, "Выбранный Вами файл уже есть в списке!");

  auto short_file = cat.add_file(put(root / "Other" / "517_cut.tsk", Bytes{1, 2}));
  ASSERT_FALSE(short_file);
  EXPECT_EQ(short_file.error().code, kHeaderShort);
  EXPECT_FALSE(cat.add_file(root / "Other" / "517_gone.tsk"));

  ASSERT_EQ(names(cat), (std::vector<std::string>{"517_gsm.tsk", "517_new.tsk", "517_big.bin"}));
  EXPECT_EQ(cat.rows()[0].version_text, "4.7");
  EXPECT_EQ(cat.rows()[1].version_text, "1.4.9") << "added by hand: always three numbers";
  EXPECT_EQ(cat.rows()[1].folder, root / "Other");
  EXPECT_EQ(cat.rows()[2].size_text(), "1000 байт");
}

TEST_F(FirmwareFiles, DroppedFilesStopAtTheFirstRefusal) {
  const auto other = root / "Drop";
  put(base / "630M_listed.tsk", header_bytes(630, 0x61, 2, 4, 7));
  const auto a = put(other / "630M_a.tsk", header_bytes(630, 0x61, 2, 4, 1));
  const auto upper = put(other / "630M_b.TSK", header_bytes(630, 0x61, 2, 4, 2));
  const auto c = put(other / "630M_c.tsk", header_bytes(630, 0x61, 2, 4, 3));
  const auto dup = put(other / "630M_listed.tsk", header_bytes(630, 0x61, 2, 4, 4));
  const auto cut = put(other / "630M_cut.tsk", Bytes{0x76});

  struct Case {
    const char* what;
    std::vector<fs::path> dropped;
    int message_id;  // 0: accepted; -1: refused with our own text
    std::vector<std::string> after;
  };
  const std::vector<Case> cases = {
      {"all good", {a, c}, 0, {"630M_listed.tsk", "630M_a.tsk", "630M_c.tsk"}},
      {"upper-case extension", {a, upper, c}, 15269, {"630M_listed.tsk", "630M_a.tsk"}},
      {"listed name", {a, dup, c}, 15031, {"630M_listed.tsk", "630M_a.tsk"}},
      {"same file twice", {a, a}, 15031, {"630M_listed.tsk", "630M_a.tsk"}},
      {"short file", {cut, a}, -1, {"630M_listed.tsk"}},
  };
  for (const auto& cs : cases) {
    Catalogue cat;
    cat.list_soft_files(base, "630M*.*", kDeviceFirmwareMode);
    auto r = cat.add_dropped(cs.dropped);
    if (cs.message_id == 0) {
      EXPECT_TRUE(r) << cs.what;
    } else {
      ASSERT_FALSE(r) << cs.what;
      if (cs.message_id > 0) EXPECT_EQ(r.error().message_id, cs.message_id) << cs.what;
      else EXPECT_EQ(r.error().code, kHeaderShort) << cs.what;
    }
    EXPECT_EQ(names(cat), cs.after) << cs.what;
  }

  Catalogue cat;
  auto wrong = cat.add_dropped(std::vector<fs::path>{upper});
  ASSERT_FALSE(wrong);
  EXPECT_EQ(wrong.error().text, "Выбранный Вами файл не соответствует формату!");
  EXPECT_TRUE(cat.rows().empty());
}
