#pragma once
// The firmware window's two ways to a device — direct USB (the panel, model 517) and the
// USB-RS-485 adapter (the relay module) — and its jobs on the worker thread: connect over
// either link, write a firmware file. One job at a time; the window reads what a job found
// only after its `done` has run.
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "firmware/firmware_write.hpp"
#include "util/result.hpp"

namespace vq::link {
class FileTrace;
class Pacing;
class DeviceLink;
namespace rs485 {
class Adapter;
}
}  // namespace vq::link

namespace vq::gui {

struct AppContext;
class TransferRunner;

class FirmwareConnection {
 public:
  using Done = std::function<void(const Result<>& result)>;

  explicit FirmwareConnection(AppContext& context);
  ~FirmwareConnection();  // waits for a running job (without pumping events)

  // Close, discover, then (start mode 1 only) search and name the device behind `device`
  // (a device URI: usb, sim, tcp:..., unix:...). A failure carries 15034, 15035 or 15043 as
  // its message id. In any other start mode the job ends once the single device was found:
  // success with found() empty.
  bool start_connect_usb(const std::string& device, int start_mode, Done done);
  // Opens the adapter `adapter` (ftdi, ftdi:N, serial:PATH, or sim: the virtual relay
  // module), closing one left open first, and searches the bus. Failures carry 15034 (the
  // adapter) or 15043 (the search).
  bool start_connect_rs485(const std::string& adapter, Done done);
  // Writes the file to the device last found: over USB for the panel and model 517, over
  // the adapter for the relay module. The USB link is closed at the end; a started block
  // transfer always runs to its end or its failure.
  bool start_write(std::uint16_t device_type, const std::filesystem::path& file, Done done);

  // What the last successful connect found (empty after a failed one or in start mode 2).
  const std::optional<firmware::ConnectedDevice>& found() const { return found_; }
  void forget_found() { found_.reset(); }

  void close_usb();
  void close_rs485();
  bool rs485_open() const { return adapter_ != nullptr; }

  bool running() const;
  void wait();
  TransferRunner* runner() const { return runner_.get(); }

 private:
  Result<> ensure_usb_link(const std::string& device);
  Result<> ensure_file_trace();
  bool start(std::function<Result<>(link::Progress&, link::Trace&)> job, Done done);

  AppContext& context_;
  std::unique_ptr<TransferRunner> runner_;  // first to go: joins a running job
  std::unique_ptr<link::DeviceLink> usb_link_;
  std::string usb_device_;  // what the USB link was made for (panel_link_key)
  std::unique_ptr<link::Pacing> usb_pacing_;
  std::unique_ptr<link::Pacing> bus_pacing_;
  std::unique_ptr<link::rs485::Adapter> adapter_;  // open while it is set
  std::unique_ptr<link::FileTrace> file_trace_;
  std::optional<firmware::ConnectedDevice> found_;  // written by a connect job
};

}  // namespace vq::gui
