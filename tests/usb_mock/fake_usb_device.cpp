#include "usb_mock/fake_usb_device.hpp"

#include <linux/ioctl.h>
#include <linux/usbdevice_fs.h>
#include <sys/ioctl.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

// The kernel's ioctl numbers and GLib's macros are C casts.
#pragma GCC diagnostic ignored "-Wold-style-cast"

namespace vq::test {
namespace {

std::string hex(const Bytes& b) {
  static constexpr char d[] = "0123456789abcdef";
  std::string s;
  for (auto v : b) {
    s += d[v >> 4];
    s += d[v & 0xF];
  }
  return s;
}

std::string three(int v) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%03d", v);
  return buf;
}

// Device descriptor, then the one configuration: one interface with its endpoints.
Bytes descriptors(const FakeUsbShape& s) {
  Bytes endpoints = {7, 5, FakeUsbDevice::kOut, 2, FakeUsbDevice::kPacket, 0, 0};
  if (s.interrupt_in)
    endpoints.insert(endpoints.end(), {7, 5, FakeUsbDevice::kIn, 3, 8, 0, 10});
  else
    endpoints.insert(endpoints.end(), {7, 5, FakeUsbDevice::kIn, 2, FakeUsbDevice::kPacket, 0, 0});
  if (s.second_bulk_in) endpoints.insert(endpoints.end(), {7, 5, 0x82, 2, FakeUsbDevice::kPacket, 0, 0});
  const auto n_ep = static_cast<std::uint8_t>(endpoints.size() / 7);
  const auto total = static_cast<std::uint8_t>(9 + 9 + endpoints.size());
  Bytes d = {18, 1, 0x00, 0x02, 0, 0, 0, 64,
             static_cast<std::uint8_t>(s.id.vendor & 0xFF), static_cast<std::uint8_t>(s.id.vendor >> 8),
             static_cast<std::uint8_t>(s.id.product & 0xFF), static_cast<std::uint8_t>(s.id.product >> 8),
             0x00, 0x01, 1, 2, 3, 1};
  d.insert(d.end(), {9, 2, total, 0, 1, 1, 0, 0x80, 50});
  d.insert(d.end(), {9, 4, 0, 0, n_ep, s.interface_class, 0, 0, 0});
  d.insert(d.end(), endpoints.begin(), endpoints.end());
  return d;
}

usbdevfs_urb* as_urb(UMockdevIoctlData* d) { return reinterpret_cast<usbdevfs_urb*>(d->data); }

}  // namespace

FakeUsbDevice::FakeUsbDevice(UMockdevTestbed* testbed, FakeUsbShape shape) : shape_(std::move(shape)), testbed_(testbed) {
  devnode_ = "/dev/bus/usb/" + three(shape_.bus) + "/" + three(shape_.address);
  handler_ = umockdev_ioctl_base_new();
  g_signal_connect_after(handler_, "handle-ioctl", reinterpret_cast<GCallback>(&FakeUsbDevice::on_ioctl), this);
  // The node's handler first, so that libusb can open the device as soon as it is announced.
  umockdev_testbed_attach_ioctl(testbed, devnode_.c_str(), handler_, nullptr);
  syspath_ = "/sys/devices/usb" + std::to_string(shape_.bus) + "/" + shape_.port;
  const std::string text = "P: /devices/usb" + std::to_string(shape_.bus) + "/" + shape_.port + "\n" +
                           "N: " + devnode_.substr(5) + "\n" +
                           "E: SUBSYSTEM=usb\nE: DEVTYPE=usb_device\nE: DRIVER=usb\n" +
                           "E: BUSNUM=" + three(shape_.bus) + "\nE: DEVNUM=" + three(shape_.address) + "\n" +
                           "E: DEVNAME=" + devnode_ + "\n" +
                           "A: busnum=" + std::to_string(shape_.bus) + "\\n\n" +
                           "A: devnum=" + std::to_string(shape_.address) + "\\n\n" +
                           "A: bConfigurationValue=1\\n\nA: speed=480\\n\n" +
                           "A: manufacturer=" + shape_.manufacturer + "\\n\n" +
                           "A: product=" + shape_.product + "\\n\n" +
                           "H: descriptors=" + hex(descriptors(shape_)) + "\n";
  GError* error = nullptr;
  if (!umockdev_testbed_add_from_string(testbed, text.c_str(), &error)) {
    std::fprintf(stderr, "umockdev: %s\n", error ? error->message : "?");
    if (error) g_error_free(error);
  }
}

void FakeUsbDevice::remove_node() {
  umockdev_testbed_detach_ioctl(testbed_, devnode_.c_str(), nullptr);
  gchar* root = umockdev_testbed_get_root_dir(testbed_);
  std::remove((std::string(root) + devnode_).c_str());
  g_free(root);
}

