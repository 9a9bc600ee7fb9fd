#include "link/usb_hotplug.hpp"

#include <libusb.h>

namespace vq::link {
namespace {

int LIBUSB_CALL on_hotplug(libusb_context*, libusb_device* dev, libusb_hotplug_event event, void* user) {
  libusb_device_descriptor desc{};
  UsbId id;
  if (libusb_get_device_descriptor(dev, &desc) == 0) id = {desc.idVendor, desc.idProduct};
  static_cast<UsbHotplugMonitor*>(user)->told(event == LIBUSB_HOTPLUG_EVENT_DEVICE_ARRIVED, id);
  return 0;  // stay registered
}

}  // namespace

UsbHotplugMonitor::UsbHotplugMonitor(const std::vector<UsbId>& ids, Notify notify) : notify_(std::move(notify)) {
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

UsbHotplugMonitor::~UsbHotplugMonitor() {
  if (!context_) return;
  stop_ = true;
  for (int h : handles_) libusb_hotplug_deregister_callback(context_, h);  // wakes the event loop
  if (thread_.joinable()) thread_.join();
  libusb_exit(context_);
}

}  // namespace vq::link
