#pragma once
// vantorq-cli run as a user runs it, in a scratch folder of its own per test.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

extern char** environ;

namespace vq::test {

struct Outcome {
  int status = -1;
  std::string out, err;
};

inline std::string slurp(const std::filesystem::path& p) {
  std::ifstream in(p);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// `vantorq-cli sim serve` in a child process, stopped with SIGTERM when the object goes.
class ServedPanel {
 public:
  explicit ServedPanel(std::vector<std::string> args) {
    int pipefd[2];
    EXPECT_EQ(::pipe(pipefd), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipefd[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipefd[0]);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::string path = VQ_CLI_PATH;
    args.insert(args.begin(), {path, "sim", "serve"});
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    EXPECT_EQ(posix_spawn(&pid_, path.c_str(), &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipefd[1]);
    std::string line;
    char ch = 0;
    while (::read(pipefd[0], &ch, 1) == 1 && ch != '\n') line += ch;
    ::close(pipefd[0]);
    const auto at = line.find(": ");
    if (at != std::string::npos) uri_ = line.substr(at + 2);
  }
  ~ServedPanel() { stop(); }

  const std::string& uri() const { return uri_; }
  int stop() {
    if (pid_ <= 0) return status_;
    ::kill(pid_, SIGTERM);
    ::waitpid(pid_, &status_, 0);
    pid_ = 0;
    return status_;
  }

 private:
  pid_t pid_ = 0;
  int status_ = -1;
  std::string uri_;
};

class Cli : public ::testing::Test {
 protected:
  std::filesystem::path dir;

  void SetUp() override {
    dir = std::filesystem::temp_directory_path() /
          ("vq-cli-" + std::to_string(::getpid()) + "-" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir);
    // Backups and databases of commands run without --data-dir stay in the test's folder.
    ::setenv("VANTORQ_DATA_DIR", (dir / "data").c_str(), 1);
  }
  void TearDown() override { std::filesystem::remove_all(dir); }

  Outcome run(const std::string& args) {
    const auto out = dir / "out.txt", err = dir / "err.txt";
    const std::string cmd = std::string(VQ_CLI_PATH) + " " + args + " >" + out.string() + " 2>" + err.string();
    Outcome r;
    const int rc = std::system(cmd.c_str());
    r.status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    r.out = slurp(out);
    r.err = slurp(err);
    return r;
  }
  // The virtual panel's demo configuration saved as a file in the test's folder.
  std::filesystem::path demo_cfg(const std::string& name = "demo.cfg") {
    const auto file = dir / name;
    const auto r = run("--device sim config read -o " + file.string());
    EXPECT_EQ(r.status, 0) << r.err;
    return file;
  }
  std::string bytes_of(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }

  // `config set FILE <assignments>` refused: a non-zero exit, the reason (a part of the
  // message) on stderr, and the file byte for byte as it was.
  struct Refusal {
    const char* assignments;
    const char* reason;
  };
  void expect_refused(const std::filesystem::path& cfg, std::initializer_list<Refusal> cases) {
    const std::string before = bytes_of(cfg);
    for (const auto& c : cases) {
      const auto r = run("config set " + cfg.string() + " " + c.assignments);
      EXPECT_NE(r.status, 0) << c.assignments;
      EXPECT_NE(r.err.find(c.reason), std::string::npos) << c.assignments << ": " << r.err;
      EXPECT_EQ(bytes_of(cfg), before) << c.assignments;
    }
  }
};

}  // namespace vq::test
