#include "settings/ui/dev_settings_form.hpp"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <filesystem>

#include "link/pacing.hpp"
#include "link/system_search.hpp"
#include "link/usb_link.hpp"
#include "memory/configuration.hpp"
#include "settings/config_files.hpp"
#include "settings/full_transfer.hpp"
#include "settings/ui/navigator/navigator.hpp"
#include "settings/ui/pages/register_pages.hpp"
#include "settings/ui/transfer_runner.hpp"
#include "settings/ui/usb_hotplug.hpp"
#include "shell/ui/qt_text.hpp"
#include "shell/ui/service_chord.hpp"
#include "shell/ui/ui_services.hpp"
#include "sim/demo_panel.hpp"
#include "sim/devices.hpp"

namespace vq::gui {
namespace {

constexpr int kStatusWidths[6] = {430, 85, 50, 100, 25, 50};
constexpr int kLogLines = 20000;  // the log keeps the latest lines only

QPixmap indicator(bool connected) {
  QPixmap pix(14, 14);
  pix.fill(Qt::transparent);
  QPainter p(&pix);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(60, 60, 60), 1));
  p.setBrush(connected ? QColor(40, 180, 60) : QColor(200, 40, 40));
  p.drawEllipse(1, 1, 12, 12);
  return pix;
}

QString now_text() { return QDateTime::currentDateTime().time().toString(QStringLiteral("HH:mm:ss")); }

// Message text, and the underlying reason on its own line when there is one.
QString error_text(const Error& e) {
  QString text = qs(e.text);
  if (!e.detail.empty()) text += QStringLiteral("\n\n") + qs(e.detail);
  return text;
}

// File actions run on the GUI thread (a .cfg is small): the gauge follows them directly.
class GaugeProgress final : public link::Progress {
 public:
  explicit GaugeProgress(QProgressBar* bar) : bar_(bar) {}
  void percent(int value) override { bar_->setValue(value); }

 private:
  QProgressBar* bar_;
};

bool is_cancel(const Error& e) { return e.text == link::kTextCancelled; }

// Trace lines to the window's log and, when asked for, to a file as well.
class TeeTrace final : public link::Trace {
 public:
  TeeTrace(link::Trace& a, link::Trace* b) : a_(a), b_(b) {}
  void line(std::string_view text) override {
    a_.line(text);
    if (b_) b_->line(text);
  }

 private:
  link::Trace& a_;
  link::Trace* b_;
};

}  // namespace

class TQDevSettingsForm::Impl {
 public:
  TQDevSettingsForm* self;
  // Actions.
  QAction* connect = nullptr;
  QAction* disconnect = nullptr;
  QAction* write = nullptr;
  QAction* read = nullptr;
  QAction* demo = nullptr;
  QAction* online = nullptr;
  QAction* file_open = nullptr;
  QAction* file_save = nullptr;
  QAction* close_form = nullptr;
  QAction* www = nullptr;
  QAction* email = nullptr;
  QAction* help = nullptr;
  QAction* cancel = nullptr;
  QAction* port_usb = nullptr;
  QAction* port_virtual = nullptr;
  // Widgets.
  QLabel* device_info = nullptr;
  QPlainTextEdit* log_memo = nullptr;
  QListWidget* tmp_list = nullptr;
  QWidget* service_panel = nullptr;
  QPushButton* save_set_tree = nullptr;
  QPushButton* erase_log = nullptr;
  QPushButton* write_9k9 = nullptr;
  QProgressBar* gauge = nullptr;
  QLabel* panel[6] = {};
  QLabel* www_label = nullptr;
  QLabel* email_label = nullptr;
  QTimer* demo_timer = nullptr;
  QTimer* online_timer = nullptr;
  // The link.
  TransferRunner* runner = nullptr;
  UsbHotplugWatcher* hotplug = nullptr;
  std::unique_ptr<link::UsbLink> usb_link;
  std::unique_ptr<link::Pacing> pacing;
  std::unique_ptr<link::FileTrace> file_trace;
  std::string link_device;  // the device the link was made for
  bool removal_pending = false;
  bool write_running = false;

  explicit Impl(TQDevSettingsForm* s) : self(s) {}

  void set_status(int index, const QString& text) { panel[index]->setText(text); }
  void set_connected_indicator(bool on) {
    panel[4]->setPixmap(indicator(on));
    panel[4]->setProperty("connected", on);
    set_status(5, m(on ? 15041 : 15032));
  }
  void log(const QString& line) { log_memo->appendPlainText(line); }

