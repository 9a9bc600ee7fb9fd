#pragma once
// The USB-RS-485 adapter: 9600 baud 8N1, every read bounded by a time-out.
#include <chrono>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "util/bytes.hpp"
#include "util/result.hpp"

namespace vq::link::rs485 {

using Millis = std::chrono::milliseconds;

// The read and write time-out the adapter is configured with.
inline constexpr Millis kAdapterTimeout{50};

class Adapter {
 public:
  virtual ~Adapter() = default;
  // All bytes, or a failure.
  virtual Result<> write(ByteView data) = 0;
  // Waits until buf.size() bytes have arrived or `timeout` has passed; returns how many
  // arrived (fewer, even none, on a time-out: that is not an error of the adapter).
  virtual Result<std::size_t> read(std::span<std::uint8_t> buf, Millis timeout) = 0;
  // Drops whatever is pending in both directions.
  virtual void purge() = 0;
};

// What an adapter URI names.
struct AdapterAddress {
  enum class Kind { Ftdi, Serial };
  Kind kind = Kind::Ftdi;
  int index = 0;     // Ftdi: the n-th adapter found
  std::string path;  // Serial: the tty
};

// "ftdi", "ftdi:INDEX" or "serial:PATH".
Result<AdapterAddress> parse_adapter_uri(std::string_view uri);

// Opens and configures the adapter; purges both buffers.
Result<std::unique_ptr<Adapter>> open_adapter(const AdapterAddress& address);
Result<std::unique_ptr<Adapter>> open_adapter(std::string_view uri);

// Each in its own file.
Result<std::unique_ptr<Adapter>> open_ftdi_adapter(int index);
Result<std::unique_ptr<Adapter>> open_serial_adapter(const std::string& path);

}  // namespace vq::link::rs485
