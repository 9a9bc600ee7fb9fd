#pragma once
// The client end of the link bridge: a panel's USB transfers carried over a stream socket
// (tcp:HOST:PORT or unix:PATH), one record per transfer each way.
#include <algorithm>  // record_queue.hpp uses std::copy_n
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "link/bridge_address.hpp"
#include "link/bridge_codec.hpp"
#include "link/bridge_socket.hpp"
#include "link/record_queue.hpp"
#include "link/transport.hpp"

namespace vq::link {

inline constexpr Millis kBridgeConnectTimeout{3000};
inline constexpr Millis kBridgeWriteTimeout{2000};

class BridgeTransport final : public Transport {
 public:
  // `uri` only names the bridge in error texts.
  BridgeTransport(SocketFd socket, std::string uri, Millis write_timeout = kBridgeWriteTimeout);

  // One record; an empty transfer or one over 4096 bytes is refused.
  Result<> write(ByteView data) override;
  // From the oldest received record first; waits for a complete record only when none is left.
  Result<std::size_t> read(std::span<std::uint8_t> buf, Millis timeout) override;
  // Writes are on the socket when write() returns; received records always stay.
  void flush() override {}

 private:
  std::unexpected<Error> broken(Error e);

  SocketFd socket_;
  std::string uri_;
  Millis write_timeout_;
  RecordReader reader_;
  RecordQueue queue_;
  std::optional<Error> broken_;  // once the stream is lost or out of step, every call fails with this
};

class BridgeEndpoint final : public Endpoint {
 public:
  explicit BridgeEndpoint(BridgeAddress address, Millis connect_timeout = kBridgeConnectTimeout);
  // Parses the URI first; a malformed one is an error here rather than at discover().
  static Result<std::unique_ptr<BridgeEndpoint>> open(std::string_view uri,
                                                      Millis connect_timeout = kBridgeConnectTimeout);

  // Connects: one panel behind a bridge that answers, none (with the reason) otherwise.
  Discovery discover() override;
  std::string describe() const override { return address_.uri(); }

 private:
  BridgeAddress address_;
  Millis connect_timeout_;
};

}  // namespace vq::link
