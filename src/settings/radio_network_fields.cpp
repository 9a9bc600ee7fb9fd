// The radio network domain as named fields for `config show/set/get`.
#include "settings/config_fields.hpp"

namespace vq::settings {

FieldDomain radio_network_fields() {
  FieldDomain d;
  d.report = [](const memory::Configuration&, const ReportOptions&, std::vector<ReportSection>&) {};
  return d;
}

}  // namespace vq::settings
