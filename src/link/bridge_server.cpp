#include "link/bridge_server.hpp"

#include <array>
#include <chrono>
#include <string>

#include "link/bridge_address.hpp"
#include "link/bridge_codec.hpp"
#include "link/bridge_socket.hpp"

namespace vq::link {
namespace {

class Server {
 public:
  Server(DeviceSide& device, const ServeOptions& options) : device_(device), o_(options) {}

  bool stopping() const { return o_.stop && o_.stop->load(); }

  void log(const std::string& line) const {
    if (o_.log) o_.log(line);
  }

  // Returns when the client leaves, breaks the format or serving is stopped.
  void serve_client(const SocketFd& client) {
    device_.reset_exchange();
    RecordReader reader;
    std::array<std::uint8_t, 16384> chunk{};
    auto last_heard = std::chrono::steady_clock::now();
    while (!stopping()) {
      auto ready = wait_readable(client.get(), o_.poll_interval);
      if (!ready) return log("Клиент отключён: " + ready.error().text);
      if (!*ready) {
        if (o_.idle_timeout.count() > 0 && std::chrono::steady_clock::now() - last_heard >= o_.idle_timeout)
          return log("Клиент отключён: нет данных дольше " + std::to_string(o_.idle_timeout.count()) + " мс");
        continue;
      }
      last_heard = std::chrono::steady_clock::now();
      auto got = receive_some(client.get(), chunk);
      if (!got) {
        return log(got.error().code == kTransportClosed ? "Клиент отключился"
                                                        : "Клиент отключён: " + got.error().text);
      }
      reader.feed(std::span(chunk).first(*got));
      for (;;) {
        auto record = reader.next();
        if (!record) return log("Клиент отключён: " + record.error().text);
        if (!*record) break;
        if (auto r = pass_to_device(client, **record); !r) return log("Клиент отключён: " + r.error().text);
      }
    }
  }

 private:
  Result<> pass_to_device(const SocketFd& client, const Bytes& transfer) {
    device_.receive(transfer);
    while (auto answer = device_.take_answer()) {
      if (answer->empty()) continue;
      auto record = encode_record(*answer);
      if (!record) return std::unexpected(record.error());
      if (auto sent = send_all(client.get(), *record, o_.write_timeout); !sent) return sent;
    }
    return {};
  }

  DeviceSide& device_;
  const ServeOptions& o_;
};

}  // namespace

Result<> serve_bridge(DeviceSide& device, std::string_view listen_uri, ServeOptions options) {
  auto address = parse_bridge_uri(listen_uri, BridgeRole::listen);
  if (!address) return std::unexpected(address.error());
  auto listener = Listener::open(*address);
  if (!listener) {
    Error e = listener.error();
    return fail(Error{e.code, 0, "Не удалось открыть мост " + address->uri() + " для приёма подключений", e.text});
  }
  if (options.on_listening) options.on_listening(listener->uri());

  Server server(device, options);
  int served = 0;
  while (!server.stopping() && (options.max_clients <= 0 || served < options.max_clients)) {
    auto ready = wait_readable(listener->fd(), options.poll_interval);
    if (!ready) return std::unexpected(ready.error());
    if (!*ready) continue;
    auto client = listener->accept_client();
    if (!client) return fail(Error{kTransportIo, 0, "Мост не может принять подключение", client.error().text});
    if (!*client) continue;
    ++served;
    server.log("Клиент подключился");
    server.serve_client(*client);
  }
  return {};
}

Result<> serve_bridge(DeviceSide& device, std::string_view listen_uri, const std::atomic<bool>& stop,
                      ServeOptions options) {
  options.stop = &stop;
  return serve_bridge(device, listen_uri, std::move(options));
}

}  // namespace vq::link
