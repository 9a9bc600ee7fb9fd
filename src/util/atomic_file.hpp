#pragma once
// Writing a file so that a failure never harms the one already there: a new temporary file
// in the same folder, synced, then renamed over the target. And reading one whole.
//
// The target is what the user named, so it is honoured: a symbolic link is followed and the
// file it leads to is replaced (the link stays a link); a character device or a FIFO
// (/dev/null, a pipe with a reader) is written through, since renaming over it would put a
// regular file in its place; "-" is standard output. A folder, a block device or a socket
// is refused before anything is written.
#include <filesystem>
#include <string_view>

#include "util/bytes.hpp"
#include "util/result.hpp"

namespace vq {

// The temporary file until it is committed over the target; removed if we never get there.
// Every call returns 0 or the errno of the failure (EISDIR for a folder, ENOTSUP for a block
// device or a socket, ENXIO for a FIFO nobody reads).
class PendingFile {
 public:
  explicit PendingFile(std::filesystem::path target) : target_(std::move(target)) {}
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;
  ~PendingFile();

  // Creates the temporary: a new hidden name each time (O_EXCL), so a stale or foreign file
  // of the same name is never written through. A target written through is opened instead.
  int create();
  // The temporary, or the target itself when it is written through.
  const std::filesystem::path& path() const { return path_; }
  // True when the bytes go straight to the target (a device, a FIFO, standard output):
  // nothing is renamed, and what was written before a failure cannot be taken back.
  bool writes_through() const { return through_; }
  int fd() const { return fd_; }
  int write_all(ByteView data);
  int write_all(std::string_view data) {
    return write_all(ByteView(reinterpret_cast<const std::uint8_t*>(data.data()), data.size()));
  }
  // Closes fd() for a writer that opens the temporary by its path().
  int close_fd();
  // Syncs the temporary, renames it over the target and syncs the folder. With `replace`
  // false an existing target is kept and EEXIST returned. A target written through has
  // its bytes already: commit only syncs and closes.
  int commit(bool replace = true);

 private:
  int open_through(const std::filesystem::path& target);

  std::filesystem::path target_;
  std::filesystem::path path_;
  int fd_ = -1;
  bool through_ = false;
};

// The name a command line takes for standard output.
inline constexpr std::string_view kStandardOutputName = "-";

// Refuses, before a long job starts, an output PendingFile would refuse at its end: a
// folder, a block device, a socket. "Нельзя сохранить <what> в <path>: это папка".
Result<> check_output_target(const std::filesystem::path& target, std::string_view what);

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
