#pragma once
// The panel on USB through libusb: found by its vendor:product ids, reached through the
// first interface that has a bulk OUT (write) and a bulk IN (read) endpoint.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "link/transport.hpp"

namespace vq::link {

struct UsbId {
  std::uint16_t vendor = 0;
  std::uint16_t product = 0;

  friend bool operator==(const UsbId&, const UsbId&) = default;
  std::string text() const;  // "0483:5740"
};

// "0483:5740": 1 to 4 hex digits on each side.
Result<UsbId> parse_usb_id(std::string_view text);
// A comma-separated list; blank text is an empty list.
Result<std::vector<UsbId>> parse_usb_ids(std::string_view text);

inline constexpr const char* kUsbIdsVariable = "VANTORQ_USB_IDS";
inline constexpr std::string_view kTextNoUsbIds =
    "Не заданы USB-идентификаторы прибора (VID:PID): задайте их в VANTORQ_USB_IDS или параметром --usb-id";

// The list in VANTORQ_USB_IDS; nothing when it is unset or blank, an error when malformed.
Result<std::optional<std::vector<UsbId>>> usb_ids_from_environment();
// The same, falling back to `fallback` when the variable is unset, blank or malformed.
std::vector<UsbId> usb_ids_from_environment_or(const std::vector<UsbId>& fallback);

// Whether this system's libusb can report arrival and removal of devices.
bool usb_hotplug_supported();

struct UsbOptions {
  Millis write_timeout{2000};
  // One bulk IN request; rounded up to a multiple of the endpoint's packet size so a
  // device transfer never overflows it.
  std::size_t read_size = 4096;
};

class UsbContext;

class UsbEndpoint final : public Endpoint {
 public:
  explicit UsbEndpoint(std::vector<UsbId> ids, UsbOptions options = {});
  ~UsbEndpoint() override;

  // Counts attached devices with a listed id (one that cannot be opened still counts);
  // opens and claims it when there is exactly one.
  Discovery discover() override;
  std::string describe() const override { return "usb"; }
  const std::vector<UsbId>& ids() const { return ids_; }

 private:
  std::vector<UsbId> ids_;
  UsbOptions options_;
  std::shared_ptr<UsbContext> context_;  // made on first discover, shared with open transports
};

}  // namespace vq::link
