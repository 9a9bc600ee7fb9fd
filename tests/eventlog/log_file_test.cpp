// The .rpt log file: its byte layout, byte-identical round trips, refusal of damaged files
// without touching the journal, saves that fail without harming the previous file, and the
// older INI journal reader.
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "eventlog/log_file.hpp"

using namespace vq::eventlog;
using vq::Bytes;
using vq::memory::IdentifiedDevice;
using vq::memory::TMemoryBlock;
namespace fs = std::filesystem;

namespace {

// Directory order: EventLog, SectNames, SectNamePointers, AddInfo, RegDevs, RegRPDs, RazdelTypes.
struct ImageLayout {
  std::uint32_t table, address, length;
};
constexpr ImageLayout kImages[kJournalTables] = {
    {40, 0x112E00, 64}, {41, 0x4500, 21}, {42, 0x4600, 8}, {43, 0x44FC, 4},
    {44, 0x4700, 9},    {45, 0x4800, 5},  {46, 0x4900, 3},
};
constexpr std::size_t kFullFileSize = 168 + 7 * 12 + 64 + 21 + 8 + 4 + 9 + 5 + 3;
const IdentifiedDevice kDevice{630, 0x0102, {3, 4, 5}, 0};

// Every byte tells its table and position apart, so a byte from the wrong place shows.
Journal make_journal() {
  Journal j;
  for (std::size_t t = 0; t < kJournalTables; ++t) {
    const auto& s = kImages[t];
    j.images[t] = std::make_unique<TMemoryBlock>(s.address, s.length, 0);
    j.images[t]->set_table_number(s.table);
    auto data = j.images[t]->data();
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(t * 37 + i + 1);
  }
  return j;
}

Bytes serialized(const Journal& j, const IdentifiedDevice& d = kDevice) { return *serialize_log_file(j, d); }

std::uint32_t offset_of(const Bytes& file, std::size_t position) { return vq::get_u32(file, 8 + 4 * position); }
void set_offset(Bytes& file, std::size_t position, std::uint32_t at) { vq::put_u32(file, 8 + 4 * position, at); }

// Positions of the offset fields (file order).
enum Position : std::size_t { kSectNames, kPointers, kAddInfo, kRegDevs, kRegRpds, kRazdelTypes, kEventLog };

struct RecordingProgress : vq::link::Progress {
  std::vector<int> values;
  void percent(int value) override { values.push_back(value); }
};

class Scratch {
 public:
  Scratch() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = fs::path(::testing::TempDir()) / (std::string("vq_rpt_") + info->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  ~Scratch() { fs::remove_all(dir_); }
  fs::path operator/(const std::string& name) const { return dir_ / name; }
  std::set<std::string> names() const {
    std::set<std::string> out;
    for (const auto& e : fs::directory_iterator(dir_)) out.insert(e.path().filename().string());
    return out;
  }

 private:
  fs::path dir_;
};

Bytes read_file(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void write_file(const fs::path& p, std::string_view text) { std::ofstream(p, std::ios::binary) << text; }

void write_file(const fs::path& p, const Bytes& b) {
  std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

// Caps the size of files this process may write, as a full disk would; root is held to it.
class FileSizeCap {
 public:
  explicit FileSizeCap(rlim_t bytes) {
    old_handler_ = std::signal(SIGXFSZ, SIG_IGN);
    getrlimit(RLIMIT_FSIZE, &old_);
    rlimit capped = old_;
    capped.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &capped);
  }
  FileSizeCap(const FileSizeCap&) = delete;
  FileSizeCap& operator=(const FileSizeCap&) = delete;
  ~FileSizeCap() {
    setrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, old_handler_);
  }

 private:
  rlimit old_{};
  void (*old_handler_)(int) = nullptr;
};

}  // namespace

TEST(LogFile, LayoutAndByteIdenticalRoundTrip) {
  Scratch dir;
  const auto path = dir / "log.rpt";
  const Journal journal = make_journal();
  RecordingProgress saving;
  ASSERT_TRUE(save_log_file(journal, kDevice, path, &saving));
  EXPECT_EQ(saving.values, (std::vector<int>{14, 28, 42, 56, 70, 84, 100}));

  const Bytes file = read_file(path);
  ASSERT_EQ(file.size(), kFullFileSize);
  EXPECT_EQ(Bytes(file.begin(), file.begin() + 8), (Bytes{0x76, 0x02, 0x02, 0x01, 3, 4, 5, 0}));
  EXPECT_EQ(Bytes(file.begin() + 36, file.begin() + 168), Bytes(132, 0));
  // Companions first, the journal last, back to back from 168.
  const std::size_t file_order[] = {1, 2, 3, 4, 5, 6, 0};
  std::size_t at = 168;
  for (std::size_t p = 0; p < kJournalTables; ++p) {
    const auto& want = kImages[file_order[p]];
    ASSERT_EQ(offset_of(file, p), at) << p;
    EXPECT_EQ(vq::get_u32(file, at), want.table) << p;
    EXPECT_EQ(vq::get_u32(file, at + 4), want.address) << p;
    EXPECT_EQ(vq::get_u32(file, at + 8), want.length) << p;
    EXPECT_EQ(file[at + 12], static_cast<std::uint8_t>(file_order[p] * 37 + 1)) << p;
    at += 12 + want.length;
  }

  Journal loaded;
  IdentifiedDevice device;
  RecordingProgress loading;
  ASSERT_TRUE(load_log_file(loaded, device, path, &loading));
  EXPECT_EQ(loading.values, (std::vector<int>{0, 28, 42, 56, 70, 84, 100}));
  EXPECT_EQ(device, kDevice);
  EXPECT_EQ(loaded.image(JournalTable::event_log).table_number(), 40u);
  EXPECT_EQ(loaded.record_count(), 4u);

  // Saving what was opened gives the same file, over the old one, keeping its permissions.
  fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  ASSERT_TRUE(save_log_file(loaded, device, path));
  EXPECT_EQ(read_file(path), file);
  EXPECT_EQ(fs::status(path).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_EQ(dir.names(), std::set<std::string>{"log.rpt"});
}

TEST(LogFile, AbsentSectionsKeepTheirImages) {
  // A journal with only EventLog and RegDevs writes only those sections.
  Journal partial = make_journal();
  for (auto t : {JournalTable::sect_names, JournalTable::sect_name_pointers, JournalTable::add_info,
                 JournalTable::reg_rpds, JournalTable::razdel_types})
    partial.images[static_cast<std::size_t>(t)].reset();
  partial.image(JournalTable::event_log).set_byte(0, 0xE1);
  partial.image(JournalTable::reg_devs).set_byte(0, 0xD1);
  const Bytes file = serialized(partial, IdentifiedDevice{1, 2, {3, 4, 5}, 6});
  ASSERT_EQ(file.size(), 168u + 12 + 9 + 12 + 64);
  EXPECT_EQ(offset_of(file, kRegDevs), 168u);
  EXPECT_EQ(offset_of(file, kEventLog), 168u + 12 + 9);
  for (auto p : {kSectNames, kPointers, kAddInfo, kRegRpds, kRazdelTypes}) EXPECT_EQ(offset_of(file, p), 0u) << p;

  // Opened over a full journal: the two are replaced, the rest stay, the eighth header
  // byte is kept as it came.
  Journal journal = make_journal();
  IdentifiedDevice device;
  ASSERT_TRUE(load_log_file_bytes(journal, device, file));
  EXPECT_EQ(device, (IdentifiedDevice{1, 2, {3, 4, 5}, 6}));
  Journal expected = make_journal();
  expected.image(JournalTable::event_log).set_byte(0, 0xE1);
  expected.image(JournalTable::reg_devs).set_byte(0, 0xD1);
  EXPECT_EQ(serialized(journal), serialized(expected));

  // Opened into an empty journal: the absent ones stay null, and it saves as it came.
  Journal empty;
  ASSERT_TRUE(load_log_file_bytes(empty, device, file));
  EXPECT_FALSE(empty.images[static_cast<std::size_t>(JournalTable::sect_names)]);
  EXPECT_EQ(serialized(empty, device), file);

  // Nothing read yet: a bare header, which does not open as a log.
  const Bytes bare = serialized(Journal{}, IdentifiedDevice{});
  EXPECT_EQ(bare, Bytes(168, 0));
  const auto refused = load_log_file_bytes(journal, device, bare);
  ASSERT_FALSE(refused);
  EXPECT_EQ(refused.error().text, "В файле журнала нет журнала событий (раздела EventLog)");
}

TEST(LogFile, SectionsInAnyOrderWithGapsLoad) {
  // Another writer's layout: journal first, junk between and after, up to the 1 MiB cap.
  const Journal source = make_journal();
  Bytes file(168, 0);
  file[0] = 0x76, file[1] = 0x02, file[2] = 0x02, file[3] = 0x01, file[4] = 3, file[5] = 4, file[6] = 5;
  const std::size_t file_order[] = {1, 2, 3, 4, 5, 6, 0};
  for (std::size_t p = kJournalTables; p-- > 0;) {
    const auto& image = *source.images[file_order[p]];
    const auto at = file.size() + 5;
    file.resize(at + 12, 0xEE);
    set_offset(file, p, static_cast<std::uint32_t>(at));
    vq::put_u32(file, at, image.table_number());
    vq::put_u32(file, at + 4, image.start_address());
    vq::put_u32(file, at + 8, image.length());
    file.insert(file.end(), image.data().begin(), image.data().end());
  }
  file.resize(file.size() + 3, 0xEE);

  Journal journal;
  IdentifiedDevice device;
  ASSERT_TRUE(load_log_file_bytes(journal, device, file));
  EXPECT_EQ(serialized(journal, device), serialized(source));

  Bytes biggest(168 + 12 + kLogTableMaxLength, 0x3C);
  std::fill(biggest.begin(), biggest.begin() + 168 + 12, 0);
  set_offset(biggest, kEventLog, 168);
  vq::put_u32(biggest, 168 + 8, kLogTableMaxLength);
  ASSERT_TRUE(load_log_file_bytes(journal, device, biggest));
  EXPECT_EQ(journal.image(JournalTable::event_log).length(), kLogTableMaxLength);
}

TEST(LogFile, DamagedFileIsRefusedAndChangesNothing) {
  const Bytes good = serialized(make_journal());
  const std::uint32_t names = offset_of(good, kSectNames);
  const std::uint32_t devs = offset_of(good, kRegDevs);
  const std::uint32_t log = offset_of(good, kEventLog);
  ASSERT_EQ(good.size(), kFullFileSize);

  struct Case {
    const char* name;
    std::function<void(Bytes&)> damage;
    std::string message;
  };
  const Case cases[] = {
      {"shorter than the header", [](Bytes& f) { f.resize(100); },
       "файл короче заголовка (размер файла 100, заголовок занимает 168 байт)"},
      {"offset inside the header", [](Bytes& f) { set_offset(f, kAddInfo, 36); },
       "раздел AddInfo начинается внутри заголовка (смещение 36, заголовок занимает 168 байт)"},
      {"offset past the end", [](Bytes& f) { set_offset(f, kRegDevs, 0x7FFFFFF0); },
       "раздел RegDevs начинается за концом файла (смещение 2147483632, размер файла 366)"},
      {"section head past the end", [](Bytes& f) { set_offset(f, kRegRpds, 360); },
       "заголовок раздела RegRPDs выходит за конец файла (смещение 360, размер файла 366)"},
      // The journal is the last section: every companion before it is good.
      {"data one byte short", [](Bytes& f) { f.pop_back(); },
       "раздел EventLog выходит за конец файла (смещение " + std::to_string(log) + ", длина 64, размер файла 365)"},
      {"length over 1 MiB", [&](Bytes& f) { vq::put_u32(f, devs + 8, kLogTableMaxLength + 1); },
       "раздел RegDevs слишком длинный (длина 1048577, допускается не больше 1048576)"},
      {"length of 4 GiB", [&](Bytes& f) { vq::put_u32(f, log + 8, 0xFFFFFFFF); },
       "раздел EventLog слишком длинный (длина 4294967295, допускается не больше 1048576)"},
      {"two sections at one offset", [&](Bytes& f) { set_offset(f, kAddInfo, names); },
       "разделы SectNames и AddInfo перекрываются (раздел SectNames занимает байты 168–200, следующий "
       "начинается со смещения 168)"},
  };
  Journal journal = make_journal();
  IdentifiedDevice device{1, 1, {1, 1, 1}, 1};
  const Bytes before = serialized(journal, device);
  for (const auto& c : cases) {
    Bytes file = good;
    c.damage(file);
    RecordingProgress progress;
    const auto result = load_log_file_bytes(journal, device, file, &progress);
    ASSERT_FALSE(result) << c.name;
    EXPECT_EQ(result.error().text, "Файл журнала повреждён: " + c.message) << c.name;
    EXPECT_EQ(serialized(journal, device), before) << c.name;
    EXPECT_TRUE(progress.values.empty()) << c.name;
  }

  // Companions whose journal section is gone: nothing of them is taken either.
  Bytes no_journal = good;
  set_offset(no_journal, kEventLog, 0);
  ASSERT_FALSE(load_log_file_bytes(journal, device, no_journal));
  EXPECT_EQ(serialized(journal, device), before);
}

TEST(LogFile, FileThatCannotBeOpenedNamesPathAndReason) {
  Scratch dir;
  Bytes truncated = serialized(make_journal());
  truncated.resize(300);
  write_file(dir / "short.rpt", truncated);
  fs::create_directory(dir / "folder.rpt");
  { std::ofstream(dir / "huge.rpt"); }
  fs::resize_file(dir / "huge.rpt", (std::uintmax_t{16} << 20) + 1);  // sparse: costs no disk

  struct Case {
    fs::path path;
    std::string message;
  };
  const Case cases[] = {
      {dir / "short.rpt", "Файл журнала " + (dir / "short.rpt").string() +
                              " повреждён: заголовок раздела EventLog выходит за конец файла (смещение 290, "
                              "размер файла 300)"},
      {dir / "missing.rpt", "Не удалось открыть файл журнала " + (dir / "missing.rpt").string() +
                                ": No such file or directory"},
      {dir / "folder.rpt", "Не удалось открыть файл журнала " + (dir / "folder.rpt").string() + ": Is a directory"},
      {dir / "huge.rpt", "Не удалось открыть файл журнала " + (dir / "huge.rpt").string() +
                             ": файл слишком большой (размер файла 16777217, допускается не больше 16777216)"},
  };
  Journal journal = make_journal();
  IdentifiedDevice device = kDevice;
  const Bytes before = serialized(journal, device);
  for (const auto& c : cases) {
    const auto result = load_log_file(journal, device, c.path);
    ASSERT_FALSE(result) << c.path;
    EXPECT_EQ(result.error().text, c.message);
    EXPECT_EQ(serialized(journal, device), before) << c.path;
  }
}

TEST(LogFile, SaveThatCannotFinishLeavesNoTrace) {
  Scratch dir;
  fs::create_directory(dir / "taken.rpt");
  write_file(dir / "taken.rpt" / "inside", Bytes{1, 2, 3});
  write_file(dir / "plain", Bytes{4, 5});
  write_file(dir / "kept.rpt", Bytes{6, 7});

  Journal oversized = make_journal();
  oversized.images[0] = std::make_unique<TMemoryBlock>(0, kLogTableMaxLength + 1, 0);

  struct Case {
    const Journal* journal;
    fs::path target;
    const char* reason;
  };
  const Journal journal = make_journal();
  const Case cases[] = {
      {&journal, dir / "no-such-folder" / "x.rpt", "No such file or directory"},
      {&journal, dir / "taken.rpt", "Is a directory"},  // fails at the rename
      {&journal, dir / "plain" / "x.rpt", "Not a directory"},
      {&oversized, dir / "kept.rpt",
       "Таблица EventLog слишком длинная для файла журнала (длина 1048577, допускается не больше 1048576)"},
  };
  for (const auto& c : cases) {
    const auto result = save_log_file(*c.journal, kDevice, c.target);
    ASSERT_FALSE(result) << c.target;
    EXPECT_EQ(result.error().text, "Не удалось сохранить файл журнала " + c.target.string() + ": " + c.reason);
    EXPECT_EQ(dir.names(), (std::set<std::string>{"kept.rpt", "plain", "taken.rpt"})) << c.target;
  }
  EXPECT_EQ(read_file(dir / "taken.rpt" / "inside"), (Bytes{1, 2, 3}));
  EXPECT_EQ(read_file(dir / "kept.rpt"), (Bytes{6, 7}));
}

TEST(LogFile, WriteFailureKeepsThePreviousFile) {
  Scratch dir;
  const auto path = dir / "kept.rpt";
  ASSERT_TRUE(save_log_file(make_journal(), kDevice, path));
  const Bytes previous = read_file(path);

  // A journal too big for the cap: the write fails part-way through the sections.
  Journal bigger = make_journal();
  bigger.images[0] = std::make_unique<TMemoryBlock>(0x112E00, 158400, 0x5A);
  RecordingProgress progress;
  vq::Result<> result;
  {
    const FileSizeCap cap(4096);
    result = save_log_file(bigger, kDevice, path, &progress);
  }
  ASSERT_FALSE(result);
  EXPECT_EQ(result.error().text, "Не удалось сохранить файл журнала " + path.string() + ": File too large");
  EXPECT_EQ(read_file(path), previous);
  EXPECT_EQ(dir.names(), std::set<std::string>{"kept.rpt"});
  EXPECT_EQ(progress.values, (std::vector<int>{14, 28, 42, 56, 70, 84}));
}

namespace {

// An old-style journal: each table's section with its head and one key per byte.
std::string ini_table(std::string_view name, std::string_view head, const std::vector<std::string>& items) {
  std::string out = "[" + std::string(name) + "TableSection]\r\n" + std::string(head);
  for (std::size_t i = 0; i < items.size(); ++i)
    if (!items[i].empty()) out += std::string(name) + "TableItem" + std::to_string(i) + "=" + items[i] + "\r\n";
  return out;
}

std::string good_ini() {
  return ini_table("SectNames", "TableNum=41\r\nStartAddr=17664\r\nSize=4\r\n", {"208", "224", "0", "65"}) +
         ini_table("SectNamePointers", "TableNum=42\r\nStartAddr=17920\r\nSize=0\r\n", {"1", "2"}) +
         ini_table("AddInfo", "TableNum=43\r\nStartAddr=17660\r\nSize=2\r\n", {"44", "1"}) +
         // Item 1 missing reads as 0; 300 keeps its low 8 bits; a key past Size is ignored.
         ini_table("RegDevs", "TableNum=44\r\nStartAddr=18176\r\nSize=3\r\n", {"1", "", "300", "9"}) +
         ini_table("RegRPDs", "TableNum=45\r\nStartAddr=18432\r\nSize=2\r\n", {"3", "4"}) +
         // No TableNum: 0.
         ini_table("RazdelTypes", "StartAddr=18688\r\nSize=1\r\n", {"2"}) +
         ini_table("EventLog", "TableNum=40\r\nStartAddr=1125888\r\nSize=16\r\n",
                   {"0", "19", "", "", "", "", "", "", "", "", "5", "48", "20", "9", "18", "38"});
}

Bytes image_bytes(const Journal& j, JournalTable t) {
  const auto d = j.image(t).data();
  return Bytes(d.begin(), d.end());
}

}  // namespace

TEST(LogFileIni, ReadsEveryTable) {
  Scratch dir;
  write_file(dir / "old.ini", good_ini());
  RecordingProgress progress;
  const auto journal = load_ini_journal(dir / "old.ini", &progress);
  ASSERT_TRUE(journal) << journal.error().text;
  EXPECT_EQ(progress.values, (std::vector<int>{14, 28, 42, 57, 71, 85, 100}));

  const auto& log = journal->image(JournalTable::event_log);
  EXPECT_EQ(log.table_number(), 40u);
  EXPECT_EQ(log.start_address(), 1125888u);
  EXPECT_EQ(image_bytes(*journal, JournalTable::event_log),
            (Bytes{0, 19, 0, 0, 0, 0, 0, 0, 0, 0, 5, 48, 20, 9, 18, 38}));
  EXPECT_EQ(image_bytes(*journal, JournalTable::sect_names), (Bytes{208, 224, 0, 65}));
  EXPECT_EQ(image_bytes(*journal, JournalTable::reg_devs), (Bytes{1, 0, 44}));
  EXPECT_EQ(journal->image(JournalTable::razdel_types).table_number(), 0u);
  EXPECT_EQ(journal->image(JournalTable::reg_rpds).start_address(), 18432u);
  // A pointer table of Size 0 is no image at all.
  EXPECT_FALSE(journal->images[static_cast<std::size_t>(JournalTable::sect_name_pointers)]);
}

TEST(LogFileIni, BrokenJournalIsRefused) {
  Scratch dir;
  fs::create_directory(dir / "folder.ini");
  const std::string good = good_ini();
  const auto replaced = [&](std::string_view from, std::string_view to) {
    std::string text = good;
    text.replace(text.find(from), from.size(), to);
    return text;
  };

  struct Case {
    const char* name;
    std::string text;  // empty: the file is the folder
    std::string message;
  };
  const Case cases[] = {
      {"a folder", "", "Не удалось открыть файл журнала старого формата " + (dir / "folder.ini").string() +
                           ": Is a directory"},
      {"no journal section", replaced("[EventLogTableSection]", "[Other]"), "нет раздела EventLogTableSection"},
      {"not an INI file at all", "\x01\x02 binary", "нет раздела EventLogTableSection"},
      {"size no number", replaced("Size=3\r\n", "Size=three\r\n"),
       "значение Size в разделе RegDevsTableSection («three») не является целым числом от 0 до 1048576"},
      {"negative size", replaced("Size=16\r\n", "Size=-16\r\n"),
       "значение Size в разделе EventLogTableSection («-16») не является целым числом от 0 до 1048576"},
      {"size over the cap", replaced("Size=16\r\n", "Size=1048577\r\n"),
       "значение Size в разделе EventLogTableSection («1048577») не является целым числом от 0 до 1048576"},
      {"address over 32 bits", replaced("StartAddr=17664", "StartAddr=4294967296"),
       "значение StartAddr в разделе SectNamesTableSection («4294967296») не является целым числом от 0 до "
       "4294967295"},
      {"table number no number", replaced("TableNum=45", "TableNum=4x5"),
       "значение TableNum в разделе RegRPDsTableSection («4x5») не является целым числом от 0 до 4294967295"},
  };
  for (const auto& c : cases) {
    fs::path path = dir / "folder.ini";
    if (!c.text.empty()) {
      path = dir / "broken.ini";
      write_file(path, c.text);
    }
    const auto result = load_ini_journal(path);
    ASSERT_FALSE(result) << c.name;
    const std::string expected =
        c.text.empty() ? c.message : "Файл журнала старого формата " + path.string() + " повреждён: " + c.message;
    EXPECT_EQ(result.error().text, expected) << c.name;
  }
}
