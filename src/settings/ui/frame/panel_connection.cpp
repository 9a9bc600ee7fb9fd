#include "settings/ui/frame/panel_connection.hpp"

#include "link/pacing.hpp"
#include "link/session.hpp"
#include "link/trace.hpp"
#include "link/device_link.hpp"
#include "memory/configuration.hpp"
#include "settings/config_backup.hpp"
#include "settings/full_transfer.hpp"
#include "settings/ui/frame/transfer_runner.hpp"
#include "shell/ui/app_context.hpp"
#include "shell/ui/panel_link.hpp"
#include "sim/demo_panel.hpp"
#include "sim/devices.hpp"

namespace vq::gui {

PanelConnection::PanelConnection(AppContext& context, QObject* parent)
    : context_(context), runner_(new TransferRunner(parent)) {}

PanelConnection::~PanelConnection() = default;

Result<> PanelConnection::ensure_link() {
  const std::string device = context_.device;
  if (usb_link_ && link_device_ == panel_link_key(context_, device)) return {};
  usb_link_.reset();
  auto made = open_panel_link(context_, device);
  if (!made) return std::unexpected(made.error());
  pacing_ = std::move(made->pacing);
  usb_link_ = std::move(made->link);
  link_device_ = made->key;
  if (!file_trace_) file_trace_ = open_trace_file(context_);
  return {};
}

void PanelConnection::close_link() {
  if (usb_link_) usb_link_->close();
}

void PanelConnection::drop_link() {
  close_link();
  usb_link_.reset();
}

bool PanelConnection::start(JobKind kind, memory::Configuration& config, Done done) {
  if (runner_->running()) return false;
  using Job = std::function<Result<>(link::Session&, link::Progress&)>;
  Job job;
  switch (kind) {
    case JobKind::connect:
      // The window's configuration keeps its device until a read replaces it whole.
      job = [found = &found_](link::Session& s, link::Progress& progress) -> Result<> {
        s.link.close();  // a fresh search every time
        memory::IdentifiedDevice device;
        auto r = settings::connect_for_settings(s, device, &progress);
        if (!r) return std::unexpected(r.error());
        *found = *r;
        return {};
      };
      break;
    case JobKind::read_all:
      read_.reset();
      job = [read = &read_, device = settings::identified_device(found_)](link::Session& s,
                                                                           link::Progress& progress) -> Result<> {
        auto fresh = settings::read_configuration(s, device, &progress);
        if (!fresh) return std::unexpected(fresh.error());
        *read = std::make_unique<memory::Configuration>(std::move(*fresh));
        return {};
      };
      break;
    case JobKind::write_all:
      // The panel's own configuration is kept before anything of it is written over.
      backup_.clear();
      writing_ = false;
      job = [this, c = &config, conf = context_.folder("Conf")](link::Session& s,
                                                                 link::Progress& progress) -> Result<> {
        progress.status("Сохранение копии настроек прибора...");
        auto saved = settings::backup_panel_configuration(s, conf, &progress);
        if (!saved) {
          if (link::is_cancel(saved.error())) return std::unexpected(saved.error());
          Error e = saved.error();
          e.text = "Не удалось сохранить копию настроек прибора: " + e.text + "; ничего не записано";
          return fail(e);
        }
        backup_ = *saved;
        writing_ = true;
        return settings::write_all(s, *c, &progress);
      };
      break;
  }
  link::DeviceLink* l = usb_link_.get();
  link::Pacing* pc = pacing_.get();
  link::Trace* ft = file_trace_.get();
  const bool started = runner_->start(
      [l, pc, ft, job = std::move(job)](link::Progress& progress, link::Trace& trace) -> Result<> {
        link::TeeTrace tee(trace, ft);
        link::Session s{*l, *pc, &tee};
        return job(s, progress);
      },
      [this, kind, done = std::move(done)](const Result<>& r) {
        running_job_.reset();
        done(kind, r);
      });
  if (started) {
    running_job_ = kind;
    ++job_serial_;
  }
  return started;
}

bool PanelConnection::start_service(SessionJob job, std::function<void(const Result<>&)> done) {
  if (runner_->running() || !usb_link_) return false;
  link::DeviceLink* l = usb_link_.get();
  link::Pacing* pc = pacing_.get();
  link::Trace* ft = file_trace_.get();
  const bool started = runner_->start(
      [l, pc, ft, job = std::move(job)](link::Progress& progress, link::Trace& trace) -> Result<> {
        link::TeeTrace tee(trace, ft);
        link::Session s{*l, *pc, &tee};
        return job(s, progress);
      },
      std::move(done));
  if (started) ++job_serial_;
  return started;
}

std::unique_ptr<memory::Configuration> PanelConnection::take_read() { return std::move(read_); }

bool PanelConnection::running() const { return runner_->running(); }

void PanelConnection::request_cancel() { runner_->request_cancel(); }

bool PanelConnection::cancel_requested() const { return runner_->cancel_requested(); }

void PanelConnection::wait() { runner_->wait(); }

std::vector<link::UsbId> watched_usb_ids(const AppContext& context) {
  auto ids = link::resolve_usb_ids(context.usb_ids, context.preferences().usb_ids);
  return ids ? ids->ids : std::vector<link::UsbId>{};
}

}  // namespace vq::gui
