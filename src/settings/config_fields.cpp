#include "settings/config_fields.hpp"

#include <charconv>

namespace vq::settings {

const std::vector<FieldDomain>& field_domains() {
  static const std::vector<FieldDomain> domains = {partition_fields(), radio_network_fields(),
                                                   system_output_fields(), identifier_fields(),
                                                   recipient_fields(),     remote_control_fields(),
                                                   service_fields(),       voice_fields()};
  return domains;
}

Result<> set_config_field(memory::Configuration& config, std::string_view key, std::string_view value) {
  for (const auto& domain : field_domains()) {
    if (!domain.set) continue;
    if (auto r = domain.set(config, key, value)) return *r;
  }
  return fail("Нет такого ключа: " + std::string(key) + " (ключи перечислены в docs/config-keys.md)");
}

bool is_secret_key(std::string_view key) {
  for (const auto& domain : field_domains())
    if (domain.secret_key && domain.secret_key(key)) return true;
  return false;
}

std::vector<std::string_view> split_key(std::string_view key) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  while (true) {
    const auto dot = key.find('.', start);
    parts.push_back(key.substr(start, dot == std::string_view::npos ? std::string_view::npos : dot - start));
    if (dot == std::string_view::npos) break;
    start = dot + 1;
  }
  return parts;
}

std::optional<int> key_item(std::string_view part, int count) {
  int v = 0;
  if (part.empty() || part.front() == '0') return std::nullopt;
  auto [p, ec] = std::from_chars(part.data(), part.data() + part.size(), v);
  if (ec != std::errc{} || p != part.data() + part.size() || v < 1 || v > count) return std::nullopt;
  return v;
}

}  // namespace vq::settings
