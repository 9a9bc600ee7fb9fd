#include "util/atomic_file.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <string>

namespace vq {

TempFile::~TempFile() {
  if (fd_ >= 0) ::close(fd_);
  if (!path_.empty()) ::unlink(path_.c_str());
}

int TempFile::create(const std::filesystem::path& target) {
  static std::atomic<unsigned> counter{0};
  const auto folder = target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
  for (int attempt = 0; attempt < 100; ++attempt) {
    auto candidate = folder / ("." + target.filename().string() + "." + std::to_string(::getpid()) + "." +
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

int TempFile::write_all(ByteView part) {
  while (!part.empty()) {
    const auto n = ::write(fd_, part.data(), part.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (n == 0) return EIO;
    part = part.subspan(static_cast<std::size_t>(n));
  }
  return 0;
}

int TempFile::sync_and_close() {
  if (::fsync(fd_) != 0) return errno;
  const int rc = ::close(fd_);
  fd_ = -1;
  return rc == 0 ? 0 : errno;
}

int TempFile::rename_to(const std::filesystem::path& target) {
  if (::rename(path_.c_str(), target.c_str()) != 0) return errno;
  path_.clear();
  return 0;
}

void sync_folder_of(const std::filesystem::path& file) {
  const auto folder = file.has_parent_path() ? file.parent_path() : std::filesystem::path(".");
  if (const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dir >= 0) {
    (void)::fsync(dir);
    ::close(dir);
  }
}

FileDescriptor::~FileDescriptor() {
  if (fd_ >= 0) ::close(fd_);
}

}  // namespace vq
