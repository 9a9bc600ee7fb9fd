#pragma once
// A USB device made of nothing: umockdev puts its sysfs entry and its device node in a
// testbed, and this handler answers the usbfs ioctls libusb sends to the node — control
// transfers for the string descriptors, bulk OUT and bulk IN transfers — so the real
// libusb and the real transport talk to it. Knobs make it misbehave the ways a device can.
// The handler runs on umockdev's thread; the test reads and sets the knobs under lock().
#include <umockdev.h>

#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "link/device_side.hpp"
#include "link/usb_ids.hpp"
#include "util/bytes.hpp"

namespace vq::test {

struct FakeUsbShape {
  link::UsbId id{0x0483, 0x5740};
  int bus = 1;
  int address = 2;
  std::string port = "1-2";  // sysfs name: bus, then ports
  std::uint8_t interface_class = 0xFF;  // vendor-specific
  bool second_bulk_in = false;          // then it is no panel: two IN endpoints
  bool interrupt_in = false;            // an interrupt IN instead of the bulk IN
  std::string manufacturer = "Sorvel";
  std::string product = "Panel Q";
  std::string serial = "000123";
};

class FakeUsbDevice {
 public:
  static constexpr std::uint8_t kOut = 0x01;
  static constexpr std::uint8_t kIn = 0x81;
  static constexpr std::size_t kPacket = 64;

  FakeUsbDevice(UMockdevTestbed* testbed, FakeUsbShape shape);
  ~FakeUsbDevice();
  FakeUsbDevice(const FakeUsbDevice&) = delete;
  FakeUsbDevice& operator=(const FakeUsbDevice&) = delete;

  const std::string& syspath() const { return syspath_; }
  // Takes the device node away while sysfs still lists the device: it cannot be opened.
  void remove_node();
  const FakeUsbShape& shape() const { return shape_; }

  // Knobs and records; hold lock() while touching them from the test.
  struct State {
    link::DeviceSide* panel = nullptr;  // when set, OUT bytes go to it and its answers come back
    std::deque<Bytes> answers;          // bulk IN transfers to give, in order
    std::size_t out_chunk = 0;          // an OUT transfer takes at most this many bytes (0: all)
    int zero_length_packets = 0;        // IN transfers that end empty before the next answer
    bool halted_out = false;            // the endpoint stalls every transfer until its halt is cleared
    bool halted_in = false;
    bool out_blocked = false;           // OUT transfers never complete
    bool gone = false;                  // unplugged: every transfer fails with ENODEV
    bool claimed_elsewhere = false;     // another program holds the interface: EBUSY
    Bytes received;                     // every OUT byte taken, in order
    int out_transfers = 0;              // OUT transfers completed with data
    std::vector<std::uint8_t> cleared;  // endpoints whose halt was cleared
  };
  std::unique_lock<std::mutex> lock() { return std::unique_lock<std::mutex>(mutex_); }
  State& state() { return state_; }

 private:
  static gboolean on_ioctl(UMockdevIoctlBase* handler, UMockdevIoctlClient* client, gpointer self);
  gboolean handle(UMockdevIoctlClient* client);
  bool submit(UMockdevIoctlClient* client, UMockdevIoctlData* arg);
  bool reap(UMockdevIoctlClient* client, UMockdevIoctlData* arg);
  bool discard(UMockdevIoctlClient* client, UMockdevIoctlData* arg);
  // Fills waiting IN transfers from the answers; under the lock.
  void serve_in();
  Bytes string_descriptor(std::uint8_t index, std::size_t max) const;

  FakeUsbShape shape_;
  UMockdevTestbed* testbed_ = nullptr;
  std::string syspath_;
  std::string devnode_;
  UMockdevIoctlBase* handler_ = nullptr;
  std::mutex mutex_;
  State state_;
  struct Done {
    UMockdevIoctlData* urb;
    Bytes in;            // bytes for the caller's buffer, written when reaped
    std::size_t at = 0;  // where they go (after the set-up of a control transfer)
  };
  std::deque<Done> done_;                      // transfers to reap, in completion order
  std::deque<UMockdevIoctlData*> waiting_in_;  // IN transfers waiting for bytes
  std::deque<UMockdevIoctlData*> stuck_out_;   // OUT transfers the device does not take
};

}  // namespace vq::test
