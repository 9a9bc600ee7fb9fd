#include "settings/ui/frame/transfer_runner.hpp"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

#include "shell/ui/qt_text.hpp"

namespace vq::gui {

// Lives on the worker thread; every call becomes a queued signal of the runner.
class TransferRunner::Sink final : public link::Progress, public link::Trace {
 public:
  explicit Sink(TransferRunner* runner) : runner_(runner) {}
  void percent(int value) override {
    QMetaObject::invokeMethod(runner_, [r = runner_, value] { emit r->percent(value); }, Qt::QueuedConnection);
  }
  void status(std::string_view text) override {
    QMetaObject::invokeMethod(runner_, [r = runner_, t = qs(text)] { emit r->status(t); }, Qt::QueuedConnection);
  }
  bool cancelled() const override { return runner_->cancel_; }
  void line(std::string_view text) override { runner_->post_trace(text); }

 private:
  TransferRunner* runner_;
};

TransferRunner::TransferRunner(QObject* parent) : QObject(parent) {}

TransferRunner::~TransferRunner() {
  if (worker_.joinable()) worker_.join();
}

bool TransferRunner::start(Job job, Done done) {
  if (running_) return false;
  if (worker_.joinable()) worker_.join();
  running_ = true;
  cancel_ = false;
  done_ = std::move(done);
  worker_ = std::thread([this, job = std::move(job)] {
    Sink sink(this);
    Result<> result = job(sink, sink);
    // Queued after every progress signal of the job, so the window sees them first.
    QMetaObject::invokeMethod(this, [this, result] { finish(result); }, Qt::QueuedConnection);
  });
  return true;
}

void TransferRunner::post_trace(std::string_view line) {
  bool first = false;
  {
    std::lock_guard lock(trace_mutex_);
    first = trace_pending_.isEmpty();
    if (!first) trace_pending_ += QLatin1Char('\n');
    trace_pending_ += qs(line);
    if (trace_pending_.isEmpty()) trace_pending_ = QStringLiteral(" ");  // an empty line still counts
  }
  if (first) QMetaObject::invokeMethod(this, [this] { flush_trace(); }, Qt::QueuedConnection);
}

void TransferRunner::flush_trace() {
  QString text;
  {
    std::lock_guard lock(trace_mutex_);
    text.swap(trace_pending_);
  }
  if (!text.isEmpty()) emit trace_lines(text);
}

void TransferRunner::finish(Result<> result) {
  if (worker_.joinable()) worker_.join();
  flush_trace();
  running_ = false;
  auto done = std::move(done_);
  done_ = nullptr;
  if (done) done(result);
  emit finished();
}

void TransferRunner::wait() {
  while (running_) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    if (running_) QThread::msleep(1);
  }
}

}  // namespace vq::gui
