#pragma once
// A device served over the link bridge on a Unix socket, from a thread, for as long as the
// object lives.
#include <atomic>
#include <filesystem>
#include <string>
#include <thread>

#include <unistd.h>

#include "link/bridge_server.hpp"

namespace vq::test {

class BridgeServerThread {
 public:
  explicit BridgeServerThread(link::DeviceSide& device) {
    static std::atomic<int> serial{0};
    const auto socket = std::filesystem::temp_directory_path() /
                        ("vq-" + std::to_string(::getpid()) + "-" + std::to_string(serial++) + ".sock");
    uri_ = "unix:" + socket.string();
    link::ServeOptions options;
    options.on_listening = [this](const std::string&) { listening_ = true; };
    thread_ = std::thread([this, &device, options] { (void)link::serve_bridge(device, uri_, stop_, options); });
    while (!listening_) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ~BridgeServerThread() {
    stop_ = true;
    thread_.join();
  }
  BridgeServerThread(const BridgeServerThread&) = delete;
  BridgeServerThread& operator=(const BridgeServerThread&) = delete;

  const std::string& uri() const { return uri_; }

 private:
  std::string uri_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> listening_{false};
  std::thread thread_;
};

}  // namespace vq::test
