#pragma once
// Where a link bridge listens or is reached: tcp:HOST:PORT, tcp:[IPv6]:PORT or unix:PATH.
#include <cstdint>
#include <string>
#include <string_view>

#include "util/result.hpp"

namespace vq::link {

struct BridgeAddress {
  enum class Kind { tcp, local };  // local: a Unix-domain socket file

  Kind kind = Kind::tcp;
  std::string host;        // tcp: a name or an address literal, without brackets
  std::uint16_t port = 0;  // tcp: 0 only when listening (any free port)
  std::string path;        // local

  // The address written back as a URI; IPv6 literals get their brackets again.
  std::string uri() const;
};

// A client needs a real port; a server may ask for port 0.
enum class BridgeRole { connect, listen };

// True when the text names a bridge at all (tcp: or unix:), whether well-formed or not.
bool is_bridge_uri(std::string_view uri);

Result<BridgeAddress> parse_bridge_uri(std::string_view uri, BridgeRole role = BridgeRole::connect);

}  // namespace vq::link
