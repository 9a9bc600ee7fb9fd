#include "settings/ui/frame/usb_hotplug.hpp"

#include <QMetaObject>

namespace vq::gui {

UsbHotplugWatcher::UsbHotplugWatcher(std::vector<link::UsbId> ids, QObject* parent) : QObject(parent) {
  monitor_ = std::make_unique<link::UsbHotplugMonitor>(ids, [this](bool arrived_now, link::UsbId) { notify(arrived_now); });
}

// The monitor's thread is joined before the signals' object goes.
UsbHotplugWatcher::~UsbHotplugWatcher() { monitor_.reset(); }

void UsbHotplugWatcher::notify(bool arrived_now) {
  QMetaObject::invokeMethod(
      this, [this, arrived_now] { arrived_now ? emit arrived() : emit removed(); }, Qt::QueuedConnection);
}

}  // namespace vq::gui
