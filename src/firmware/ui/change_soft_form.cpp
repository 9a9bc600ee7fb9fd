#include "firmware/ui/change_soft_form.hpp"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QDragEnterEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QTextBrowser>
#include <QToolBar>
#include <QUrl>
#include <QUrlQuery>
#include <QVBoxLayout>

#include "firmware/file_checks.hpp"
#include "firmware/ui/firmware_connection.hpp"
#include "firmware/ui/firmware_lists.hpp"
#include "link/system_search.hpp"
#include "settings/ui/frame/transfer_runner.hpp"
#include "shell/ui/qt_text.hpp"
#include "shell/ui/service_chord.hpp"
#include "shell/ui/start_mode.hpp"
#include "shell/ui/ui_services.hpp"

namespace vq::gui {
namespace {

constexpr int kLogLines = 20000;     // the log keeps the latest lines only
constexpr int kShownBatchLines = 500;  // of one batch, the shown memo gets the latest lines

qsizetype line_count(const QString& text) { return text.count(QLatin1Char('\n')) + 1; }

// The last `n` lines of `text`.
QString last_lines(const QString& text, qsizetype n) {
  qsizetype at = text.size();
  for (qsizetype i = 0; i < n; ++i) {
    at = text.lastIndexOf(QLatin1Char('\n'), at - 1);
    if (at < 0) return text;
  }
  return text.mid(at + 1);
}
constexpr int kServiceHeight = 190;

// Placeholders for the maker's site and support address, as in the start window.
const QString kMakerSite = QStringLiteral("www.example.com");
const QString kSupportEmail = QStringLiteral("support@example.com");

const QString kAdvicePage = QStringLiteral("changesoft_RU.html");

QUrl advice_url(const std::filesystem::path& data_dir) {
  const auto own = data_dir / "Help" / kAdvicePage.toStdString();
  std::error_code ec;
  if (!data_dir.empty() && std::filesystem::is_regular_file(own, ec))
    return QUrl::fromLocalFile(QString::fromStdString(own.string()));
  return QUrl(QStringLiteral("qrc:/help/") + kAdvicePage);
}

QPixmap indicator(bool on) {
  QPixmap pm(16, 16);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(60, 60, 60), 1));
  p.setBrush(on ? QColor(40, 170, 60) : QColor(200, 40, 40));
  p.drawEllipse(QRectF(2, 2, 12, 12));
  return pm;
}

// A failure's text for a box: the message the user knows, then why, when known.
QString box_text(const Error& e) {
  if (e.message_id == 0) return qs(e.full());
  QString text = m(e.message_id);
  if (!e.detail.empty()) text += QStringLiteral("\n\n") + qs(e.detail);
  return text;
}

bool is_search_fault(const Error& e) { return e.code == link::kFindBadPacket || e.code == link::kFindCrcError; }

}  // namespace

