#include "settings/ui/frame/usb_hotplug.hpp"

#include <libusb.h>

#include <QMetaObject>

namespace vq::gui {
namespace {

int LIBUSB_CALL on_hotplug(libusb_context*, libusb_device*, libusb_hotplug_event event, void* user) {
  static_cast<UsbHotplugWatcher*>(user)->notify(event == LIBUSB_HOTPLUG_EVENT_DEVICE_ARRIVED);
  return 0;  // stay registered
}

}  // namespace

UsbHotplugWatcher::UsbHotplugWatcher(std::vector<link::UsbId> ids, QObject* parent) : QObject(parent) {
  if (libusb_init(&context_) != 0) {
    context_ = nullptr;
    return;
  }
  if (!libusb_has_capability(LIBUSB_CAP_HAS_HOTPLUG)) {
    libusb_exit(context_);
    context_ = nullptr;
    return;
  }
  const auto events = static_cast<libusb_hotplug_event>(LIBUSB_HOTPLUG_EVENT_DEVICE_ARRIVED |
                                                        LIBUSB_HOTPLUG_EVENT_DEVICE_LEFT);
  auto add = [&](int vendor, int product) {
    libusb_hotplug_callback_handle handle = 0;
    if (libusb_hotplug_register_callback(context_, events, LIBUSB_HOTPLUG_NO_FLAGS, vendor, product,
                                         LIBUSB_HOTPLUG_MATCH_ANY, on_hotplug, this, &handle) == LIBUSB_SUCCESS)
      handles_.push_back(handle);
  };
  if (ids.empty()) add(LIBUSB_HOTPLUG_MATCH_ANY, LIBUSB_HOTPLUG_MATCH_ANY);
  for (const auto& id : ids) add(id.vendor, id.product);
  if (handles_.empty()) {
    libusb_exit(context_);
    context_ = nullptr;
    return;
  }
  thread_ = std::thread([this] {
    while (!stop_) {
      timeval tv{0, 200000};
      libusb_handle_events_timeout_completed(context_, &tv, nullptr);
    }
  });
}

UsbHotplugWatcher::~UsbHotplugWatcher() {
  if (!context_) return;
  stop_ = true;
  for (int h : handles_) libusb_hotplug_deregister_callback(context_, h);  // wakes the event loop
  if (thread_.joinable()) thread_.join();
  libusb_exit(context_);
}

void UsbHotplugWatcher::notify(bool arrived_now) {
  QMetaObject::invokeMethod(
      this, [this, arrived_now] { arrived_now ? emit arrived() : emit removed(); }, Qt::QueuedConnection);
}

}  // namespace vq::gui
