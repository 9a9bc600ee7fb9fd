#pragma once
// Writing a file so that a failure never harms the one already there: a new temporary file
// in the same folder, synced, then renamed over the target. Also an owned descriptor for
// reading.
#include <filesystem>

#include "util/bytes.hpp"

namespace vq {

// The temporary file until it is renamed over the target; removed if we never get there.
// Every call returns 0 or the errno of the failure.
class TempFile {
 public:
  TempFile() = default;
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  ~TempFile();

  // A new name each time (O_EXCL): a stale or foreign file of the same name is never
  // written through.
  int create(const std::filesystem::path& target);
  int write_all(ByteView part);
  int sync_and_close();
  int rename_to(const std::filesystem::path& target);
  int fd() const { return fd_; }

 private:
  int fd_ = -1;
  std::filesystem::path path_;
};

// Makes a rename in `file`'s folder reach the disk; failures are not reported because the
// old file, still whole, is what a crash would leave.
void sync_folder_of(const std::filesystem::path& file);

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  ~FileDescriptor();
  int get() const { return fd_; }

 private:
  int fd_;
};

}  // namespace vq