TQChangeSoftForm::TQChangeSoftForm(AppContext& context, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      context_(context),
      connection_(std::make_unique<FirmwareConnection>(context)) {
  setObjectName(QStringLiteral("TQChangeSoftForm"));
  setFixedSize(800, 600);
  setAcceptDrops(true);
  setSizeGripEnabled(false);

  build_actions();
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(2);
  build_menus_and_toolbar(layout);
  build_body(layout);
  build_status_bar(layout);

  auto* runner = connection_->runner();
  connect(runner, &TransferRunner::percent, gauge_, &QProgressBar::setValue);
  connect(runner, &TransferRunner::status, this, [this](const QString& text) { set_status(text); });
  connect(runner, &TransferRunner::trace_lines, this, [this](const QString& lines) { log(lines); });

  update_caption();
  MenuDemoActionExecute();
  set_link_state(false);
}

TQChangeSoftForm::~TQChangeSoftForm() = default;

void TQChangeSoftForm::build_actions() {
  auto make = [this](const char* name, const QString& text, const QString& hint, QStyle::StandardPixmap icon,
                     void (TQChangeSoftForm::*handler)()) {
    auto* a = new QAction(text, this);
    a->setObjectName(QString::fromLatin1(name));
    if (!hint.isEmpty()) a->setToolTip(hint);
    if (icon != QStyle::SP_CustomBase) a->setIcon(style()->standardIcon(icon));
    if (handler) connect(a, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
    return a;
  };
  const auto none = QStyle::SP_CustomBase;
  file_open_ = make("FileOpenAction", QStringLiteral("Открыть"), QStringLiteral("Открыть файл"),
                    QStyle::SP_DialogOpenButton, &TQChangeSoftForm::FileOpenActionExecute);
  file_save_ = make("FileSaveAction", QStringLiteral("Сохранить"), QStringLiteral("Сохранить файл"),
                    QStyle::SP_DialogSaveButton, nullptr);
  file_save_->setEnabled(false);
  close_form_ = make("CloseFormAction", QStringLiteral("Выход"), QStringLiteral("Выход"), QStyle::SP_DialogCloseButton,
                     nullptr);
  connect(close_form_, &QAction::triggered, this, [this] { close(); });
  connect_ = make("MenuConnectAction", QStringLiteral("Установить связь"), QStringLiteral("Установить связь"),
                  QStyle::SP_DriveNetIcon, &TQChangeSoftForm::MenuConnectActionExecute);
  disconnect_ = make("MenuDisonnectAction", QStringLiteral("Разорвать связь"), QStringLiteral("Разорвать связь"),
                     QStyle::SP_BrowserStop, &TQChangeSoftForm::MenuDisonnectActionExecute);
  write_ = make("MenuWriteAction", QStringLiteral("Записать в"), QStringLiteral("Записать в прибор"),
                QStyle::SP_ArrowDown, &TQChangeSoftForm::MenuWriteActionExecute);
  read_ = make("MenuReadAction", QStringLiteral("Считать из"), QStringLiteral("Считать из прибора"),
               QStyle::SP_ArrowUp, nullptr);
  read_->setEnabled(false);
  demo_ = make("MenuDemoAction", QStringLiteral("Демо"), {}, none, &TQChangeSoftForm::MenuDemoActionExecute);
  online_ = make("MenuOnlineAction", QStringLiteral("Онлайн"), {}, none, &TQChangeSoftForm::MenuOnlineActionExecute);
  for (auto* a : {demo_, online_}) a->setCheckable(true);
  auto* modes = new QActionGroup(this);
  modes->addAction(demo_);
  modes->addAction(online_);
  demo_->setChecked(true);

  com_port_ = make("ComPortAction", QStringLiteral("COM"), {}, none, nullptr);
  usb_interface_ = make("UsbInterfaceAction", QStringLiteral("USB интерфейс"), {}, none, nullptr);
  usb_ambm_ = make("UsbAmBmAction", QStringLiteral("USB AM/BM"), {}, none, nullptr);
  virtual_panel_ = make("VirtualPanelAction", QStringLiteral("Виртуальный прибор"), {}, none, nullptr);
  virtual_relay_ = make("VirtualRelayAction", QStringLiteral("Виртуальный модуль реле"), {}, none, nullptr);
  auto* ports = new QActionGroup(this);
  for (auto* a : {com_port_, usb_interface_, usb_ambm_, virtual_panel_, virtual_relay_}) {
    a->setCheckable(true);
    ports->addAction(a);
  }
  com_port_->setEnabled(false);
  usb_ambm_->setChecked(true);

  help_ = make("ShowHelpAction", QStringLiteral("Вызов справки"), QStringLiteral("Справка"),
               QStyle::SP_DialogHelpButton, nullptr);
  help_->setEnabled(false);
  www_ = make("wwwAction", QStringLiteral("Посетить наш сайт"), QStringLiteral("Посетить наш сайт"),
              QStyle::SP_DirHomeIcon, &TQChangeSoftForm::wwwActionExecute);
  email_ = make("EmailAction", QStringLiteral("Написать письмо"), QStringLiteral("Написать письмо"),
                QStyle::SP_FileDialogContentsView, &TQChangeSoftForm::EmailActionExecute);
  about_ = make("AboutAction", QStringLiteral("О программе"), {}, none, nullptr);
  about_->setEnabled(false);
  about_->setVisible(false);
}

void TQChangeSoftForm::build_menus_and_toolbar(QVBoxLayout* layout) {
  auto* bar = new QMenuBar(this);
  bar->setObjectName(QStringLiteral("MainMenu"));
  auto* file = bar->addMenu(QStringLiteral("Файл"));
  file->addActions({file_open_, file_save_});
  file->addSeparator();
  file->addAction(close_form_);
  auto* device = bar->addMenu(QStringLiteral("Прибор"));
  device->addActions({connect_, disconnect_});
  device->addSeparator();
  device->addActions({write_, read_});
  auto* settings = bar->addMenu(QStringLiteral("Настройки"));
  settings->addMenu(QStringLiteral("Режим работы"))->addActions({demo_, online_});
  auto* ports = settings->addMenu(QStringLiteral("Порт связи"));
  ports->addActions({com_port_, usb_interface_, usb_ambm_});
  ports->addSeparator();
  ports->addActions({virtual_panel_, virtual_relay_});
  auto* help = bar->addMenu(QStringLiteral("Помощь"));
  help->addActions({help_, www_, email_, about_});
  layout->setMenuBar(bar);

  auto* tools = new QToolBar(this);
  tools->setObjectName(QStringLiteral("ToolBar1"));
  tools->setIconSize(QSize(20, 20));
  tools->addActions({file_open_, file_save_});
  tools->addSeparator();
  tools->addActions({connect_, disconnect_, write_, read_});
  tools->addSeparator();
  tools->addActions({help_, www_, email_, close_form_});
  auto* spacer = new QWidget(tools);
  spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
  tools->addWidget(spacer);
  gauge_ = new QProgressBar(tools);
  gauge_->setObjectName(QStringLiteral("MainProgressGauge"));
  gauge_->setRange(0, 100);
  gauge_->setValue(0);
  gauge_->setFixedWidth(220);
  tools->addWidget(gauge_);
  layout->addWidget(tools);
}

void TQChangeSoftForm::build_body(QVBoxLayout* layout) {
  list_view1_ = new CatalogueListView(this);
  set_report_columns(list_view1_,
                     {QStringLiteral("Имя файла"), QStringLiteral("Версия ПО"), QStringLiteral("Размер"),
                      QStringLiteral("Дата создания"), QStringLiteral("Путь")},
                     {165, 100, 90, 130, 300});
  list_view1_->setFixedHeight(150);
  layout->addWidget(list_view1_);

  tabs_ = new QTabWidget(this);
  tabs_->setObjectName(QStringLiteral("PageControl1"));
  auto* advice = new QWidget(tabs_);
  advice->setObjectName(QStringLiteral("AdviceTS"));
  auto* advice_layout = new QVBoxLayout(advice);
  advice_layout->setContentsMargins(2, 2, 2, 2);
  web_browser_ = new QTextBrowser(advice);
  web_browser_->setObjectName(QStringLiteral("WebBrowser1"));
  web_browser_->setOpenLinks(false);
  advice_layout->addWidget(web_browser_, 1);

  service_ = new QWidget(advice);
  service_->setObjectName(QStringLiteral("ServicePanel"));
  auto* service_layout = new QHBoxLayout(service_);
  service_layout->setContentsMargins(0, 0, 0, 0);
  log_memo_ = new QPlainTextEdit(service_);
  log_memo_->setObjectName(QStringLiteral("logMemo"));
  log_memo_->setReadOnly(true);
  log_memo_->setMaximumBlockCount(kLogLines);
  tmp_list_ = new QListWidget(service_);
  tmp_list_->setObjectName(QStringLiteral("tmpListB"));
  service_layout->addWidget(log_memo_, 3);
  service_layout->addWidget(tmp_list_, 1);
  service_->setFixedHeight(kServiceHeight);
  service_->hide();
  advice_layout->addWidget(service_);
  tabs_->addTab(advice, QStringLiteral("Совет"));
  layout->addWidget(tabs_, 1);

  device_info_ = new QLabel(this);
  device_info_->setObjectName(QStringLiteral("DeviceInfoLabel"));
  device_info_->hide();
  www_label_ = new QLabel(kMakerSite, this);
  www_label_->setObjectName(QStringLiteral("wwwLabel"));
  www_label_->hide();
  email_label_ = new QLabel(kSupportEmail, this);
  email_label_->setObjectName(QStringLiteral("EmailLabel"));
  email_label_->hide();

  list_view2_ = new DeviceListView(
      this, [this](QObject* source) { return ListView2DragOver(source); },
      [this](QObject* source) { ListView2DragDrop(source); });
  set_report_columns(list_view2_,
                     {QStringLiteral("Тип прибора"), QStringLiteral("Тип встроенного модуля"), QStringLiteral("Версия ПО"),
                      QStringLiteral("Версия банка слов"), QStringLiteral("Дополнительная информация")},
                     {200, 150, 100, 150, 185});
  list_view2_->setFixedHeight(113);
  layout->addWidget(list_view2_);
}

void TQChangeSoftForm::build_status_bar(QVBoxLayout* layout) {
  auto* bar = new QStatusBar(this);
  bar->setObjectName(QStringLiteral("MainStatusBar"));
  bar->setSizeGripEnabled(false);
  const char* names[6] = {"StatusTextPanel", "ModeCaptionPanel", "ModePanel",
                          "LinkCaptionPanel", "LinkIndicatorPanel", "LinkStatePanel"};
  for (int i = 0; i < 6; ++i) {
    panels_[i] = new QLabel(bar);
    panels_[i]->setObjectName(QString::fromLatin1(names[i]));
  }
  panels_[0]->setMinimumWidth(430);
  panels_[0]->setMaximumWidth(430);
  panels_[1]->setText(QStringLiteral("Режим работы:"));
  panels_[3]->setText(QStringLiteral("Связь с прибором:"));
  panels_[4]->setFixedWidth(25);
  panels_[4]->setAlignment(Qt::AlignCenter);
  bar->addWidget(panels_[0]);
  for (int i = 1; i < 6; ++i) bar->addPermanentWidget(panels_[i]);
  layout->addWidget(bar);
}

void TQChangeSoftForm::update_caption() { setWindowTitle(m(start_mode() == 2 ? 15030 : 15029)); }

// --- showing and closing -------------------------------------------------------------

void TQChangeSoftForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!event->spontaneous()) FormShow();
}

