#include "settings/ui/dev_settings_form.hpp"

#include <QAction>
#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <filesystem>

#include "memory/configuration.hpp"
#include "settings/config_backup.hpp"
#include "settings/ui/frame/file_actions.hpp"
#include "settings/ui/frame/job_outcome.hpp"
#include "settings/ui/frame/panel_connection.hpp"
#include "settings/ui/frame/service_panel.hpp"
#include "settings/ui/frame/settings_actions.hpp"
#include "settings/ui/frame/status_strip.hpp"
#include "settings/ui/frame/transfer_runner.hpp"
#include "settings/ui/frame/usb_hotplug.hpp"
#include "settings/ui/navigator/navigator.hpp"
#include "settings/ui/pages/register_pages.hpp"
#include "settings/ui/pages/service_page.hpp"
#include "shell/ui/qt_text.hpp"
#include "shell/ui/service_chord.hpp"
#include "shell/ui/ui_services.hpp"

namespace vq::gui {

TQDevSettingsForm::TQDevSettingsForm(AppContext& context, QWidget* parent) : QDialog(parent), context_(context) {
  setObjectName(QStringLiteral("TQDevSettingsForm"));
  setWindowTitle(QStringLiteral("Изменение настроек системы"));
  setWindowFlags(Qt::Window | Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
  resize(800, 600);

  actions_ = std::make_unique<SettingsActions>(this);
  status_ = std::make_unique<StatusStrip>(this);
  navigator_ = new SettingsNavigator(this);
  navigator_->setObjectName(QStringLiteral("SettingsNavigator"));
  register_pages(*navigator_, *this);
  service_ = new ServicePanel(this);
  connection_ = std::make_unique<PanelConnection>(context_, this);
  files_ = std::make_unique<FileActions>(this, context_, *status_, *service_);
  // The journal buttons run on the window's worker, like every exchange.
  service_->set_job_runner([this](ServicePanel::PanelJob job, std::function<void(const Result<>&)> done) {
    QApplication::setOverrideCursor(Qt::BusyCursor);
    const bool started = connection_->start_service(std::move(job), [this, done = std::move(done)](const Result<>& r) {
      QApplication::restoreOverrideCursor();
      apply_states();
      status_->set_gauge(0);
      done(r);
      apply_states();
    });
    if (!started) QApplication::restoreOverrideCursor();
    apply_states();
    return started;
  });
  lay_out();
  wire();

  actions_->mark_port(context_.device);
  actions_->demo->setChecked(true);
  MenuDemoActionExecute();
}

TQDevSettingsForm::~TQDevSettingsForm() { connection_->wait(); }

void TQDevSettingsForm::lay_out() {
  auto* body = new QHBoxLayout;
  body->setContentsMargins(0, 0, 0, 0);
  body->addWidget(navigator_, 1);
  body->addWidget(service_);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->setMenuBar(actions_->make_menu_bar(this));
  layout->addWidget(actions_->make_toolbar(this, status_->gauge_bar()));
  layout->addWidget(status_->device_line());
  layout->addLayout(body, 1);
  layout->addWidget(status_->status_bar());
}

void TQDevSettingsForm::wire() {
  const auto on = [this](QAction* action, auto handler) { connect(action, &QAction::triggered, this, handler); };
  on(actions_->connect, [this] { MenuConnectActionExecute(); });
  on(actions_->disconnect, [this] { MenuDisonnectActionExecute(); });
  on(actions_->read, [this] { MenuReadActionExecute(); });
  on(actions_->write, [this] { MenuWriteActionExecute(); });
  on(actions_->demo, [this] { MenuDemoActionExecute(); });
  on(actions_->online, [this] { MenuOnlineActionExecute(); });
  on(actions_->file_open, [this] { FileOpenActionExecute(); });
  on(actions_->file_save, [this] { FileSaveActionExecute(); });
  on(actions_->close_form, [this] { close(); });
  on(actions_->cancel, [this] { cancel_transfer(); });
  on(actions_->port_usb, [this] { set_device(QStringLiteral("usb")); });
  on(actions_->port_virtual, [this] { set_device(QStringLiteral("sim")); });

  // The mode the preferences ask for takes effect a moment after the window shows.
  demo_timer_ = new QTimer(this);
  demo_timer_->setObjectName(QStringLiteral("DemoTimer"));
  demo_timer_->setInterval(1000);
  demo_timer_->setSingleShot(true);
  connect(demo_timer_, &QTimer::timeout, this, [this] { demo_configuration_ = true; });
  online_timer_ = new QTimer(this);
  online_timer_->setObjectName(QStringLiteral("OnlineTimer"));
  online_timer_->setInterval(500);
  online_timer_->setSingleShot(true);
  connect(online_timer_, &QTimer::timeout, this, [this] {
    actions_->online->setChecked(true);
    MenuOnlineActionExecute();
    SettingsActions::run_if_enabled(actions_->connect);
  });

  auto* runner = connection_->runner();
  connect(runner, &TransferRunner::percent, this, [this](int value) { status_->set_gauge(value); });
  connect(runner, &TransferRunner::status, this, [this](const QString& text) { status_->set_activity_text(text); });
  connect(runner, &TransferRunner::trace_lines, this, [this](const QString& lines) { service_->log(lines); });
  connect(runner, &TransferRunner::finished, this, &TQDevSettingsForm::transfer_finished);

  // Page edits are edits the panel and the files do not have yet.
  connect(navigator_, &SettingsNavigator::edited, this, [this] { dirty_ = true; });
  connect(navigator_, &SettingsNavigator::changes_applied, this, [this] { dirty_ = true; });
  if (auto* page = qobject_cast<ServicePage*>(navigator_->settings_page(Node::service)))
    connect(page, &ServicePage::log_line, this, [this](const QString& line) { service_->log(line); });

  watch_usb();
}

void TQDevSettingsForm::watch_usb() {
  // The ids may have been set in the application settings since the last visit.
  auto ids = watched_usb_ids(context_);
  if (hotplug_ && ids == watched_ids_) return;
  delete hotplug_;
  watched_ids_ = ids;
  hotplug_ = new UsbHotplugWatcher(std::move(ids), this);
  connect(hotplug_, &UsbHotplugWatcher::arrived, this, [this] { device_arrived(); });
  connect(hotplug_, &UsbHotplugWatcher::removed, this, [this] { device_removed(); });
}

void TQDevSettingsForm::apply_states() {
  const bool busy = connection_->running();
  actions_->apply_states(busy, mode_, write_ready_, busy && connection_->cancel_requested());
  navigator_->setEnabled(!busy);
  service_->set_panel_buttons_enabled(!busy && mode_ == Mode::connected);
}

void TQDevSettingsForm::start_job(JobKind kind) {
  const bool busy_cursor = kind != JobKind::connect;  // connecting goes on into a read
  if (busy_cursor) QApplication::setOverrideCursor(Qt::BusyCursor);
  if (kind == JobKind::connect) write_ready_ = false;  // a panel found anew: its read comes first
  connection_->start(kind, *config_, [this, busy_cursor](JobKind finished, const Result<>& result) {
    close_cancel_question();
    apply_states();  // the actions the outcome runs must be enabled again first
    if (busy_cursor) QApplication::restoreOverrideCursor();
    JobOutcome(*this).finished(finished, result);
    apply_states();
    if (removal_pending_ && !transfer_running()) {
      removal_pending_ = false;
      device_removed();
    }
  });
  apply_states();
}

void TQDevSettingsForm::drop_connection() {
  connection_->close_link();
  status_->set_connected(false);
  status_->clear_device_text();
}

void TQDevSettingsForm::reshow_current_page() {
  if (auto* item = navigator_->tree()->currentItem()) {
    navigator_->DevSettingsTVChanging();
    navigator_->DevSettingsTVChange(item);
  }
}

bool TQDevSettingsForm::transfer_running() const { return connection_->running(); }

QString TQDevSettingsForm::status_text(int panel) const { return status_->panel_text(panel); }

int TQDevSettingsForm::gauge() const { return status_->gauge(); }

QString TQDevSettingsForm::device() const { return qs(context_.device); }

void TQDevSettingsForm::set_device(const QString& uri) {
  if (transfer_running() || qs(context_.device) == uri) return;
  connection_->drop_link();  // made again for the new device on the next exchange
  context_.device = to_std(uri);
  actions_->mark_port(context_.device);
}

void TQDevSettingsForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (event->spontaneous()) return;
  // Every visit starts over: fresh images, the first page, the mode the preferences say.
  watch_usb();
  config_ = std::make_unique<memory::Configuration>();
  navigator_->reset();
  dirty_ = false;
  write_ready_ = false;
  status_->set_activity_text(QString());  // the last visit's outcome is not this one's
  std::error_code ec;
  std::filesystem::create_directories(context_.folder("Conf"), ec);
  if (context_.preferences().default_mode == 0) {
    actions_->demo->setChecked(true);
    MenuDemoActionExecute();
    demo_configuration_ = true;
    demo_timer_->start();
  } else {
    demo_configuration_ = false;
    online_timer_->start();
  }
  status_->clear_device_text();
  service_->set_panel_buttons_enabled(false);
}

void TQDevSettingsForm::reject() {
  if (transfer_running()) {
    ui().show_message(this, BoxIcon::warning, caption_system(),
                      QStringLiteral("Идёт обмен с прибором. Дождитесь его окончания или нажмите «Отмена»."));
    return;
  }
  if (dirty_ && !ui().ask(this, BoxIcon::question, caption_system(),
                          QStringLiteral("Изменения не записаны в прибор и не сохранены в файл. "
                                         "Закрыть окно и потерять их?")))
    return;
  demo_timer_->stop();
  online_timer_->stop();
  connection_->close_link();
  if (mode_ == Mode::connected) {
    mode_ = Mode::online_disconnected;
    status_->set_connected(false);
  }
  navigator_->reset();
  config_.reset();
  dirty_ = false;
  QDialog::reject();
}

void TQDevSettingsForm::keyPressEvent(QKeyEvent* event) {
  if (is_service_chord(event)) {
    service_visible_ = !service_visible_;
    service_->setVisible(service_visible_);
    navigator_->set_service_visible(service_visible_);
    return;
  }
  if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
    SettingsActions::run_if_enabled(actions_->help);
    return;
  }
  QDialog::keyPressEvent(event);
}

