#pragma once
// The settings window `TQDevSettingsForm` ("Изменение настроек системы"): the frame around
// the navigator — menus, toolbar, status bar, demo and online modes, connect, read all,
// write all, configuration files. Transfers run on a worker thread; the window stays
// responsive and offers Cancel. Its parts live in frame/, one concern each; this class
// composes them and holds the window's state.
#include <QDialog>
#include <QString>
#include <memory>
#include <vector>

#include "link/usb_ids.hpp"

#include "settings/ui/frame/window_mode.hpp"
#include "settings/ui/pages/settings_page.hpp"
#include "shell/ui/app_context.hpp"

class QTimer;

namespace vq::memory {
class Configuration;
}

namespace vq::gui {

class FileActions;
class JobOutcome;
class PanelConnection;
class ServicePanel;
class SettingsActions;
class SettingsNavigator;
class StatusStrip;
class UsbHotplugWatcher;
enum class JobKind;

class TQDevSettingsForm : public QDialog, public PageHost {
  Q_OBJECT
 public:
  explicit TQDevSettingsForm(AppContext& context, QWidget* parent = nullptr);
  ~TQDevSettingsForm() override;

  using Mode = WindowMode;
  Mode mode() const { return mode_; }
  bool demo_mode() const override { return mode_ == Mode::demo; }
  bool demo_configuration() const override { return demo_configuration_; }
  bool transfer_running() const;
  // Images exist while the window is shown (between showEvent and close).
  memory::Configuration* configuration() const { return config_.get(); }
  memory::Configuration* configuration() override { return config_.get(); }
  SettingsNavigator* navigator() const { return navigator_; }
  // The status bar and the gauge, by name.
  const StatusStrip& status_strip() const { return *status_; }
  // A status panel's text by position 0..5 (the indicator, 4, reads "on" / "off").
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
  // Asks the running transfer to stop (a write asks the user first); the window shows at
  // once that the transfer is stopping. A question still open when the job ends is closed
  // and its answer ignored: the status tells how the job ended.
  void cancel_transfer();
  // The images are meant for the connected panel: read from it (or opened from a file)
  // since the connect. Only then is "Записать в" offered.
  bool write_ready() const { return write_ready_; }
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
  friend class JobOutcome;

  void lay_out();
  void wire();
  void apply_states();
  // Runs a job on the worker; its outcome goes to JobOutcome.
  void start_job(JobKind kind);
  // Leaving the panel for a mode without it: the link is closed so the indicator tells
  // the truth.
  void drop_connection();
  void reshow_current_page();
  // Closes the "Прервать запись?" box when the write it asks about has ended.
  void close_cancel_question();
  // The service page from page-list entry 14 (after a read of all tables or a file load),
  // and back into it (before a write of all tables or a file save; a refusal is shown).
  void fill_service_page();
  bool store_service_page();
  // (Re)makes the hot-plug watcher when the panel's ids changed.
  void watch_usb();

  AppContext& context_;
  std::unique_ptr<memory::Configuration> config_;
  std::unique_ptr<SettingsActions> actions_;
  std::unique_ptr<StatusStrip> status_;
  std::unique_ptr<PanelConnection> connection_;
  std::unique_ptr<FileActions> files_;
  ServicePanel* service_ = nullptr;
  SettingsNavigator* navigator_ = nullptr;
  QTimer* demo_timer_ = nullptr;
  QTimer* online_timer_ = nullptr;
  UsbHotplugWatcher* hotplug_ = nullptr;
  std::vector<link::UsbId> watched_ids_;  // what hotplug_ listens for
  Mode mode_ = Mode::demo;
  bool demo_configuration_ = true;
  bool service_visible_ = false;
  bool dirty_ = false;
  bool write_ready_ = false;
  bool cancel_question_open_ = false;
  bool removal_pending_ = false;  // the panel went while a job ran: demo follows the job
};

}  // namespace vq::gui
