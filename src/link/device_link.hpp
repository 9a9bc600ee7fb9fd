#pragma once
// The single connection to a device: a write pipe and a read pipe over whichever transport
// its endpoint gives (libusb, a socket bridge, the in-process virtual panel).
#include <memory>
#include <span>
#include <string>

#include "link/transport.hpp"

namespace vq::link {

inline constexpr Millis kDefaultTimeout{2000};
inline constexpr std::string_view kTextNoAnswer = "Прибор не отвечает";
inline constexpr std::string_view kTextNotOpen = "Связь с прибором не установлена";

class DeviceLink {
 public:
  enum class Pipe { write, read };

  explicit DeviceLink(std::shared_ptr<Endpoint> endpoint = nullptr, Millis timeout = kDefaultTimeout);

  void set_timeout(Millis timeout) { timeout_ = timeout; }
  Millis timeout() const { return timeout_; }

  // Finds the panels behind the endpoint; connected when exactly one was found and opened.
  // Returns the number found. Any previous connection is closed first.
  int discover();
  // Why the last discover could not open a panel, when it could not.
  const std::string& discover_error() const { return discover_error_; }
  // The TransportErrorCode that goes with discover_error(), or 0.
  int discover_error_code() const { return discover_error_code_; }
  // The failure a window shows when discover did not connect: no ids set, the one panel
  // found could not be opened (why, as the text), no panel (15034) or more than one
  // (15035), with the reason behind it as the detail.
  Error discovery_failure(int count) const;
  void close();
  bool connected() const { return connected_; }
  bool is_open() const { return transport_ != nullptr; }

  // Write: pushes pending writes out. Read: nothing to do, received bytes always stay.
  void flush(Pipe pipe);

  Result<> write_byte(std::uint8_t b);
  Result<> write_bytes(ByteView data);
  Result<std::uint8_t> read_byte();
  // Exactly 64 bytes, or the failure.
  Result<> read64(std::span<std::uint8_t, 64> out);
  // Up to out.size() bytes in one read: what the device sent as one answer.
  Result<std::size_t> read_bytes(std::span<std::uint8_t> out);

 private:
  Result<std::size_t> read_some(std::span<std::uint8_t> out);

  std::shared_ptr<Endpoint> endpoint_;
  std::unique_ptr<Transport> transport_;
  Millis timeout_;
  bool connected_ = false;
  std::string discover_error_;
  int discover_error_code_ = 0;
};

}  // namespace vq::link
