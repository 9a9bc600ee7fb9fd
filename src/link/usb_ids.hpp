#pragma once
// The panel's USB vendor:product ids: their text form, and where a run takes them from —
// the command line (--usb-id), else VANTORQ_USB_IDS, else the preferences file.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "util/result.hpp"

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
// "0483:5740,1234:abcd", as parse_usb_ids reads it back.
std::string usb_ids_text(const std::vector<UsbId>& ids);

inline constexpr const char* kUsbIdsVariable = "VANTORQ_USB_IDS";
inline constexpr std::string_view kTextNoUsbIds =
    "Не заданы USB-идентификаторы прибора (VID:PID): задайте их в «Настройки программы» → «Система», "
    "параметром --usb-id или в переменной VANTORQ_USB_IDS";

// The list in VANTORQ_USB_IDS; nothing when it is unset or blank, an error when malformed.
Result<std::optional<std::vector<UsbId>>> usb_ids_from_environment();
// The same, falling back to `fallback` when the variable is unset, blank or malformed.
std::vector<UsbId> usb_ids_from_environment_or(const std::vector<UsbId>& fallback);

enum class UsbIdSource { none, command_line, environment, preferences };

struct ConfiguredUsbIds {
  std::vector<UsbId> ids;
  UsbIdSource source = UsbIdSource::none;
};

// The first place that names ids wins: `command_line` ("VID:PID" texts, each may be a
// list), then VANTORQ_USB_IDS, then `preferences` (the text the preferences file holds).
// A malformed list at the place that wins is an error naming that place.
Result<ConfiguredUsbIds> resolve_usb_ids(const std::vector<std::string>& command_line, std::string_view preferences);

// Where the ids came from, for the user: "параметр --usb-id", ...
std::string usb_id_source_name(UsbIdSource source);

}  // namespace vq::link
