#include "util/atomic_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <string>
#include <system_error>

namespace vq {
namespace {

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

// Follows symbolic links to the name that holds the data, so the rename replaces the file a
// link leads to and never the link. A dangling link leads to the file to create.
int follow_links(std::filesystem::path& path) {
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return errno == ENOENT ? 0 : errno;
    if (!S_ISLNK(st.st_mode)) return 0;
    std::error_code ec;
    auto to = std::filesystem::read_symlink(path, ec);
    if (ec) return ec.value();
    path = to.is_absolute() ? to : path.parent_path() / to;
  }
  return ELOOP;
}

bool written_through(mode_t mode) { return S_ISCHR(mode) || S_ISFIFO(mode); }

}  // namespace

PendingFile::~PendingFile() {
  if (fd_ >= 0) ::close(fd_);
  if (!through_ && !path_.empty()) ::unlink(path_.c_str());
}

int PendingFile::open_through(const std::filesystem::path& target) {
  // Not blocking: a FIFO nobody reads fails at once (ENXIO) instead of waiting forever.
  const int fd = ::open(target.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return errno;
  struct stat st {};
  int err = ::fstat(fd, &st) != 0 ? errno : 0;
  // Replaced by a regular file since stat(): writing into it untruncated would mix the two.
  if (!err && !written_through(st.st_mode)) err = EAGAIN;
  if (!err) {
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) err = errno;
  }
  if (err) {
    ::close(fd);
    return err;
  }
  fd_ = fd;
  path_ = target;
  through_ = true;
  return 0;
}

int PendingFile::create() {
  if (target_ == kStandardOutputName) {
    std::fflush(stdout);  // what was printed before comes first
    fd_ = ::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 0);
    if (fd_ < 0) return errno;
    path_ = "/dev/stdout";
    through_ = true;
    return 0;
  }
  struct stat st {};
  if (::stat(target_.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) return EISDIR;
    if (written_through(st.st_mode)) return open_through(target_);
    if (!S_ISREG(st.st_mode)) return ENOTSUP;
  }
  if (const int err = follow_links(target_)) return err;

  static std::atomic<unsigned> counter{0};
  const auto folder = target_.has_parent_path() ? target_.parent_path() : std::filesystem::path(".");
  for (int attempt = 0; attempt < 100; ++attempt) {
    // Hidden, and ending in ".tmp", so a half-written file never looks like a finished one.
    auto candidate = folder / ("." + target_.filename().string() + "." + std::to_string(::getpid()) + "." +
                               std::to_string(counter++) + ".tmp");
    fd_ = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd_ >= 0) {
      path_ = std::move(candidate);
      // A replaced file keeps its permissions; a new one gets the umask's.
      struct stat old {};
      if (::stat(target_.c_str(), &old) == 0 && S_ISREG(old.st_mode)) (void)::fchmod(fd_, old.st_mode & 07777);
      return 0;
    }
    if (errno != EEXIST) return errno;
  }
  return EEXIST;
}

int PendingFile::write_all(ByteView data) {
  while (!data.empty()) {
    const auto n = ::write(fd_, data.data(), data.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (n == 0) return EIO;
    data = data.subspan(static_cast<std::size_t>(n));
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
  if (through_) {
    // A pipe or a terminal cannot be synced (EINVAL); what it got is all there is to check.
    if (fd_ >= 0 && ::fsync(fd_) != 0 && errno != EINVAL && errno != EROFS) return errno;
    if (const int err = close_fd()) return err;
    path_.clear();
    return 0;
  }
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

Result<> check_output_target(const std::filesystem::path& target, std::string_view what) {
  if (target == kStandardOutputName) return {};
  struct stat st {};
  if (::stat(target.c_str(), &st) != 0) return {};  // a new file: its folder is checked by the save
  const auto refused = [&](std::string_view why) {
    return fail("Нельзя сохранить " + std::string(what) + " в " + target.string() + ": " + std::string(why));
  };
  if (S_ISDIR(st.st_mode)) return refused("это папка");
  if (S_ISBLK(st.st_mode)) return refused("это блочное устройство");
  if (S_ISSOCK(st.st_mode)) return refused("это сокет");
  return {};
}

Result<Bytes> read_whole_file(const std::filesystem::path& file, std::string_view what, std::uint64_t max_size,
                              std::string_view too_large_prefix) {
  const std::string name = std::string(what) + " " + file.string();
  const auto reason = [](int err) { return std::error_code(err, std::generic_category()).message(); };
  const auto cannot_open = [&](const std::string& why) { return fail("Не удалось открыть " + name + ": " + why); };
  // Not blocking: a FIFO with no writer would hold the open forever; it is refused below.
  const FileDescriptor fd{::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC)};
  if (fd.get() < 0) return cannot_open(reason(errno));

  struct stat st {};
  if (::fstat(fd.get(), &st) != 0) return cannot_open(reason(errno));
  if (S_ISDIR(st.st_mode)) return cannot_open(reason(EISDIR));
  if (!S_ISREG(st.st_mode)) return cannot_open("это не обычный файл");
  const auto size = static_cast<std::uint64_t>(st.st_size);
  if (size > max_size)
    return fail(std::string(too_large_prefix) + "файл слишком большой (размер файла " + std::to_string(size) +
                ", допускается не больше " + std::to_string(max_size) + ")");

  Bytes bytes(static_cast<std::size_t>(size));
  std::size_t got = 0;
  while (got < bytes.size()) {
    const auto n = ::read(fd.get(), bytes.data() + got, bytes.size() - got);
    if (n < 0) {
      if (errno == EINTR) continue;
      return fail("Не удалось прочитать " + name + ": " + reason(errno));
    }
    if (n == 0) break;  // the file shrank since fstat: check what is there
    got += static_cast<std::size_t>(n);
  }
  bytes.resize(got);
  return bytes;
}

FileDescriptor::~FileDescriptor() {
  if (fd_ >= 0) ::close(fd_);
}

}  // namespace vq
