// vantorq-cli as a user runs it: exit status, stdout, the one-line reason on stderr.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <chrono>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "cli/cli_fixture.hpp"

namespace {
using vq::test::Cli;
using vq::test::Outcome;
using vq::test::ServedPanel;
using vq::test::slurp;

TEST_F(Cli, IdentifiesTheVirtualPanel) {
  const auto trace = dir / "trace.txt";
  auto r = run("--device sim --trace " + trace.string() + " identify");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "Тип прибора: Сорвел-630М-Q. Версия ПО: 2.4.7\n");
  EXPECT_EQ(r.err, "");
  const std::string lines = slurp(trace);
  EXPECT_EQ(lines.substr(0, lines.find("Принимаем:")), "Посылаем:\n0x55\n0x0\n0x0\n0x80\n0x0\n0x6d\n0xcc\n");
}

TEST_F(Cli, FailuresExitNonZeroWithOneLineOnStderr) {
  struct Case {
    const char* args;
    const char* reason;
  };
  const Case cases[] = {
      {"--device nowhere identify", "Неизвестное устройство"},
      {"--device unix:/nonexistent/vq.sock identify", "Приборы марки Сорвел отключены от линии USB!"},
      {"--device usb --usb-id zz:1 identify", "zz:1"},
      {"--device sim --timeout 0 identify", "Время ожидания"},
      {"--device sim --trace /nonexistent/dir/t.txt identify", "/nonexistent/dir/t.txt"},
  };
  for (const auto& c : cases) {
    auto r = run(c.args);
    EXPECT_EQ(r.status, 1) << c.args;
    EXPECT_EQ(r.out, "") << c.args;
    EXPECT_NE(r.err.find(c.reason), std::string::npos) << c.args << ": " << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << c.args << ": " << r.err;
  }
}

TEST_F(Cli, ABadCommandLineIsStatusTwoAndHelpIsZero) {
  const struct {
    const char* args;
    int status;
  } cases[] = {
      {"", 2},  // a subcommand is required
      {"--no-such-option identify", 2},
      {"identifyy", 2},
      {"--pacing fast identify", 2},
      {"config get", 2},  // missing arguments
      {"--help", 0},
      {"config --help", 0},
      {"--version", 0},
      {"identify --device sim", 0},  // a global option after the subcommand
      {"config show --device", 2},
  };
  for (const auto& c : cases) EXPECT_EQ(run(c.args).status, c.status) << c.args;

  // A slip of the keyboard gets the nearest name; a word far from every name gets none.
  const struct {
    const char* args;
    const char* meant;  // "" for no suggestion
  } slips[] = {
      {"identfy", "identify"},
      {"config raed x.cfg", "read"},
      {"--devcie sim identify", "--device"},
      {"--device sim config read --outptu x", "--output"},
      {"log qurey", "query"},
      {"frobnicate", ""},
  };
  for (const auto& c : slips) {
    const auto r = run(c.args);
    EXPECT_EQ(r.status, 2) << c.args;
    const std::string line = std::string("Возможно, имелось в виду: ") + c.meant + "\n";
    if (*c.meant) {
      EXPECT_NE(r.err.find(line), std::string::npos) << c.args << ": " << r.err;
    } else {
      EXPECT_EQ(r.err.find("Возможно"), std::string::npos) << c.args << ": " << r.err;
    }
  }
  EXPECT_EQ(run("--version").out.rfind("vantorq-cli 0.", 0), 0u);
}

TEST_F(Cli, SimServeAnswersAClientOverTcp) {
  ServedPanel served({"--listen", "tcp:127.0.0.1:0", "--firmware", "2.4.10"});
  ASSERT_EQ(served.uri().rfind("tcp:127.0.0.1:", 0), 0u) << served.uri();
  auto r = run("--device " + served.uri() + " identify");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "Тип прибора: Сорвел-630М-Q. Версия ПО: 2.4.10\n");
  // One client after another.
  EXPECT_EQ(run("--device " + served.uri() + " identify").status, 0);
  const int status = served.stop();
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

