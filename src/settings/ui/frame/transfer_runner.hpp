#pragma once
// Runs one long exchange at a time on a worker thread. Progress (gauge, status text) and
// trace lines reach the window through queued signals, so the window stays responsive;
// the exchange checks the cancel flag between frames.
#include <QObject>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "link/progress.hpp"
#include "link/trace.hpp"
#include "util/result.hpp"

namespace vq::gui {

class TransferRunner : public QObject {
  Q_OBJECT
 public:
  using Job = std::function<Result<>(link::Progress& progress, link::Trace& trace)>;
  using Done = std::function<void(const Result<>&)>;

  explicit TransferRunner(QObject* parent = nullptr);
  ~TransferRunner() override;  // waits for a running job

  // False when a job is already running (nothing started then). `done` runs on the GUI
  // thread after the last progress signal of the job.
  bool start(Job job, Done done);
  bool running() const { return running_; }
  void request_cancel() { cancel_ = true; }
  bool cancel_requested() const { return cancel_; }
  // Blocks until the running job's `done` has run (tests, closing the program).
  void wait();

 signals:
  void percent(int value);
  void status(const QString& text);
  // Trace lines come in batches (one signal for all lines since the last), so a byte-wise
  // log of a whole read cannot flood the window's event queue.
  void trace_lines(const QString& text);
  void finished();

 private:
  class Sink;
  void finish(Result<> result);

  void post_trace(std::string_view line);
  void flush_trace();

  std::mutex trace_mutex_;
  QString trace_pending_;
  std::thread worker_;
  std::atomic<bool> cancel_{false};
  bool running_ = false;
  Done done_;
};

}  // namespace vq::gui
