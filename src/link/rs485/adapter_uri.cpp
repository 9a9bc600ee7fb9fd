#include <charconv>

#include "link/rs485/adapter.hpp"

namespace vq::link::rs485 {

Result<AdapterAddress> parse_adapter_uri(std::string_view uri) {
  AdapterAddress a;
  if (uri == "ftdi") return a;
  if (uri.starts_with("ftdi:")) {
    auto num = uri.substr(5);
    int index = -1;
    auto [end, ec] = std::from_chars(num.data(), num.data() + num.size(), index);
    if (num.empty() || ec != std::errc{} || end != num.data() + num.size() || index < 0)
      return fail("Неверный номер адаптера RS-485: \"" + std::string(num) + "\"");
    a.index = index;
    return a;
  }
  if (uri.starts_with("serial:")) {
    a.kind = AdapterAddress::Kind::Serial;
    a.path = std::string(uri.substr(7));
    if (a.path.empty()) return fail("Не указан путь к последовательному порту в адресе \"" + std::string(uri) + "\"");
    return a;
  }
  return fail("Неизвестный адрес адаптера RS-485: \"" + std::string(uri) +
              "\" (ожидается ftdi, ftdi:НОМЕР или serial:ПУТЬ)");
}

Result<std::unique_ptr<Adapter>> open_adapter(const AdapterAddress& address) {
  if (address.kind == AdapterAddress::Kind::Serial) return open_serial_adapter(address.path);
  return open_ftdi_adapter(address.index);
}

Result<std::unique_ptr<Adapter>> open_adapter(std::string_view uri) {
  auto a = parse_adapter_uri(uri);
  if (!a) return fail(a.error());
  return open_adapter(*a);
}

}  // namespace vq::link::rs485
