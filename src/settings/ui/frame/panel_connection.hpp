#pragma once
// The settings window's way to the panel: the link for the chosen device (made again when
// the device changes), and the three jobs that run on the worker thread — connect (which
// checks the firmware), read everything, write everything. One job at a time.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "link/system_search.hpp"
#include "link/usb_transport.hpp"
#include "util/result.hpp"

class QObject;

namespace vq::link {
class FileTrace;
class Pacing;
class UsbLink;
}  // namespace vq::link
namespace vq::memory {
class Configuration;
}

namespace vq::gui {

struct AppContext;
class TransferRunner;

enum class JobKind { connect, read_all, write_all };

class PanelConnection {
 public:
  // `done` runs on the GUI thread once the job's last progress signal was delivered.
  using Done = std::function<void(JobKind kind, const Result<>& result)>;

  PanelConnection(AppContext& context, QObject* parent);
  ~PanelConnection();

  // The link for the device the context names now.
  Result<> ensure_link();
  void close_link();
  // Closes and forgets the link: the next exchange makes one for the new device.
  void drop_link();

  // Runs a job against `config` (which must outlive it). False when one runs already.
  bool start(JobKind kind, memory::Configuration& config, Done done);
  bool running() const;
  // The job running now, if any.
  std::optional<JobKind> running_job() const { return running_job_; }
  // What the last successful connect found.
  const link::SystemInfo& found() const { return found_; }
  void request_cancel();
  // Blocks until the running job's `done` has run (tests, closing the window).
  void wait();
  // Progress, status and trace signals of the jobs.
  TransferRunner* runner() const { return runner_; }

 private:
  AppContext& context_;
  TransferRunner* runner_ = nullptr;
  std::unique_ptr<link::UsbLink> usb_link_;
  std::unique_ptr<link::Pacing> pacing_;
  std::unique_ptr<link::FileTrace> file_trace_;
  std::string link_device_;  // the device the link was made for
  std::optional<JobKind> running_job_;
  link::SystemInfo found_;   // written by the connect job, read after it finished
};

// The ids the hot-plug watcher listens for: the command line's, else the environment's.
std::vector<link::UsbId> watched_usb_ids(const AppContext& context);

}  // namespace vq::gui
