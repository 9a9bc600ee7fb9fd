#include "settings/service_page.hpp"

namespace vq::settings {

ServiceSettings FillServicePage(const memory::Configuration& config) {
  const auto& entry = config.page_list()[memory::kServicePageEntry];
  return decode_service(entry.data);
}

Result<> StoreServicePage(memory::Configuration& config, const ServiceSettings& page) {
  auto& entry = config.page_list()[memory::kServicePageEntry];
  if (auto r = encode_service(entry.data, page); !r) return r;
  encode_service_constants(entry.data);
  return {};
}

}  // namespace vq::settings
