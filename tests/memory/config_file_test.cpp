// The .cfg file: its byte layout, save/load round trips, refusal of damaged files without
// touching the configuration, and saves that fail without harming the previous file.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "memory/config_file.hpp"

using namespace vq::memory;
using vq::Bytes;
namespace fs = std::filesystem;

namespace {

// Written out here rather than taken from the memory map, so a slip in either shows.
struct SlotLayout {
  std::uint32_t address;
  std::uint32_t length;
};
constexpr SlotLayout kFileSlots[kConfigSlotsUsed] = {
    {0x000040, 192},  {0x147000, 192},  {0x004100, 96},   {0x000034, 1},    {0x003B00, 1500}, {0x002000, 506},
    {0x000039, 6},    {0x002500, 873},  {0x000100, 5000}, {0x10D800, 8001}, {0x000035, 3},    {0x003406, 500},
    {0x101C00, 11004}, {0x104A00, 6005}, {0x106800, 4004}, {0x107A00, 12004}, {0x000037, 2},  {0x00002C, 6},
    {0x000004, 6},    {0x000028, 1},    {0x000023, 4},    {0x000003, 1},    {0x000013, 16},   {0x10AE00, 512},
    {0x10B400, 512},  {0x10B600, 512},  {0x10B800, 512},  {0x10BA00, 512},  {0x10BC00, 512},  {0x10D000, 512},
    {0x10D200, 512},  {0x10D400, 512},  {0x143C00, 9216}, {0x146000, 3072}, {0x149080, 192},  {0x149400, 256},
};
constexpr std::size_t kFreshFileSize = 67867;

std::uint32_t slot_offset(const Bytes& file, std::size_t slot) { return vq::get_u32(file, 8 + 4 * slot); }
void set_slot_offset(Bytes& file, std::size_t slot, std::uint32_t at) { vq::put_u32(file, 8 + 4 * slot, at); }

// Gives the device and the first and last byte of every slot values a fresh configuration
// does not have, so any image swapped in or left out shows in the serialisation.
void mark(Configuration& c) {
  c.device = {0x0102, 0xA0B1, {4, 5, 6}, 9};
  const auto& slots = config_slots();
  for (std::size_t s = 0; s < slots.size(); ++s) {
    auto data = c.slot(slots[s]).data();
    data.front() = static_cast<std::uint8_t>(0x40 + s);
    data.back() = static_cast<std::uint8_t>(0x80 + s);
  }
}

struct RecordingProgress : vq::link::Progress {
  std::vector<int> values;
  void percent(int value) override { values.push_back(value); }
};

std::vector<int> save_steps() {
  std::vector<int> v;
  for (int s = 0; s < 32; ++s) v.push_back(3 * (s + 1));
  v.insert(v.end(), {97, 98, 100, 100});
  return v;
}

std::vector<int> load_steps() {
  std::vector<int> v{0};
  for (int s = 0; s < 32; ++s) v.push_back(3 * (s + 1));
  v.insert(v.end(), {99, 100, 100, 100});
  return v;
}

// A folder of the test's own, removed afterwards.
class Scratch {
 public:
  Scratch() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = fs::path(::testing::TempDir()) / (std::string("vq_cfg_") + info->name());
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

void write_file(const fs::path& p, const Bytes& b) {
  std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

// Builds a file entry by entry at chosen offsets.
struct FileBuilder {
  Bytes bytes = Bytes(kConfigHeaderSize, 0);
  void place(std::size_t slot, std::size_t at, std::uint32_t address, vq::ByteView data, std::uint32_t table = 0) {
    if (bytes.size() < at + kConfigEntryHeadSize + data.size()) bytes.resize(at + kConfigEntryHeadSize + data.size(), 0xEE);
    set_slot_offset(bytes, slot, static_cast<std::uint32_t>(at));
    vq::put_u32(bytes, at, table);
    vq::put_u32(bytes, at + 4, address);
    vq::put_u32(bytes, at + 8, static_cast<std::uint32_t>(data.size()));
    std::copy(data.begin(), data.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at + kConfigEntryHeadSize));
  }
};

}  // namespace

TEST(ConfigFile, FreshConfigurationHasTheFixedLayout) {
  Scratch dir;
  const Configuration fresh;
  RecordingProgress progress;
  ASSERT_TRUE(save_configuration(fresh, dir / "fresh.cfg", &progress));
  const Bytes file = read_file(dir / "fresh.cfg");

  ASSERT_EQ(file.size(), kFreshFileSize);
  EXPECT_EQ(file, serialize_configuration(fresh));
  EXPECT_EQ(Bytes(file.begin(), file.begin() + 8), Bytes(8, 0));
  std::size_t at = kConfigHeaderSize;
  for (std::size_t s = 0; s < kConfigSlotsUsed; ++s) {
    ASSERT_EQ(slot_offset(file, s), at) << "slot " << s;
    EXPECT_EQ(vq::get_u32(file, at), 0u) << "slot " << s;
    EXPECT_EQ(vq::get_u32(file, at + 4), kFileSlots[s].address) << "slot " << s;
    EXPECT_EQ(vq::get_u32(file, at + 8), kFileSlots[s].length) << "slot " << s;
    at += kConfigEntryHeadSize + kFileSlots[s].length;
  }
  for (std::size_t s = kConfigSlotsUsed; s < kConfigSlots; ++s) EXPECT_EQ(slot_offset(file, s), 0u);
  EXPECT_EQ(progress.values, save_steps());
  EXPECT_EQ(dir.names(), std::set<std::string>{"fresh.cfg"});
}

TEST(ConfigFile, SaveLoadSaveKeepsEveryByte) {
  Scratch dir;
  const auto path = dir / "edited.cfg";
  Configuration edited;
  mark(edited);
  edited.image(ImageId::identifier_partitions).set_byte(6000, 0x5A);
  edited.page(PageId::service).set_byte(38, 0x11);
  edited.page(PageId::service).set_byte(40, 0x22);
  ASSERT_TRUE(save_configuration(edited, path));
  const Bytes first = read_file(path);
  EXPECT_EQ(Bytes(first.begin(), first.begin() + 8), (Bytes{0x02, 0x01, 0xB1, 0xA0, 4, 5, 6, 9}));

  Configuration loaded;
  RecordingProgress progress;
  ASSERT_TRUE(load_configuration(loaded, path, &progress));
  EXPECT_EQ(progress.values, load_steps());
  EXPECT_EQ(loaded.device, edited.device);
  EXPECT_EQ(loaded.image(ImageId::identifier_partitions).byte_at(6000), 0x5A);
  EXPECT_EQ(loaded.page(PageId::service).byte_at(40), 0x22);
  EXPECT_EQ(loaded.image(ImageId::control_times).start_address(), 0x149400u);
  EXPECT_EQ(loaded.image(ImageId::control_times).byte_at(255), 0x80 + 35);

  // Saving over the existing file replaces its contents and keeps its permissions.
  fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  ASSERT_TRUE(save_configuration(loaded, path));
  EXPECT_EQ(read_file(path), first);
  EXPECT_EQ(fs::status(path).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_EQ(dir.names(), std::set<std::string>{"edited.cfg"});
}

TEST(ConfigFile, FileWithOnlySlot9ReplacesOnlyThatImage) {
  Bytes devices(8001);
  for (std::size_t i = 0; i < devices.size(); ++i) devices[i] = static_cast<std::uint8_t>(i * 7);
  FileBuilder file;
  file.place(9, kConfigHeaderSize, 0x10D800, devices);

  Configuration config;
  mark(config);
  RecordingProgress progress;
  ASSERT_TRUE(load_configuration_bytes(config, file.bytes, &progress));
  EXPECT_EQ(progress.values, (std::vector<int>{0, 30}));

  Configuration expected;
  mark(expected);
  expected.device = {};  // the header's device is always taken
  std::copy(devices.begin(), devices.end(), expected.image(ImageId::registered_devices).data().begin());
  EXPECT_EQ(serialize_configuration(config), serialize_configuration(expected));
}

TEST(ConfigFile, EntriesInAnyOrderWithGapsLoad) {
  Configuration source;
  mark(source);
  const Bytes canonical = serialize_configuration(source);

  // Last slot first, junk between entries and after the last, junk table numbers, and
  // junk in the unused header slots 36..39 (one of them pointing into the header).
  FileBuilder file;
  vq::put_u16(file.bytes, 0, 0x0102);
  vq::put_u16(file.bytes, 2, 0xA0B1);
  file.bytes[4] = 4, file.bytes[5] = 5, file.bytes[6] = 6, file.bytes[7] = 9;
  std::size_t at = kConfigHeaderSize + 5;
  for (std::size_t s = kConfigSlotsUsed; s-- > 0;) {
    const auto& image = source.slot(config_slots()[s]);
    file.place(s, at, image.start_address(), image.data(), 99);
    at += kConfigEntryHeadSize + image.length() + 7;
  }
  file.bytes.resize(at + 3, 0xEE);
  set_slot_offset(file.bytes, 36, 0xFFFFFFFF);
  set_slot_offset(file.bytes, 39, 20);

  Configuration loaded;
  ASSERT_TRUE(load_configuration_bytes(loaded, file.bytes, nullptr));
  EXPECT_EQ(serialize_configuration(loaded), canonical);
  EXPECT_EQ(loaded.image(ImageId::partitions).table_number(), 0u);
}

TEST(ConfigFile, ImageTakesAddressAndLengthFromTheFile) {
  // An image is not tied to the memory map's length; the largest accepted entry is 1 MiB.
  const Bytes big(kConfigEntryMaxLength, 0x3C);
  FileBuilder file;
  file.place(3, kConfigHeaderSize, 0x30, big);

  Configuration config;
  ASSERT_TRUE(load_configuration_bytes(config, file.bytes, nullptr));
  const auto& image = config.image(ImageId::integration_time);
  EXPECT_EQ(image.start_address(), 0x30u);
  EXPECT_EQ(image.length(), kConfigEntryMaxLength);
  EXPECT_EQ(image.byte_at(kConfigEntryMaxLength - 1), 0x3C);
}

TEST(ConfigFile, DamagedFileIsRefusedAndChangesNothing) {
  const Bytes fresh_file = serialize_configuration(Configuration{});
  ASSERT_EQ(fresh_file.size(), kFreshFileSize);
  const std::uint32_t slot0 = slot_offset(fresh_file, 0);
  const std::uint32_t slot12 = slot_offset(fresh_file, 12);
  const std::uint32_t slot35 = slot_offset(fresh_file, 35);

  struct Case {
    const char* name;
    std::function<void(Bytes&)> damage;
    std::string message;
  };
  const Case cases[] = {
      {"shorter than the header", [](Bytes& f) { f.resize(167); },
       "файл короче заголовка (размер файла 167, заголовок занимает 168 байт)"},
      {"offset past the end", [](Bytes& f) { set_slot_offset(f, 12, 70000); },
       "запись 12 начинается за концом файла (смещение 70000, размер файла 67867)"},
      {"entry head past the end", [](Bytes& f) { set_slot_offset(f, 12, 67862); },
       "заголовок записи 12 выходит за конец файла (смещение 67862, размер файла 67867)"},
      // The last entry fails after 35 good ones: nothing may have been swapped in by then.
      {"data past the end", [](Bytes& f) { f.pop_back(); },
       "запись 35 выходит за конец файла (смещение " + std::to_string(slot35) +
           ", длина 256, размер файла 67866)"},
      {"length over 1 MiB", [&](Bytes& f) { vq::put_u32(f, slot12 + 8, kConfigEntryMaxLength + 1); },
       "запись 12 слишком длинная (длина 1048577, допускается не больше 1048576)"},
      {"page of 511 bytes", [](Bytes& f) { vq::put_u32(f, slot_offset(f, 23) + 8, 511); },
       "запись 23 (таблица 30) должна быть длиной 512 байт, а не 511"},
      // Starts on the last data byte of entry 0: its 12-byte head counts too.
      {"entries overlapping by one byte", [&](Bytes& f) { set_slot_offset(f, 1, slot0 + 12 + 192 - 1); },
       "записи 0 и 1 перекрываются (запись 0 занимает байты 168–371, запись 1 начинается со смещения 371)"},
      {"two slots share an entry", [](Bytes& f) { set_slot_offset(f, 5, slot_offset(f, 4)); },
       "записи 4 и 5 перекрываются (запись 4 занимает байты 697–2208, запись 5 начинается со смещения 697)"},
      {"entry overlapping the header", [](Bytes& f) { set_slot_offset(f, 0, 100); },
       "запись 0 начинается внутри заголовка (смещение 100, заголовок занимает 168 байт)"},
  };
  Configuration config;
  mark(config);
  const Bytes before = serialize_configuration(config);
  for (const auto& c : cases) {
    Bytes file = fresh_file;
    c.damage(file);
    RecordingProgress progress;
    const auto result = load_configuration_bytes(config, file, &progress);
    ASSERT_FALSE(result) << c.name;
    EXPECT_EQ(result.error().text, "Файл конфигурации повреждён: " + c.message) << c.name;
    EXPECT_EQ(serialize_configuration(config), before) << c.name;
    EXPECT_TRUE(progress.values.empty()) << c.name;
  }
}

TEST(ConfigFile, DamagedOrUnreadableFileOnDiskNamesTheFile) {
  Scratch dir;
  Bytes truncated = serialize_configuration(Configuration{});
  truncated.resize(1000);
  write_file(dir / "short.cfg", truncated);
  fs::create_directory(dir / "folder.cfg");

  struct Case {
    fs::path path;
    std::string message;
  };
  const Case cases[] = {
      {dir / "short.cfg", "Файл конфигурации " + (dir / "short.cfg").string() +
                              " повреждён: запись 4 выходит за конец файла (смещение 697, длина 1500, размер файла 1000)"},
      {dir / "missing.cfg",
       "Не удалось открыть файл конфигурации " + (dir / "missing.cfg").string() + ": No such file or directory"},
      {dir / "folder.cfg", (dir / "folder.cfg").string() + " — это папка, а не файл конфигурации"},
  };
  Configuration config;
  mark(config);
  const Bytes before = serialize_configuration(config);
  for (const auto& c : cases) {
    const auto result = load_configuration(config, c.path);
    ASSERT_FALSE(result) << c.path;
    EXPECT_EQ(result.error().text, c.message);
    EXPECT_EQ(serialize_configuration(config), before) << c.path;
  }
}

TEST(ConfigFile, SaveThatCannotFinishLeavesNoTrace) {
  Scratch dir;
  fs::create_directory(dir / "taken.cfg");
  write_file(dir / "taken.cfg" / "inside", Bytes{1, 2, 3});
  write_file(dir / "plain", Bytes{4, 5});

  struct Case {
    fs::path target;
    const char* reason;
  };
  const Case cases[] = {
      {dir / "no-such-folder" / "x.cfg", "No such file or directory"},
      {dir / "taken.cfg", "Is a directory"},              // fails at the rename
      {dir / "plain" / "x.cfg", "Not a directory"},       // the folder is a file
  };
  const Configuration config;
  for (const auto& c : cases) {
    const auto result = save_configuration(config, c.target);
    ASSERT_FALSE(result) << c.target;
    EXPECT_EQ(result.error().text,
              "Не удалось сохранить файл конфигурации " + c.target.string() + ": " + c.reason);
    EXPECT_EQ(dir.names(), (std::set<std::string>{"plain", "taken.cfg"})) << c.target;
  }
  EXPECT_EQ(read_file(dir / "taken.cfg" / "inside"), (Bytes{1, 2, 3}));
  EXPECT_EQ(read_file(dir / "plain"), (Bytes{4, 5}));
}

namespace {

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

TEST(ConfigFile, WriteFailureKeepsThePreviousFile) {
  Scratch dir;
  const auto path = dir / "kept.cfg";
  const Configuration fresh;
  ASSERT_TRUE(save_configuration(fresh, path));
  const Bytes previous = read_file(path);

  Configuration edited;
  mark(edited);
  RecordingProgress progress;
  vq::Result<> result;
  {
    const FileSizeCap cap(20000);
    result = save_configuration(edited, path, &progress);
  }
  ASSERT_FALSE(result);
  EXPECT_EQ(result.error().text, "Не удалось сохранить файл конфигурации " + path.string() + ": File too large");
  EXPECT_EQ(read_file(path), previous);
  EXPECT_EQ(dir.names(), std::set<std::string>{"kept.cfg"});
  ASSERT_FALSE(progress.values.empty());
  EXPECT_LT(progress.values.back(), 100);
}

TEST(ConfigFile, FilesOfOtherKindsOrWithNoTableAreRefusedAndChangeNothing) {
  Bytes bare(kConfigHeaderSize, 0);
  vq::put_u16(bare, 0, 630);
  bare[4] = 2, bare[5] = 4, bare[6] = 7;
  // An event log file: seven sections under the journal's table numbers.
  FileBuilder rpt;
  vq::put_u16(rpt.bytes, 0, 630);
  rpt.place(6, kConfigHeaderSize, 0x112E00, Bytes(32, 1), 200);
  Bytes tsk(7 + 1000, 0x5A);
  vq::put_u16(tsk, 0, 630);
  const std::string ini = "[EventLogTableSection]\nTableNum=200\nSize=0\n";
  struct Case {
    const char* name;
    Bytes bytes;
    std::string message;
  };
  const Case cases[] = {
      {"event log", rpt.bytes, "Файл не подходит: это файл журнала событий, а не файл настроек"},
      {"old journal", Bytes(ini.begin(), ini.end()),
       "Файл не подходит: это файл журнала событий старого формата, а не файл настроек"},
      {"firmware", tsk, "Файл не подходит: это файл прошивки, а не файл настроек"},
      {"all zero", Bytes(kFreshFileSize, 0),
       "Файл конфигурации не содержит ни одной таблицы настроек (все смещения в заголовке нулевые)"},
      {"bare header", bare,
       "Файл конфигурации не содержит ни одной таблицы настроек (все смещения в заголовке нулевые)"},
  };
  Configuration config;
  mark(config);
  const Bytes before = serialize_configuration(config);
  for (const auto& c : cases) {
    const auto result = load_configuration_bytes(config, c.bytes, nullptr);
    ASSERT_FALSE(result) << c.name;
    EXPECT_EQ(result.error().text, c.message) << c.name;
    EXPECT_EQ(serialize_configuration(config), before) << c.name;
  }

  // On disk the file is named, and a FIFO is refused without being opened.
  Scratch dir;
  write_file(dir / "demo.rpt", rpt.bytes);
  ASSERT_EQ(::mkfifo((dir / "pipe.cfg").c_str(), 0600), 0);
  const auto wrong = load_configuration(config, dir / "demo.rpt");
  ASSERT_FALSE(wrong);
  EXPECT_EQ(wrong.error().text, "Файл " + (dir / "demo.rpt").string() +
                                    " не подходит: это файл журнала событий, а не файл настроек");
  const auto fifo = load_configuration(config, dir / "pipe.cfg");
  ASSERT_FALSE(fifo);
  EXPECT_NE(fifo.error().text.find("не обычный файл"), std::string::npos) << fifo.error().text;
  EXPECT_EQ(serialize_configuration(config), before);
}