void TQChangeSoftForm::FormShow() {
  device_info_->hide();
  update_caption();
  if (start_mode() == firmware::kDeviceFirmwareMode)
    web_browser_->setSource(advice_url(context_.data_dir));
  else
    web_browser_->clear();
  const auto prefs = context_.preferences();
  if (prefs.show_all_soft)
    for (auto mask : firmware::kShowAllMasks) ListSoftFiles(std::string(mask).c_str());
  if (prefs.starts_online()) {
    online_->setChecked(true);
    MenuOnlineActionExecute();
    MenuDisonnectActionExecute();
  } else {
    demo_->setChecked(true);
    MenuDemoActionExecute();
  }
}

void TQChangeSoftForm::done(int result) {
  if (connection_->running()) {
    // A started transfer is never cut short: the window goes when the job has ended.
    if (close_when_done_) return;
    if (!writing_) {
      close_when_done_ = true;
      return;
    }
    if (ui().ask(this, BoxIcon::question, caption_system(),
                 QStringLiteral("Идёт запись ПО в прибор. Начатую запись прервать нельзя: прибор остался бы "
                                "с недописанным ПО.\nЗакрыть окно, как только запись закончится?"))) {
      close_when_done_ = true;
      set_status(QStringLiteral("Окно закроется, как только закончится запись ПО..."));
    }
    return;
  }
  FormClose();
  QDialog::done(result);
}

