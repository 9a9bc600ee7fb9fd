#pragma once
// The attached USB devices that could be the panel: a vendor-specific interface with one
// bulk OUT and one bulk IN endpoint, as the panel's bulk driver presents it. What
// `usb list` prints and the application settings dialog offers to choose from.
#include <string>
#include <vector>

#include "link/usb_ids.hpp"
#include "util/result.hpp"

namespace vq::link {

struct UsbCandidate {
  UsbId id;
  int bus = 0;
  int address = 0;
  std::string port_path;  // "1-2.4": bus, then the hub ports down to the device
  int interface_number = 0;
  std::string manufacturer;  // empty when the device has none or could not be asked
  std::string product;
  std::string serial;
  bool accessible = false;   // this user may open it
  std::string access_problem;  // why not, when not
  bool panel_like = true;    // false: listed only because its ids are the panel's

  std::string describe() const;  // one line: ids, where, names, access
};

// Every candidate in bus order, and every device carrying one of `also` (the configured
// ids) even when it does not look like a panel, so a wrong id shows. Fails only when
// libusb cannot start or list devices.
Result<std::vector<UsbCandidate>> list_usb_candidates(const std::vector<UsbId>& also = {});

inline constexpr std::string_view kTextNoUsbCandidates =
    "Не найдено ни одного устройства USB, похожего на прибор (интерфейс изготовителя с каналами bulk OUT и bulk IN)";

}  // namespace vq::link
