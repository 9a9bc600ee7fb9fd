// Any USB-RS-485 adapter the kernel exposes as a tty.
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "link/rs485/adapter.hpp"

namespace vq::link::rs485 {
namespace {

std::string sys_error() { return std::strerror(errno); }

class SerialAdapter final : public Adapter {
 public:
  explicit SerialAdapter(int fd) : fd_(fd) {}
  ~SerialAdapter() override {
    purge();
    ::close(fd_);
  }
  SerialAdapter(const SerialAdapter&) = delete;
  SerialAdapter& operator=(const SerialAdapter&) = delete;

  Result<> write(ByteView data) override {
    std::size_t done = 0;
    while (done < data.size()) {
      auto n = ::write(fd_, data.data() + done, data.size() - done);
      if (n < 0) {
        if (errno == EINTR) continue;
        if (errno == EAGAIN) {
          pollfd p{fd_, POLLOUT, 0};
          if (::poll(&p, 1, static_cast<int>(kAdapterTimeout.count())) > 0) continue;
          return fail("Ошибка записи в адаптер RS-485", 0);
        }
        return fail(Error{0, 0, "Ошибка записи в адаптер RS-485", sys_error()});
      }
      done += static_cast<std::size_t>(n);
    }
    return {};
  }

  Result<std::size_t> read(std::span<std::uint8_t> buf, Millis timeout) override {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + timeout;
    std::size_t got = 0;
    while (got < buf.size()) {
      auto left = std::chrono::duration_cast<Millis>(deadline - Clock::now());
      if (left.count() < 0) break;
      pollfd p{fd_, POLLIN, 0};
      int r = ::poll(&p, 1, static_cast<int>(left.count()));
      if (r < 0) {
        if (errno == EINTR) continue;
        return fail(Error{0, 0, "Ошибка чтения из адаптера RS-485", sys_error()});
      }
      if (r == 0) break;
      auto n = ::read(fd_, buf.data() + got, buf.size() - got);
      if (n < 0) {
        if (errno == EINTR || errno == EAGAIN) continue;
        return fail(Error{0, 0, "Ошибка чтения из адаптера RS-485", sys_error()});
      }
      if (n == 0) break;
      got += static_cast<std::size_t>(n);
    }
    return got;
  }

  void purge() override { ::tcflush(fd_, TCIOFLUSH); }

 private:
  int fd_;
};

}  // namespace

Result<std::unique_ptr<Adapter>> open_serial_adapter(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return fail(Error{0, 0, "Не удалось открыть адаптер RS-485 " + path, sys_error()});
  termios t{};
  if (::tcgetattr(fd, &t) != 0) {
    auto e = sys_error();
    ::close(fd);
    return fail(Error{0, 0, "Не удалось настроить адаптер RS-485 " + path, e});
  }
  ::cfmakeraw(&t);
  t.c_cflag &= ~static_cast<tcflag_t>(CSTOPB | PARENB | CSIZE | CRTSCTS);
  t.c_cflag |= CS8 | CLOCAL | CREAD;
  t.c_cc[VMIN] = 0;
  t.c_cc[VTIME] = 0;
  ::cfsetispeed(&t, B9600);
  ::cfsetospeed(&t, B9600);
  if (::tcsetattr(fd, TCSANOW, &t) != 0) {
    auto e = sys_error();
    ::close(fd);
    return fail(Error{0, 0, "Не удалось настроить адаптер RS-485 " + path, e});
  }
  ::tcflush(fd, TCIOFLUSH);
  return std::unique_ptr<Adapter>(new SerialAdapter(fd));
}

}  // namespace vq::link::rs485
