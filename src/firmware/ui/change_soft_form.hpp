#pragma once
// The firmware window `TQChangeSoftForm`: the catalogue of firmware files (`ListView1`),
// the advice page, the device list (`ListView2`), connect and disconnect over direct USB or
// the USB-RS-485 adapter, and the write of the selected file with its gauge. Connects and
// writes run on a worker thread; a started write is never cut short, closing the window
// during one waits for its end.
#include <QDialog>
#include <QString>
#include <QStringList>
#include <deque>
#include <memory>
#include <optional>

#include "firmware/catalogue.hpp"
#include "firmware/firmware_write.hpp"
#include "shell/ui/app_context.hpp"

class QAction;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QProgressBar;
class QTabWidget;
class QTextBrowser;
class QVBoxLayout;

namespace vq::gui {

class CatalogueListView;
class DeviceListView;
class FirmwareConnection;

class TQChangeSoftForm : public QDialog {
  Q_OBJECT
 public:
  enum class Mode { demo, online };
  // "USB AM/BM" (the device the command line names), "USB интерфейс" (the RS-485 adapter),
  // and the built-in virtual panel and virtual relay module.
  enum class Link { usb, rs485, virtual_panel, virtual_relay };

  explicit TQChangeSoftForm(AppContext& context, QWidget* parent = nullptr);
  ~TQChangeSoftForm() override;

  // Sets the caption for the current start mode.
  void update_caption();

  // The commands, by their handlers' names.
  void FileOpenActionExecute();
  void MenuDemoActionExecute();
  void MenuOnlineActionExecute();
  void MenuConnectActionExecute();
  void MenuDisonnectActionExecute();
  void MenuWriteActionExecute();
  void EmailActionExecute();
  void wwwActionExecute();
  // Adds the firmware folder's files that match `mask` (start mode 1 only).
  void ListSoftFiles(const char* mask);
  // Files dropped from the desktop, in the order given.
  void FilesDropped(const QStringList& paths);
  // A drag over the device list is taken from a list view other than the device list.
  bool ListView2DragOver(QObject* source) const;
  // A catalogue row dropped on the device list writes the selected file.
  void ListView2DragDrop(QObject* source);

  Link link_choice() const;
  void set_link_choice(Link link);
  Mode mode() const { return mode_; }
  bool connected() const { return connected_; }
  bool transfer_running() const;
  // Blocks until the running connect or write has finished (tests, benchmarks).
  void wait_for_transfer();
  const firmware::Catalogue& catalogue() const { return catalogue_; }
  // The status bar's panels 0..5 (panel 4, the indicator, reads "on" or "off").
  QString panel_text(int panel) const;
  // The exchange log as logMemo shows it (kept while the memo is hidden, too).
  QString log_text() const;
  int gauge() const;

 signals:
  // A connect or write job has ended and the window shows its outcome.
  void transfer_finished();

 protected:
  void showEvent(QShowEvent* event) override;
  void done(int result) override;
  void keyPressEvent(QKeyEvent* event) override;
  void changeEvent(QEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void build_actions();
  void build_menus_and_toolbar(QVBoxLayout* layout);
  void build_body(QVBoxLayout* layout);
  void build_status_bar(QVBoxLayout* layout);

  void FormShow();
  void FormClose();
  void refresh_catalogue();
  void append_device_row(const firmware::ConnectedDevice& device);
  void set_status(const QString& text);
  void set_link_state(bool connected);
  void set_busy(bool busy);
  bool bus_link() const;  // the adapter or the virtual relay module
  void log(const QString& lines);
  void show_error(int caption, const QString& text);
  // The file checks before the question; the selected file record on success.
  std::optional<firmware::FirmwareHeader> check_selected_file();

  void show_connected(bool add_row = true);
  void end_job();
  void usb_connect_done(const Result<>& result);
  void rs485_connect_done(const Result<>& result);
  void write_done(std::uint16_t device_type, const Result<>& result);

  AppContext& context_;
  std::unique_ptr<FirmwareConnection> connection_;
  firmware::Catalogue catalogue_;
  Mode mode_ = Mode::demo;
  bool close_when_done_ = false;
  bool writing_ = false;
  bool connected_ = false;
  // The connected device record: what the last search reported.
  std::optional<firmware::ConnectedDevice> device_;

  QAction* file_open_ = nullptr;
  QAction* file_save_ = nullptr;
  QAction* close_form_ = nullptr;
  QAction* connect_ = nullptr;
  QAction* disconnect_ = nullptr;
  QAction* write_ = nullptr;
  QAction* read_ = nullptr;
  QAction* demo_ = nullptr;
  QAction* online_ = nullptr;
  QAction* com_port_ = nullptr;
  QAction* usb_interface_ = nullptr;
  QAction* usb_ambm_ = nullptr;
  QAction* virtual_panel_ = nullptr;
  QAction* virtual_relay_ = nullptr;
  QAction* help_ = nullptr;
  QAction* www_ = nullptr;
  QAction* email_ = nullptr;
  QAction* about_ = nullptr;

  CatalogueListView* list_view1_ = nullptr;
  DeviceListView* list_view2_ = nullptr;
  QTabWidget* tabs_ = nullptr;
  QTextBrowser* web_browser_ = nullptr;
  QWidget* service_ = nullptr;
  QPlainTextEdit* log_memo_ = nullptr;
  // The latest trace batches; the memo is filled from them only while it is shown, so a
  // byte-wise log of a long write never holds up the window.
  std::deque<QString> log_batches_;
  qsizetype log_lines_ = 0;
  QListWidget* tmp_list_ = nullptr;
  QProgressBar* gauge_ = nullptr;
  QLabel* panels_[6] = {};
  QLabel* device_info_ = nullptr;
  QLabel* www_label_ = nullptr;
  QLabel* email_label_ = nullptr;
};

}  // namespace vq::gui
