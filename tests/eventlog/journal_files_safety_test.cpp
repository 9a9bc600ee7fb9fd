// What the panel and the files say is checked before it is trusted: the table directory's
// lengths, the journal files' kinds and record sizes, the old INI journal's bounds, and the
// database opened only for reading.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "eventlog/event_database.hpp"
#include "eventlog/journal_reader.hpp"
#include "eventlog/log_file.hpp"
#include "memory/config_file.hpp"
#include "sim/demo_journal.hpp"
#include "support/panel_rig.hpp"

using namespace vq;
using namespace vq::eventlog;
using vq::test::PanelRig;
namespace fs = std::filesystem;

namespace {

class Scratch {
 public:
  Scratch() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = fs::path(::testing::TempDir()) / (std::string("vq_jsafe_") + info->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  ~Scratch() { fs::remove_all(dir_); }
  fs::path operator/(const std::string& name) const { return dir_ / name; }

 private:
  fs::path dir_;
};

void write_file(const fs::path& p, const Bytes& b) {
  std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}
void write_file(const fs::path& p, std::string_view text) { std::ofstream(p, std::ios::binary) << text; }

Journal small_journal(std::uint32_t log_length) {
  Journal j;
  for (std::size_t t = 0; t < kJournalTables; ++t) {
    const std::uint32_t length = t == 0 ? log_length : 4;
    j.images[t] = std::make_unique<memory::TMemoryBlock>(0x1000 * static_cast<std::uint32_t>(t + 1), length, 0);
    j.images[t]->set_table_number(static_cast<std::uint32_t>(40 + t));
  }
  j.image(JournalTable::sect_names).data()[0] = 'A';  // "A" then zeros: one named partition
  return j;
}

const memory::IdentifiedDevice kDevice{630, 0x61, {2, 4, 7}, 0};

}  // namespace

TEST(JournalDirectory, EveryLengthIsHeldToItsTablesCap) {
  struct Case {
    const char* name;
    std::size_t entry;
    std::uint32_t address, length;
    const char* refusal;  // nullptr: accepted
  };
  const Case cases[] = {
      {"journal at its cap", 0, 0x112E00, 1u << 20, nullptr},
      {"journal one byte over", 0, 0x112E00, (1u << 20) + 1,
       "прибор сообщил длину таблицы EventLog 1048577 байт, а она не может быть больше 1048576"},
      {"journal of 4 GB", 0, 0x112E00, 0xFFFFFFFFu,
       "прибор сообщил длину таблицы EventLog 4294967295 байт, а она не может быть больше 1048576"},
      {"companion at its cap", 4, 0x4700, 1u << 16, nullptr},
      {"companion over its cap", 6, 0x4900, (1u << 16) + 1,
       "прибор сообщил длину таблицы RazdelTypes 65537 байт, а она не может быть больше 65536"},
      {"table ending at the last address", 1, 0xFFFFFF00u, 0x100, nullptr},
      {"table past the address space", 1, 0xFFFFFF00u, 0x101,
       "таблица SectNames по сообщению прибора выходит за конец памяти (адрес 4294967040, длина 257)"},
  };
  for (const auto& c : cases) {
    link::TableDirectory dir;
    for (auto& e : dir.entries) e = {1, 0x4000, 16};
    dir.entries[c.entry] = {1, c.address, c.length};
    const auto r = check_directory(dir);
    if (!c.refusal) {
      EXPECT_TRUE(r) << c.name << ": " << r.error().text;
      continue;
    }
    ASSERT_FALSE(r) << c.name;
    EXPECT_EQ(r.error().text, c.refusal) << c.name;
  }
}

TEST(JournalDirectory, ReadRefusesAnImpossibleLengthBeforeReadingATable) {
  for (std::size_t entry : {std::size_t{0}, std::size_t{3}}) {
    PanelRig rig;
    sim::load_demo_journal(rig.p(), 64);
    rig.p().directory().entries[entry].length = 0xFFFFFFFFu;
    const auto r = read_journal(rig.session());
    ASSERT_FALSE(r) << entry;
    EXPECT_EQ(r.error().message_id, 15186);
    EXPECT_NE(r.error().detail.find("4294967295"), std::string::npos) << r.error().full();
    const auto& lines = rig.trace.lines;
    EXPECT_EQ(std::find(lines.begin(), lines.end(), "Таблица имен разделов"), lines.end()) << entry;
  }
}

TEST(JournalFiles, EachFileIsToldByContentAndOthersAreRefused) {
  Scratch dir;
  write_file(dir / "good.rpt", *serialize_log_file(small_journal(32), kDevice));
  write_file(dir / "log.cfg", *serialize_log_file(small_journal(32), kDevice));  // the name does not matter
  write_file(dir / "settings.rpt", memory::serialize_configuration(memory::Configuration{}));
  Bytes firmware{0x76, 0x02, 0x61, 0x00, 2, 4, 8};
  firmware.resize(100, 0x5A);  // under the 168-byte header of the other kinds
  write_file(dir / "firmware.rpt", firmware);
  // 4801 bytes of journal: not whole records, refused from a file as from the panel.
  auto odd = *serialize_log_file(small_journal(4801), kDevice);
  write_file(dir / "odd.rpt", odd);
  fs::create_directory(dir / "folder.rpt");
  ASSERT_EQ(::mkfifo((dir / "fifo.rpt").c_str(), 0600), 0);
  write_file(dir / "odd.ini",
             "[EventLogTableSection]\r\nTableNum=40\r\nStartAddr=0\r\nSize=17\r\nEventLogTableItem0=1\r\n");
  write_file(dir / "good.ini",
             "[EventLogTableSection]\r\nTableNum=40\r\nStartAddr=0\r\nSize=16\r\nEventLogTableItem1=19\r\n");

  struct Case {
    const char* file;
    const char* refusal;  // nullptr: loads
  };
  const std::string odd_text = "повреждён: журнал событий занимает 4801 байт, это не кратно 16 (размеру записи)";
  const std::string odd_ini = "повреждён: журнал событий занимает 17 байт, это не кратно 16 (размеру записи)";
  const Case cases[] = {
      {"good.rpt", nullptr},
      {"log.cfg", nullptr},
      {"good.ini", nullptr},
      {"settings.rpt", "не подходит: это файл настроек, а не файл журнала событий"},
      {"firmware.rpt", "не подходит: это файл прошивки, а не файл журнала событий"},
      {"odd.rpt", odd_text.c_str()},
      {"odd.ini", odd_ini.c_str()},
      {"folder.rpt", "— это папка, а не файл журнала"},
      {"fifo.rpt", "— не обычный файл (канал, сокет или устройство)"},
      {"missing.rpt", "Не удалось открыть файл журнала"},
  };
  for (const auto& c : cases) {
    const auto r = open_journal_file(dir / c.file);
    if (!c.refusal) {
      ASSERT_TRUE(r) << c.file << ": " << r.error().full();
      continue;
    }
    ASSERT_FALSE(r) << c.file;
    EXPECT_NE(r.error().text.find(c.refusal), std::string::npos) << c.file << ": " << r.error().text;
  }
  const auto ini = open_journal_file(dir / "good.ini");
  ASSERT_TRUE(ini);
  EXPECT_EQ(ini->format, JournalFileFormat::old_ini);
  EXPECT_EQ(ini->journal.image(JournalTable::event_log).data()[1], 19);
}

TEST(JournalFiles, OldIniReaderKeepsTheProfileRulesAndItsBounds) {
  Scratch dir;
  // Names in any case, the first key wins, an index written with a leading zero is another
  // key, a value out of byte range keeps its low 8 bits, a hex value reads as hex, a value
  // that is no number reads 0, and sections other than the journal's are passed over.
  write_file(dir / "rules.ini",
             "; old journal\r\n[Other]\r\neventlogtableitem0=99\r\n"
             "[eventlogTABLEsection]\r\nTABLENUM=40\r\nstartaddr=0x100\r\nsize=16\r\n"
             "EventLogTableItem0=7\r\nEVENTLOGTABLEITEM0=8\r\nEventLogTableItem01=9\r\n"
             "EventLogTableItem1=300\r\nEventLogTableItem2=$1F\r\nEventLogTableItem3=x\r\n"
             "EventLogTableItem16=5\r\n");
  const auto j = load_ini_journal(dir / "rules.ini");
  ASSERT_TRUE(j) << j.error().full();
  const auto& log = j->image(JournalTable::event_log);
  EXPECT_EQ(log.table_number(), 40u);
  EXPECT_EQ(log.start_address(), 0x100u);
  ASSERT_EQ(log.length(), 16u);
  EXPECT_EQ(log.data()[0], 7);
  EXPECT_EQ(log.data()[1], 44);
  EXPECT_EQ(log.data()[2], 0x1F);
  EXPECT_EQ(log.data()[3], 0);

  // A file over 64 MB is refused before it is read: sparse, so the test costs no disk.
  const auto big = dir / "big.ini";
  write_file(big, "[EventLogTableSection]\r\n");
  fs::resize_file(big, (std::uint64_t{64} << 20) + 1);
  const auto refused = load_ini_journal(big);
  ASSERT_FALSE(refused);
  EXPECT_NE(refused.error().text.find("файл слишком большой"), std::string::npos) << refused.error().text;

  // A value echoed in a refusal carries no control character to a terminal.
  write_file(dir / "esc.ini", "[EventLogTableSection]\r\nSize=1\x1b[2J\x07\r\n");
  const auto echoed = load_ini_journal(dir / "esc.ini");
  ASSERT_FALSE(echoed);
  EXPECT_EQ(echoed.error().text.find('\x1b'), std::string::npos);
  EXPECT_EQ(echoed.error().text.find('\x07'), std::string::npos);
  EXPECT_NE(echoed.error().text.find("1\xEF\xBF\xBD[2J\xEF\xBF\xBD"), std::string::npos) << echoed.error().text;
}

TEST(EventDatabaseReading, QueriesWorkOnAConnectionThatCannotWrite) {
  Scratch dir;
  const auto file = dir / "meslog.db";
  EXPECT_FALSE(EventDatabase::open_for_reading(file)) << "a missing database is not created";
  EXPECT_FALSE(fs::exists(file));
  {
    auto db = EventDatabase::open_file(file);
    ASSERT_TRUE(db);
    EventRow row;
    row.number = 1;
    row.event_id = 4864;
    row.when = {2026, 12, 9, 10, 0, 0};
    row.date_time = "09.12.26 10:00:00";
    row.columns = {"Событие", "Раздел 1", "-", "Прибор"};
    ASSERT_TRUE(db->store_rows({row}));
  }
  std::ifstream in(file, std::ios::binary);
  const std::string before((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());

  auto db = EventDatabase::open_for_reading(file);
  ASSERT_TRUE(db) << db.error().text;
  const auto all = db->show_all();
  ASSERT_TRUE(all) << all.error().text;
  ASSERT_EQ(all->size(), 1u);
  EventFilter filter;
  filter.sources = std::vector<std::string>{"При"};
  filter.event_ids = std::vector<std::uint32_t>{4864};
  const auto some = db->run_filter(filter);
  ASSERT_TRUE(some) << some.error().text;
  EXPECT_EQ(some->size(), 1u);
  EXPECT_FALSE(db->store_rows({})) << "a reading connection stores nothing";

  std::ifstream again(file, std::ios::binary);
  EXPECT_EQ(std::string((std::istreambuf_iterator<char>(again)), std::istreambuf_iterator<char>()), before);
}
