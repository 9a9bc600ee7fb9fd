// Every job refuses a file meant for another one, a file that is not regular and a file that
// cannot be what it should: each refusal says why, exits with 1 and changes nothing (the
// event database stays byte for byte, nothing is sent to the panel).
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "cli/cli_fixture.hpp"
#include "eventlog/log_file.hpp"
#include "util/bytes.hpp"

namespace fs = std::filesystem;

namespace {

class LogFirmwareFiles : public vq::test::Cli {
 protected:
  void write(const fs::path& p, const vq::Bytes& b) {
    std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
  }
  vq::Bytes bytes(const fs::path& p) {
    const std::string s = bytes_of(p);
    return vq::Bytes(s.begin(), s.end());
  }
  // The demo journal read from the virtual panel, with its EventLog section (the last one)
  // given another length and cut to match.
  fs::path journal_with_length(const fs::path& rpt, const std::string& name, std::uint32_t length) {
    auto b = bytes(rpt);
    const std::uint32_t at = vq::get_u32(b, 8 + 4 * 6);
    vq::put_u32(b, at + 8, length);
    b.resize(at + 12 + length, 0);
    const auto file = dir / name;
    write(file, b);
    return file;
  }
};

}  // namespace

TEST_F(LogFirmwareFiles, EveryJobRefusesEveryWrongFile) {
  const auto data = (dir / "data").string();
  const auto rpt = dir / "demo.rpt";
  ASSERT_EQ(run("--device sim --data-dir " + data + " log read -o " + rpt.string()).status, 0);
  const auto db = dir / "data" / "Report" / "meslog.db";
  const std::string db_before = bytes_of(db);
  ASSERT_FALSE(db_before.empty());

  const auto cfg = demo_cfg();
  const auto odd = journal_with_length(rpt, "odd.rpt", 4801);
  const auto empty = journal_with_length(rpt, "empty.rpt", 0);
  vq::Bytes fw{0x76, 0x02, 0x61, 0x00, 2, 4, 8};
  fw.resize(600, 0x5A);
  write(dir / "630M_good.tsk", fw);
  write(dir / "small.tsk", vq::Bytes(fw.begin(), fw.begin() + 100));  // under the 168-byte header of the others
  write(dir / "readme.tsk", vq::Bytes(fw.begin(), fw.begin() + 7));
  write(dir / "630M_good.TSK", fw);
  write(dir / "630M_huge.tsk", fw);
  fs::resize_file(dir / "630M_huge.tsk", 100u << 20);  // sparse
  write(dir / "other.tsk", fw);
  fs::create_directory(dir / "folder.rpt");
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);

  const auto p = [&](const std::string& name) { return (dir / name).string(); };
  const std::string cfg_refusal = "Файл " + cfg.string() + " не подходит: это файл настроек, а не файл журнала событий";
  const std::string fw_refusal = "это файл прошивки, а не файл журнала событий";
  const std::string odd_refusal = "журнал событий занимает 4801 байт, это не кратно 16";
  const std::string fifo_refusal = "не обычный файл (канал, сокет или устройство)";
  struct Case {
    std::string args;
    std::string refusal;
  };
  const std::vector<Case> log_cases = {
      {"log import " + cfg.string(), cfg_refusal},
      {"log show " + cfg.string(), cfg_refusal},
      {"log export " + cfg.string() + " --csv " + p("out.csv"), cfg_refusal},
      {"log import " + p("small.tsk"), fw_refusal},
      {"log show " + p("small.tsk"), fw_refusal},
      {"log import " + odd.string(), odd_refusal},
      {"log show " + odd.string(), odd_refusal},
      {"log export " + odd.string() + " --csv " + p("out.csv"), odd_refusal},
      {"log import " + empty.string(), "нет ни одного события; база событий не изменена"},
      {"log import " + p("folder.rpt"), "— это папка, а не файл журнала"},
      {"log show " + p("folder.rpt"), "— это папка, а не файл журнала"},
      {"log import " + p("fifo"), fifo_refusal},
      {"log show " + p("fifo"), fifo_refusal},
      {"log export " + p("fifo") + " --csv " + p("out.csv"), fifo_refusal},
      {"log import " + p("missing.rpt"), "Не удалось открыть файл журнала"},
  };
  for (const auto& c : log_cases) {
    const auto r = run("--data-dir " + data + " " + c.args);
    EXPECT_EQ(r.status, 1) << c.args;
    EXPECT_NE(r.err.find(c.refusal), std::string::npos) << c.args << ": " << r.err;
    EXPECT_EQ(bytes_of(db), db_before) << c.args;
    EXPECT_FALSE(fs::exists(dir / "out.csv")) << c.args;
  }

  // Refused before connecting: the trace stays empty. Refused after: the search went out,
  // the write never started.
  const std::vector<Case> firmware_cases = {
      {p("demo.cfg"), "это файл настроек, а не файл прошивки"},
      {rpt.string(), "это файл журнала событий, а не файл прошивки"},
      {p("folder.rpt"), "это папка, а не файл ПО"},
      {p("fifo"), "не обычный файл"},
      {p("readme.tsk"), "его размер 7 байт, а файл ПО занимает от 8 до 16514568 байт"},
      {p("630M_huge.tsk"), "его размер 104857600 байт"},
      {p("630M_good.TSK"), "Выбранный Вами файл не соответствует формату!"},
  };
  for (const char* job : {"check", "write --yes"}) {
    for (const auto& c : firmware_cases) {
      fs::remove(dir / "trace.txt");
      const auto r = run("--device sim --trace " + p("trace.txt") + " firmware " + job + " " + c.args);
      EXPECT_EQ(r.status, 1) << job << " " << c.args;
      EXPECT_NE(r.err.find(c.refusal), std::string::npos) << job << " " << c.args << ": " << r.err;
      EXPECT_TRUE(!fs::exists(dir / "trace.txt") || bytes_of(dir / "trace.txt").empty()) << job << " " << c.args;
    }
    const auto other = run("--device sim firmware " + std::string(job) + " " + p("other.tsk"));
    EXPECT_EQ(other.status, 1) << job;
    EXPECT_NE(other.err.find("не для прибора Сорвел-630М-Q: имена файлов ПО этого прибора соответствуют маске 630M*.tsk"),
              std::string::npos)
        << other.err;
    EXPECT_EQ(other.out.find("Загрузка файла ПО"), std::string::npos);
    EXPECT_EQ(other.err.find("Загрузка файла ПО"), std::string::npos);
  }
  const auto good = run("--device sim firmware check " + p("630M_good.tsk"));
  EXPECT_EQ(good.status, 0) << good.err;
  EXPECT_NE(good.out.find("подходит"), std::string::npos);
}

