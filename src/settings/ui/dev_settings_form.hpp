#pragma once
// The settings window `TQDevSettingsForm` ("Изменение настроек системы"): the frame around
// the navigator — menus, toolbar, status bar, demo and online modes, connect, read all,
// write all, configuration files. Transfers run on a worker thread; the window stays
// responsive and offers Cancel.
#include <QDialog>
#include <QString>
#include <memory>

#include "settings/ui/pages/settings_page.hpp"
#include "shell/ui/app_context.hpp"

class QAction;
class QActionGroup;
class QLabel;
class QPlainTextEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QStatusBar;
class QTimer;
class QToolBar;
class QMenuBar;

namespace vq::memory {
class Configuration;
}

namespace vq::gui {

class SettingsNavigator;
class TransferRunner;
class UsbHotplugWatcher;

class TQDevSettingsForm : public QDialog, public PageHost {
  Q_OBJECT
 public:
  explicit TQDevSettingsForm(AppContext& context, QWidget* parent = nullptr);
  ~TQDevSettingsForm() override;

  enum class Mode { demo, online_disconnected, connected };
  Mode mode() const { return mode_; }
  bool demo_mode() const override { return mode_ == Mode::demo; }
  bool demo_configuration() const { return demo_configuration_; }
  bool transfer_running() const;
  // Images exist while the window is shown (between showEvent and close).
  memory::Configuration* configuration() const { return config_.get(); }
  memory::Configuration* configuration() override { return config_.get(); }
  SettingsNavigator* navigator() const { return navigator_; }
  QString status_text(int panel) const;
  int gauge() const;
  bool service_visible() const { return service_visible_; }

  // The handlers under their own names.
  void MenuConnectActionExecute();
  void MenuDisonnectActionExecute();
  void MenuReadActionExecute();
  void MenuWriteActionExecute();
  void MenuDemoActionExecute();
  void MenuOnlineActionExecute();
  void FileOpenActionExecute();
  void FileSaveActionExecute();
  // Device arrival and removal (libusb hot-plug, or a test).
  void device_arrived();
  void device_removed();
  // Asks the running transfer to stop (a write asks the user first).
  void cancel_transfer();
  // Blocks until the running transfer has finished and its result was handled (tests).
  void wait_for_transfer();
  // The link the window uses: "usb" or "sim" (the "Виртуальный прибор" entry).
  QString device() const;
  void set_device(const QString& uri);
  // Edits that reached neither the panel nor a file.
  bool has_unsaved_changes() const { return dirty_; }
  void mark_changed() { dirty_ = true; }

 signals:
  void transfer_finished();

 protected:
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void changeEvent(QEvent* event) override;
  void reject() override;

 private:
  class Impl;
  friend class Impl;
  std::unique_ptr<Impl> impl_;
  AppContext& context_;
  std::unique_ptr<memory::Configuration> config_;
  SettingsNavigator* navigator_ = nullptr;
  Mode mode_ = Mode::demo;
  bool demo_configuration_ = true;
  bool service_visible_ = false;
  bool dirty_ = false;
};

}  // namespace vq::gui