void TQChangeSoftForm::FormClose() {
  // Files added by hand are not remembered from one showing to the next.
  catalogue_.clear();
  refresh_catalogue();
  list_view2_->clear();
}

// --- modes ---------------------------------------------------------------------------

void TQChangeSoftForm::MenuDemoActionExecute() {
  if (connection_->running()) return;
  mode_ = Mode::demo;
  panels_[2]->setText(QStringLiteral("Демо"));
  connect_->setEnabled(false);
  disconnect_->setEnabled(false);
  write_->setEnabled(false);
}

void TQChangeSoftForm::MenuOnlineActionExecute() {
  if (connection_->running()) return;
  mode_ = Mode::online;
  panels_[2]->setText(QStringLiteral("Онлайн"));
  disconnect_->setEnabled(false);
  connect_->setEnabled(true);
}

TQChangeSoftForm::Link TQChangeSoftForm::link_choice() const {
  if (usb_interface_->isChecked()) return Link::rs485;
  if (virtual_panel_->isChecked()) return Link::virtual_panel;
  if (virtual_relay_->isChecked()) return Link::virtual_relay;
  return Link::usb;
}

void TQChangeSoftForm::set_link_choice(Link link) {
  switch (link) {
    case Link::usb: usb_ambm_->setChecked(true); break;
    case Link::rs485: usb_interface_->setChecked(true); break;
    case Link::virtual_panel: virtual_panel_->setChecked(true); break;
    case Link::virtual_relay: virtual_relay_->setChecked(true); break;
  }
}