void TQDevSettingsForm::changeEvent(QEvent* event) {
  // Minimising the settings window takes the start window along.
  if (event->type() == QEvent::WindowStateChange && isMinimized() && parentWidget())
    parentWidget()->window()->showMinimized();
  QDialog::changeEvent(event);
}

void TQDevSettingsForm::MenuDemoActionExecute() {
  status_->set_demo_mode(true);
  actions_->demo->setChecked(true);
  if (mode_ == Mode::connected) drop_connection();
  mode_ = Mode::demo;
  demo_configuration_ = true;
  apply_states();
  navigator_->mode_changed(true);
}

void TQDevSettingsForm::MenuOnlineActionExecute() {
  status_->set_demo_mode(false);
  actions_->online->setChecked(true);
  if (mode_ == Mode::connected) drop_connection();
  mode_ = Mode::online_disconnected;
  apply_states();
  navigator_->mode_changed(false);
}

void TQDevSettingsForm::MenuConnectActionExecute() {
  if (transfer_running() || !config_) return;  // no images to read into between visits
  if (auto r = connection_->ensure_link(); !r) {
    // The device cannot even be named (bad USB ids): said as it is, not as "no panel".
    JobOutcome(*this).finished(JobKind::connect,
                               std::unexpected(Error{link::kTransportNotConfigured, 0, r.error().full(), {}}));
    return;
  }
  start_job(JobKind::connect);
}

