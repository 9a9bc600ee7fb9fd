#include "link/usb_transport.hpp"

#include <libusb.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <climits>
#include <cstdlib>

#include "util/bytes.hpp"

namespace vq::link {

// One libusb session; transports keep it alive after their endpoint is gone.
class UsbContext {
 public:
  explicit UsbContext(libusb_context* ctx) : ctx_(ctx) {}
  UsbContext(const UsbContext&) = delete;
  UsbContext& operator=(const UsbContext&) = delete;
  ~UsbContext() { libusb_exit(ctx_); }
  libusb_context* get() const { return ctx_; }

 private:
  libusb_context* ctx_;
};

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::string_view kTextUnplugged = "Прибор отключён от USB";

std::string usb_text(int rc) { return libusb_strerror(rc); }




// libusb takes 0 as "wait for ever"; nothing here may.
unsigned timeout_arg(Millis t) {
  return static_cast<unsigned>(std::clamp<long long>(t.count(), 1, UINT_MAX));
}

struct BulkPair {
  int interface_number = -1;
  int alt_setting = 0;
  std::uint8_t out = 0;
  std::uint8_t in = 0;
  std::size_t in_packet = 64;
};

bool is_bulk(const libusb_endpoint_descriptor& e) {
  return (e.bmAttributes & LIBUSB_TRANSFER_TYPE_MASK) == LIBUSB_TRANSFER_TYPE_BULK;
}

std::optional<BulkPair> find_bulk_pair(const libusb_config_descriptor& cfg) {
  for (int i = 0; i < cfg.bNumInterfaces; ++i) {
    const libusb_interface& iface = cfg.interface[i];
    for (int a = 0; a < iface.num_altsetting; ++a) {
      const libusb_interface_descriptor& alt = iface.altsetting[a];
      std::optional<std::uint8_t> out;
      std::optional<std::uint8_t> in;
      std::size_t in_packet = 0;
      for (int e = 0; e < alt.bNumEndpoints; ++e) {
        const libusb_endpoint_descriptor& ep = alt.endpoint[e];
        if (!is_bulk(ep)) continue;
        if ((ep.bEndpointAddress & LIBUSB_ENDPOINT_DIR_MASK) == LIBUSB_ENDPOINT_IN) {
          if (!in) {
            in = ep.bEndpointAddress;
            in_packet = ep.wMaxPacketSize & 0x7FF;
          }
        } else if (!out) {
          out = ep.bEndpointAddress;
        }
      }
      if (out && in)
        return BulkPair{alt.bInterfaceNumber, alt.bAlternateSetting, *out, *in, in_packet ? in_packet : 64};
    }
  }
  return std::nullopt;
}

class UsbTransport final : public Transport {
 public:
  UsbTransport(std::shared_ptr<UsbContext> context, libusb_device_handle* handle, const BulkPair& pipes,
               const UsbOptions& options)
      : context_(std::move(context)), handle_(handle), pipes_(pipes), write_timeout_(options.write_timeout) {
    const std::size_t packet = pipes.in_packet;
    rx_.resize(std::max<std::size_t>(1, (options.read_size + packet - 1) / packet) * packet);
  }
  UsbTransport(const UsbTransport&) = delete;
  UsbTransport& operator=(const UsbTransport&) = delete;

  ~UsbTransport() override {
    libusb_release_interface(handle_, pipes_.interface_number);
    libusb_close(handle_);
  }

  Result<> write(ByteView data) override {
    if (data.empty()) return fail("Пустая передача", kTransportIo);
    // libusb does not write through the pointer of an OUT transfer.
    auto* p = const_cast<std::uint8_t*>(data.data());
    std::size_t left = data.size();
    while (left > 0) {
      int sent = 0;
      const int rc = libusb_bulk_transfer(handle_, pipes_.out, p, static_cast<int>(std::min<std::size_t>(left, INT_MAX)),
                                          &sent, timeout_arg(write_timeout_));
      p += sent;
      left -= static_cast<std::size_t>(sent);
      if (rc == 0 && sent > 0) continue;
      // A time-out that still moved some bytes is a partial write: go on with the rest.
      if (rc == LIBUSB_ERROR_TIMEOUT && sent > 0) continue;
      if (rc == LIBUSB_ERROR_TIMEOUT) return failure("Прибор не принимает данные по USB", kTransportTimeout, rc);
      // A halted pipe stays halted until cleared: the next exchange must not meet it again.
      if (rc == LIBUSB_ERROR_PIPE) libusb_clear_halt(handle_, pipes_.out);
      if (rc == 0) return failure("Прибор не принял данные по USB", kTransportIo, LIBUSB_ERROR_IO);
      return usb_failure("Ошибка записи в прибор по USB", rc);
    }
    return {};
  }

  Result<std::size_t> read(std::span<std::uint8_t> buf, Millis timeout) override {
    if (buf.empty()) return 0;
    if (rx_pos_ < rx_len_) return hand_out(buf);
    const auto deadline = Clock::now() + timeout;
    for (;;) {
      const auto left = std::chrono::ceil<Millis>(deadline - Clock::now());
      int got = 0;
      const int rc = libusb_bulk_transfer(handle_, pipes_.in, rx_.data(), static_cast<int>(rx_.size()), &got,
                                          timeout_arg(left));
      if (got > 0) {
        // Even with an error the bytes that came are the device's: keep them.
        rx_len_ = static_cast<std::size_t>(got);
        rx_pos_ = 0;
        return hand_out(buf);
      }
      if (rc == 0 && Clock::now() < deadline) continue;  // a zero-length packet: nothing yet
      if (rc == 0 || rc == LIBUSB_ERROR_TIMEOUT) return fail("Прибор не отвечает", kTransportTimeout);
      if (rc == LIBUSB_ERROR_PIPE) libusb_clear_halt(handle_, pipes_.in);
      return usb_failure("Ошибка чтения из прибора по USB", rc);
    }
  }