  // An action's handler runs only while the action is enabled.
  static void run_if_enabled(QAction* a) {
    if (a->isEnabled()) a->trigger();
  }

  void apply_states() {
    const bool busy = runner->running();
    const auto mode = self->mode_;
    connect->setEnabled(!busy && mode == Mode::online_disconnected);
    disconnect->setEnabled(!busy && mode == Mode::connected);
    read->setEnabled(!busy && mode == Mode::connected);
    write->setEnabled(!busy && mode == Mode::connected);
    demo->setEnabled(!busy);
    online->setEnabled(!busy);
    file_open->setEnabled(!busy);
    file_save->setEnabled(!busy);
    close_form->setEnabled(!busy);
    port_usb->setEnabled(!busy && mode != Mode::connected);
    port_virtual->setEnabled(!busy && mode != Mode::connected);
    cancel->setEnabled(busy);
    cancel->setVisible(busy);
    self->navigator_->setEnabled(!busy);
    const bool connected = mode == Mode::connected;
    erase_log->setEnabled(!busy && connected);
    write_9k9->setEnabled(!busy && connected);
  }

  // The link for the chosen device; made again when the device changed.
  Result<> ensure_link() {
    const std::string device = self->context_.device;
    if (usb_link && link_device == device) return {};
    usb_link.reset();
    sim::DeviceOptions options;
    options.usb_ids = self->context_.usb_ids;
    if (device == "sim" || device == "sim:empty") {
      if (!self->context_.sim_panel) self->context_.sim_panel = sim::make_panel(device == "sim");
      options.sim_panel = self->context_.sim_panel;
    }
    auto endpoint = sim::open_device(device, options);
    if (!endpoint) return std::unexpected(endpoint.error());
    auto p = link::make_pacing(self->context_.pacing.empty() ? sim::default_pacing(device) : self->context_.pacing);
    if (!p) return std::unexpected(p.error());
    pacing = std::move(*p);
    usb_link = std::make_unique<link::UsbLink>(std::move(*endpoint), link::Millis(self->context_.timeout_ms));
    link_device = device;
    if (!self->context_.trace_file.empty() && !file_trace) {
      file_trace = std::make_unique<link::FileTrace>(self->context_.trace_file);
      if (!file_trace->ok()) file_trace.reset();
    }
    return {};
  }

  void close_link() {
    if (usb_link) usb_link->close();
  }

  // Starts `job` on the worker with the window's session; `done` runs on the GUI thread.
  using SessionJob = std::function<Result<>(link::Session&, link::Progress&)>;
  bool start(SessionJob job, std::function<void(const Result<>&)> done) {
    link::UsbLink* l = usb_link.get();
    link::Pacing* pc = pacing.get();
    link::Trace* ft = file_trace.get();
    const bool started = runner->start(
        [l, pc, ft, job = std::move(job)](link::Progress& progress, link::Trace& trace) -> Result<> {
          TeeTrace tee(trace, ft);
          link::Session s{*l, *pc, &tee};
          return job(s, progress);
        },
        [this, done = std::move(done)](const Result<>& r) {
          apply_states();  // the actions the outcome runs must be enabled again first
          done(r);
          apply_states();
          if (removal_pending && !runner->running()) {
            removal_pending = false;
            self->device_removed();
          }
        });
    apply_states();
    return started;
  }

  // No panel or more than one: the texts of the connect sequence. True when handled.
  bool report_discovery(const Error& e) {
    if (e.message_id == 15034) {
      set_status(0, m(15034));
      ui().show_message(self, BoxIcon::error, caption_system(),
                        m(15034) + m(15084) + (e.detail.empty() ? QString() : QStringLiteral("\n\n") + qs(e.detail)));
      return true;
    }
    if (e.message_id == 15082 || e.message_id == 15035) {
      set_status(0, m(15035));
      ui().show_message(self, BoxIcon::error, caption_system(), m(15082));
      return true;
    }
    return false;
  }

  void connect_fallback() {
    ui().show_message(self, BoxIcon::error, caption_system(), m(15084));
    run_if_enabled(disconnect);
    run_if_enabled(demo);
    demo_timer->start();
    erase_log->setEnabled(false);
    write_9k9->setEnabled(false);
  }

