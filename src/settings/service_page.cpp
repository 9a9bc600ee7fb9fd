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

Result<> set_contact_id_account(memory::Configuration& config, std::string_view text) {
  auto account = parse_contact_id_account(text);
  if (!account) return std::unexpected(account.error());
  auto& image = config.page(memory::PageId::service);
  auto& entry = config.page_list()[memory::kServicePageEntry].data;
  if (image.length() < kServiceTableBytes) return fail("Таблица сервисных настроек короче ожидаемой");
  for (std::span<std::uint8_t> table : {image.data(), std::span<std::uint8_t>(entry)}) {
    ServiceSettings s = decode_service(table);
    s.contact_id_account = *account;
    if (auto r = encode_service(table, s); !r) return r;  // only the account changed: never refused
  }
  return {};
}

}  // namespace vq::settings
