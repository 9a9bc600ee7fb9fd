#pragma once
// USB arrival and removal through libusb's hot-plug callbacks: a small thread runs libusb's
// event handling and tells `notify` (on that thread) what came and went. Watches the
// panel's ids when they are known, else every device.
#include <atomic>
#include <functional>
#include <thread>
#include <vector>

#include "link/usb_ids.hpp"

struct libusb_context;

namespace vq::link {

class UsbHotplugMonitor {
 public:
  using Notify = std::function<void(bool arrived, UsbId id)>;

  UsbHotplugMonitor(const std::vector<UsbId>& ids, Notify notify);
  ~UsbHotplugMonitor();
  UsbHotplugMonitor(const UsbHotplugMonitor&) = delete;
  UsbHotplugMonitor& operator=(const UsbHotplugMonitor&) = delete;

  // False where libusb offers no hot-plug notices (then nothing is ever told).
  bool active() const { return context_ != nullptr; }

  // Called from libusb's thread.
  void told(bool arrived, UsbId id) { notify_(arrived, id); }

 private:
  Notify notify_;
  libusb_context* context_ = nullptr;
  std::vector<int> handles_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

}  // namespace vq::link
