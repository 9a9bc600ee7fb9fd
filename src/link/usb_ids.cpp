#include "link/usb_ids.hpp"

#include <charconv>
#include <cstdlib>

namespace vq::link {
namespace {

std::string hex4(std::uint16_t v) {
  static constexpr char digits[] = "0123456789abcdef";
  std::string s(4, '0');
  for (int i = 3; i >= 0; --i, v = static_cast<std::uint16_t>(v >> 4)) s[static_cast<std::size_t>(i)] = digits[v & 0xF];
  return s;
}

std::string_view trim(std::string_view s) {
  const auto first = s.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  const auto last = s.find_last_not_of(" \t");
  return s.substr(first, last - first + 1);
}

Result<std::uint16_t> parse_hex16(std::string_view s) {
  if (s.empty() || s.size() > 4) return fail("");
  unsigned v = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v, 16);
  if (ec != std::errc{} || end != s.data() + s.size()) return fail("");
  return static_cast<std::uint16_t>(v);
}

}  // namespace

std::string UsbId::text() const { return hex4(vendor) + ":" + hex4(product); }

Result<UsbId> parse_usb_id(std::string_view text) {
  const std::string_view t = trim(text);
  const auto colon = t.find(':');
  if (colon != std::string_view::npos) {
    auto vendor = parse_hex16(t.substr(0, colon));
    auto product = parse_hex16(t.substr(colon + 1));
    if (vendor && product) return UsbId{*vendor, *product};
  }
  return fail("Неверный USB-идентификатор \"" + std::string(text) +
              "\": ожидается VID:PID в шестнадцатеричном виде, например 0483:5740");
}

Result<std::vector<UsbId>> parse_usb_ids(std::string_view text) {
  std::vector<UsbId> ids;
  if (trim(text).empty()) return ids;
  const std::string whole(text);
  for (;;) {
    const auto comma = text.find(',');
    const std::string_view item = text.substr(0, comma);
    if (trim(item).empty())
      return fail("Пустой элемент в списке USB-идентификаторов \"" + whole + "\": ожидается VID:PID через запятую");
    auto id = parse_usb_id(item);
    if (!id) return std::unexpected(id.error());
    ids.push_back(*id);
    if (comma == std::string_view::npos) return ids;
    text = text.substr(comma + 1);
  }
}

std::string usb_ids_text(const std::vector<UsbId>& ids) {
  std::string out;
  for (const auto& id : ids) {
    if (!out.empty()) out += ',';
    out += id.text();
  }
  return out;
}

Result<std::optional<std::vector<UsbId>>> usb_ids_from_environment() {
  const char* value = std::getenv(kUsbIdsVariable);
  if (!value || trim(value).empty()) return std::nullopt;
  auto ids = parse_usb_ids(value);
  if (!ids) return fail(std::string(kUsbIdsVariable) + ": " + ids.error().text);
  return std::optional(std::move(*ids));
}

std::vector<UsbId> usb_ids_from_environment_or(const std::vector<UsbId>& fallback) {
  auto ids = usb_ids_from_environment();
  return ids && *ids ? std::move(**ids) : fallback;
}

Result<ConfiguredUsbIds> resolve_usb_ids(const std::vector<std::string>& command_line, std::string_view preferences) {
  ConfiguredUsbIds out;
  for (const auto& text : command_line) {
    auto parsed = parse_usb_ids(text);
    if (!parsed) return fail("--usb-id: " + parsed.error().text);
    out.ids.insert(out.ids.end(), parsed->begin(), parsed->end());
  }
  if (!out.ids.empty()) {
    out.source = UsbIdSource::command_line;
    return out;
  }
  auto env = usb_ids_from_environment();
  if (!env) return std::unexpected(env.error());
  if (*env && !(*env)->empty()) {
    out.ids = std::move(**env);
    out.source = UsbIdSource::environment;
    return out;
  }
  auto stored = parse_usb_ids(preferences);
  if (!stored) return fail("Настройки программы, USB-идентификаторы прибора: " + stored.error().text);
  out.ids = std::move(*stored);
  out.source = out.ids.empty() ? UsbIdSource::none : UsbIdSource::preferences;
  return out;
}

std::string usb_id_source_name(UsbIdSource source) {
  switch (source) {
    case UsbIdSource::command_line: return "параметр --usb-id";
    case UsbIdSource::environment: return std::string("переменная ") + kUsbIdsVariable;
    case UsbIdSource::preferences: return "«Настройки программы» → «Система»";
    case UsbIdSource::none: break;
  }
  return "не заданы";
}

}  // namespace vq::link
