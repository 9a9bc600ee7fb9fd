#pragma once
// Short names of device types and notice types, from the current message table.
#include <optional>
#include <string>

#include "link/trace.hpp"

namespace vq::memory {

// Message id of a device type's short name, or nothing for an unknown code.
std::optional<int> device_type_message_id(int code);

// The short name of a device type ("СМК", "ИП", ...). An unknown code gives "" and its
// decimal value is written as a line to the log, so the gap shows up in diagnostics.
std::string device_type_name(int code, link::Trace* log = nullptr);

// The name of notice type 1..5 ("Речевое", "SMS", ...); "-" for any other code.
std::string notice_type_name(int code);

}  // namespace vq::memory
