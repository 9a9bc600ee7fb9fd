#include "link/bridge_socket.hpp"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <arpa/inet.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>
#include <memory>
#include <system_error>
#include <utility>

#ifndef MSG_NOSIGNAL
#define MSG_NOSIGNAL 0  // SO_NOSIGPIPE is set on the socket instead
#endif

namespace vq::link {
namespace {

using Clock = std::chrono::steady_clock;

std::unexpected<Error> sys_fail(int err, int code = kTransportIo) { return fail(errno_text(err), code); }

int closed_or_io(int err) {
  return err == EPIPE || err == ECONNRESET || err == ENOTCONN ? kTransportClosed : kTransportIo;
}

int remaining_ms(Clock::time_point deadline) {
  const auto left = std::chrono::ceil<Millis>(deadline - Clock::now()).count();
  return static_cast<int>(std::clamp<long long>(left, 0, INT_MAX));
}

// poll() one descriptor until `deadline`, starting again after a signal.
Result<bool> wait_for(int fd, short events, Clock::time_point deadline) {
  for (;;) {
    pollfd p{fd, events, 0};
    const int rc = ::poll(&p, 1, remaining_ms(deadline));
    if (rc > 0) return true;
    if (rc == 0) return false;
    if (errno != EINTR) return sys_fail(errno);
  }
}

void no_sigpipe([[maybe_unused]] int fd) {
#ifdef SO_NOSIGPIPE
  int one = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_NOSIGPIPE, &one, sizeof one);
#endif
}

// Answers are a few bytes each; Nagle would hold them back behind the previous one.
void no_delay(int fd) {
  int one = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
}

Result<SocketFd> new_socket(int family, int protocol = 0) {
  SocketFd fd(::socket(family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, protocol));
  if (!fd) return sys_fail(errno);
  no_sigpipe(fd.get());
  return fd;
}

// 0 once connected, else the errno that stopped it.
int connect_until(int fd, const sockaddr* addr, socklen_t len, Clock::time_point deadline) {
  if (::connect(fd, addr, len) == 0) return 0;
  // After EINTR the connection still goes on in the background, like EINPROGRESS.
  if (errno != EINPROGRESS && errno != EINTR) return errno;
  auto ready = wait_for(fd, POLLOUT, deadline);
  if (!ready) return EIO;
  if (!*ready) return ETIMEDOUT;
  int err = 0;
  socklen_t err_len = sizeof err;
  if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &err_len) != 0) return errno;
  return err;
}

sockaddr_un local_sockaddr(const std::string& path) {
  sockaddr_un sa{};
  sa.sun_family = AF_UNIX;
  std::memcpy(sa.sun_path, path.c_str(), std::min(path.size(), sizeof sa.sun_path - 1));
  return sa;
}

using AddrList = std::unique_ptr<addrinfo, decltype(&::freeaddrinfo)>;

Result<AddrList> resolve(const BridgeAddress& a, bool passive) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_NUMERICSERV | (passive ? AI_PASSIVE : 0);
  addrinfo* list = nullptr;
  const int rc = ::getaddrinfo(a.host.c_str(), std::to_string(a.port).c_str(), &hints, &list);
  if (rc == EAI_SYSTEM) return sys_fail(errno);
  if (rc != 0) return fail(std::string(::gai_strerror(rc)), kTransportIo);
  return AddrList(list, &::freeaddrinfo);
}

Result<SocketFd> connect_tcp(const BridgeAddress& a, Clock::time_point deadline) {
  auto list = resolve(a, false);
  if (!list) return std::unexpected(list.error());
  int last = ECONNREFUSED;
  for (const addrinfo* ai = list->get(); ai; ai = ai->ai_next) {
    auto fd = new_socket(ai->ai_family, ai->ai_protocol);
    if (!fd) continue;
    last = connect_until(fd->get(), ai->ai_addr, ai->ai_addrlen, deadline);
    if (last == 0) {
      no_delay(fd->get());
      return std::move(*fd);
    }
  }
  return sys_fail(last);
}

Result<SocketFd> connect_local(const BridgeAddress& a, Clock::time_point deadline) {
  auto fd = new_socket(AF_UNIX);
  if (!fd) return fd;
  const sockaddr_un sa = local_sockaddr(a.path);
  const int err = connect_until(fd->get(), reinterpret_cast<const sockaddr*>(&sa), sizeof sa, deadline);
  if (err != 0) return sys_fail(err);
  return fd;
}

// The address a listening socket really got, as a URI.
std::string bound_uri(int fd) {
  sockaddr_storage ss{};
  socklen_t len = sizeof ss;
  if (::getsockname(fd, reinterpret_cast<sockaddr*>(&ss), &len) != 0) return {};
  char text[INET6_ADDRSTRLEN] = {};
  BridgeAddress a;
  if (ss.ss_family == AF_INET) {
    const auto* in = reinterpret_cast<const sockaddr_in*>(&ss);
    ::inet_ntop(AF_INET, &in->sin_addr, text, sizeof text);
    a.port = ntohs(in->sin_port);
  } else if (ss.ss_family == AF_INET6) {
    const auto* in6 = reinterpret_cast<const sockaddr_in6*>(&ss);
    ::inet_ntop(AF_INET6, &in6->sin6_addr, text, sizeof text);
    a.port = ntohs(in6->sin6_port);
  } else {
    return {};
  }
  a.host = text;
  return a.uri();
}

