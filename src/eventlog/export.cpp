#include "eventlog/export.hpp"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <system_error>
#include <thread>

#include "shell/messages.hpp"

extern char** environ;

namespace vq::eventlog {

namespace {

constexpr int kMsgBadEvent = 15189;  // "Неверное событие"

std::string reason(int err) { return std::error_code(err, std::generic_category()).message(); }

std::string two(int n) {
  std::string s = std::to_string(n);
  return s.size() < 2 ? "0" + s : s;
}

std::string four(int n) {
  std::string s = std::to_string(n);
  return s.size() < 4 ? std::string(4 - s.size(), '0') + s : s;
}

int sync_path(const std::filesystem::path& path, int flags) {
  const int fd = ::open(path.c_str(), flags | O_CLOEXEC);
  if (fd < 0) return errno;
  const int rc = ::fsync(fd) == 0 ? 0 : errno;
  ::close(fd);
  return rc;
}

// Never over an existing target, even one that appears while we write.
int rename_no_replace(const std::filesystem::path& from, const std::filesystem::path& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS) return errno;
  // A file system without the flag: a hard link fails on an existing name just the same.
  if (::link(from.c_str(), to.c_str()) == 0) {
    ::unlink(from.c_str());
    return 0;
  }
  if (errno == EEXIST) return EEXIST;
  // Nor hard links (FAT): the last resort checks first and accepts the small race.
  std::error_code ec;
  if (std::filesystem::exists(to, ec)) return EEXIST;
  return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

}  // namespace

std::array<std::string, 4> stored_columns(const EventRow& row) {
  if (!row.complete()) return {shell::msg(kMsgBadEvent), "-", "-", "-"};
  return {row.columns[0], row.columns[1], row.columns[2], row.columns[3]};
}

std::array<std::string, kShownColumnCount> shown_cells(const EventRow& row) {
  auto c = stored_columns(row);
  return {std::to_string(row.number), row.date_time, std::move(c[0]), std::move(c[1]), std::move(c[2]),
          std::move(c[3])};
}

EventDateTime local_now() {
  const std::time_t now = std::time(nullptr);
  std::tm tm{};
  ::localtime_r(&now, &tm);
  return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

std::string report_time_text(const EventDateTime& t) {
  return two(t.day) + "." + two(t.month) + "." + four(t.year) + " " + two(t.hour) + ":" + two(t.minute) + ":" +
         two(t.second);
}

// ---- PendingFile -----------------------------------------------------------------------

PendingFile::~PendingFile() {
  if (fd_ >= 0) ::close(fd_);
  if (!path_.empty()) ::unlink(path_.c_str());
}

int PendingFile::create() {
  static std::atomic<unsigned> counter{0};
  const auto folder = target_.has_parent_path() ? target_.parent_path() : std::filesystem::path(".");
  for (int attempt = 0; attempt < 100; ++attempt) {
    // Hidden, and ending in ".tmp", so a half-written export never looks like a report.
    auto candidate = folder / ("." + target_.filename().string() + "." + std::to_string(::getpid()) + "." +
                               std::to_string(counter++) + ".tmp");
    fd_ = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd_ >= 0) {
      path_ = std::move(candidate);
      return 0;
    }
    if (errno != EEXIST) return errno;
  }
  return EEXIST;
}

int PendingFile::write_all(std::string_view data) {
  while (!data.empty()) {
    const auto n = ::write(fd_, data.data(), data.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (n == 0) return EIO;
    data.remove_prefix(static_cast<std::size_t>(n));
  }
  return 0;
}

int PendingFile::close_fd() {
  if (fd_ < 0) return 0;
  const int rc = ::close(fd_);
  fd_ = -1;
  return rc == 0 ? 0 : errno;
}

int PendingFile::commit(bool replace) {
  if (fd_ >= 0) {
    if (::fsync(fd_) != 0) return errno;
    if (const int err = close_fd()) return err;
  } else if (const int err = sync_path(path_, O_RDONLY)) {
    return err;
  }
  if (replace) {
    if (::rename(path_.c_str(), target_.c_str()) != 0) return errno;
  } else if (const int err = rename_no_replace(path_, target_)) {
    return err;
  }
  path_.clear();
  // Losing only the folder's update leaves the old file, still whole: not worth a failure.
  (void)sync_path(target_.has_parent_path() ? target_.parent_path() : std::filesystem::path("."),
                  O_RDONLY | O_DIRECTORY);
  return 0;
}

Result<> write_file_atomically(const std::filesystem::path& file, std::string_view contents, std::string_view what) {
  const auto failed = [&](int err) {
    return fail("Не удалось записать " + std::string(what) + " " + file.string() + ": " + reason(err));
  };
  PendingFile temp(file);
  if (const int err = temp.create()) return failed(err);
  if (const int err = temp.write_all(contents)) return failed(err);
  if (const int err = temp.commit()) return failed(err);
  return {};
}

// ---- opening with the desktop ----------------------------------------------------------

Result<> open_with_desktop(const std::filesystem::path& file) {
#if defined(__APPLE__)
  static constexpr char kOpener[] = "open";
#else
  static constexpr char kOpener[] = "xdg-open";
#endif
  std::string opener = kOpener;
  std::string target = file.string();
  char* argv[] = {opener.data(), target.data(), nullptr};
  pid_t pid = 0;
  // No shell: the file name reaches the opener as one argument, whatever it contains.
  const int err = ::posix_spawnp(&pid, kOpener, nullptr, nullptr, argv, environ);
  if (err != 0) return fail("Не удалось открыть " + target + ": не запускается " + opener + " (" + reason(err) + ")");
  // Reaped in the background, so the caller neither waits nor leaves a zombie behind.
  std::thread([pid] {
    while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
  }).detach();
  return {};
}

}  // namespace vq::eventlog
