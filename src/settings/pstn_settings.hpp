#pragma once
// "Модуль PSTN": the telephone line priority, kept in byte 11 of the registered-devices
// entry of a PSTN module (model 518); byte 20 of that entry says whether it may change.
#include <optional>
#include <string>
#include <vector>

#include "memory/configuration.hpp"
#include "util/result.hpp"

namespace vq::settings {

inline constexpr int kPriorityTelephone = 0;  // "Телефон"
inline constexpr int kPriorityPstnModule = 1;  // "Модуль PSTN"

// "Телефон", "Модуль PSTN".
const std::vector<std::string>& pstn_priority_names();

struct PstnSettings {
  bool registered = false;  // a PSTN module is registered
  int priority = 0;         // byte 11 of the (last) PSTN module entry
  bool changeable = false;  // byte 20 of that entry is 3
  friend bool operator==(const PstnSettings&, const PstnSettings&) = default;
};

PstnSettings read_pstn(const memory::Configuration& config);

// Writes the priority into byte 11 of every PSTN module entry. Refused: a value other
// than 0 or 1, no PSTN module registered, a priority the module does not let change
// (unless it is the stored one).
Result<> set_pstn_priority(memory::Configuration& config, int priority);

}  // namespace vq::settings
