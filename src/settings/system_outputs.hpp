#pragma once
// System outputs: which device and physical output each of the 250 drives, its work mode,
// control time and partition links — read out of the configuration and changed by named
// operations. A refused operation changes no byte.
#include <cstdint>

#include "memory/configuration.hpp"
#include "util/result.hpp"

namespace vq::settings {

inline constexpr int kSystemOutputCount = 250;

// Device classes as stored (byte 0 high nibble).
enum class OutputClass : int { none = 0, panel = 1, radio_relay = 2, relay_module = 3, siren = 4, ops = 5 };

// What output n (1..250) is bound to, as stored: class, device number (byte 1) and
// physical output number 1..16 (low nibble + 1).
struct OutputBinding {
  int device_class = 0;
  int device = 0;
  int output = 1;
  friend bool operator==(const OutputBinding&, const OutputBinding&) = default;
};
OutputBinding output_binding(const memory::Configuration& config, int n);

// Frees every output bound under `device_class` to `device` (bytes 0 and 1 set to 0; mode
// and partition links stay). Returns how many were freed.
int free_outputs_bound_to(memory::Configuration& config, int device_class, int device);

}  // namespace vq::settings