bool TQChangeSoftForm::bus_link() const {
  const Link l = link_choice();
  return l == Link::rs485 || l == Link::virtual_relay;
}

void TQChangeSoftForm::set_busy(bool busy) {
  // While a job uses a link, the link and the mode stay as they are.
  if (busy) {
    connect_->setEnabled(false);
    disconnect_->setEnabled(false);
    write_->setEnabled(false);
  }
  for (auto* a : {demo_, online_, usb_interface_, usb_ambm_, virtual_panel_, virtual_relay_}) a->setEnabled(!busy);
}

// --- connect and disconnect ----------------------------------------------------------

void TQChangeSoftForm::MenuConnectActionExecute() {
  if (connection_->running() || !connect_->isEnabled()) return;
  device_.reset();
  set_busy(true);
  const Link link = link_choice();
  if (bus_link()) {
    const std::string adapter = link == Link::virtual_relay ? "sim" : context_.rs485_adapter();
    connection_->start_connect_rs485(adapter, [this](const Result<>& r) { rs485_connect_done(r); });
  } else {
    const std::string device = link == Link::virtual_panel ? "sim" : context_.device;
    connection_->start_connect_usb(device, start_mode(), [this](const Result<>& r) { usb_connect_done(r); });
  }
}

// Connected to device_: the commands a connection allows, and the catalogue narrowed to the
// device's files. With `add_row` the device's row is added here, and only for a device with a
// catalogue mask (over USB); the RS-485 connect adds its row itself, mask or not.
void TQChangeSoftForm::show_connected(bool add_row) {
  set_link_state(true);
  connect_->setEnabled(false);
  disconnect_->setEnabled(true);
  write_->setEnabled(true);
  if (add_row && device_->mask.empty()) return;
  if (add_row) append_device_row(*device_);
  catalogue_.clear();
  refresh_catalogue();
  ListSoftFiles(device_->mask.c_str());
}

// Every job's end: the window hears of it, and a close asked for during the job happens now.
void TQChangeSoftForm::end_job() {
  emit transfer_finished();
  if (close_when_done_) {
    close_when_done_ = false;
    done(QDialog::Rejected);
  }
}

