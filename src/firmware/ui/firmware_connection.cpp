#include "firmware/ui/firmware_connection.hpp"

#include "shell/ui/panel_link.hpp"

#include "firmware/catalogue.hpp"
#include "firmware/firmware_write_rs485.hpp"
#include "link/pacing.hpp"
#include "link/rs485/adapter.hpp"
#include "link/rs485/commands.hpp"
#include "link/session.hpp"
#include "link/trace.hpp"
#include "link/device_link.hpp"
#include "settings/ui/frame/transfer_runner.hpp"
#include "shell/messages.hpp"
#include "shell/ui/app_context.hpp"
#include "shell/ui/panel_link.hpp"
#include "sim/demo_panel.hpp"
#include "sim/devices.hpp"
#include "sim/relay_module.hpp"

namespace vq::gui {
namespace {

// The virtual relay module's adapter keeps the module alive with it.
class SimRelayAdapter final : public link::rs485::Adapter {
 public:
  explicit SimRelayAdapter(std::shared_ptr<sim::RelayModule> module) : module_(std::move(module)), inner_(*module_) {}
  Result<> write(ByteView data) override { return inner_.write(data); }
  Result<std::size_t> read(std::span<std::uint8_t> buf, link::rs485::Millis timeout) override {
    return inner_.read(buf, timeout);
  }
  void purge() override { inner_.purge(); }

 private:
  std::shared_ptr<sim::RelayModule> module_;
  sim::RelayModuleAdapter inner_;
};

Error message_error(int id, std::string detail = {}) { return Error{0, id, shell::msg(id), std::move(detail)}; }

}  // namespace

FirmwareConnection::FirmwareConnection(AppContext& context)
    : context_(context), runner_(std::make_unique<TransferRunner>()) {}

FirmwareConnection::~FirmwareConnection() {
  // The job uses the links below: it ends before they go.
  runner_.reset();
}

Result<> FirmwareConnection::ensure_file_trace() {
  if (!file_trace_) file_trace_ = open_trace_file(context_);
  return {};
}

Result<> FirmwareConnection::ensure_usb_link(const std::string& device) {
  if (auto p = ensure_file_trace(); !p) return p;
  if (usb_link_ && usb_device_ == panel_link_key(context_, device)) return {};
  if (usb_link_) usb_link_->close();
  usb_link_.reset();
  usb_pacing_.reset();
  auto made = open_panel_link(context_, device);
  if (!made) return std::unexpected(made.error());
  usb_pacing_ = std::move(made->pacing);
  usb_link_ = std::move(made->link);
  usb_device_ = made->key;
  return {};
}

bool FirmwareConnection::start(std::function<Result<>(link::Progress&, link::Trace&)> job, Done done) {
  if (runner_->running()) return false;
  link::Trace* file = file_trace_.get();
  return runner_->start(
      [file, job = std::move(job)](link::Progress& progress, link::Trace& trace) -> Result<> {
        link::TeeTrace tee(trace, file);
        return job(progress, tee);
      },
      std::move(done));
}

bool FirmwareConnection::start_connect_usb(const std::string& device, int start_mode, Done done) {
  if (runner_->running()) return false;
  found_.reset();
  if (auto made = ensure_usb_link(device); !made) {
    // No link to make (a bad device address): told as "no device", with the reason.
    const Error e = message_error(15034, made.error().full());
    done(fail(e));
    return true;
  }
  link::DeviceLink* usb = usb_link_.get();
  link::Pacing* pacing = usb_pacing_.get();
  return start(
      [this, usb, pacing, start_mode](link::Progress& progress, link::Trace& trace) -> Result<> {
        link::Session s{*usb, *pacing, &trace};
        usb->close();
        if (start_mode != firmware::kDeviceFirmwareMode) {
          // The built-in modules' mode finds the device and goes no further.
          const int count = usb->discover();
          if (!usb->connected()) {
            const int id = count >= 2 ? 15035 : 15034;
            progress.status(shell::msg(id));
            return fail(message_error(id, usb->discover_error()));
          }
          progress.status(shell::msg(15036));
          s.wait_ms(250);
          progress.status(shell::msg(15037));
          return {};
        }
        auto named = firmware::connect_usb(s, &progress);
        if (!named) return std::unexpected(named.error());
        found_ = std::move(*named);
        return {};
      },
      std::move(done));
}

bool FirmwareConnection::start_connect_rs485(const std::string& uri, Done done) {
  if (runner_->running()) return false;
  found_.reset();
  // An adapter left open by an earlier showing is closed before it is opened again.
  adapter_.reset();
  bus_pacing_.reset();
  // The virtual relay module needs none of the bus's waits.
  auto bus_pacing = link::make_pacing(!context_.pacing.empty() ? context_.pacing : uri == "sim" ? "none" : "panel");
  if (!bus_pacing) {
    done(fail(bus_pacing.error()));
    return true;
  }
  bus_pacing_ = std::move(*bus_pacing);
  (void)ensure_file_trace();
  std::shared_ptr<sim::RelayModule> module;
  if (uri == "sim") {
    if (!context_.sim_relay) context_.sim_relay = std::make_shared<sim::RelayModule>();
    module = context_.sim_relay;
  }
  link::Pacing* pacing = bus_pacing_.get();
  return start(
      [this, uri, module, pacing](link::Progress& progress, link::Trace& trace) -> Result<> {
        std::unique_ptr<link::rs485::Adapter> adapter;
        if (module) {
          adapter = std::make_unique<SimRelayAdapter>(module);
        } else {
          auto opened = link::rs485::open_adapter(uri);
          if (!opened) {
            progress.status(shell::msg(15034));
            return fail(message_error(15034, opened.error().full()));
          }
          adapter = std::move(*opened);
        }
        adapter_ = std::move(adapter);
        link::rs485::Rs485Session s{*adapter_, *pacing, &trace};
        auto device = firmware::connect_rs485(s, &progress);
        if (!device) return std::unexpected(device.error());
        found_ = std::move(*device);
        return {};
      },
      std::move(done));
}

bool FirmwareConnection::start_write(std::uint16_t device_type, const std::filesystem::path& file, Done done) {
  if (runner_->running()) return false;
  if (device_type == link::kDeviceRelay) {
    link::rs485::Adapter* adapter = adapter_.get();
    link::Pacing* pacing = bus_pacing_.get();
    return start(
        [adapter, pacing, file](link::Progress& progress, link::Trace& trace) -> Result<> {
          if (!adapter || !pacing) return fail(message_error(15056, "адаптер USB-RS-485 не открыт"));
          link::rs485::Rs485Session s{*adapter, *pacing, &trace};
          return firmware::write_rs485(s, file, &progress);
        },
        std::move(done));
  }
  if (!usb_link_ || !usb_pacing_) {
    done(fail(message_error(15054, std::string(link::kTextNotOpen))));
    return true;
  }
  link::DeviceLink* usb = usb_link_.get();
  link::Pacing* pacing = usb_pacing_.get();
  return start(
      [usb, pacing, file](link::Progress& progress, link::Trace& trace) -> Result<> {
        link::Session s{*usb, *pacing, &trace};
        return firmware::write_usb(s, file, &progress);
      },
      std::move(done));
}

void FirmwareConnection::close_usb() {
  if (usb_link_ && !runner_->running()) usb_link_->close();
}

void FirmwareConnection::close_rs485() {
  if (!runner_->running()) adapter_.reset();
}

bool FirmwareConnection::running() const { return runner_->running(); }

void FirmwareConnection::wait() { runner_->wait(); }

}  // namespace vq::gui
