#pragma once
// The settings window's actions under their own names (tests find them by objectName),
// the menus and the toolbar that show them, and which of them are offered in each state.
// What an action does is the window's handler; this part only builds and enables.
#include <string>

#include "settings/ui/frame/window_mode.hpp"

class QAction;
class QLabel;
class QMenuBar;
class QToolBar;
class QWidget;

namespace vq::gui {

class SettingsActions {
 public:
  // The actions belong to `window`; "Посетить наш сайт" and "Написать нам письмо" are
  // complete here (they only open an address).
  explicit SettingsActions(QWidget* window);

  QMenuBar* make_menu_bar(QWidget* window) const;
  // The toolbar, with `trailing` (the gauge) at its right end after "Отмена".
  QToolBar* make_toolbar(QWidget* window, QWidget* trailing) const;

  // Enabled states for a state of the window; while a transfer runs only "Отмена", and
  // once a cancel was asked that too is off and says the transfer is stopping. "Записать в"
  // also needs images meant for the connected panel (`write_ready`).
  void apply_states(bool busy, WindowMode mode, bool write_ready, bool cancelling) const;
  // "Порт связи" marks the entry naming `device`; a bridge address marks neither.
  void mark_port(const std::string& device) const;

  // An action's handler runs only while the action is enabled.
  static void run_if_enabled(QAction* action);

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
  QAction* port_com = nullptr;
  QAction* port_usb_interface = nullptr;
  QAction* port_usb = nullptr;
  QAction* port_virtual = nullptr;

 private:
  // Hidden labels holding the maker's addresses.
  QLabel* www_label_ = nullptr;
  QLabel* email_label_ = nullptr;
};

}  // namespace vq::gui