void TQDevSettingsForm::MenuDisonnectActionExecute() {
  if (transfer_running()) return;
  status_->set_connected(false);
  status_->set_activity_text(m(15033));
  status_->clear_device_text();
  mode_ = Mode::online_disconnected;
  connection_->close_link();
  apply_states();
}

void TQDevSettingsForm::MenuReadActionExecute() {
  if (transfer_running() || !config_) return;
  if (auto r = connection_->ensure_link(); !r) return;
  start_job(JobKind::read_all);
}

void TQDevSettingsForm::MenuWriteActionExecute() {
  if (transfer_running() || !config_) return;
  // Images made for another device go to this panel only when the user says so.
  if (auto r = settings::check_device_for_writing(config_->device, connection_->found()); !r) {
    if (!ui().ask(this, BoxIcon::warning, caption_system(), qs(settings::device_mismatch_question(r.error())))) {
      status_->set_activity_text(QStringLiteral("Запись отменена: ") + qs(r.error().text));
      return;
    }
  }
  if (!store_service_page()) return;
  if (auto r = connection_->ensure_link(); !r) return;
  start_job(JobKind::write_all);
}

void TQDevSettingsForm::cancel_transfer() {
  if (!transfer_running() || connection_->cancel_requested() || cancel_question_open_) return;
  if (connection_->running_job() == JobKind::write_all) {
    const unsigned job = connection_->job_serial();
    // While the write still reads the panel for its backup, stopping loses nothing.
    const QString question =
        connection_->writing()
            ? QStringLiteral("Прервать запись? Прибор останется записан частично, запись нужно будет повторить.")
            : QStringLiteral("Прервать запись? В прибор ещё ничего не записано: идёт сохранение копии его настроек.");
    cancel_question_open_ = true;
    const bool yes = ui().ask(this, BoxIcon::warning, caption_system(), question);
    cancel_question_open_ = false;
    // The write may have ended while the question was open; its outcome is shown already.
    if (!yes || !transfer_running() || connection_->job_serial() != job) return;
  }
  connection_->request_cancel();
  status_->set_activity_text(QStringLiteral("Прерывание обмена с прибором..."));
  apply_states();
}

