#pragma once
// Writing a file so that a failure never harms the one already there: a new temporary file
// in the same folder, synced, then renamed over the target. And reading one whole.
#include <filesystem>
#include <string_view>

#include "util/bytes.hpp"
#include "util/result.hpp"

namespace vq {

// The temporary file until it is committed over the target; removed if we never get there.
// Every call returns 0 or the errno of the failure.
class PendingFile {
 public:
  explicit PendingFile(std::filesystem::path target) : target_(std::move(target)) {}
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;
  ~PendingFile();

  // Creates the temporary: a new hidden name each time (O_EXCL), so a stale or foreign file
  // of the same name is never written through.
  int create();
  const std::filesystem::path& path() const { return path_; }
  int fd() const { return fd_; }
  int write_all(ByteView data);
  int write_all(std::string_view data) {
    return write_all(ByteView(reinterpret_cast<const std::uint8_t*>(data.data()), data.size()));
  }
  // Closes fd() for a writer that opens the temporary by its path().
  int close_fd();
  // Syncs the temporary, renames it over the target and syncs the folder. With `replace`
  // false an existing target is kept and EEXIST returned.
  int commit(bool replace = true);

 private:
  std::filesystem::path target_;
  std::filesystem::path path_;
  int fd_ = -1;
};

// The whole regular file. Failures read "Не удалось открыть|прочитать <what> <path>: <reason>";
// a file over `max_size` fails with `too_large_prefix` + "файл слишком большой (...)".
Result<Bytes> read_whole_file(const std::filesystem::path& file, std::string_view what, std::uint64_t max_size,
                              std::string_view too_large_prefix);

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
