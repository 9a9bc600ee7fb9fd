#pragma once
// Partitions: type and properties, names, the integration time of the wired loops and the
// relay bindings of the relay modules — read out of the configuration and changed by named
// operations. A refused operation changes no byte.
#include "memory/configuration.hpp"
#include "util/result.hpp"

namespace vq::settings {

inline constexpr int kPartitionCount = 96;

// Integration time of wired loop 1 (ШС1) or 2 (ШС2): 500 or 70 ms.
int loop_integration_ms(const memory::Configuration& config, int loop);
// Sets it; only 500 and 70 are accepted, and no other bit of the byte changes.
Result<> set_loop_integration_ms(memory::Configuration& config, int loop, int ms);

}  // namespace vq::settings
