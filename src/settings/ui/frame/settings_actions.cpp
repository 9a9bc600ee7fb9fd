#include "settings/ui/frame/settings_actions.hpp"

#include <QAction>
#include <QActionGroup>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>

#include "shell/ui/qt_text.hpp"
#include "shell/ui/ui_services.hpp"

namespace vq::gui {

SettingsActions::SettingsActions(QWidget* window) {
  auto make = [window](const char* name, const QString& text, const QString& tip = {}) {
    auto* a = new QAction(text, window);
    a->setObjectName(QString::fromLatin1(name));
    if (!tip.isEmpty()) a->setToolTip(tip);
    return a;
  };
  auto* st = window->style();
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
  auto* mode_group = new QActionGroup(window);
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
  // The keys every desktop program answers: open, save, and F5 to read the panel again.
  file_open->setShortcut(QKeySequence::Open);
  file_save->setShortcut(QKeySequence::Save);
  read->setShortcut(QKeySequence(Qt::Key_F5));
  cancel->setIcon(st->standardIcon(QStyle::SP_DialogCancelButton));

  // "Порт связи": the panel's USB bulk link, or the built-in virtual panel.
  port_com = make("PortComAction", QStringLiteral("COM"));
  port_usb_interface = make("PortUsbInterfaceAction", QStringLiteral("USB интерфейс"));
  port_usb = make("PortUsbAction", QStringLiteral("USB AM/BM"));
  port_virtual = make("PortVirtualAction", QStringLiteral("Виртуальный прибор"));
  auto* port_group = new QActionGroup(window);
  for (auto* a : {port_com, port_usb_interface, port_usb, port_virtual}) {
    a->setCheckable(true);
    port_group->addAction(a);
  }
  port_com->setEnabled(false);
  port_usb_interface->setEnabled(false);

  www_label_ = new QLabel(QStringLiteral("www.example.com"), window);
  www_label_->setObjectName(QStringLiteral("wwwLabel"));
  www_label_->hide();
  email_label_ = new QLabel(QStringLiteral("support@example.com"), window);
  email_label_->setObjectName(QStringLiteral("EmailLabel"));
  email_label_->hide();
  QLabel* site = www_label_;
  QLabel* mail = email_label_;
  QObject::connect(www, &QAction::triggered, window,
                   [site] { ui().open_url(QUrl(QStringLiteral("http://") + site->text())); });
  QObject::connect(email, &QAction::triggered, window, [mail] {
    ui().open_url(QUrl(QStringLiteral("mailto:") + mail->text() + QStringLiteral("?subject=") + m(15316)));
  });
}

QMenuBar* SettingsActions::make_menu_bar(QWidget* window) const {
  auto* menubar = new QMenuBar(window);
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
  port_menu->addActions({port_com, port_usb_interface, port_usb, port_virtual});
  auto* help_menu = menubar->addMenu(QStringLiteral("Справка"));
  help_menu->addAction(help);
  help_menu->addAction(www);
  help_menu->addAction(email);
  return menubar;
}

QToolBar* SettingsActions::make_toolbar(QWidget* window, QWidget* trailing) const {
  auto* toolbar = new QToolBar(window);
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
  toolbar->addWidget(trailing);
  return toolbar;
}

void SettingsActions::apply_states(bool busy, WindowMode mode, bool write_ready, bool cancelling) const {
  const bool connected = mode == WindowMode::connected;
  connect->setEnabled(!busy && mode == WindowMode::online_disconnected);
  disconnect->setEnabled(!busy && connected);
  read->setEnabled(!busy && connected);
  write->setEnabled(!busy && connected && write_ready);
  demo->setEnabled(!busy);
  online->setEnabled(!busy);
  file_open->setEnabled(!busy);
  file_save->setEnabled(!busy);
  close_form->setEnabled(!busy);
  port_usb->setEnabled(!busy && !connected);
  port_virtual->setEnabled(!busy && !connected);
  cancel->setEnabled(busy && !cancelling);
  cancel->setVisible(busy);
  cancel->setText(busy && cancelling ? QStringLiteral("Прерывается...") : QStringLiteral("Отмена"));
}

void SettingsActions::mark_port(const std::string& device) const {
  port_usb->setChecked(device == "usb");
  port_virtual->setChecked(device == "sim");
}

void SettingsActions::run_if_enabled(QAction* action) {
  if (action->isEnabled()) action->trigger();
}

}  // namespace vq::gui
