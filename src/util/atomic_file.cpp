#include "util/atomic_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
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

}  // namespace

PendingFile::~PendingFile() {
  if (fd_ >= 0) ::close(fd_);
  if (!path_.empty()) ::unlink(path_.c_str());
}

int PendingFile::create() {
  static std::atomic<unsigned> counter{0};
  const auto folder = target_.has_parent_path() ? target_.parent_path() : std::filesystem::path(".");
  for (int attempt = 0; attempt < 100; ++attempt) {
    // Hidden, and ending in ".tmp", so a half-written file never looks like a finished one.
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

Result<Bytes> read_whole_file(const std::filesystem::path& file, std::string_view what, std::uint64_t max_size,
                              std::string_view too_large_prefix) {
  const std::string name = std::string(what) + " " + file.string();
  const auto reason = [](int err) { return std::error_code(err, std::generic_category()).message(); };
  const auto cannot_open = [&](const std::string& why) { return fail("Не удалось открыть " + name + ": " + why); };
  const FileDescriptor fd{::open(file.c_str(), O_RDONLY | O_CLOEXEC)};
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