void TQChangeSoftForm::usb_connect_done(const Result<>& r) {
  set_busy(false);
  if (!r) {
    const Error& e = r.error();
    if (!e.detail.empty()) log(qs(e.full()));
    set_status(m(e.message_id == 0 ? 15043 : e.message_id));
    set_link_state(false);
    connect_->setEnabled(true);
    // A failed attempt leaves nothing to write to.
    write_->setEnabled(false);
    if (e.message_id == 15043) {
      disconnect_->setEnabled(true);
      if (is_search_fault(e))
        ui().show_message(this, BoxIcon::error, caption_system(), e.detail.empty() ? m(15043) : qs(e.detail));
    } else {
      disconnect_->setEnabled(false);
      ui().show_message(this, BoxIcon::error, caption_system(), m(e.message_id == 0 ? 15034 : e.message_id));
    }
  } else if (const auto& found = connection_->found(); !found) {
    // Built-in modules: the device was found, the connection goes no further.
    connect_->setEnabled(false);
  } else {
    device_ = *found;
    set_status(m(15040));
    show_connected();
  }
  end_job();
}

void TQChangeSoftForm::rs485_connect_done(const Result<>& r) {
  set_busy(false);
  if (!r) {
    const Error& e = r.error();
    if (!e.detail.empty()) log(qs(e.full()));
    set_link_state(false);
    connect_->setEnabled(true);
    write_->setEnabled(false);
    if (e.message_id == 15034 || e.message_id == 0) {
      set_status(m(15034));
      disconnect_->setEnabled(false);
      ui().show_message(this, BoxIcon::error, caption_system(), m(15034));
    } else {
      set_status(m(15043));
      ui().show_message(this, BoxIcon::error, caption_message(), m(15043));
      MenuDisonnectActionExecute();
      disconnect_->setEnabled(false);
    }
  } else if (const auto& found = connection_->found()) {
    device_ = *found;
    append_device_row(*device_);
    set_status(m(15040));
    show_connected(/*add_row=*/false);
  }
  end_job();
}

void TQChangeSoftForm::MenuDisonnectActionExecute() {
  if (connection_->running()) return;
  set_link_state(false);
  set_status(m(15033));
  device_info_->hide();
  connect_->setEnabled(true);
  disconnect_->setEnabled(false);
  write_->setEnabled(false);
  list_view2_->clear();
  device_.reset();
  if (bus_link()) connection_->close_rs485();
  connection_->close_usb();
}

// --- write ---------------------------------------------------------------------------

std::optional<firmware::FirmwareHeader> TQChangeSoftForm::check_selected_file() {
  const firmware::CatalogueRow* row = nullptr;
  if (auto* item = list_view1_->currentItem(); item && item->isSelected()) {
    const int index = list_view1_->indexOfTopLevelItem(item);
    if (index >= 0 && index < static_cast<int>(catalogue_.rows().size())) row = &catalogue_.rows()[index];
  }
  if (!device_) {
    show_error(15021, QStringLiteral("Нет связи с прибором: установите связь и повторите операцию."));
    return std::nullopt;
  }
  auto checked = firmware::check_file(row, device_->info);
  if (!checked) {
    const Error& e = checked.error();
    if (e.code == firmware::kNoFileSelected)
      ui().show_message(this, BoxIcon::warning, caption_message(), m(15045));
    else
      show_error(15021, e.message_id ? m(e.message_id) : qs(e.full()));
    return std::nullopt;
  }
  const auto type = device_->info.device_type;
  if (type != link::kDevicePanel && type != link::kDeviceGsm && type != link::kDeviceRelay) {
    // Nothing would be sent, and the user would not be told.
    show_error(15021, QStringLiteral("Запись ПО в устройство с кодом типа %1 не предусмотрена.").arg(type));
    return std::nullopt;
  }
  // A file that cannot be an image over this link is refused before the device is prepared.
  const auto over = type == link::kDeviceRelay ? firmware::FirmwareLink::rs485 : firmware::FirmwareLink::usb;
  if (auto rules = firmware::check_file_rules(row->path(), over); !rules) {
    show_error(15021, rules.error().message_id ? m(rules.error().message_id) : qs(rules.error().full()));
    return std::nullopt;
  }
  return *checked;
}

void TQChangeSoftForm::MenuWriteActionExecute() {
  if (connection_->running() || !write_->isEnabled()) return;
  if (!check_selected_file()) return;
  if (!ui().ask(this, BoxIcon::question, caption_message(), m(firmware::kConfirmWrite))) return;

  const int index = list_view1_->indexOfTopLevelItem(list_view1_->currentItem());
  const auto file = catalogue_.rows()[index].path();
  const auto type = device_->info.device_type;
  set_busy(true);
  writing_ = true;
  gauge_->setValue(0);
  connection_->start_write(type, file, [this, type](const Result<>& r) { write_done(type, r); });
}