  // Writes are synchronous, so nothing is pending; the receive buffer is never dropped.
  void flush() override {}

 private:
  std::size_t hand_out(std::span<std::uint8_t> buf) {
    const std::size_t n = std::min(buf.size(), rx_len_ - rx_pos_);
    std::copy_n(rx_.begin() + static_cast<std::ptrdiff_t>(rx_pos_), n, buf.begin());
    rx_pos_ += n;
    return n;
  }

  static std::unexpected<Error> failure(std::string text, int code, int rc) {
    return fail(Error{code, 0, std::move(text), usb_text(rc)});
  }

  static std::unexpected<Error> usb_failure(std::string text, int rc) {
    if (rc == LIBUSB_ERROR_NO_DEVICE) return fail(std::string(kTextUnplugged), kTransportClosed);
    return failure(std::move(text), kTransportIo, rc);
  }

  std::shared_ptr<UsbContext> context_;
  libusb_device_handle* handle_;
  BulkPair pipes_;
  Millis write_timeout_;
  Bytes rx_;  // what the last bulk IN request brought
  std::size_t rx_len_ = 0;
  std::size_t rx_pos_ = 0;
};

std::string where(libusb_device* dev, const UsbId& id) {
  return "прибор USB " + id.text() + " (шина " + std::to_string(libusb_get_bus_number(dev)) + ", адрес " +
         std::to_string(libusb_get_device_address(dev)) + ")";
}

// Opens, detaches a kernel driver if one holds it, and claims the bulk interface.
Result<std::unique_ptr<Transport>> open_device(const std::shared_ptr<UsbContext>& context, libusb_device* dev,
                                               const UsbId& id, const UsbOptions& options) {
  auto failed = [&](std::string_view what, int rc) {
    std::string text = "Не удалось открыть " + where(dev, id) + ": " + std::string(what) + ": " + usb_text(rc);
    if (rc == LIBUSB_ERROR_ACCESS) text += ". Нет прав доступа к устройству: установите правило udev (vantorq-cli usb udev-rule)";
    return fail(std::move(text), kTransportIo);
  };

  libusb_config_descriptor* cfg = nullptr;
  if (int rc = libusb_get_active_config_descriptor(dev, &cfg); rc != 0) return failed("нет активной конфигурации", rc);
  const auto pipes = find_bulk_pair(*cfg);
  libusb_free_config_descriptor(cfg);
  if (!pipes) return fail("У устройства " + where(dev, id) + " нет интерфейса с каналами bulk OUT и bulk IN", kTransportIo);

  libusb_device_handle* handle = nullptr;
  if (int rc = libusb_open(dev, &handle); rc != 0) return failed("открытие", rc);
  // Not every platform supports detaching; claiming then tells whether the interface is free.
  libusb_set_auto_detach_kernel_driver(handle, 1);
  if (int rc = libusb_claim_interface(handle, pipes->interface_number); rc != 0) {
    libusb_close(handle);
    return failed("захват интерфейса", rc);
  }
  if (pipes->alt_setting != 0) {
    if (int rc = libusb_set_interface_alt_setting(handle, pipes->interface_number, pipes->alt_setting); rc != 0) {
      libusb_release_interface(handle, pipes->interface_number);
      libusb_close(handle);
      return failed("выбор альтернативной настройки интерфейса", rc);
    }
  }
  return std::make_unique<UsbTransport>(context, handle, *pipes, options);
}

}  // namespace

UsbEndpoint::UsbEndpoint(std::vector<UsbId> ids, UsbOptions options) : ids_(std::move(ids)), options_(options) {}

UsbEndpoint::~UsbEndpoint() = default;

Endpoint::Discovery UsbEndpoint::discover() {
  Discovery d;
  if (ids_.empty()) {
    d.error = std::string(kTextNoUsbIds);
    d.error_code = kTransportNotConfigured;
    return d;
  }
  if (!context_) {
    libusb_setlocale("ru");  // libusb's own error texts in the interface's language
    libusb_context* ctx = nullptr;
    if (int rc = libusb_init(&ctx); rc != 0) {
      d.error = "Не удалось запустить libusb: " + usb_text(rc);
      return d;
    }
    context_ = std::make_shared<UsbContext>(ctx);
  }

  libusb_device** list = nullptr;
  const ssize_t n = libusb_get_device_list(context_->get(), &list);
  if (n < 0) {
    d.error = "Не удалось получить список устройств USB: " + usb_text(static_cast<int>(n));
    return d;
  }
  libusb_device* found = nullptr;
  UsbId found_id;
  for (ssize_t i = 0; i < n; ++i) {
    libusb_device_descriptor desc{};
    if (libusb_get_device_descriptor(list[i], &desc) != 0) continue;
    const UsbId id{desc.idVendor, desc.idProduct};
    if (std::find(ids_.begin(), ids_.end(), id) == ids_.end()) continue;
    ++d.count;
    found = list[i];
    found_id = id;
  }
  // Only one panel can be served: with two or more nothing is opened.
  if (d.count == 1) {
    auto transport = open_device(context_, found, found_id, options_);
    if (transport)
      d.transport = std::move(*transport);
    else
      d.error = transport.error().text;
  }
  libusb_free_device_list(list, 1);
  return d;
}

}  // namespace vq::link
