#pragma once
// The one small interface every way of reaching a panel implements: the panel's
// bulk driver over libusb, the link bridge over a socket, the in-process virtual panel.
#include <chrono>
#include <cstddef>
#include <memory>
#include <string>

#include "util/bytes.hpp"
#include "util/result.hpp"

namespace vq::link {

using Millis = std::chrono::milliseconds;

// Error codes a transport read can fail with.
// kTransportNotConfigured: discover was not told what to look for (no USB ids).
// kTransportOpenFailed: one panel was found but could not be opened (rights, busy).
enum TransportErrorCode {
  kTransportTimeout = 100,
  kTransportClosed = 101,
  kTransportIo = 102,
  kTransportNotConfigured = 103,
  kTransportOpenFailed = 104,
};

class Transport {
 public:
  virtual ~Transport() = default;

  // One transfer to the device (one bulk OUT transfer, one bridge record).
  virtual Result<> write(ByteView data) = 0;

  // Up to buf.size() bytes in arrival order, as a bulk pipe gives them: returns as soon as
  // some bytes are there; fails with kTransportTimeout when none came within `timeout`.
  virtual Result<std::size_t> read(std::span<std::uint8_t> buf, Millis timeout) = 0;

  // Pushes out pending writes. Never discards bytes already received.
  virtual void flush() = 0;
};

// What a device URI names: a place where zero, one or more panels may be found.
class Endpoint {
 public:
  struct Discovery {
    int count = 0;                         // panels found
    std::unique_ptr<Transport> transport;  // set when exactly one was found and opened
    std::string error;                     // why opening failed, when it did
    int error_code = 0;                    // a TransportErrorCode with `error`, or 0
  };

  virtual ~Endpoint() = default;
  virtual Discovery discover() = 0;
  virtual std::string describe() const = 0;
};

}  // namespace vq::link
