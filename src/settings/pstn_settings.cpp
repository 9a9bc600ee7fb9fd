#include "settings/pstn_settings.hpp"

#include "memory/registered_devices.hpp"

namespace vq::settings {
namespace {

constexpr std::uint8_t kChangeable = 3;

}  // namespace

const std::vector<std::string>& pstn_priority_names() {
  static const std::vector<std::string> names = {"Телефон", "Модуль PSTN"};
  return names;
}

PstnSettings read_pstn(const memory::Configuration& config) {
  const auto& table = config.image(memory::ImageId::registered_devices);
  PstnSettings s;
  s.registered = memory::has_model_518(table);
  if (!s.registered) return s;
  s.priority = memory::model_518_byte_11(table);
  s.changeable = memory::model_518_byte_20(table) == kChangeable;
  return s;
}

Result<> set_pstn_priority(memory::Configuration& config, int priority) {
  const auto now = read_pstn(config);
  if (!now.registered) return fail("Модуль PSTN не зарегистрирован в системе: приоритет телефонной линии не задаётся");
  if (priority != kPriorityTelephone && priority != kPriorityPstnModule)
    return fail("Приоритет телефонной линии: 0 «Телефон» или 1 «Модуль PSTN»");
  if (priority == now.priority) return {};
  if (!now.changeable) return fail("Приоритет телефонной линии этого модуля PSTN не меняется");
  memory::set_model_518_byte_11(config.image(memory::ImageId::registered_devices), static_cast<std::uint8_t>(priority));
  return {};
}

}  // namespace vq::settings
