// `config` jobs given the wrong file: every kind refused with its reason before the panel
// hears a frame, and the file and the panel as they were. A partial file changes only its
// tables, a file made for another device needs --force, and the backup undoes a write.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "cli/cli_fixture.hpp"
#include "support/log_file_fixture.hpp"
#include "util/bytes.hpp"

namespace vq::test {
namespace {

namespace fs = std::filesystem;

void put_file(const fs::path& p, const std::string& bytes) {
  std::ofstream(p, std::ios::binary) << bytes;
}

std::string as_string(const Bytes& b) { return std::string(b.begin(), b.end()); }

std::uint32_t u32(const std::string& b, std::size_t at) {
  return vq::get_u32(ByteView(reinterpret_cast<const std::uint8_t*>(b.data()), b.size()), at);
}

void set_u32(std::string& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + static_cast<std::size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

// The header of `cfg` and only the entry of `slot`, its data passed through `edit`.
std::string one_slot_file(const std::string& cfg, std::size_t slot, std::size_t byte, char value) {
  std::string out = cfg.substr(0, 168);
  for (std::size_t f = 0; f < 40; ++f) set_u32(out, 8 + 4 * f, 0);
  set_u32(out, 8 + 4 * slot, 168);
  const auto at = u32(cfg, 8 + 4 * slot);
  std::string entry = cfg.substr(at, 12 + u32(cfg, at + 8));
  entry[12 + byte] = value;
  return out + entry;
}

std::string rpt_file() { return as_string(small_log_file()); }

class ConfigFilesSafety : public Cli {
 protected:
  std::string data_dir() const { return (dir / "data").string(); }
  std::string read_panel(const ServedPanel& panel, const std::string& name) {
    const auto file = dir / name;
    const auto r = run("--device " + panel.uri() + " config read -o " + file.string());
    EXPECT_EQ(r.status, 0) << r.err;
    return bytes_of(file);
  }
  Outcome write(const ServedPanel& panel, const std::string& args) {
    return run("--device " + panel.uri() + " --data-dir " + data_dir() + " config write " + args);
  }
};

TEST_F(ConfigFilesSafety, EveryJobRefusesEveryWrongFileAndSendsNothing) {
  ServedPanel panel({"--listen", "unix:" + (dir / "panel.sock").string()});
  const std::string before = read_panel(panel, "before.cfg");
  const auto good = (dir / "before.cfg").string();

  std::string bare = before.substr(0, 168);
  for (std::size_t f = 0; f < 40; ++f) set_u32(bare, 8 + 4 * f, 0);
  std::string tsk = before.substr(0, 7) + std::string(4096, '\x5A');
  struct Kind {
    const char* name;
    std::string bytes;  // empty name of a special file below
    const char* says;
  };
  const Kind kinds[] = {
      {"demo.rpt", rpt_file(), "это файл журнала событий, а не файл настроек"},
      {"old.ini", "[EventLogTableSection]\r\nTableNum=200\r\nStartAddr=0\r\nSize=16\r\n",
       "это файл журнала событий старого формата, а не файл настроек"},
      {"630M_2.4.7.tsk", tsk, "это файл прошивки, а не файл настроек"},
      {"zero.cfg", std::string(67867, '\0'), "не содержит ни одной таблицы"},
      {"bare.cfg", bare, "не содержит ни одной таблицы"},
      {"empty.cfg", "", "файл короче заголовка"},
      {"pipe.cfg", "", "не обычный файл"},
      {"folder.cfg", "", "это папка, а не файл конфигурации"},
  };
  for (const auto& k : kinds) {
    const fs::path p = dir / k.name;
    if (std::string(k.name) == "pipe.cfg") {
      ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0);
    } else if (std::string(k.name) == "folder.cfg") {
      fs::create_directory(p);
    } else {
      put_file(p, k.bytes);
    }
  }

  const char* jobs[] = {"write", "show", "show --json", "get", "set", "diff-first", "diff-second"};
  for (const auto& k : kinds) {
    const fs::path p = dir / k.name;
    const bool regular = fs::is_regular_file(p);
    const std::string was = regular ? bytes_of(p) : std::string{};
    for (const std::string job : jobs) {
      Outcome r;
      if (job == "write") r = write(panel, p.string());
      else if (job == "get") r = run("config get " + p.string() + " partitions.1.type");
      else if (job == "set") r = run("config set " + p.string() + " partitions.1.type=3");
      else if (job == "diff-first") r = run("config diff " + p.string() + " " + good);
      else if (job == "diff-second") r = run("config diff " + good + " " + p.string());
      else r = run("config " + job + " " + p.string());
      EXPECT_EQ(r.status, 1) << job << " " << k.name << ": " << r.err;
      EXPECT_NE(r.err.find(k.says), std::string::npos) << job << " " << k.name << ": " << r.err;
      EXPECT_EQ(r.out, "") << job << " " << k.name;
      if (regular) {
        EXPECT_EQ(bytes_of(p), was) << job << " " << k.name;
      }
    }
    EXPECT_EQ(read_panel(panel, "after.cfg"), before) << k.name;
  }
  EXPECT_FALSE(fs::exists(fs::path(data_dir()) / "Conf" / "backup")) << "no backup before a refused write";
}

TEST_F(ConfigFilesSafety, AFileOfOneTableChangesOnlyThatTable) {
  ServedPanel panel({"--listen", "unix:" + (dir / "panel.sock").string()});
  const std::string before = read_panel(panel, "before.cfg");
  constexpr std::size_t kTemperatureSlot = 34;
  const auto at = u32(before, 8 + 4 * kTemperatureSlot);
  const char changed = static_cast<char>(before[at + 12 + 5] ^ 0x5A);
  put_file(dir / "one.cfg", one_slot_file(before, kTemperatureSlot, 5, changed));

  const auto show = run("config show " + (dir / "one.cfg").string());
  EXPECT_EQ(show.status, 0) << show.err;
  EXPECT_EQ(show.out.rfind("Таблиц в файле: 1 из 36\nНет в файле (при записи в прибор остаются прежними): partitions, ", 0),
            0u)
      << show.out.substr(0, 200);
  EXPECT_EQ(show.out.find("temperature_limits"), std::string::npos) << "listed as absent";
  const auto json = run("config show --json " + (dir / "one.cfg").string());
  EXPECT_NE(json.out.find("\"tables\": {\"present\": [\"temperature_limits\"], \"absent\": [\"partitions\", "),
            std::string::npos)
      << json.out.substr(0, 300);

  const auto r = write(panel, (dir / "one.cfg").string());
  ASSERT_EQ(r.status, 0) << r.err;
  std::string expected = before;
  expected[at + 12 + 5] = changed;
  EXPECT_EQ(read_panel(panel, "after.cfg"), expected);
}

TEST_F(ConfigFilesSafety, AFileForAnotherDeviceNeedsForce) {
  ServedPanel panel({"--listen", "unix:" + (dir / "panel.sock").string(), "--firmware", "2.4.9"});
  const std::string before = read_panel(panel, "before.cfg");
  // One changed table, so that a write shows.
  const auto at = u32(before, 8 + 4 * 34);
  const char changed = static_cast<char>(before[at + 12] ^ 0x01);
  std::string expected = before;
  expected[at + 12] = changed;
  const std::string base = one_slot_file(before, 34, 0, changed);

  struct Case {
    const char* what;
    std::size_t at;
    std::string bytes;
    bool refused;
  };
  const Case cases[] = {
      {"another device type", 0, std::string("\x05\x02", 2), true},
      {"another platform", 2, std::string("\x62\x00", 2), true},
      {"another firmware line", 4, std::string("\x02\x05\x09", 3), true},
      {"another build of the same line", 4, std::string("\x02\x04\x03", 3), false},
      {"no device (made without a panel)", 0, std::string(8, '\0'), false},
  };
  for (const auto& c : cases) {
    std::string file = base;
    file.replace(c.at, c.bytes.size(), c.bytes);
    put_file(dir / "other.cfg", file);
    const auto r = write(panel, (dir / "other.cfg").string());
    if (c.refused) {
      EXPECT_EQ(r.status, 1) << c.what << ": " << r.err;
      EXPECT_NE(r.err.find("Файл настроек сделан для другого прибора"), std::string::npos) << c.what << ": " << r.err;
      EXPECT_NE(r.err.find("--force"), std::string::npos) << c.what;
      EXPECT_EQ(read_panel(panel, "after.cfg"), before) << c.what;
      const auto forced = write(panel, "--force --no-backup " + (dir / "other.cfg").string());
      EXPECT_EQ(forced.status, 0) << c.what << ": " << forced.err;
    } else {
      EXPECT_EQ(r.status, 0) << c.what << ": " << r.err;
    }
    EXPECT_EQ(read_panel(panel, "after.cfg"), expected) << c.what;
    ASSERT_EQ(write(panel, "--no-backup " + (dir / "before.cfg").string()).status, 0);
  }
}

TEST_F(ConfigFilesSafety, TheBackupUndoesAWriteByteExact) {
  ServedPanel panel({"--listen", "unix:" + (dir / "panel.sock").string()});
  const std::string before = read_panel(panel, "before.cfg");
  // A mistaken write: every table of a blank panel.
  ServedPanel blank({"--empty", "--listen", "unix:" + (dir / "blank.sock").string()});
  read_panel(blank, "blank.cfg");
  const auto r = write(panel, (dir / "blank.cfg").string());
  ASSERT_EQ(r.status, 0) << r.err;
  ASSERT_NE(read_panel(panel, "after.cfg"), before);

  // The command printed names this panel and the copy.
  const std::string marker = "Восстановить: vantorq-cli --device " + panel.uri() + " config write ";
  const auto at = r.out.find(marker);
  ASSERT_NE(at, std::string::npos) << r.out;
  const std::string backup = r.out.substr(at + marker.size(), r.out.find('\n', at) - at - marker.size());
  EXPECT_EQ(fs::path(backup).parent_path(), fs::path(data_dir()) / "Conf" / "backup");
  EXPECT_NE(r.out.find("Прежние настройки прибора сохранены в " + backup), std::string::npos) << r.out;
  EXPECT_EQ(bytes_of(backup), before);

  const auto undo = write(panel, backup);
  ASSERT_EQ(undo.status, 0) << undo.err;
  EXPECT_EQ(read_panel(panel, "restored.cfg"), before);

  // --no-backup adds no copy.
  const auto copies = [&] {
    return std::distance(fs::directory_iterator(fs::path(data_dir()) / "Conf" / "backup"), fs::directory_iterator{});
  };
  const auto n = copies();
  ASSERT_EQ(write(panel, "--no-backup " + backup).status, 0);
  EXPECT_EQ(copies(), n);
}

// Text from a file (a partition's name, the file's own name) reaches the terminal without
// the control characters that would act on it.
TEST_F(ConfigFilesSafety, FileTextReachesTheTerminalWithoutControlCharacters) {
  const auto cfg = demo_cfg();
  const auto other = demo_cfg("other.cfg");
  ASSERT_EQ(run("config set " + cfg.string() + " \"partitions.1.name=A$(printf '\\033[2J\\007')B\"").status, 0);
  const auto hostile = dir / "x\x1b[2Jy.cfg";
  put_file(hostile, "");
  const struct {
    std::string args;
    bool to_stderr;
  } cases[] = {
      {"config show " + cfg.string(), false},
      {"config get " + cfg.string() + " partitions.1.name", false},
      {"config diff " + cfg.string() + " " + other.string(), false},
      {"config show '" + hostile.string() + "'", true},
  };
  for (const auto& c : cases) {
    const auto r = run(c.args);
    const std::string& text = c.to_stderr ? r.err : r.out;
    EXPECT_EQ(text.find('\x1b'), std::string::npos) << c.args << ": " << text.substr(0, 300);
    EXPECT_EQ(text.find('\x07'), std::string::npos) << c.args;
    EXPECT_NE(text.find("\xEF\xBF\xBD[2"), std::string::npos) << c.args << ": " << text.substr(0, 300);
  }
}

}  // namespace
}  // namespace vq::test
