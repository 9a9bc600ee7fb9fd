#include "link/bridge_address.hpp"

#include <sys/un.h>

#include <algorithm>
#include <charconv>

namespace vq::link {
namespace {

constexpr std::string_view kTcp = "tcp:";
constexpr std::string_view kUnix = "unix:";

// sun_path must hold the path and its terminating zero.
constexpr std::size_t kMaxSocketPath = sizeof(sockaddr_un{}.sun_path) - 1;

std::unexpected<Error> bad(std::string_view uri, std::string_view why) {
  return fail("Неверный адрес моста \"" + std::string(uri) + "\": " + std::string(why));
}

bool has_space(std::string_view s) {
  return std::any_of(s.begin(), s.end(), [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; });
}

Result<std::uint16_t> parse_port(std::string_view uri, std::string_view text, BridgeRole role) {
  const std::string_view range = role == BridgeRole::listen ? "от 0 до 65535" : "от 1 до 65535";
  if (text.empty()) return bad(uri, "не указан порт");
  unsigned value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc{} || end != text.data() + text.size() || value > 65535 ||
      (value == 0 && role == BridgeRole::connect))
    return bad(uri, "порт должен быть числом " + std::string(range));
  return static_cast<std::uint16_t>(value);
}

Result<BridgeAddress> parse_tcp(std::string_view uri, std::string_view rest, BridgeRole role) {
  BridgeAddress a;
  a.kind = BridgeAddress::Kind::tcp;
  std::string_view host;
  std::string_view port;
  if (rest.starts_with('[')) {
    const auto close = rest.find(']');
    if (close == std::string_view::npos) return bad(uri, "нет закрывающей скобки ]");
    host = rest.substr(1, close - 1);
    const auto after = rest.substr(close + 1);
    if (after.empty()) return bad(uri, "не указан порт");
    if (!after.starts_with(':')) return bad(uri, "после ] ожидается :ПОРТ");
    port = after.substr(1);
    if (host.find(':') == std::string_view::npos)
      return bad(uri, "в квадратных скобках ожидается IPv6-адрес");
  } else {
    const auto colon = rest.rfind(':');
    if (colon == std::string_view::npos) return bad(uri, "не указан порт");
    host = rest.substr(0, colon);
    port = rest.substr(colon + 1);
    if (host.find(':') != std::string_view::npos)
      return bad(uri, "IPv6-адрес записывается в квадратных скобках, например tcp:[::1]:5000");
  }
  if (host.empty()) return bad(uri, "не указан хост");
  if (has_space(host) || host.find('\0') != std::string_view::npos) return bad(uri, "в имени хоста недопустимые символы");
  auto p = parse_port(uri, port, role);
  if (!p) return std::unexpected(p.error());
  a.host = std::string(host);
  a.port = *p;
  return a;
}

Result<BridgeAddress> parse_local(std::string_view uri, std::string_view path) {
  if (path.empty()) return bad(uri, "не указан путь к сокету");
  if (path.find('\0') != std::string_view::npos) return bad(uri, "путь содержит нулевой байт");
  if (path.size() > kMaxSocketPath)
    return bad(uri, "путь к сокету длиннее " + std::to_string(kMaxSocketPath) + " байт");
  BridgeAddress a;
  a.kind = BridgeAddress::Kind::local;
  a.path = std::string(path);
  return a;
}

}  // namespace

std::string BridgeAddress::uri() const {
  if (kind == Kind::local) return std::string(kUnix) + path;
  const bool v6 = host.find(':') != std::string::npos;
  return std::string(kTcp) + (v6 ? "[" + host + "]" : host) + ":" + std::to_string(port);
}

bool is_bridge_uri(std::string_view uri) { return uri.starts_with(kTcp) || uri.starts_with(kUnix); }

Result<BridgeAddress> parse_bridge_uri(std::string_view uri, BridgeRole role) {
  if (uri.starts_with(kTcp)) return parse_tcp(uri, uri.substr(kTcp.size()), role);
  if (uri.starts_with(kUnix)) return parse_local(uri, uri.substr(kUnix.size()));
  return bad(uri, "ожидается tcp:ХОСТ:ПОРТ или unix:ПУТЬ");
}

}  // namespace vq::link
