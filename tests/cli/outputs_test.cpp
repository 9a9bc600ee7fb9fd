// Outputs go where the user meant: "-" is standard output, a device or a link is honoured,
// a folder is refused before the panel is read, a trace that cannot be written fails the
// command, and a failed export leaves nothing behind.
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "cli/cli_fixture.hpp"

namespace fs = std::filesystem;

namespace {

class Outputs : public vq::test::Cli {
 protected:
  // The command with files limited to 8 blocks: a write past that fails (EFBIG) as on a
  // full disk, so an export fails half-way.
  vq::test::Outcome run_small_disk(const std::string& args) {
    const auto out = dir / "out.txt", err = dir / "err.txt";
    const std::string cmd = "trap '' XFSZ; ulimit -f 8; exec " + std::string(VQ_CLI_PATH) + " " + args + " >" +
                            out.string() + " 2>" + err.string();
    vq::test::Outcome r;
    const int rc = std::system(cmd.c_str());
    r.status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    r.out = vq::test::slurp(out);
    r.err = vq::test::slurp(err);
    return r;
  }
  std::vector<std::string> names(const fs::path& folder) {
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(folder)) out.push_back(e.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
  }
  fs::path demo_rpt() {
    const auto file = dir / "demo.rpt";
    const auto r = run("--device sim log read -o " + file.string() + " --db " + (dir / "read.db").string());
    EXPECT_EQ(r.status, 0) << r.err;
    return file;
  }
};

TEST_F(Outputs, DashIsStandardOutputAndTheSummaryGoesToStderr) {
  const std::string cfg = bytes_of(demo_cfg());
  auto r = run("--device sim config read -o -");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, cfg);
  EXPECT_NE(r.err.find("Настройки сохранены в стандартный вывод"), std::string::npos) << r.err;

  const std::string rpt = bytes_of(demo_rpt());
  r = run("--device sim log read -o - --db " + (dir / "dash.db").string());
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, rpt);

  const auto csv = dir / "events.csv";
  ASSERT_EQ(run("log export " + (dir / "demo.rpt").string() + " --csv " + csv.string()).status, 0);
  r = run("log export " + (dir / "demo.rpt").string() + " --csv -");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, bytes_of(csv));

  r = run("log export " + (dir / "demo.rpt").string() + " --xlsx -");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(r.out.starts_with("PK")) << "not a workbook on standard output";

  r = run("log export " + (dir / "demo.rpt").string() + " --xlsx - --csv -");
  EXPECT_NE(r.status, 0);
  EXPECT_NE(r.err.find("только одну выгрузку"), std::string::npos) << r.err;
}

TEST_F(Outputs, DeviceIsWrittenThroughAndALinkStaysALink) {
  auto r = run("--device sim config read -o /dev/null");
  ASSERT_EQ(r.status, 0) << r.err;
  struct stat st {};
  ASSERT_EQ(::stat("/dev/null", &st), 0);
  EXPECT_TRUE(S_ISCHR(st.st_mode)) << "/dev/null was replaced";

  const std::string cfg = bytes_of(demo_cfg());
  fs::create_directories(dir / "keep");
  std::ofstream(dir / "keep" / "site.cfg") << "old";
  fs::create_symlink("keep/site.cfg", dir / "site.cfg");
  r = run("--device sim config read -o " + (dir / "site.cfg").string());
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(fs::is_symlink(dir / "site.cfg"));
  EXPECT_EQ(bytes_of(dir / "keep" / "site.cfg"), cfg);
}

TEST_F(Outputs, UnusableOutputsAreRefusedBeforeTheLongJob) {
  fs::create_directories(dir / "folder");
  ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
  struct Case {
    const char* args;
    const char* reason;
  };
  const Case cases[] = {
      {"config read -o {}/folder", "Нельзя сохранить файл конфигурации"},
      {"log read -o {}/folder", "Нельзя сохранить файл журнала"},
      // A FIFO nobody reads is refused instead of hanging.
      {"config read -o {}/pipe", "No such device or address"},
  };
  for (const auto& c : cases) {
    std::string args = c.args;
    args.replace(args.find("{}"), 2, dir.string());
    const auto r = run("--device sim " + args);
    EXPECT_NE(r.status, 0) << args;
    EXPECT_NE(r.err.find(c.reason), std::string::npos) << args << ": " << r.err;
  }
  EXPECT_TRUE(fs::is_empty(dir / "folder"));
  EXPECT_TRUE(fs::is_fifo(dir / "pipe"));
}

TEST_F(Outputs, TraceThatCannotBeWrittenFailsTheCommand) {
  auto r = run("--device sim --trace /dev/full config read -o " + (dir / "a.cfg").string());
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("Не удалось записать файл журнала обмена /dev/full: "), std::string::npos) << r.err;

  r = run("--device sim --trace " + (dir / "no" / "such" / "trace.txt").string() + " identify");
  EXPECT_NE(r.status, 0);
  EXPECT_NE(r.err.find("Не удалось открыть файл журнала обмена"), std::string::npos) << r.err;

  // A trace that works is whole and the command succeeds.
  const auto trace = dir / "trace.txt";
  r = run("--device sim --trace " + trace.string() + " config read -o " + (dir / "b.cfg").string());
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_GT(fs::file_size(trace), 0u);
}

TEST_F(Outputs, FailedExportLeavesNoFolderOrFileBehind) {
  const auto rpt = demo_rpt();
  fs::create_directories(dir / "out");
  const std::string exports[] = {
      "--html " + (dir / "out" / "new" / "reports").string(),
      "--xlsx " + (dir / "out" / "events.xlsx").string(),
      "--csv " + (dir / "out" / "events.csv").string(),
  };
  for (const auto& e : exports) {
    const auto r = run_small_disk("log export " + rpt.string() + " " + e);
    EXPECT_NE(r.status, 0) << e;
    EXPECT_NE(r.err.find("Не удалось записать"), std::string::npos) << e << ": " << r.err;
    EXPECT_TRUE(fs::is_empty(dir / "out")) << e << " left " << ::testing::PrintToString(names(dir / "out"));
  }
}

}  // namespace
