#include "settings/service_page.hpp"

namespace vq::settings {

void StoreServicePage(memory::Configuration&) {}

void FillServicePage(memory::Configuration&) {}

}  // namespace vq::settings