FakeUsbDevice::~FakeUsbDevice() {
  for (auto& d : done_) umockdev_ioctl_data_unref(d.urb);
  for (auto* q : {&waiting_in_, &stuck_out_})
    for (auto* d : *q) umockdev_ioctl_data_unref(d);
  g_object_unref(handler_);
}

gboolean FakeUsbDevice::on_ioctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer self) {
  return static_cast<FakeUsbDevice*>(self)->handle(client);
}

gboolean FakeUsbDevice::handle(UMockdevIoctlClient* client) {
  const unsigned long request = umockdev_ioctl_client_get_request(client);
  UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
  std::lock_guard<std::mutex> guard(mutex_);
  switch (request) {
    case USBDEVFS_GET_CAPABILITIES: {
      UMockdevIoctlData* d = umockdev_ioctl_data_resolve(arg, 0, sizeof(guint32), nullptr);
      const guint32 caps = USBDEVFS_CAP_BULK_CONTINUATION | USBDEVFS_CAP_NO_PACKET_SIZE_LIM |
                           USBDEVFS_CAP_REAP_AFTER_DISCONNECT | USBDEVFS_CAP_ZERO_PACKET;
      std::memcpy(d->data, &caps, sizeof caps);
      umockdev_ioctl_data_unref(d);
      umockdev_ioctl_client_complete(client, 0, 0);
      return TRUE;
    }
    case USBDEVFS_CLEAR_HALT: {
      UMockdevIoctlData* d = umockdev_ioctl_data_resolve(arg, 0, sizeof(unsigned int), nullptr);
      unsigned int ep = 0;
      std::memcpy(&ep, d->data, sizeof ep);
      umockdev_ioctl_data_unref(d);
      state_.cleared.push_back(static_cast<std::uint8_t>(ep));
      (ep == kOut ? state_.halted_out : state_.halted_in) = false;
      umockdev_ioctl_client_complete(client, 0, 0);
      return TRUE;
    }
    case USBDEVFS_CLAIMINTERFACE:
    case USBDEVFS_DISCONNECT_CLAIM:
      if (state_.claimed_elsewhere) {
        umockdev_ioctl_client_complete(client, -1, EBUSY);
        return TRUE;
      }
      umockdev_ioctl_client_complete(client, 0, 0);
      return TRUE;
    case USBDEVFS_RELEASEINTERFACE:
    case USBDEVFS_SETINTERFACE:
    case USBDEVFS_RESET:
    case USBDEVFS_RESETEP:
      umockdev_ioctl_client_complete(client, 0, 0);
      return TRUE;
    case USBDEVFS_GETDRIVER:
    case USBDEVFS_IOCTL:  // no kernel driver to detach or attach
      umockdev_ioctl_client_complete(client, -1, ENODATA);
      return TRUE;
    case USBDEVFS_SUBMITURB: return submit(client, arg);
    case USBDEVFS_REAPURB:
    case USBDEVFS_REAPURBNDELAY: return reap(client, arg);
    case USBDEVFS_DISCARDURB: return discard(client, arg);
    default:
      std::fprintf(stderr, "fake usb: unhandled ioctl 0x%lx\n", request);
      return FALSE;
  }
}

bool FakeUsbDevice::submit(UMockdevIoctlClient* client, UMockdevIoctlData* arg) {
  if (state_.gone) {
    umockdev_ioctl_client_complete(client, -1, ENODEV);
    return true;
  }
  UMockdevIoctlData* urb_data = umockdev_ioctl_data_resolve(arg, 0, sizeof(usbdevfs_urb), nullptr);
  usbdevfs_urb* urb = as_urb(urb_data);
  const auto length = static_cast<std::size_t>(std::max(urb->buffer_length, 0));
  UMockdevIoctlData* buffer =
      umockdev_ioctl_data_resolve(urb_data, offsetof(usbdevfs_urb, buffer), length, nullptr);
  const std::uint8_t* bytes = buffer ? buffer->data : nullptr;
  urb->actual_length = 0;
  urb->status = 0;

  if (urb->type == USBDEVFS_URB_TYPE_CONTROL && length >= 8 && bytes) {
    const unsigned value = bytes[2] | (bytes[3] << 8);
    const std::size_t want = static_cast<std::size_t>(bytes[6] | (bytes[7] << 8));
    if (bytes[0] == 0x80 && bytes[1] == 6 && (value >> 8) == 3) {
      Bytes reply = string_descriptor(static_cast<std::uint8_t>(value & 0xFF), std::min(want, length - 8));
      urb->actual_length = static_cast<int>(reply.size());
      done_.push_back({urb_data, std::move(reply), 8});
    } else {
      urb->status = -EPIPE;  // a request this device does not know: stalled
      done_.push_back({urb_data, {}, 0});
    }
  } else if (urb->type == USBDEVFS_URB_TYPE_BULK && urb->endpoint == kOut) {
    if (state_.halted_out) {
      urb->status = -EPIPE;
      done_.push_back({urb_data, {}, 0});
    } else if (state_.out_blocked) {
      stuck_out_.push_back(urb_data);
    } else {
      const std::size_t taken = state_.out_chunk ? std::min(state_.out_chunk, length) : length;
      const Bytes got(bytes, bytes + taken);
      state_.received.insert(state_.received.end(), got.begin(), got.end());
      ++state_.out_transfers;
      if (state_.panel) {
        state_.panel->receive(got);
        while (auto a = state_.panel->take_answer()) state_.answers.push_back(std::move(*a));
      }
      urb->actual_length = static_cast<int>(taken);
      done_.push_back({urb_data, {}, 0});
    }
  } else if (urb->type == USBDEVFS_URB_TYPE_BULK && urb->endpoint == kIn) {
    waiting_in_.push_back(urb_data);
  } else {
    if (buffer) umockdev_ioctl_data_unref(buffer);
    umockdev_ioctl_data_unref(urb_data);
    umockdev_ioctl_client_complete(client, -1, EINVAL);
    return true;
  }
  if (buffer) umockdev_ioctl_data_unref(buffer);
  umockdev_ioctl_client_complete(client, 0, 0);
  return true;
}