  void reshow_current_page() {
    if (auto* item = self->navigator_->tree()->currentItem()) {
      self->navigator_->DevSettingsTVChanging();
      self->navigator_->DevSettingsTVChange(item);
    }
  }

  void build();
};

void TQDevSettingsForm::Impl::build() {
  auto* w = self;
  w->setObjectName(QStringLiteral("TQDevSettingsForm"));
  w->setWindowTitle(QStringLiteral("Изменение настроек системы"));
  w->setWindowFlags(Qt::Window | Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint |
                    Qt::WindowCloseButtonHint);
  w->resize(800, 600);

  auto make = [w](const char* name, const QString& text, const QString& tip = {}) {
    auto* a = new QAction(text, w);
    a->setObjectName(QString::fromLatin1(name));
    if (!tip.isEmpty()) a->setToolTip(tip);
    return a;
  };
  auto* st = w->style();
  connect = make("MenuConnectAction", QStringLiteral("Установить связь"), QStringLiteral("Установить связь"));
  connect->setIcon(st->standardIcon(QStyle::SP_DriveNetIcon));
  disconnect = make("MenuDisonnectAction", QStringLiteral("Разорвать связь"));
  disconnect->setIcon(st->standardIcon(QStyle::SP_BrowserStop));
  write = make("MenuWriteAction", QStringLiteral("Записать в"), QStringLiteral("Записать в прибор"));
  write->setIcon(st->standardIcon(QStyle::SP_ArrowUp));
  read = make("MenuReadAction", QStringLiteral("Считать из"), QStringLiteral("Считать из прибора"));
  read->setIcon(st->standardIcon(QStyle::SP_ArrowDown));
  demo = make("MenuDemoAction", QStringLiteral("Демо"));
  online = make("MenuOnlineAction", QStringLiteral("Онлайн"));
  demo->setCheckable(true);
  online->setCheckable(true);
  auto* mode_group = new QActionGroup(w);
  mode_group->addAction(demo);
  mode_group->addAction(online);
  file_open = make("FileOpenAction", QStringLiteral("Открыть"), QStringLiteral("Открыть файл"));
  file_open->setIcon(st->standardIcon(QStyle::SP_DialogOpenButton));
  file_save = make("FileSaveAction", QStringLiteral("Сохранить"), QStringLiteral("Сохранить файл"));
  file_save->setIcon(st->standardIcon(QStyle::SP_DialogSaveButton));
  close_form = make("CloseFormAction", QStringLiteral("Выход"), QStringLiteral("Выход"));
  close_form->setIcon(st->standardIcon(QStyle::SP_DialogCloseButton));
  www = make("wwwAction", QStringLiteral("Посетить наш сайт"), QStringLiteral("Посетить наш сайт"));
  email = make("EmailAction", QStringLiteral("Написать нам письмо"), QStringLiteral("Написать нам письмо"));
  help = make("ShowHelpAction", QStringLiteral("Вызов справки"));
  help->setEnabled(false);
  cancel = make("CancelTransferAction", QStringLiteral("Отмена"), QStringLiteral("Прервать обмен с прибором"));
  cancel->setIcon(st->standardIcon(QStyle::SP_DialogCancelButton));

  // "Порт связи": the panel's USB bulk link, or the built-in virtual panel.
  auto* port_com = make("PortComAction", QStringLiteral("COM"));
  auto* port_usb_if = make("PortUsbInterfaceAction", QStringLiteral("USB интерфейс"));
  port_usb = make("PortUsbAction", QStringLiteral("USB AM/BM"));
  port_virtual = make("PortVirtualAction", QStringLiteral("Виртуальный прибор"));
  auto* port_group = new QActionGroup(w);
  for (auto* a : {port_com, port_usb_if, port_usb, port_virtual}) {
    a->setCheckable(true);
    port_group->addAction(a);
  }
  port_com->setEnabled(false);
  port_usb_if->setEnabled(false);

  QObject::connect(connect, &QAction::triggered, w, [w] { w->MenuConnectActionExecute(); });
  QObject::connect(disconnect, &QAction::triggered, w, [w] { w->MenuDisonnectActionExecute(); });
  QObject::connect(read, &QAction::triggered, w, [w] { w->MenuReadActionExecute(); });
  QObject::connect(write, &QAction::triggered, w, [w] { w->MenuWriteActionExecute(); });
  QObject::connect(demo, &QAction::triggered, w, [w] { w->MenuDemoActionExecute(); });
  QObject::connect(online, &QAction::triggered, w, [w] { w->MenuOnlineActionExecute(); });
  QObject::connect(file_open, &QAction::triggered, w, [w] { w->FileOpenActionExecute(); });
  QObject::connect(file_save, &QAction::triggered, w, [w] { w->FileSaveActionExecute(); });
  QObject::connect(close_form, &QAction::triggered, w, [w] { w->close(); });
  QObject::connect(cancel, &QAction::triggered, w, [w] { w->cancel_transfer(); });
  QObject::connect(port_usb, &QAction::triggered, w, [w] { w->set_device(QStringLiteral("usb")); });
  QObject::connect(port_virtual, &QAction::triggered, w, [w] { w->set_device(QStringLiteral("sim")); });

  // Hidden labels holding the maker's addresses.
  www_label = new QLabel(QStringLiteral("www.example.com"), w);
  www_label->setObjectName(QStringLiteral("wwwLabel"));
  www_label->hide();
  email_label = new QLabel(QStringLiteral("support@example.com"), w);
  email_label->setObjectName(QStringLiteral("EmailLabel"));
  email_label->hide();
  QObject::connect(www, &QAction::triggered, w,
                   [this] { ui().open_url(QUrl(QStringLiteral("http://") + www_label->text())); });
  QObject::connect(email, &QAction::triggered, w, [this] {
    ui().open_url(QUrl(QStringLiteral("mailto:") + email_label->text() + QStringLiteral("?subject=") + m(15316)));
  });

  // Menus.
  auto* menubar = new QMenuBar(w);
  menubar->setObjectName(QStringLiteral("MainMenu"));
  auto* file_menu = menubar->addMenu(QStringLiteral("Файл"));
  file_menu->addAction(file_open);
  file_menu->addAction(file_save);
  file_menu->addSeparator();
  file_menu->addAction(close_form);
  auto* device_menu = menubar->addMenu(QStringLiteral("Прибор"));
  device_menu->addAction(connect);
  device_menu->addAction(disconnect);
  device_menu->addSeparator();
  device_menu->addAction(read);
  device_menu->addAction(write);
  auto* settings_menu = menubar->addMenu(QStringLiteral("Настройки"));
  auto* mode_menu = settings_menu->addMenu(QStringLiteral("Режим работы"));
  mode_menu->addAction(demo);
  mode_menu->addAction(online);
  auto* port_menu = settings_menu->addMenu(QStringLiteral("Порт связи"));
  port_menu->addActions(port_group->actions());
  auto* help_menu = menubar->addMenu(QStringLiteral("Справка"));
  help_menu->addAction(help);
  help_menu->addAction(www);
  help_menu->addAction(email);

  // Toolbar with the gauge at its right end.
  auto* toolbar = new QToolBar(w);
  toolbar->setObjectName(QStringLiteral("ToolBar1"));
  toolbar->setIconSize(QSize(20, 20));
  toolbar->addAction(file_open);
  toolbar->addAction(file_save);
  toolbar->addSeparator();
  toolbar->addAction(connect);
  toolbar->addAction(read);
  toolbar->addAction(write);
  toolbar->addSeparator();
  toolbar->addAction(close_form);
  auto* spacer = new QWidget(toolbar);
  spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
  toolbar->addWidget(spacer);
  toolbar->addAction(cancel);
  if (auto* b = qobject_cast<QToolButton*>(toolbar->widgetForAction(cancel)))
    b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  gauge = new QProgressBar(toolbar);
  gauge->setObjectName(QStringLiteral("MainProgressGauge"));
  gauge->setRange(0, 100);
  gauge->setValue(0);
  gauge->setFixedWidth(180);
  toolbar->addWidget(gauge);

  device_info = new QLabel(w);
  device_info->setObjectName(QStringLiteral("DeviceInfoLabel"));
  device_info->setContentsMargins(6, 2, 6, 2);

  self->navigator_ = new SettingsNavigator(w);
  self->navigator_->setObjectName(QStringLiteral("SettingsNavigator"));
  register_pages(*self->navigator_, *self);

  // Service controls, shown and hidden by the service chord.
  log_memo = new QPlainTextEdit(w);
  log_memo->setObjectName(QStringLiteral("logMemo"));
  log_memo->setReadOnly(true);
  log_memo->setMaximumBlockCount(kLogLines);
  log_memo->setFixedWidth(220);
  tmp_list = new QListWidget(w);
  tmp_list->setObjectName(QStringLiteral("tmpListB"));
  tmp_list->setFixedWidth(200);
  save_set_tree = new QPushButton(QStringLiteral("SaveSetTree"), w);
  save_set_tree->setObjectName(QStringLiteral("Button2"));
  erase_log = new QPushButton(QStringLiteral("Стереть  весь журнал событий"), w);
  erase_log->setObjectName(QStringLiteral("EraseEventLogButton"));
  write_9k9 = new QPushButton(QStringLiteral("Write 9K9 events"), w);
  write_9k9->setObjectName(QStringLiteral("Write9K9Button"));
  QObject::connect(save_set_tree, &QPushButton::clicked, w, [this] {
    // A text dump of the speech notice list, once that page exists.
    if (auto* lv = self->findChild<QTreeWidget*>(QStringLiteral("SpeechNoticeLV"))) {
      for (int i = 0; i < lv->topLevelItemCount(); ++i) {
        QStringList cells;
        for (int c = 0; c < lv->columnCount(); ++c) cells << lv->topLevelItem(i)->text(c);
        log(cells.join(QLatin1Char('\t')));
      }
    }
  });
  service_panel = new QWidget(w);
  service_panel->setObjectName(QStringLiteral("ServicePanel"));
  auto* sv = new QVBoxLayout(service_panel);
  sv->setContentsMargins(0, 0, 0, 0);
  sv->addWidget(log_memo, 3);
  sv->addWidget(tmp_list, 1);
  sv->addWidget(save_set_tree);
  sv->addWidget(erase_log);
  sv->addWidget(write_9k9);
  service_panel->hide();

  // Status bar: six panels.
  auto* status = new QStatusBar(w);
  status->setObjectName(QStringLiteral("MainStatusBar"));
  status->setSizeGripEnabled(false);
  for (int i = 0; i < 6; ++i) {
    panel[i] = new QLabel(status);
    panel[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
    panel[i]->setFixedWidth(kStatusWidths[i]);
    panel[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    status->addWidget(panel[i], i == 0 ? 1 : 0);
  }
  panel[0]->setMinimumWidth(200);
  panel[0]->setMaximumWidth(QWIDGETSIZE_MAX);
  // The widths were chosen for a smaller font: never narrower than the longest text.
  const QFontMetrics fm(panel[1]->font());
  const QStringList longest[6] = {{},
                                  {QStringLiteral("Режим работы:")},
                                  {QStringLiteral("Демо"), QStringLiteral("Онлайн")},
                                  {QStringLiteral("Связь с прибором:")},
                                  {},
                                  {m(15041), m(15032)}};
  for (int i = 1; i < 6; ++i) {
    int width = kStatusWidths[i];
    for (const auto& t : longest[i]) width = std::max(width, fm.horizontalAdvance(t) + 14);
    panel[i]->setFixedWidth(width);
  }
  panel[4]->setAlignment(Qt::AlignCenter);
  set_status(1, QStringLiteral("Режим работы:"));
  set_status(3, QStringLiteral("Связь с прибором:"));
  set_connected_indicator(false);

  auto* body = new QHBoxLayout;
  body->setContentsMargins(0, 0, 0, 0);
  body->addWidget(self->navigator_, 1);
  body->addWidget(service_panel);
  auto* layout = new QVBoxLayout(w);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->setMenuBar(menubar);
  layout->addWidget(toolbar);
  layout->addWidget(device_info);
  layout->addLayout(body, 1);
  layout->addWidget(status);

  demo_timer = new QTimer(w);
  demo_timer->setObjectName(QStringLiteral("DemoTimer"));
  demo_timer->setInterval(1000);
  demo_timer->setSingleShot(true);
  QObject::connect(demo_timer, &QTimer::timeout, w, [w] { w->demo_configuration_ = true; });
  online_timer = new QTimer(w);
  online_timer->setObjectName(QStringLiteral("OnlineTimer"));
  online_timer->setInterval(500);
  online_timer->setSingleShot(true);
  QObject::connect(online_timer, &QTimer::timeout, w, [this] {
    online->setChecked(true);
    self->MenuOnlineActionExecute();
    run_if_enabled(connect);
  });

  runner = new TransferRunner(w);
  QObject::connect(runner, &TransferRunner::percent, gauge, &QProgressBar::setValue);
  QObject::connect(runner, &TransferRunner::status, w, [this](const QString& t) { set_status(0, t); });
  QObject::connect(runner, &TransferRunner::trace_lines, log_memo, &QPlainTextEdit::appendPlainText);
  QObject::connect(runner, &TransferRunner::finished, w, &TQDevSettingsForm::transfer_finished);

  // Page edits are edits the panel and the files do not have yet.
  QObject::connect(self->navigator_, &SettingsNavigator::edited, w, [w] { w->dirty_ = true; });
  QObject::connect(self->navigator_, &SettingsNavigator::changes_applied, w, [w] { w->dirty_ = true; });

  std::vector<link::UsbId> ids;
  for (const auto& text : self->context_.usb_ids)
    if (auto parsed = link::parse_usb_ids(text)) ids.insert(ids.end(), parsed->begin(), parsed->end());
  if (ids.empty()) ids = link::usb_ids_from_environment_or({});
  hotplug = new UsbHotplugWatcher(std::move(ids), w);
  QObject::connect(hotplug, &UsbHotplugWatcher::arrived, w, [w] { w->device_arrived(); });
  QObject::connect(hotplug, &UsbHotplugWatcher::removed, w, [w] { w->device_removed(); });
}

TQDevSettingsForm::TQDevSettingsForm(AppContext& context, QWidget* parent)
    : QDialog(parent), impl_(std::make_unique<Impl>(this)), context_(context) {
  impl_->build();
  (context_.device == "usb" ? impl_->port_usb : impl_->port_virtual)->setChecked(true);
  if (context_.device != "usb" && context_.device != "sim") {
    // A bridge address from the command line: neither menu entry names it.
    impl_->port_usb->setChecked(false);
    impl_->port_virtual->setChecked(false);
  }
  impl_->demo->setChecked(true);
  MenuDemoActionExecute();
}

TQDevSettingsForm::~TQDevSettingsForm() { impl_->runner->wait(); }

bool TQDevSettingsForm::transfer_running() const { return impl_->runner->running(); }

QString TQDevSettingsForm::status_text(int panel) const {
  if (panel < 0 || panel > 5) return {};
  if (panel == 4) return impl_->panel[4]->property("connected").toBool() ? QStringLiteral("on") : QStringLiteral("off");
  return impl_->panel[panel]->text();
}

int TQDevSettingsForm::gauge() const { return impl_->gauge->value(); }

QString TQDevSettingsForm::device() const { return qs(context_.device); }

void TQDevSettingsForm::set_device(const QString& uri) {
  if (transfer_running() || qs(context_.device) == uri) return;
  impl_->close_link();
  impl_->usb_link.reset();  // made again for the new device on the next exchange
  context_.device = to_std(uri);
  impl_->port_usb->setChecked(uri == QStringLiteral("usb"));
  impl_->port_virtual->setChecked(uri == QStringLiteral("sim"));
}

void TQDevSettingsForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (event->spontaneous()) return;
  // Every visit starts over: fresh images, the first page, the mode the preferences say.
  config_ = std::make_unique<memory::Configuration>();
  navigator_->reset();
  dirty_ = false;
  std::error_code ec;
  std::filesystem::create_directories(context_.folder("Conf"), ec);
  if (context_.preferences().default_mode == 0) {
    impl_->demo->setChecked(true);
    MenuDemoActionExecute();
    demo_configuration_ = true;
    impl_->demo_timer->start();
  } else {
    demo_configuration_ = false;
    impl_->online_timer->start();
  }
  impl_->device_info->clear();
  impl_->erase_log->setEnabled(false);
  impl_->write_9k9->setEnabled(false);
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
  impl_->demo_timer->stop();
  impl_->online_timer->stop();
  impl_->close_link();
  if (mode_ == Mode::connected) {
    mode_ = Mode::online_disconnected;
    impl_->set_connected_indicator(false);
  }
  navigator_->reset();
  config_.reset();
  dirty_ = false;
  QDialog::reject();
}

void TQDevSettingsForm::keyPressEvent(QKeyEvent* event) {
  if (is_service_chord(event)) {
    service_visible_ = !service_visible_;
    impl_->service_panel->setVisible(service_visible_);
    navigator_->set_service_visible(service_visible_);
    return;
  }
  if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
    Impl::run_if_enabled(impl_->help);
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
  impl_->set_status(2, QStringLiteral("Демо"));
  impl_->demo->setChecked(true);
  // Leaving the panel: the link is closed so the indicator tells the truth.
  if (mode_ == Mode::connected) {
    impl_->close_link();
    impl_->set_connected_indicator(false);
    impl_->device_info->clear();
  }
  mode_ = Mode::demo;
  demo_configuration_ = true;
  impl_->apply_states();
  navigator_->mode_changed(true);
}

void TQDevSettingsForm::MenuOnlineActionExecute() {
  impl_->set_status(2, QStringLiteral("Онлайн"));
  impl_->online->setChecked(true);
  if (mode_ == Mode::connected) {
    impl_->close_link();
    impl_->set_connected_indicator(false);
    impl_->device_info->clear();
  }
  mode_ = Mode::online_disconnected;
  impl_->apply_states();
  navigator_->mode_changed(false);
}

void TQDevSettingsForm::MenuConnectActionExecute() {
  if (transfer_running()) return;
  if (auto r = impl_->ensure_link(); !r) {
    impl_->report_discovery(Error{0, 15034, shell::msg(15034), r.error().full()});
    Impl::run_if_enabled(impl_->disconnect);
    Impl::run_if_enabled(impl_->demo);
    return;
  }
  auto info = std::make_shared<link::SystemInfo>();
  memory::Configuration* config = config_.get();
  impl_->start(
      [config, info](link::Session& s, link::Progress& progress) -> Result<> {
        s.link.close();
        auto r = settings::connect_for_settings(s, *config, &progress);
        if (!r) return std::unexpected(r.error());
        *info = *r;
        return {};
      },
      [this, info](const Result<>& r) {
        if (r) {
          impl_->device_info->setText(qs(link::identification_line(*info)));
          impl_->set_status(0, m(15040));
          impl_->set_connected_indicator(true);
          mode_ = Mode::connected;
          impl_->apply_states();
          MenuReadActionExecute();
          return;
        }
        const Error& e = r.error();
        if (is_cancel(e)) {
          impl_->set_status(0, qs(e.text));
          impl_->close_link();
          return;
        }
        if (impl_->report_discovery(e)) {
          Impl::run_if_enabled(impl_->disconnect);
          Impl::run_if_enabled(impl_->demo);
          return;
        }
        impl_->close_link();
        if (e.message_id == 15327) {
          ui().show_message(this, BoxIcon::error, caption_system(), m(15327));
        } else {
          impl_->set_status(0, m(15083));
          impl_->set_connected_indicator(false);
          if (!e.detail.empty()) impl_->log(QStringLiteral("Ошибка установки связи: ") + qs(e.detail));
        }
        impl_->connect_fallback();
      });
}

void TQDevSettingsForm::MenuDisonnectActionExecute() {
  if (transfer_running()) return;
  impl_->set_connected_indicator(false);
  impl_->set_status(0, m(15033));
  impl_->device_info->clear();
  mode_ = Mode::online_disconnected;
  impl_->close_link();
  impl_->apply_states();
}

void TQDevSettingsForm::MenuReadActionExecute() {
  if (transfer_running() || !config_) return;
  if (auto r = impl_->ensure_link(); !r) return;
  QApplication::setOverrideCursor(Qt::BusyCursor);
  memory::Configuration* config = config_.get();
  impl_->start([config](link::Session& s, link::Progress& progress) { return settings::read_all(s, *config, &progress); },
               [this](const Result<>& r) {
                 QApplication::restoreOverrideCursor();
                 if (r) {
                   demo_configuration_ = false;
                   dirty_ = false;
                   impl_->reshow_current_page();
                   return;
                 }
                 impl_->gauge->setValue(0);
                 const Error& e = r.error();
                 if (is_cancel(e)) {
                   impl_->set_status(0, qs(e.text));
                   impl_->reshow_current_page();
                   return;
                 }
                 if (impl_->report_discovery(e)) {
                   Impl::run_if_enabled(impl_->disconnect);
                   Impl::run_if_enabled(impl_->demo);
                   return;
                 }
                 ui().show_message(this, BoxIcon::error, caption_system(), error_text(e));
                 impl_->reshow_current_page();
               });
}

void TQDevSettingsForm::MenuWriteActionExecute() {
  if (transfer_running() || !config_) return;
  if (auto r = impl_->ensure_link(); !r) return;
  QApplication::setOverrideCursor(Qt::BusyCursor);
  memory::Configuration* config = config_.get();
  impl_->write_running = true;
  impl_->start(
      [config](link::Session& s, link::Progress& progress) { return settings::write_all(s, *config, &progress); },
      [this](const Result<>& r) {
        QApplication::restoreOverrideCursor();
        impl_->write_running = false;
        if (r) {
          dirty_ = false;
          return;
        }
        impl_->gauge->setValue(0);
        const Error& e = r.error();
        if (impl_->report_discovery(e)) {
          Impl::run_if_enabled(impl_->disconnect);
          Impl::run_if_enabled(impl_->demo);
          return;
        }
        if (is_cancel(e)) {
          impl_->set_status(0, qs(e.text));
          ui().show_message(this, BoxIcon::warning, caption_system(), error_text(e));
          return;
        }
        ui().show_message(this, BoxIcon::error, caption_system(), error_text(e));
      });
}

void TQDevSettingsForm::cancel_transfer() {
  if (!transfer_running()) return;
  if (impl_->write_running &&
      !ui().ask(this, BoxIcon::warning, caption_system(),
                QStringLiteral("Прервать запись? Прибор останется записан частично, запись нужно будет повторить.")))
    return;
  impl_->runner->request_cancel();
}

void TQDevSettingsForm::wait_for_transfer() { impl_->runner->wait(); }

void TQDevSettingsForm::device_arrived() {
  if (!isVisible() || context_.device != "usb") return;
  if (transfer_running() || mode_ == Mode::connected) return;
  MenuOnlineActionExecute();
}

void TQDevSettingsForm::device_removed() {
  if (!isVisible() || context_.device != "usb") return;
  if (transfer_running()) {
    impl_->removal_pending = true;  // the exchange fails on its own; demo mode follows it
    return;
  }
  MenuDemoActionExecute();
}

void TQDevSettingsForm::FileSaveActionExecute() {
  if (transfer_running() || !config_) return;
  impl_->log(QStringLiteral("Saving..."));
  impl_->gauge->setValue(0);
  impl_->set_status(0, m(15075));
  const QString name = ui().save_file_name(this, QStringLiteral("Окно сохранения файла"),
                                           QString::fromStdString(context_.folder("Conf").string()),
                                           QStringLiteral("Файлы конфигурации(*.cfg)"), QStringLiteral("cfg"));
  QString final_status = m(15077);
  if (!name.isEmpty()) {
    QString file = name;
    if (QFileInfo(file).suffix().isEmpty()) file += QStringLiteral(".cfg");
    const bool exists = QFileInfo::exists(file);
    if (!exists || ui().ask(this, BoxIcon::warning, caption_system(), m(15076))) {
      impl_->log(QStringLiteral("Start saving file - ") + now_text());
      GaugeProgress progress(impl_->gauge);
      auto r = settings::save_settings_file(*config_, file.toStdString(), &progress);
      impl_->log(QStringLiteral("End saving file - ") + now_text());
      impl_->gauge->setValue(100);
      if (r) {
        dirty_ = false;
      } else {
        // Never "completed" for a file that was not written.
        final_status = qs(r.error().text);
        ui().show_message(this, BoxIcon::error, caption_system(), error_text(r.error()));
      }
    }
  }
  impl_->set_status(0, final_status);
  impl_->gauge->setValue(0);
}

void TQDevSettingsForm::FileOpenActionExecute() {
  if (transfer_running() || !config_) return;
  impl_->log(QStringLiteral("Loading..."));
  impl_->gauge->setValue(0);
  impl_->set_status(0, m(15078));
  const QString name = ui().open_file_name(this, QStringLiteral("Окно открытия файла"),
                                           QString::fromStdString(context_.folder("Conf").string()),
                                           QStringLiteral("Файлы конфигурации(*.cfg)"));
  if (!name.isEmpty()) {
    GaugeProgress progress(impl_->gauge);
    auto r = settings::open_settings_file(*config_, name.toStdString(), &progress);
    if (r) {
      impl_->log(QStringLiteral("loading from file..."));
      impl_->gauge->setValue(100);
      impl_->set_status(0, m(15079));
      dirty_ = false;
      impl_->reshow_current_page();
    } else {
      impl_->set_status(0, qs(r.error().text));
      ui().show_message(this, BoxIcon::error, caption_system(), error_text(r.error()));
    }
  }
  impl_->gauge->setValue(0);
}

}  // namespace vq::gui