constexpr int kBacklog = 8;

}  // namespace

SocketFd& SocketFd::operator=(SocketFd&& other) noexcept {
  if (this != &other) reset(other.release());
  return *this;
}

int SocketFd::release() {
  const int fd = fd_;
  fd_ = -1;
  return fd;
}

void SocketFd::reset(int fd) {
  if (fd_ >= 0) ::close(fd_);
  fd_ = fd;
}

std::string errno_text(int err) { return std::system_category().message(err); }

Result<SocketFd> connect_socket(const BridgeAddress& address, Millis timeout) {
  const auto deadline = Clock::now() + timeout;
  return address.kind == BridgeAddress::Kind::tcp ? connect_tcp(address, deadline) : connect_local(address, deadline);
}

Result<Listener> Listener::open(const BridgeAddress& address) {
  Listener l;
  if (address.kind == BridgeAddress::Kind::tcp) {
    auto list = resolve(address, true);
    if (!list) return std::unexpected(list.error());
    int last = EADDRNOTAVAIL;
    for (const addrinfo* ai = list->get(); ai; ai = ai->ai_next) {
      auto fd = new_socket(ai->ai_family, ai->ai_protocol);
      if (!fd) {
        last = errno;
        continue;
      }
      // A restarted server must not wait for the old connections' TIME_WAIT.
      int one = 1;
      ::setsockopt(fd->get(), SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
      if (::bind(fd->get(), ai->ai_addr, ai->ai_addrlen) != 0 || ::listen(fd->get(), kBacklog) != 0) {
        last = errno;
        continue;
      }
      l.fd_ = std::move(*fd);
      break;
    }
    if (!l.fd_) return sys_fail(last);
    l.uri_ = bound_uri(l.fd_.get());
    return l;
  }

  const std::string& path = address.path;
  struct stat st {};
  if (::lstat(path.c_str(), &st) == 0) {
    if (!S_ISSOCK(st.st_mode)) return fail("файл " + path + " уже существует и не является сокетом", kTransportIo);
    // A socket file nobody answers on is left over from a server that did not clean up.
    auto probe = connect_socket(address, Millis{200});
    if (probe) return fail("на сокете " + path + " уже работает другой сервер", kTransportIo);
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) return sys_fail(errno);
  }
  auto fd = new_socket(AF_UNIX);
  if (!fd) return std::unexpected(fd.error());
  const sockaddr_un sa = local_sockaddr(path);
  if (::bind(fd->get(), reinterpret_cast<const sockaddr*>(&sa), sizeof sa) != 0) return sys_fail(errno);
  l.owned_path_ = path;
  l.fd_ = std::move(*fd);
  if (::listen(l.fd_.get(), kBacklog) != 0) return sys_fail(errno);
  l.uri_ = address.uri();
  return l;
}

Listener::Listener(Listener&& other) noexcept
    : fd_(std::move(other.fd_)), uri_(std::move(other.uri_)), owned_path_(std::exchange(other.owned_path_, {})) {}

Listener::~Listener() {
  fd_.reset();
  if (!owned_path_.empty()) ::unlink(owned_path_.c_str());
}

Result<SocketFd> Listener::accept_client() {
  for (;;) {
    SocketFd c(::accept4(fd_.get(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC));
    if (c) {
      no_sigpipe(c.get());
      no_delay(c.get());  // fails harmlessly on a Unix socket
      return c;
    }
    if (errno == EINTR) continue;
    // The client gave up between poll and accept.
    if (errno == EAGAIN || errno == EWOULDBLOCK || errno == ECONNABORTED || errno == EPROTO) return SocketFd{};
    return sys_fail(errno);
  }
}

Result<bool> wait_readable(int fd, Millis timeout) { return wait_for(fd, POLLIN, Clock::now() + timeout); }

Result<std::size_t> receive_some(int fd, std::span<std::uint8_t> out) {
  for (;;) {
    const ssize_t n = ::recv(fd, out.data(), out.size(), MSG_DONTWAIT);
    if (n > 0) return static_cast<std::size_t>(n);
    if (n == 0) return fail("соединение закрыто другой стороной", kTransportClosed);
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) return 0;
    return sys_fail(errno, closed_or_io(errno));
  }
}

Result<> send_all(int fd, ByteView data, Millis timeout) {
  const auto deadline = Clock::now() + timeout;
  while (!data.empty()) {
    const ssize_t n = ::send(fd, data.data(), data.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n > 0) {
      data = data.subspan(static_cast<std::size_t>(n));
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return sys_fail(errno, closed_or_io(errno));
    auto room = wait_for(fd, POLLOUT, deadline);
    if (!room) return std::unexpected(room.error());
    if (!*room)
      return fail("другая сторона не принимает данные " + std::to_string(timeout.count()) + " мс", kTransportTimeout);
  }
  return {};
}

}  // namespace vq::link
