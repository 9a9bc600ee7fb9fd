#pragma once
// USB arrival and removal for the settings window: the core's hot-plug monitor, its
// notices brought to the GUI thread as signals.
#include <QObject>
#include <memory>
#include <vector>

#include "link/usb_hotplug.hpp"

namespace vq::gui {

class UsbHotplugWatcher : public QObject {
  Q_OBJECT
 public:
  explicit UsbHotplugWatcher(std::vector<link::UsbId> ids, QObject* parent = nullptr);
  ~UsbHotplugWatcher() override;
  // False where libusb offers no hot-plug notices (then nothing is ever signalled).
  bool active() const { return monitor_ && monitor_->active(); }

  // Called from libusb's thread.
  void notify(bool arrived);

 signals:
  void arrived();
  void removed();

 private:
  std::unique_ptr<link::UsbHotplugMonitor> monitor_;
};

}  // namespace vq::gui