TEST_F(LogFirmwareFiles, DecodedTextReachesTheTerminalWithoutControlCharacters) {
  // A journal whose partition name carries ESC and BEL, decoded into the range column
  // (which folds Latin letters to lower case).
  vq::eventlog::Journal j;
  const auto make = [&](vq::eventlog::JournalTable t, vq::Bytes content) {
    auto& slot = j.images[static_cast<std::size_t>(t)];
    slot = std::make_unique<vq::memory::TMemoryBlock>(0x4000, static_cast<std::uint32_t>(content.size()), 0);
    std::copy(content.begin(), content.end(), slot->data().begin());
  };
  make(vq::eventlog::JournalTable::sect_names, {0x1b, '[', '2', 'J', 0x07, 'X', 0});
  make(vq::eventlog::JournalTable::add_info, {0, 0});
  make(vq::eventlog::JournalTable::reg_devs, {0, 0x05, 0x02});
  make(vq::eventlog::JournalTable::razdel_types, {0});
  vq::Bytes record(16, 0);
  record[0] = 21;  // 51/21: main supply restored, in the partition's range
  record[1] = 51;
  record[7] = 1;  // partition 1
  record[13] = 0x09;
  record[14] = 0x12;
  record[15] = 0x26;
  make(vq::eventlog::JournalTable::event_log, record);
  const auto file = dir / "crafted.rpt";
  write(file, *vq::eventlog::serialize_log_file(j, {630, 0x61, {2, 4, 7}, 0}));

  for (const char* args : {"log show ", "log show --csv "}) {
    const auto r = run(args + file.string());
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.find('\x1b'), std::string::npos) << args;
    EXPECT_EQ(r.out.find('\x07'), std::string::npos) << args;
    EXPECT_NE(r.out.find("\xEF\xBF\xBD[2j\xEF\xBF\xBDx"), std::string::npos) << args << r.out;
  }
}