void TQDevSettingsForm::close_cancel_question() {
  if (!cancel_question_open_) return;
  // The question is a box of this window; closing it answers "Нет".
  for (auto* box : findChildren<QMessageBox*>(Qt::FindDirectChildrenOnly))
    if (box->isVisible()) box->done(QMessageBox::No);
}

void TQDevSettingsForm::wait_for_transfer() { connection_->wait(); }

void TQDevSettingsForm::fill_service_page() {
  auto* page = qobject_cast<ServicePage*>(navigator_->settings_page(Node::service));
  if (page && config_) page->FillServicePage(*config_);
}

bool TQDevSettingsForm::store_service_page() {
  auto* page = qobject_cast<ServicePage*>(navigator_->settings_page(Node::service));
  if (!page || !config_) return true;
  if (auto r = page->StoreServicePage(*config_); !r) {
    ui().show_message(this, BoxIcon::error, caption_system(),
                      QStringLiteral("Страница «Телефоны сервисных центров/PIN-коды»: ") + qs(r.error().text));
    return false;
  }
  return true;
}

void TQDevSettingsForm::device_arrived() {
  if (!isVisible() || context_.device != "usb") return;
  if (transfer_running() || mode_ == Mode::connected) return;
  MenuOnlineActionExecute();
}

void TQDevSettingsForm::device_removed() {
  if (!isVisible() || context_.device != "usb") return;
  if (transfer_running()) {
    removal_pending_ = true;  // the exchange fails on its own; demo mode follows it
    return;
  }
  MenuDemoActionExecute();
}

void TQDevSettingsForm::FileSaveActionExecute() {
  if (transfer_running() || !config_) return;
  if (!store_service_page()) return;
  if (files_->save(*config_)) dirty_ = false;
}

void TQDevSettingsForm::FileOpenActionExecute() {
  if (transfer_running() || !config_) return;
  if (files_->open(*config_)) {
    fill_service_page();
    dirty_ = false;
    write_ready_ = true;  // the user chose these images
    reshow_current_page();
  }
}

}  // namespace vq::gui