void FakeUsbDevice::serve_in() {
  while (!waiting_in_.empty()) {
    UMockdevIoctlData* urb_data = waiting_in_.front();
    usbdevfs_urb* urb = as_urb(urb_data);
    Bytes in;
    if (state_.halted_in) {
      urb->status = -EPIPE;
    } else if (state_.zero_length_packets > 0) {
      --state_.zero_length_packets;
    } else if (!state_.answers.empty()) {
      Bytes& a = state_.answers.front();
      const std::size_t n = std::min(a.size(), static_cast<std::size_t>(urb->buffer_length));
      in.assign(a.begin(), a.begin() + static_cast<std::ptrdiff_t>(n));
      urb->actual_length = static_cast<int>(n);
      a.erase(a.begin(), a.begin() + static_cast<std::ptrdiff_t>(n));
      if (a.empty()) state_.answers.pop_front();
    } else {
      return;  // nothing to send yet
    }
    waiting_in_.pop_front();
    done_.push_back({urb_data, std::move(in), 0});
  }
}

bool FakeUsbDevice::reap(UMockdevIoctlClient* client, UMockdevIoctlData* arg) {
  serve_in();
  if (done_.empty()) {
    umockdev_ioctl_client_complete(client, -1, state_.gone ? ENODEV : EAGAIN);
    return true;
  }
  Done d = std::move(done_.front());
  done_.pop_front();
  UMockdevIoctlData* urb_data = d.urb;
  // Same process: the bytes go straight into the caller's buffer.
  if (!d.in.empty()) std::memcpy(static_cast<std::uint8_t*>(as_urb(urb_data)->buffer) + d.at, d.in.data(), d.in.size());
  UMockdevIoctlData* slot = umockdev_ioctl_data_resolve(arg, 0, sizeof(gpointer), nullptr);
  umockdev_ioctl_data_set_ptr(slot, 0, urb_data);
  umockdev_ioctl_data_unref(slot);
  umockdev_ioctl_data_unref(urb_data);
  umockdev_ioctl_client_complete(client, 0, 0);
  return true;
}

bool FakeUsbDevice::discard(UMockdevIoctlClient* client, UMockdevIoctlData* arg) {
  gulong addr = 0;
  std::memcpy(&addr, arg->data, sizeof addr);
  for (auto* q : {&waiting_in_, &stuck_out_}) {
    auto it = std::find_if(q->begin(), q->end(), [&](UMockdevIoctlData* d) { return d->client_addr == addr; });
    if (it == q->end()) continue;
    as_urb(*it)->status = -ENOENT;  // reaped as cancelled, as the kernel does
    done_.push_back({*it, {}, 0});
    q->erase(it);
    umockdev_ioctl_client_complete(client, 0, 0);
    return true;
  }
  umockdev_ioctl_client_complete(client, -1, EINVAL);
  return true;
}

Bytes FakeUsbDevice::string_descriptor(std::uint8_t index, std::size_t max) const {
  Bytes d;
  if (index == 0) {
    d = {4, 3, 0x09, 0x04};  // English (US)
  } else {
    const std::string& s = index == 1 ? shape_.manufacturer : index == 2 ? shape_.product : shape_.serial;
    d = {static_cast<std::uint8_t>(2 + 2 * s.size()), 3};
    for (char c : s) d.insert(d.end(), {static_cast<std::uint8_t>(c), 0});
  }
  if (d.size() > max) d.resize(max);
  return d;
}

}  // namespace vq::test
