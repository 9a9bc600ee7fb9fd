#pragma once
// The settings window's way to the panel: the link for the chosen device (made again when
// the device changes), and the three jobs that run on the worker thread — connect (which
// checks the firmware), read everything, write everything. One job at a time.
#include <atomic>
#include <filesystem>
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
class Progress;
struct Session;
class Pacing;
class DeviceLink;
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

  // Runs a job. A write sends `config` (which must outlive it); connect and read leave it
  // alone: a read fills fresh images, taken with take_read() once it completed. False
  // when a job runs already.
  bool start(JobKind kind, memory::Configuration& config, Done done);
  // A service exchange with the connected panel (the journal buttons), on the same worker
  // and under the same one-job rule. False when a job runs already.
  using SessionJob = std::function<Result<>(link::Session& s, link::Progress& progress)>;
  bool start_service(SessionJob job, std::function<void(const Result<>&)> done);
  bool running() const;
  // The job running now, if any.
  std::optional<JobKind> running_job() const { return running_job_; }
  // Counts the jobs started: tells a question about one job from the next.
  unsigned job_serial() const { return job_serial_; }
  // What the last successful connect found.
  const link::SystemInfo& found() const { return found_; }
  // Where the write job kept the panel's configuration before writing (empty: not kept).
  const std::filesystem::path& backup() const { return backup_; }
  // The running write has begun to send (its backup is done).
  bool writing() const { return writing_; }
  // The configuration the last completed read filled (once; null otherwise).
  std::unique_ptr<memory::Configuration> take_read();
  void request_cancel();
  bool cancel_requested() const;
  // Blocks until the running job's `done` has run (tests, closing the window).
  void wait();
  // Progress, status and trace signals of the jobs.
  TransferRunner* runner() const { return runner_; }

 private:
  AppContext& context_;
  TransferRunner* runner_ = nullptr;
  std::unique_ptr<link::DeviceLink> usb_link_;
  std::unique_ptr<link::Pacing> pacing_;
  std::unique_ptr<link::FileTrace> file_trace_;
  std::string link_device_;  // the device (and stored USB ids) the link was made for
  std::optional<JobKind> running_job_;
  unsigned job_serial_ = 0;
  link::SystemInfo found_;   // written by the connect job, read after it finished
  std::unique_ptr<memory::Configuration> read_;  // written by a read job that completed
  std::filesystem::path backup_;                 // written by the write job, read after it
  std::atomic<bool> writing_{false};
};

// The ids the hot-plug watcher listens for: the command line's, else the environment's,
// else the preferences'.
std::vector<link::UsbId> watched_usb_ids(const AppContext& context);

}  // namespace vq::gui