TEST_F(Cli, ConfigurationMovesFromOnePanelToABlankOneByteExact) {
  ServedPanel demo({"--listen", "unix:" + (dir / "demo.sock").string()});
  ServedPanel blank({"--empty", "--listen", "unix:" + (dir / "blank.sock").string()});
  const auto a = (dir / "demo.cfg").string(), b = (dir / "copy.cfg").string();
  auto read = run("--device " + demo.uri() + " config read -o " + a);
  ASSERT_EQ(read.status, 0) << read.err;
  auto write = run("--device " + blank.uri() + " config write --verify " + a);
  ASSERT_EQ(write.status, 0) << write.err;
  EXPECT_NE(write.out.find("без отличий"), std::string::npos) << write.out;
  ASSERT_EQ(run("--device " + blank.uri() + " config read -o " + b).status, 0);
  EXPECT_EQ(run("config diff " + a + " " + b).out, "Конфигурации совпадают\n");
}

TEST_F(Cli, ConfigReadShowWriteAndDiff) {
  const auto a = (dir / "a.cfg").string();
  auto read = run("--device sim config read -o " + a);
  ASSERT_EQ(read.status, 0) << read.err;
  EXPECT_NE(read.out.find("Тип прибора: Сорвел-630М-Q. Версия ПО: 2.4.7"), std::string::npos);
  EXPECT_EQ(std::filesystem::file_size(a), 67867u);
  EXPECT_NE(read.err.find("Чтение настроек из прибора успешно завершено!"), std::string::npos);

  auto write = run("--device sim config write " + a + " --verify");
  EXPECT_EQ(write.status, 0) << write.err;
  EXPECT_NE(write.out.find("Проверка: прибор хранит записанное без отличий"), std::string::npos);

  auto show = run("config show " + a);
  EXPECT_EQ(show.status, 0) << show.err;
  EXPECT_NE(show.out.find("== Прибор =="), std::string::npos);
  auto json = run("config show --json " + a);
  EXPECT_EQ(json.out.rfind("{\n  \"format\": \"vantorq-config/1\"", 0), 0u) << json.out.substr(0, 80);

  // A copy with one byte changed in the control time table (its entry is the file's last).
  const auto b = (dir / "b.cfg").string();
  std::filesystem::copy_file(a, b);
  unsigned before = 0;
  {
    std::fstream f(b, std::ios::in | std::ios::out | std::ios::binary);
    f.seekg(67867 - 256 + 10);
    before = static_cast<unsigned char>(f.get());
    f.seekp(67867 - 256 + 10);
    f.put(static_cast<char>(before ^ 0xFF));
  }
  char expected[96];
  std::snprintf(expected, sizeof expected, "выход 11: время контроля, с: %u → %u", before, before ^ 0xFF);
  auto diff = run("config diff " + a + " " + b);
  EXPECT_EQ(diff.status, 1) << diff.err;
  EXPECT_NE(diff.out.find(expected), std::string::npos) << diff.out;
  EXPECT_EQ(run("config diff " + a + " " + a).out, "Конфигурации совпадают\n");
}

TEST_F(Cli, ConfigRefusesBadFilesAndPlaces) {
  const auto bad = (dir / "bad.cfg").string();
  std::ofstream(bad) << "short";
  for (const std::string& args : {"config show " + bad, "--device sim config write " + bad}) {
    auto r = run(args);
    EXPECT_EQ(r.status, 1) << args;
    EXPECT_NE(r.err.find("повреждён"), std::string::npos) << r.err;
  }
  auto r = run("--device sim config read -o " + (dir / "no" / "such" / "x.cfg").string());
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("Не удалось сохранить файл конфигурации"), std::string::npos) << r.err;
}

TEST_F(Cli, LogReadShowQueryAndExport) {
  const auto data = (dir / "data").string();
  const auto rpt = (dir / "j.rpt").string();
  auto read = run("--device sim --data-dir " + data + " log read -o " + rpt);
  ASSERT_EQ(read.status, 0) << read.err;
  EXPECT_NE(read.out.find("Событий: 640"), std::string::npos) << read.out;
  EXPECT_TRUE(std::filesystem::exists(dir / "data" / "Report" / "meslog.db"));

  auto csv = run("log show --csv " + rpt);
  EXPECT_EQ(csv.status, 0) << csv.err;
  EXPECT_EQ(csv.out.rfind("#,EventID,Дата/Время,Событие,Область действия,Детализация события,Источник события\r\n1,", 0),
            0u)
      << csv.out.substr(0, 200);
  EXPECT_EQ(std::count(csv.out.begin(), csv.out.end(), '\n'), 641);

  auto last = run("--data-dir " + data + " log query --last 3 --csv");
  EXPECT_EQ(last.status, 0) << last.err;
  EXPECT_EQ(std::count(last.out.begin(), last.out.end(), '\n'), 4);

  // Filter values are data, never SQL.
  for (const std::string hostile : {"x' OR '1'='1", "'; DROP TABLE CurrentLog; --"}) {
    auto q = run("--data-dir " + data + " log query --csv --partition \"" + hostile + "\"");
    EXPECT_EQ(q.status, 0) << q.err;
    EXPECT_EQ(std::count(q.out.begin(), q.out.end(), '\n'), 1) << hostile;
  }
  auto all = run("--data-dir " + data + " log query --csv");
  EXPECT_EQ(std::count(all.out.begin(), all.out.end(), '\n'), 641);
}

