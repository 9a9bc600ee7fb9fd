#include "link/usb_udev_rule.hpp"

namespace vq::link {

std::string udev_rules(const std::vector<UsbId>& ids) {
  std::string out =
      "# VantorQ: the 630М-Q panel over USB for the user at the seat and group plugdev.\n"
      "# Install: save as /etc/udev/rules.d/" + std::string(kUdevRuleFile) + ", then run\n"
      "#   sudo udevadm control --reload-rules && sudo udevadm trigger\n"
      "# and attach the panel again.\n";
  // Numbered below 73 so that systemd's seat rules still see the uaccess tag.
  for (const auto& id : ids) {
    const std::string text = id.text();
    out += "SUBSYSTEM==\"usb\", ENV{DEVTYPE}==\"usb_device\", ATTR{idVendor}==\"" + text.substr(0, 4) +
           "\", ATTR{idProduct}==\"" + text.substr(5) + "\", GROUP=\"plugdev\", MODE=\"0660\", TAG+=\"uaccess\"\n";
  }
  return out;
}

}  // namespace vq::link
