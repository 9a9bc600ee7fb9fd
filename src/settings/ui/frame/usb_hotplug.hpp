#pragma once
// USB arrival and removal through libusb's hot-plug callbacks. A small thread runs
// libusb's event handling; arrivals and removals reach the GUI thread as signals.
// Watches the panel's ids when they are known, else every device.
#include <QObject>
#include <atomic>
#include <thread>
#include <vector>

#include "link/usb_transport.hpp"

struct libusb_context;

namespace vq::gui {

class UsbHotplugWatcher : public QObject {
  Q_OBJECT
 public:
  explicit UsbHotplugWatcher(std::vector<link::UsbId> ids, QObject* parent = nullptr);
  ~UsbHotplugWatcher() override;
  // False where libusb offers no hot-plug notices (then nothing is ever signalled).
  bool active() const { return context_ != nullptr; }

  // Called from libusb's thread.
  void notify(bool arrived);

 signals:
  void arrived();
  void removed();

 private:
  libusb_context* context_ = nullptr;
  std::vector<int> handles_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

}  // namespace vq::gui
