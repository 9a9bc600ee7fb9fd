#pragma once
// The service page's fields travel inside the copy of the service table (table 71) that
// page-list entry 14 holds. Until the service settings are decoded these hooks carry that
// copy unchanged.
#include "memory/configuration.hpp"

namespace vq::settings {

// The service page's fields into page-list entry 14.
void StoreServicePage(memory::Configuration& config);
// The service page's fields from page-list entry 14.
void FillServicePage(memory::Configuration& config);

}  // namespace vq::settings
