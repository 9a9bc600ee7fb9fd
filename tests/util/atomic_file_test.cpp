// Atomic saving honours what the target is: a regular file is replaced by rename, a link is
// followed, a device or FIFO is written through, and a folder, socket or full disk is an error.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <algorithm>
#include <atomic>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <future>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "util/atomic_file.hpp"

using namespace vq;
namespace fs = std::filesystem;

namespace {

class AtomicFile : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("vq-atomic-" + std::to_string(::getpid()) + "-" +
                                       ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
  void TearDown() override { fs::remove_all(dir); }

  static void put(const fs::path& p, const std::string& text) { std::ofstream(p, std::ios::binary) << text; }
  static std::string text_of(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }
  // The whole save as the writers do it: 0 or the first errno.
  static int save(const fs::path& target, std::string_view text) {
    PendingFile f(target);
    int err = f.create();
    if (!err) err = f.write_all(text);
    if (!err) err = f.commit();
    return err;
  }
  // Names in the folder, so a test sees a temporary left behind.
  std::vector<std::string> names() const {
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(dir)) out.push_back(e.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
  }

  fs::path dir;
};

TEST_F(AtomicFile, RegularFileIsReplacedWholeByRename) {
  const auto file = dir / "a.cfg";
  put(file, "old contents");
  ASSERT_EQ(::chmod(file.c_str(), 0640), 0);
  struct stat before {};
  ASSERT_EQ(::stat(file.c_str(), &before), 0);

  ASSERT_EQ(save(file, "new"), 0);
  struct stat after {};
  ASSERT_EQ(::stat(file.c_str(), &after), 0);
  EXPECT_EQ(text_of(file), "new");
  EXPECT_NE(after.st_ino, before.st_ino) << "written in place instead of renamed over";
  EXPECT_EQ(after.st_mode & 07777, 0640u) << "the replaced file's permissions were not kept";
  EXPECT_EQ(names(), std::vector<std::string>{"a.cfg"});

  // A save given up before commit leaves the old file and no temporary.
  {
    PendingFile f(file);
    ASSERT_EQ(f.create(), 0);
    ASSERT_EQ(f.write_all(std::string_view("half")), 0);
  }
  EXPECT_EQ(text_of(file), "new");
  EXPECT_EQ(names(), std::vector<std::string>{"a.cfg"});
}

TEST_F(AtomicFile, SymlinkIsFollowedAndStaysALink) {
  fs::create_directories(dir / "real");
  put(dir / "real" / "x.cfg", "old");
  struct Case {
    const char* link;
    fs::path points_to;  // as stored in the link
    fs::path holder;     // the file that must get the bytes
  };
  const Case cases[] = {
      {"relative", "real/x.cfg", dir / "real" / "x.cfg"},
      {"absolute", dir / "real" / "x.cfg", dir / "real" / "x.cfg"},
      {"chain", "relative", dir / "real" / "x.cfg"},          // a link to a link
      {"dangling", "real/new.cfg", dir / "real" / "new.cfg"},  // creates what it names
  };
  int n = 0;
  for (const auto& c : cases) {
    fs::create_symlink(c.points_to, dir / c.link);
    const std::string text = std::string("through ") + c.link + std::to_string(n++);
    ASSERT_EQ(save(dir / c.link, text), 0) << c.link;
    EXPECT_TRUE(fs::is_symlink(dir / c.link)) << c.link << ": the link was replaced by a file";
    EXPECT_EQ(fs::read_symlink(dir / c.link), c.points_to) << c.link;
    EXPECT_EQ(text_of(c.holder), text) << c.link;
  }
  // The file behind a link keeps its own permissions.
  ASSERT_EQ(::chmod((dir / "real" / "x.cfg").c_str(), 0600), 0);
  ASSERT_EQ(save(dir / "relative", "again"), 0);
  struct stat held {};
  ASSERT_EQ(::stat((dir / "real" / "x.cfg").c_str(), &held), 0);
  EXPECT_EQ(held.st_mode & 07777, 0600u);
  // No temporary left in either folder.
  EXPECT_EQ(names(), (std::vector<std::string>{"absolute", "chain", "dangling", "real", "relative"}));
  std::vector<std::string> real;
  for (const auto& e : fs::directory_iterator(dir / "real")) real.push_back(e.path().filename().string());
  std::sort(real.begin(), real.end());
  EXPECT_EQ(real, (std::vector<std::string>{"new.cfg", "x.cfg"}));

  fs::create_symlink("loop_b", dir / "loop_a");
  fs::create_symlink("loop_a", dir / "loop_b");
  EXPECT_EQ(save(dir / "loop_a", "x"), ELOOP);
}

TEST_F(AtomicFile, DevNullIsWrittenThroughAndStaysADevice) {
  // Run as root the old rename put a regular file in /dev/null's place.
  ASSERT_EQ(save("/dev/null", "discarded"), 0);
  EXPECT_TRUE(fs::is_character_file("/dev/null"));
  // The same through a link to it.
  fs::create_symlink("/dev/null", dir / "sink");
  ASSERT_EQ(save(dir / "sink", "discarded"), 0);
  EXPECT_TRUE(fs::is_symlink(dir / "sink"));
  EXPECT_TRUE(fs::is_character_file("/dev/null"));
  EXPECT_EQ(names(), std::vector<std::string>{"sink"});
}

TEST_F(AtomicFile, FullDeviceIsAnError) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
  EXPECT_EQ(save("/dev/full", std::string(100000, 'x')), ENOSPC);
  EXPECT_TRUE(fs::is_character_file("/dev/full"));
}

TEST_F(AtomicFile, FifoWithAReaderGetsTheBytesAndOneWithoutIsRefusedAtOnce) {
  const auto fifo = dir / "pipe";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  // Nobody reads: refused instead of waiting forever.
  EXPECT_EQ(save(fifo, "nobody"), ENXIO);

  const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  std::atomic<bool> saved{false};
  auto got = std::async(std::launch::async, [reader, &saved] {
    std::string all;
    char buf[4096];
    for (;;) {
      const bool writer_done = saved.load();
      const auto n = ::read(reader, buf, sizeof buf);
      if (n > 0) {
        all.append(buf, static_cast<std::size_t>(n));
        continue;
      }
      // End of stream counts only once the save is over: before, there may be no writer yet.
      if (n == 0 && writer_done) break;
      std::this_thread::yield();
    }
    ::close(reader);
    return all;
  });
  const std::string text(200000, 'q');  // more than a pipe holds at once
  EXPECT_EQ(save(fifo, text), 0);
  saved = true;
  EXPECT_EQ(got.get(), text);
  EXPECT_TRUE(fs::is_fifo(fifo));
  EXPECT_EQ(names(), std::vector<std::string>{"pipe"});
}

TEST_F(AtomicFile, FolderAndSocketAreRefusedBeforeAnythingIsWritten) {
  fs::create_directories(dir / "folder");
  EXPECT_EQ(save(dir / "folder", "x"), EISDIR);
  EXPECT_TRUE(fs::is_empty(dir / "folder"));

  const auto sock_path = dir / "s";
  const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(sock, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::strncpy(addr.sun_path, sock_path.c_str(), sizeof addr.sun_path - 1);
  ASSERT_EQ(::bind(sock, reinterpret_cast<const sockaddr*>(&addr), sizeof addr), 0);
  EXPECT_EQ(save(sock_path, "x"), ENOTSUP);
  EXPECT_TRUE(fs::is_socket(sock_path));
  ::close(sock);
  EXPECT_EQ(names(), (std::vector<std::string>{"folder", "s"}));
}

}  // namespace