void TQChangeSoftForm::write_done(std::uint16_t device_type, const Result<>& r) {
  writing_ = false;
  set_busy(false);
  if (r) {
    gauge_->setValue(100);
    set_status({});
    gauge_->setValue(0);
    ui().show_message(this, BoxIcon::information, caption_system(), m(15053));
    set_status({});
  } else {
    const Error& e = r.error();
    log(qs(e.full()));
    if (device_type == link::kDeviceRelay && (e.message_id == 15056 || e.message_id == 15055)) {
      show_error(15021, box_text(e));
      if (e.message_id == 15056) {
        set_status({});
        gauge_->setValue(0);
      }
    } else {
      set_status({});
      show_error(15004, box_text(e));
    }
  }
  // Every write ends with the connection closed.
  write_->setEnabled(true);
  disconnect_->setEnabled(true);
  MenuDisonnectActionExecute();
  end_job();
}

// --- the catalogue ---------------------------------------------------------------------

void TQChangeSoftForm::ListSoftFiles(const char* mask) {
  const auto report = catalogue_.list_soft_files(firmware::firmware_folder(context_.data_dir), mask, start_mode());
  for (const auto& e : report.skipped) log(QStringLiteral("Файл не включён в список: ") + qs(e.full()));
  refresh_catalogue();
}

void TQChangeSoftForm::refresh_catalogue() {
  const int current = list_view1_->currentItem() ? list_view1_->indexOfTopLevelItem(list_view1_->currentItem()) : -1;
  list_view1_->clear();
  QList<QTreeWidgetItem*> items;
  for (const auto& row : catalogue_.rows())
    items << new QTreeWidgetItem(QStringList{qs(row.name), qs(row.version_text), qs(row.size_text()),
                                             qs(row.date_text()), qs(row.folder.string())});
  list_view1_->addTopLevelItems(items);
  if (current >= 0 && current < items.size()) list_view1_->setCurrentItem(items[current]);
}

void TQChangeSoftForm::FileOpenActionExecute() {
  const QString file = ui().open_file_name(this, QStringLiteral("Окно открытия файла"),
                                           qs(firmware::firmware_folder(context_.data_dir).string()),
                                           QStringLiteral("Файлы ПО (*.tsk)"));
  if (file.isEmpty()) return;
  if (auto added = catalogue_.add_file(std::filesystem::path(to_std(file))); !added) {
    const Error& e = added.error();
    if (e.message_id == 15031)
      ui().show_message(this, BoxIcon::warning, caption_system(), m(15031));
    else
      show_error(15004, qs(e.full()));
    return;
  }
  refresh_catalogue();
}

void TQChangeSoftForm::FilesDropped(const QStringList& paths) {
  std::vector<std::filesystem::path> files;
  for (const QString& p : paths) files.emplace_back(to_std(p));
  auto added = catalogue_.add_dropped(files);
  refresh_catalogue();  // the files before a refused one stay
  if (!added) {
    const Error& e = added.error();
    show_error(15004, e.message_id ? m(e.message_id) : qs(e.full()));
  }
}

bool TQChangeSoftForm::ListView2DragOver(QObject* source) const {
  return qobject_cast<QTreeWidget*>(source) != nullptr && source != list_view2_;
}

void TQChangeSoftForm::ListView2DragDrop(QObject* source) {
  if (!ListView2DragOver(source) || !write_->isEnabled()) return;
  MenuWriteActionExecute();
}

void TQChangeSoftForm::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls())
    event->acceptProposedAction();
  else
    event->ignore();
}

void TQChangeSoftForm::dragMoveEvent(QDragMoveEvent* event) {
  if (event->mimeData()->hasUrls())
    event->acceptProposedAction();
  else
    event->ignore();
}

