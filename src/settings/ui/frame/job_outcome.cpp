#include "settings/ui/frame/job_outcome.hpp"

#include <QTimer>

#include "link/session.hpp"
#include "memory/configuration.hpp"
#include "link/system_search.hpp"
#include "settings/ui/dev_settings_form.hpp"
#include "settings/ui/frame/service_panel.hpp"
#include "settings/ui/frame/settings_actions.hpp"
#include "settings/ui/frame/status_strip.hpp"
#include "shell/ui/qt_text.hpp"
#include "shell/ui/ui_services.hpp"

namespace vq::gui {
QString error_text(const Error& e) {
  QString text = qs(e.text);
  if (!e.detail.empty()) text += QStringLiteral("\n\n") + qs(e.detail);
  return text;
}

void JobOutcome::finished(JobKind kind, const Result<>& result) {
  if (result) {
    succeeded(kind);
    return;
  }
  const Error& e = result.error();
  if (kind != JobKind::connect) w_.status_->set_gauge(0);
  if (link::is_cancel(e)) {
    w_.status_->set_activity_text(qs(e.text));
    switch (kind) {
      case JobKind::connect:
        w_.connection_->close_link();
        break;
      case JobKind::read_all:
        w_.reshow_current_page();
        break;
      case JobKind::write_all:  // the panel is partly written: say so louder
        if (w_.connection_->writing())
          ui().show_message(&w_, BoxIcon::warning, caption_system(), error_text(e) + backup_note(QStringLiteral("\n\n")));
        break;
    }
    return;
  }
  if (report_discovery(e)) {
    leave_for_demo();
    return;
  }
  switch (kind) {
    case JobKind::connect:
      connect_failed(e);
      break;
    case JobKind::read_all:  // the images are the ones the window had: nothing to undo
      w_.status_->set_activity_text(qs(e.text));
      ui().show_message(&w_, BoxIcon::error, caption_system(), error_text(e));
      w_.reshow_current_page();
      break;
    case JobKind::write_all:
      w_.status_->set_activity_text(qs(e.text));
      ui().show_message(&w_, BoxIcon::error, caption_system(), error_text(e) + backup_note(QStringLiteral("\n\n")));
      break;
  }
}

void JobOutcome::succeeded(JobKind kind) {
  switch (kind) {
    case JobKind::connect:
      w_.status_->set_device_text(qs(link::identification_line(w_.connection_->found())));
      w_.status_->set_activity_text(m(15040));
      w_.status_->set_connected(true);
      w_.mode_ = WindowMode::connected;
      w_.apply_states();
      w_.MenuReadActionExecute();  // connecting always reads everything
      break;
    case JobKind::read_all:
      // The fresh images replace the window's only now that every table came.
      if (auto fresh = w_.connection_->take_read()) w_.config_ = std::move(fresh);
      w_.fill_service_page();
      w_.demo_configuration_ = false;
      w_.write_ready_ = true;
      w_.dirty_ = false;
      w_.reshow_current_page();
      break;
    case JobKind::write_all:
      w_.dirty_ = false;
      w_.status_->set_activity_text(m(15088) + backup_note(QStringLiteral(" ")));
      break;
  }
}

QString JobOutcome::backup_note(const QString& separator) const {
  const auto& path = w_.connection_->backup();
  if (path.empty()) return {};
  return separator + QStringLiteral("Прежние настройки прибора сохранены в ") + QString::fromStdString(path.string());
}

void JobOutcome::connect_failed(const Error& e) {
  w_.connection_->close_link();
  if (e.message_id == 15327) {
    ui().show_message(&w_, BoxIcon::error, caption_system(), m(15327));
  } else {
    w_.status_->set_activity_text(m(15083));
    w_.status_->set_connected(false);
    if (!e.detail.empty()) w_.service_->log(QStringLiteral("Ошибка установки связи: ") + qs(e.detail));
  }
  // Back to the demo data, as if the window had just opened.
  ui().show_message(&w_, BoxIcon::error, caption_system(), m(15084));
  leave_for_demo();
  w_.demo_timer_->start();
  w_.service_->set_panel_buttons_enabled(false);
}

bool JobOutcome::report_discovery(const Error& e) {
  // Nothing to look for, or the panel could not be opened: the reason is the message.
  if (e.code == link::kTransportNotConfigured || e.code == link::kTransportOpenFailed) {
    w_.status_->set_activity_text(qs(e.text));
    ui().show_message(&w_, BoxIcon::error, caption_system(), qs(e.text) + QStringLiteral("\n\n") + m(15084));
    return true;
  }
  if (e.message_id == 15034) {
    w_.status_->set_activity_text(m(15034));
    ui().show_message(&w_, BoxIcon::error, caption_system(),
                      m(15034) + m(15084) + (e.detail.empty() ? QString() : QStringLiteral("\n\n") + qs(e.detail)));
    return true;
  }
  if (e.message_id == 15082 || e.message_id == 15035) {
    w_.status_->set_activity_text(m(15035));
    ui().show_message(&w_, BoxIcon::error, caption_system(), m(15082));
    return true;
  }
  return false;
}

void JobOutcome::leave_for_demo() {
  SettingsActions::run_if_enabled(w_.actions_->disconnect);
  SettingsActions::run_if_enabled(w_.actions_->demo);
}

}  // namespace vq::gui