TEST_F(Cli, LogExportAndRefusals) {
  const auto rpt = (dir / "j.rpt").string();
  ASSERT_EQ(run("--device sim --data-dir " + (dir / "d").string() + " log read -o " + rpt).status, 0);
  auto exp = run("log export " + rpt + " --html " + (dir / "Report").string() + " --xlsx " + (dir / "j.xlsx").string() +
                 " --csv " + (dir / "j.csv").string());
  EXPECT_EQ(exp.status, 0) << exp.err;
  EXPECT_TRUE(std::filesystem::exists(dir / "Report" / "report.css"));
  EXPECT_TRUE(std::filesystem::exists(dir / "j.xlsx"));
  EXPECT_EQ(slurp(dir / "j.csv"), run("log show --csv " + rpt).out);

  std::ofstream(dir / "bad.rpt") << "garbage";
  auto bad = run("log show " + (dir / "bad.rpt").string());
  EXPECT_EQ(bad.status, 1);
  auto word = run("--device sim log fill-test --code-word wrong");
  EXPECT_EQ(word.status, 1);
  EXPECT_NE(word.err.find("Вы не прошли проверку!"), std::string::npos) << word.err;
  EXPECT_EQ(run("--device sim log fill-test --code-word Колокольчики").status, 0);
  auto unconfirmed = run("--device sim log erase --code-word Колокольчики");
  EXPECT_EQ(unconfirmed.status, 1);
  EXPECT_NE(unconfirmed.err.find("--yes"), std::string::npos) << unconfirmed.err;
  EXPECT_EQ(run("--device sim log erase --code-word wrong --yes").status, 1);
  EXPECT_EQ(run("--device sim log erase --code-word Колокольчики --yes").status, 0);
}

TEST_F(Cli, FirmwareListCheckAndWriteOverUsb) {
  const auto base = dir / "Base";
  std::filesystem::create_directories(base);
  auto put = [&](const char* name, std::initializer_list<int> header, std::size_t body) {
    std::ofstream f(base / name, std::ios::binary);
    for (int b : header) f.put(static_cast<char>(b));
    for (std::size_t i = 0; i < body; ++i) f.put(static_cast<char>(i));
  };
  put("630M_2_4_8.tsk", {0x76, 0x02, 0x61, 0x00, 2, 4, 8}, 500);
  put("630M_other.tsk", {0x05, 0x02, 0x61, 0x00, 1, 1, 1}, 10);

  auto list = run("firmware list --dir " + base.string());
  EXPECT_EQ(list.status, 0) << list.err;
  EXPECT_NE(list.out.find("630M_2_4_8.tsk\t2.4.8\t507 байт"), std::string::npos) << list.out;

  const auto good = (base / "630M_2_4_8.tsk").string();
  EXPECT_EQ(run("--device sim firmware check " + good).status, 0);
  auto wrong = run("--device sim firmware check " + (base / "630M_other.tsk").string());
  EXPECT_EQ(wrong.status, 1);
  EXPECT_NE(wrong.err.find("не соответствует типу"), std::string::npos) << wrong.err;

  auto unconfirmed = run("--device sim firmware write " + good + " </dev/null");
  EXPECT_EQ(unconfirmed.status, 1);
  EXPECT_NE(unconfirmed.err.find("--yes"), std::string::npos) << unconfirmed.err;
  auto written = run("--device sim firmware write --yes " + good);
  EXPECT_EQ(written.status, 0) << written.err;
  EXPECT_EQ(written.out, "Обновление ПО успешно завершено!\n");
}