void TQChangeSoftForm::dropEvent(QDropEvent* event) {
  if (!event->mimeData()->hasUrls()) {
    event->ignore();
    return;
  }
  event->acceptProposedAction();
  QStringList paths;
  for (const QUrl& url : event->mimeData()->urls()) paths << (url.isLocalFile() ? url.toLocalFile() : url.toString());
  // The drag source waits until the drop returns: the boxes come after it.
  QMetaObject::invokeMethod(this, [this, paths] { FilesDropped(paths); }, Qt::QueuedConnection);
}

// --- the rest of the window --------------------------------------------------------------

void TQChangeSoftForm::EmailActionExecute() {
  QUrl url(QStringLiteral("mailto:") + email_label_->text());
  QUrlQuery query;
  query.addQueryItem(QStringLiteral("subject"), m(15316));
  url.setQuery(query);
  if (!ui().open_url(url)) show_error(15004, QStringLiteral("Не удалось открыть ") + url.toDisplayString());
}

void TQChangeSoftForm::wwwActionExecute() {
  const QUrl url(QStringLiteral("http://") + www_label_->text());
  if (!ui().open_url(url)) show_error(15004, QStringLiteral("Не удалось открыть ") + url.toDisplayString());
}

void TQChangeSoftForm::keyPressEvent(QKeyEvent* event) {
  if (is_service_chord(event)) {
    const bool show = !service_->isVisible();
    if (show) {
      QStringList all(log_batches_.begin(), log_batches_.end());
      log_memo_->setPlainText(all.join(QLatin1Char('\n')));
    }
    service_->setVisible(show);
    event->accept();
    return;
  }
  if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
    if (help_->isEnabled()) help_->trigger();
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

void TQChangeSoftForm::changeEvent(QEvent* event) {
  QDialog::changeEvent(event);
  // Minimising this window takes the start window down with it.
  if (event->type() == QEvent::WindowStateChange && isMinimized() && parentWidget())
    parentWidget()->window()->showMinimized();
}

void TQChangeSoftForm::set_status(const QString& text) { panels_[0]->setText(text); }

void TQChangeSoftForm::set_link_state(bool on) {
  connected_ = on;
  panels_[4]->setPixmap(indicator(on));
  panels_[4]->setProperty("connected", on);
  panels_[5]->setText(m(on ? 15041 : 15032));
}

void TQChangeSoftForm::append_device_row(const firmware::ConnectedDevice& device) {
  list_view2_->addTopLevelItem(new QTreeWidgetItem(
      QStringList{qs(device.name), QStringLiteral("-"), qs(device.version_text), QStringLiteral("-"), QStringLiteral("-")}));
}

void TQChangeSoftForm::log(const QString& lines) {
  log_batches_.push_back(lines);
  log_lines_ += line_count(lines);
  while (log_batches_.size() > 1 && log_lines_ - line_count(log_batches_.front()) >= kLogLines) {
    log_lines_ -= line_count(log_batches_.front());
    log_batches_.pop_front();
  }
  if (service_->isVisible())
    log_memo_->appendPlainText(line_count(lines) > kShownBatchLines ? last_lines(lines, kShownBatchLines) : lines);
}

QString TQChangeSoftForm::log_text() const {
  QStringList all(log_batches_.begin(), log_batches_.end());
  return all.join(QLatin1Char('\n'));
}

void TQChangeSoftForm::show_error(int caption, const QString& text) {
  ui().show_message(this, BoxIcon::error, caption == 15021 ? caption_message() : caption_system(), text);
}

bool TQChangeSoftForm::transfer_running() const { return connection_->running(); }

void TQChangeSoftForm::wait_for_transfer() { connection_->wait(); }

QString TQChangeSoftForm::panel_text(int panel) const {
  if (panel < 0 || panel > 5) return {};
  if (panel == 4) return panels_[4]->property("connected").toBool() ? QStringLiteral("on") : QStringLiteral("off");
  return panels_[panel]->text();
}

int TQChangeSoftForm::gauge() const { return gauge_->value(); }

}  // namespace vq::gui
