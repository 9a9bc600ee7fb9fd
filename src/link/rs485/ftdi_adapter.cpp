// An FTDI adapter through libftdi1, opened by its place among the attached ones.
#include <ftdi.h>

#include <thread>

#include "link/rs485/adapter.hpp"

namespace vq::link::rs485 {
namespace {

std::string ftdi_text(ftdi_context* ctx) { return ctx ? ftdi_get_error_string(ctx) : "libftdi"; }

class FtdiAdapter final : public Adapter {
 public:
  explicit FtdiAdapter(ftdi_context* ctx) : ctx_(ctx) {}
  ~FtdiAdapter() override {
    ftdi_tcioflush(ctx_);
    ftdi_usb_close(ctx_);
    ftdi_free(ctx_);
  }
  FtdiAdapter(const FtdiAdapter&) = delete;
  FtdiAdapter& operator=(const FtdiAdapter&) = delete;

  Result<> write(ByteView data) override {
    int n = ftdi_write_data(ctx_, data.data(), static_cast<int>(data.size()));
    if (n < 0 || static_cast<std::size_t>(n) != data.size())
      return fail(Error{0, 0, "Ошибка записи в адаптер RS-485", ftdi_text(ctx_)});
    return {};
  }

  Result<std::size_t> read(std::span<std::uint8_t> buf, Millis timeout) override {
    // ftdi_read_data returns what the chip holds now; keep asking until full or late.
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + timeout;
    std::size_t got = 0;
    while (got < buf.size()) {
      int n = ftdi_read_data(ctx_, buf.data() + got, static_cast<int>(buf.size() - got));
      if (n < 0) return fail(Error{0, 0, "Ошибка чтения из адаптера RS-485", ftdi_text(ctx_)});
      got += static_cast<std::size_t>(n);
      if (got == buf.size() || Clock::now() >= deadline) break;
      if (n == 0) std::this_thread::sleep_for(Millis(1));
    }
    return got;
  }

  void purge() override { ftdi_tcioflush(ctx_); }

 private:
  ftdi_context* ctx_;
};

}  // namespace

Result<std::unique_ptr<Adapter>> open_ftdi_adapter(int index) {
  ftdi_context* ctx = ftdi_new();
  if (!ctx) return fail("Не удалось открыть адаптер RS-485");
  auto refuse = [&](const char* what) {
    Error e{0, 0, "Не удалось открыть адаптер RS-485", std::string(what) + ": " + ftdi_text(ctx)};
    ftdi_free(ctx);
    return fail(std::move(e));
  };
  ftdi_device_list* list = nullptr;
  int count = ftdi_usb_find_all(ctx, &list, 0, 0);  // 0, 0: every FTDI id libftdi knows
  if (count < 0) return refuse("ftdi_usb_find_all");
  ftdi_device_list* at = list;
  for (int i = 0; at && i < index; ++i) at = at->next;
  if (!at) {
    ftdi_list_free(&list);
    Error e{0, 0, "Адаптер RS-485 не найден", "найдено адаптеров: " + std::to_string(count)};
    ftdi_free(ctx);
    return fail(std::move(e));
  }
  int rc = ftdi_usb_open_dev(ctx, at->dev);
  ftdi_list_free(&list);
  if (rc < 0) return refuse("ftdi_usb_open_dev");
  // Baud, reset, line, time-outs in this order, as the adapter expects; a failed step
  // leaves nothing open.
  auto close_refuse = [&](const char* what) {
    Error e{0, 0, "Не удалось настроить адаптер RS-485", std::string(what) + ": " + ftdi_text(ctx)};
    ftdi_usb_close(ctx);
    ftdi_free(ctx);
    return fail(std::move(e));
  };
  if (ftdi_set_baudrate(ctx, 9600) < 0) return close_refuse("ftdi_set_baudrate");
  ftdi_usb_reset(ctx);  // its status is not examined
  if (ftdi_set_line_property(ctx, BITS_8, STOP_BIT_1, NONE) < 0) return close_refuse("ftdi_set_line_property");
  ctx->usb_read_timeout = static_cast<int>(kAdapterTimeout.count());
  ctx->usb_write_timeout = static_cast<int>(kAdapterTimeout.count());
  ftdi_tcioflush(ctx);
  return std::unique_ptr<Adapter>(new FtdiAdapter(ctx));
}

}  // namespace vq::link::rs485
