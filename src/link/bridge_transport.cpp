#include "link/bridge_transport.hpp"

#include <array>
#include <chrono>

namespace vq::link {
namespace {

using Clock = std::chrono::steady_clock;

constexpr std::string_view kNoAnswer = "Прибор не отвечает";

}  // namespace

BridgeTransport::BridgeTransport(SocketFd socket, std::string uri, Millis write_timeout)
    : socket_(std::move(socket)), uri_(std::move(uri)), write_timeout_(write_timeout) {}

std::unexpected<Error> BridgeTransport::broken(Error e) {
  socket_.reset();
  broken_ = e;
  return std::unexpected(std::move(e));
}

Result<> BridgeTransport::write(ByteView data) {
  if (broken_) return std::unexpected(*broken_);
  auto record = encode_record(data);
  if (!record) return std::unexpected(record.error());
  auto sent = send_all(socket_.get(), *record, write_timeout_);
  if (sent) return {};
  Error e{sent.error().code, 0, "Не удалось передать данные мосту " + uri_, sent.error().text};
  // Part of a record may have gone out: the stream is out of step for good.
  return broken(std::move(e));
}

Result<std::size_t> BridgeTransport::read(std::span<std::uint8_t> buf, Millis timeout) {
  if (buf.empty()) return 0;
  if (auto n = queue_.take(buf); n > 0) return n;
  if (broken_) return std::unexpected(*broken_);

  const auto deadline = Clock::now() + timeout;
  std::array<std::uint8_t, 16384> chunk{};
  for (;;) {
    const auto left = std::max(Millis{0}, std::chrono::ceil<Millis>(deadline - Clock::now()));
    auto ready = wait_readable(socket_.get(), left);
    if (!ready) return broken(Error{kTransportIo, 0, "Ошибка связи с мостом " + uri_, ready.error().text});
    if (!*ready) return fail(std::string(kNoAnswer), kTransportTimeout);

    auto got = receive_some(socket_.get(), chunk);
    if (!got) {
      if (got.error().code == kTransportClosed)
        return broken(Error{kTransportClosed, 0, "Мост " + uri_ + " закрыл соединение", {}});
      return broken(Error{kTransportIo, 0, "Ошибка связи с мостом " + uri_, got.error().text});
    }
    reader_.feed(std::span(chunk).first(*got));
    std::optional<Error> bad_record;
    for (;;) {
      auto record = reader_.next();
      if (!record) {
        bad_record = Error{kTransportIo, 0, "Мост " + uri_ + " нарушил формат записей", record.error().text};
        break;
      }
      if (!*record) break;
      queue_.push(std::move(**record));
    }
    // Records that came intact before the bad one are still the device's answers.
    if (bad_record) {
      auto e = broken(std::move(*bad_record));
      if (auto n = queue_.take(buf); n > 0) return n;
      return e;
    }
    if (auto n = queue_.take(buf); n > 0) return n;
  }
}

BridgeEndpoint::BridgeEndpoint(BridgeAddress address, Millis connect_timeout)
    : address_(std::move(address)), connect_timeout_(connect_timeout) {}

Result<std::unique_ptr<BridgeEndpoint>> BridgeEndpoint::open(std::string_view uri, Millis connect_timeout) {
  auto address = parse_bridge_uri(uri, BridgeRole::connect);
  if (!address) return std::unexpected(address.error());
  return std::make_unique<BridgeEndpoint>(std::move(*address), connect_timeout);
}

Endpoint::Discovery BridgeEndpoint::discover() {
  Discovery d;
  auto socket = connect_socket(address_, connect_timeout_);
  if (!socket) {
    d.error = "Нет связи с мостом " + address_.uri() + ": " + socket.error().text;
    return d;
  }
  d.count = 1;
  d.transport = std::make_unique<BridgeTransport>(std::move(*socket), address_.uri());
  return d;
}

}  // namespace vq::link
