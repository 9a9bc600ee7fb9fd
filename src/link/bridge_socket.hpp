#pragma once
// Stream-socket plumbing shared by the bridge's client and server. Every socket is
// non-blocking and every wait goes through poll() with a time-out, so nothing here can
// hang on a silent peer, and no send can raise SIGPIPE.
#include <span>
#include <string>

#include "link/bridge_address.hpp"
#include "link/transport.hpp"

namespace vq::link {

class SocketFd {
 public:
  SocketFd() = default;
  explicit SocketFd(int fd) : fd_(fd) {}
  SocketFd(SocketFd&& other) noexcept : fd_(other.release()) {}
  SocketFd& operator=(SocketFd&& other) noexcept;
  SocketFd(const SocketFd&) = delete;
  SocketFd& operator=(const SocketFd&) = delete;
  ~SocketFd() { reset(); }

  int get() const { return fd_; }
  explicit operator bool() const { return fd_ >= 0; }
  int release();
  void reset(int fd = -1);

 private:
  int fd_ = -1;
};

// The system's text for an errno value.
std::string errno_text(int err);

// Connects within `timeout`; the error text is the system's reason (e.g. "Connection refused").
Result<SocketFd> connect_socket(const BridgeAddress& address, Millis timeout);

// A listening socket and the address it really got (the port the system chose for port 0).
// A Unix socket's file is removed again when this is destroyed.
class Listener {
 public:
  static Result<Listener> open(const BridgeAddress& address);
  Listener(Listener&& other) noexcept;
  Listener& operator=(Listener&&) = delete;
  Listener(const Listener&) = delete;
  ~Listener();

  int fd() const { return fd_.get(); }
  const std::string& uri() const { return uri_; }
  // A new client, or an empty SocketFd when none was waiting after all.
  Result<SocketFd> accept_client();

 private:
  Listener() = default;
  SocketFd fd_;
  std::string uri_;
  std::string owned_path_;  // socket file to remove on close
};

// Waits until the socket has something to read (data, end of stream or an error).
// False when `timeout` passed first.
Result<bool> wait_readable(int fd, Millis timeout);

// One recv of what is there: 0 when nothing was after all; the peer closing the stream is
// a kTransportClosed error.
Result<std::size_t> receive_some(int fd, std::span<std::uint8_t> out);

// All of `data`, through partial sends and interruptions, waiting at most `timeout` for room.
Result<> send_all(int fd, ByteView data, Millis timeout);

}  // namespace vq::link
