#include "link/trace.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <system_error>

namespace vq::link {

std::string hex_line(std::uint8_t b) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "0x%x", static_cast<unsigned>(b));
  return buf;
}

std::string buffer_line(std::size_t index, std::uint8_t b) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "TxRxBuffer[%zu] - %x", index, static_cast<unsigned>(b));
  return buf;
}

FileTrace::FileTrace(const std::string& path) : path_(path) {
  // Not blocking on open: a FIFO nobody reads is an error at once, not a hang.
  fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
  if (fd_ < 0) {
    error_ = errno;
    return;
  }
  opened_ = true;
  const int flags = ::fcntl(fd_, F_GETFL);
  if (flags >= 0) (void)::fcntl(fd_, F_SETFL, flags & ~O_NONBLOCK);
}

FileTrace::~FileTrace() {
  if (fd_ >= 0) ::close(fd_);
}

std::string FileTrace::failure() const {
  if (ok()) return {};
  return std::string(opened_ ? "Не удалось записать" : "Не удалось открыть") + " файл журнала обмена " + path_ + ": " +
         std::error_code(error_, std::generic_category()).message();
}

void FileTrace::line(std::string_view text) {
  if (!ok()) return;  // the first failure is the one to tell
  std::string out(text);
  out += '\n';
  std::string_view rest = out;
  while (!rest.empty()) {
    const auto n = ::write(fd_, rest.data(), rest.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      error_ = n < 0 ? errno : EIO;
      return;
    }
    rest.remove_prefix(static_cast<std::size_t>(n));
  }
}

}  // namespace vq::link
