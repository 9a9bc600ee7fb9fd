#include <algorithm>
#include <cstdio>

#include "cli/commands.hpp"
#include "link/usb_device_list.hpp"
#include "link/usb_udev_rule.hpp"
#include "util/terminal_text.hpp"

namespace vq::cli {
namespace {

int list(const GlobalOptions& options) {
  const auto configured = configured_usb_ids(options);
  auto found = link::list_usb_candidates(configured ? configured->ids : std::vector<link::UsbId>{});
  if (!found) return report_failure(found.error());
  auto is_configured = [&](const link::UsbId& id) {
    return configured && std::find(configured->ids.begin(), configured->ids.end(), id) != configured->ids.end();
  };
  if (found->empty()) std::printf("%s\n", std::string(link::kTextNoUsbCandidates).c_str());
  for (const auto& c : *found)
    std::printf("%s%s\n", terminal_safe(c.describe()).c_str(), is_configured(c.id) ? "  [прибор]" : "");
  // What the panel is looked for by, so that a mismatch shows at a glance.
  if (!configured)
    std::printf("USB-идентификаторы прибора: %s\n", terminal_safe(configured.error().text).c_str());
  else if (configured->ids.empty())
    std::printf("%s\n", std::string(link::kTextNoUsbIds).c_str());
  else
    std::printf("USB-идентификаторы прибора: %s (%s)\n", link::usb_ids_text(configured->ids).c_str(),
                link::usb_id_source_name(configured->source).c_str());
  return 0;
}

int udev_rule(const GlobalOptions& options) {
  auto configured = configured_usb_ids(options);
  if (!configured) return report_failure(configured.error());
  if (configured->ids.empty()) return report_failure(Error{0, 0, std::string(link::kTextNoUsbIds), {}});
  std::fputs(link::udev_rules(configured->ids).c_str(), stdout);
  return 0;
}

}  // namespace

void add_usb_command(CLI::App& app, const GlobalOptions& options, Action& action) {
  auto* usb = app.add_subcommand("usb", "The panel on USB: candidate devices and the udev rule");
  usb->require_subcommand(1);
  usb->add_subcommand("list",
                      "USB devices that could be the panel (a vendor-specific interface with one bulk OUT and one "
                      "bulk IN endpoint): ids, bus path, maker and product, whether this user may open them")
      ->callback([&options, &action] { action = [&options] { return list(options); }; });
  usb->add_subcommand("udev-rule",
                      "Print the udev rule for the configured ids (--usb-id, VANTORQ_USB_IDS or the preferences)")
      ->callback([&options, &action] { action = [&options] { return udev_rule(options); }; });
}

}  // namespace vq::cli
