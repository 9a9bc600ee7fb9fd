#include "link/usb_device_list.hpp"

#include <libusb.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <optional>

namespace vq::link {
namespace {

struct ContextCloser {
  void operator()(libusb_context* c) const { libusb_exit(c); }
};

bool is_bulk(const libusb_endpoint_descriptor& e) {
  return (e.bmAttributes & LIBUSB_TRANSFER_TYPE_MASK) == LIBUSB_TRANSFER_TYPE_BULK;
}

// The first vendor-specific interface with exactly one bulk OUT and one bulk IN endpoint.
std::optional<int> panel_like_interface(const libusb_config_descriptor& cfg) {
  for (int i = 0; i < cfg.bNumInterfaces; ++i) {
    const libusb_interface& iface = cfg.interface[i];
    for (int a = 0; a < iface.num_altsetting; ++a) {
      const libusb_interface_descriptor& alt = iface.altsetting[a];
      if (alt.bInterfaceClass != LIBUSB_CLASS_VENDOR_SPEC) continue;
      int outs = 0, ins = 0;
      for (int e = 0; e < alt.bNumEndpoints; ++e) {
        const libusb_endpoint_descriptor& ep = alt.endpoint[e];
        if (!is_bulk(ep)) continue;
        ((ep.bEndpointAddress & LIBUSB_ENDPOINT_DIR_MASK) == LIBUSB_ENDPOINT_IN ? ins : outs) += 1;
      }
      if (outs == 1 && ins == 1) return alt.bInterfaceNumber;
    }
  }
  return std::nullopt;
}

std::string port_path(libusb_device* dev) {
  std::uint8_t ports[8];
  const int n = libusb_get_port_numbers(dev, ports, sizeof ports);
  std::string path = std::to_string(libusb_get_bus_number(dev));
  for (int i = 0; i < n; ++i) path += (i == 0 ? "-" : ".") + std::to_string(ports[i]);
  return path;
}

// Names are shown in a terminal and a dialog: printable ASCII only.
std::string printable(std::string s) {
  for (char& c : s)
    if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7E) c = '?';
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

std::string string_descriptor(libusb_device_handle* h, std::uint8_t index) {
  if (index == 0) return {};
  unsigned char text[256] = {};
  const int n = libusb_get_string_descriptor_ascii(h, index, text, sizeof text - 1);
  if (n <= 0) return {};
  return printable(std::string(reinterpret_cast<const char*>(text), static_cast<std::size_t>(n)));
}

// Linux keeps the names in sysfs for everyone, even when the device node is closed to us.
std::string sysfs_string(const std::string& path, const char* name) {
  std::ifstream in("/sys/bus/usb/devices/" + path + "/" + name);
  std::string line;
  if (!in || !std::getline(in, line)) return {};
  return printable(line);
}

}  // namespace

std::string UsbCandidate::describe() const {
  std::string line = id.text() + "  шина " + std::to_string(bus) + ", порт " + port_path + ", адрес " +
                     std::to_string(address);
  if (panel_like) line += ", интерфейс " + std::to_string(interface_number);
  line += "  изготовитель: " + (manufacturer.empty() ? std::string("—") : "«" + manufacturer + "»");
  line += ", изделие: " + (product.empty() ? std::string("—") : "«" + product + "»");
  if (!serial.empty()) line += ", серийный номер: " + serial;
  line += accessible ? "  доступ: есть" : "  доступ: нет (" + access_problem + ")";
  if (!panel_like) line += "  не похоже на прибор: нет интерфейса изготовителя с одним каналом bulk OUT и одним bulk IN";
  return line;
}

Result<std::vector<UsbCandidate>> list_usb_candidates(const std::vector<UsbId>& also) {
  libusb_setlocale("ru");  // libusb's own error texts in the interface's language
  libusb_context* raw = nullptr;
  if (int rc = libusb_init(&raw); rc != 0) return fail(std::string("Не удалось запустить libusb: ") + libusb_strerror(rc));
  std::unique_ptr<libusb_context, ContextCloser> ctx(raw);

  libusb_device** list = nullptr;
  const ssize_t n = libusb_get_device_list(ctx.get(), &list);
  if (n < 0)
    return fail(std::string("Не удалось получить список устройств USB: ") + libusb_strerror(static_cast<int>(n)));

  std::vector<UsbCandidate> out;
  for (ssize_t i = 0; i < n; ++i) {
    libusb_device* dev = list[i];
    libusb_device_descriptor desc{};
    if (libusb_get_device_descriptor(dev, &desc) != 0) continue;
    const UsbId id{desc.idVendor, desc.idProduct};
    const bool wanted = std::find(also.begin(), also.end(), id) != also.end();
    std::optional<int> iface;
    libusb_config_descriptor* cfg = nullptr;
    if (libusb_get_active_config_descriptor(dev, &cfg) == 0 || libusb_get_config_descriptor(dev, 0, &cfg) == 0) {
      iface = panel_like_interface(*cfg);
      libusb_free_config_descriptor(cfg);
    }
    if (!iface && !wanted) continue;

    UsbCandidate c;
    c.id = id;
    c.panel_like = iface.has_value();
    c.bus = libusb_get_bus_number(dev);
    c.address = libusb_get_device_address(dev);
    c.port_path = port_path(dev);
    c.interface_number = iface.value_or(-1);
    libusb_device_handle* h = nullptr;
    if (int rc = libusb_open(dev, &h); rc == 0) {
      c.accessible = true;
      c.manufacturer = string_descriptor(h, desc.iManufacturer);
      c.product = string_descriptor(h, desc.iProduct);
      c.serial = string_descriptor(h, desc.iSerialNumber);
      libusb_close(h);
    } else {
      c.access_problem = rc == LIBUSB_ERROR_ACCESS ? "нет прав; установите правило udev, см. vantorq-cli usb udev-rule"
                                                   : libusb_strerror(rc);
      c.manufacturer = sysfs_string(c.port_path, "manufacturer");
      c.product = sysfs_string(c.port_path, "product");
    }
    out.push_back(std::move(c));
  }
  libusb_free_device_list(list, 1);
  std::sort(out.begin(), out.end(), [](const UsbCandidate& a, const UsbCandidate& b) {
    return a.bus != b.bus ? a.bus < b.bus : a.address < b.address;
  });
  return out;
}

}  // namespace vq::link