TEST_F(Cli, FirmwareToTheRelayModuleOverARealPseudoTerminal) {
  ServedPanel relay({"--rs485-pty"});
  ASSERT_EQ(relay.uri().rfind("serial:", 0), 0u) << relay.uri();
  const auto file = dir / "526_1_2_4.tsk";
  {
    std::ofstream f(file, std::ios::binary);
    for (int b : {0x0E, 0x02, 0x05, 0x01, 1, 2, 4}) f.put(static_cast<char>(b));
    for (int i = 0; i < 196; ++i) f.put(static_cast<char>(i));
  }
  const std::string rs485 = "--pacing none --rs485 " + relay.uri();
  auto check = run(rs485 + " firmware check " + file.string());
  EXPECT_EQ(check.status, 0) << check.err;
  EXPECT_NE(check.out.find("Сорвел-526"), std::string::npos) << check.out;
  auto write = run(rs485 + " firmware write --yes " + file.string());
  EXPECT_EQ(write.status, 0) << write.err;
  EXPECT_EQ(write.out, "Обновление ПО успешно завершено!\n");

  auto missing = run("--rs485 serial:/nonexistent/tty firmware check " + file.string());
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("Приборы марки Сорвел отключены от линии USB!"), std::string::npos) << missing.err;
}

// The sample files go to the virtual devices, and no further.
TEST_F(Cli, SampleFirmwareUpdatesTheVirtualDevicesAndIsRefusedForRealOnes) {
  const auto folder = dir / "samples";
  auto made = run("sim firmware-samples -o " + folder.string());
  ASSERT_EQ(made.status, 0) << made.err;
  const auto panel_file = folder / "630M_2.4.8_SAMPLE.tsk", relay_file = folder / "526_1.2.4_SAMPLE.tsk";
  ASSERT_TRUE(std::filesystem::is_regular_file(panel_file)) << made.out;
  ASSERT_TRUE(std::filesystem::is_regular_file(relay_file)) << made.out;

  const auto missing_dir = run("firmware list --dir " + (dir / "no-such-folder").string());
  EXPECT_EQ(missing_dir.status, 1);
  EXPECT_NE(missing_dir.err.find("Нет такой папки"), std::string::npos) << missing_dir.err;
  EXPECT_FALSE(std::filesystem::exists(dir / "no-such-folder"));
  auto listed = run("firmware list --dir " + folder.string());
  EXPECT_NE(listed.out.find("630M_2.4.8_SAMPLE.tsk"), std::string::npos) << listed.out << listed.err;

  auto to_panel = run("--device sim firmware write --yes " + panel_file.string());
  EXPECT_EQ(to_panel.status, 0) << to_panel.err;
  ServedPanel relay({"--rs485-pty"});
  auto to_relay = run("--pacing none --rs485 " + relay.uri() + " firmware write --yes " + relay_file.string());
  EXPECT_EQ(to_relay.status, 0) << to_relay.err;

  for (const std::string& args : {"--device usb firmware write --yes " + panel_file.string(),
                                 "--device usb firmware check " + panel_file.string(),
                                 "--rs485 ftdi firmware write --yes " + relay_file.string(),
                                 "--rs485 serial:/dev/null firmware write --yes " + relay_file.string()}) {
    const auto r = run(args);
    EXPECT_EQ(r.status, 1) << args;
    EXPECT_NE(r.err.find("учебный файл ПО"), std::string::npos) << args << ": " << r.err;
  }
}

// Ctrl+C during a transfer stops it between frames: status 130, as a shell reports a
// command ended by SIGINT, and no half-written output.
TEST_F(Cli, CtrlCStopsAReadWithStatus130AndNoFile) {
  const auto out = dir / "x.cfg";
  std::string path = VQ_CLI_PATH;
  std::vector<std::string> args = {path, "--device", "sim", "--pacing", "panel", "config", "read", "-o", out.string()};
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, (dir / "err.txt").c_str(), O_WRONLY | O_CREAT, 0600);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  ASSERT_EQ(posix_spawn(&pid, path.c_str(), &actions, nullptr, argv.data(), environ), 0);
  posix_spawn_file_actions_destroy(&actions);
  // With the real panel's waits a read of all tables takes about a minute.
  std::this_thread::sleep_for(std::chrono::seconds(1));
  ::kill(pid, SIGINT);
  int status = 0;
  ASSERT_EQ(::waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status)) << status;
  EXPECT_EQ(WEXITSTATUS(status), 130) << slurp(dir / "err.txt");
  EXPECT_FALSE(std::filesystem::exists(out));
  EXPECT_NE(slurp(dir / "err.txt").find("Операция прервана пользователем"), std::string::npos);
}

}  // namespace
