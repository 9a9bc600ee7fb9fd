#pragma once
// The device end of the link bridge: puts a DeviceSide (the virtual panel) behind a
// listening socket and serves one client after another.
#include <atomic>
#include <functional>
#include <string>
#include <string_view>

#include "link/device_side.hpp"
#include "link/transport.hpp"

namespace vq::link {

struct ServeOptions {
  // Serving ends soon after this is set (it is looked at every poll_interval).
  const std::atomic<bool>* stop = nullptr;
  // Serving ends after this many clients have come and gone; 0: no limit.
  int max_clients = 0;
  // Called once listening, with the address really bound ("tcp:127.0.0.1:43567" for port 0).
  std::function<void(const std::string& uri)> on_listening;
  // One line per client event (connected, gone, dropped and why).
  std::function<void(const std::string& line)> log;
  Millis poll_interval{100};
  Millis write_timeout{2000};
  // A client that sends nothing for this long is dropped, so it cannot hold the device
  // from the clients waiting behind it; 0: never.
  Millis idle_timeout{10000};
};

// Listens on `listen_uri` (tcp:HOST:PORT with port 0 allowed, or unix:PATH) and, for each
// complete record a client sends, passes it to the device and sends back each answer as
// one record. A client that breaks the record format or stays idle past idle_timeout is
// dropped. Each client starts on a clean exchange (DeviceSide::reset_exchange), so one that
// left mid-frame cannot garble the next. Fails only when it cannot listen or accept; a Unix
// socket's file is removed on return.
Result<> serve_bridge(DeviceSide& device, std::string_view listen_uri, ServeOptions options = {});
Result<> serve_bridge(DeviceSide& device, std::string_view listen_uri, const std::atomic<bool>& stop,
                      ServeOptions options = {});

}  // namespace vq::link
