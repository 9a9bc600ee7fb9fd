#pragma once
// The service page travels in the copy of the service table (table 71) that page-list
// entry 14 holds, not in the table 71 image: it is filled from that copy after every read
// of all tables and every file load, and stored into it before every write of all tables
// and every file save. Bytes 38 and 40 of the copy come from the image (the recipients
// page keeps them there) whenever the copy is written or saved. The settings window runs
// both around its transfers and file actions.
#include "memory/configuration.hpp"
#include "settings/service_settings.hpp"
#include "util/result.hpp"

namespace vq::settings {

// The service page's fields from page-list entry 14.
ServiceSettings FillServicePage(const memory::Configuration& config);
// The service page's fields into page-list entry 14, with the bytes every store writes
// (the leading constants, the connection check period); a refusal changes no byte.
// Transfers and file saves without a page (the command line) carry entry 14 as it is.
Result<> StoreServicePage(memory::Configuration& config, const ServiceSettings& page);


}  // namespace vq::settings
