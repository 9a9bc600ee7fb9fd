#pragma once
// The application settings dialog `TAppSettingsForm` ("Настройки программы"): the installed
// interface languages (shown, not chosen) and the preferences of the system page — the two
// modes and the panel's USB ids (typed, or chosen from the attached devices) — stored by
// "ОК" in the preferences file the windows and the command line read.
#include <QDialog>
#include <QString>
#include <filesystem>
#include <functional>
#include <vector>

#include "link/usb_device_list.hpp"

#include "shell/ui/app_context.hpp"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QThread;
class QStackedWidget;
class QTreeWidget;
class QTreeWidgetItem;

namespace vq::gui {

struct LanguageEntry {
  QString code;          // "RU", or the extension of a language module
  QString display_name;  // what the list shows
};

// "RU" (the built-in texts) first, then one entry per language module beside the program
// (program file name + "." + code, the code two or three capital letters), by code.
std::vector<LanguageEntry> available_languages(const std::filesystem::path& program_path);

class TAppSettingsForm : public QDialog {
  Q_OBJECT
 public:
  explicit TAppSettingsForm(AppContext& context, QWidget* parent = nullptr);
  ~TAppSettingsForm() override;

  using UsbLister = std::function<Result<std::vector<link::UsbCandidate>>()>;
  // Where "Выбрать..." finds the devices (libusb unless replaced, as tests do).
  void set_usb_lister(UsbLister lister) { usb_lister_ = std::move(lister); }

  const std::vector<LanguageEntry>& languages() const { return languages_; }

  // The handlers under their own names.
  void OKBitBtnClick();
  void TreeView1Change(QTreeWidgetItem* node);
  // Looks for the devices on a worker thread, then offers them in UsbDeviceDialog.
  void UsbIdsChooseBtnClick();

 private:
  void FormCreate();
  void usb_devices_found(const Result<std::vector<link::UsbCandidate>>& found);

  AppContext& context_;
  std::vector<LanguageEntry> languages_;
  QTreeWidget* tree_ = nullptr;
  QStackedWidget* pages_ = nullptr;
  QWidget* lang_page_ = nullptr;
  QWidget* system_page_ = nullptr;
  QComboBox* lang_ = nullptr;
  QCheckBox* show_all_soft_ = nullptr;
  QComboBox* default_mode_ = nullptr;
  QLineEdit* usb_ids_ = nullptr;        // UsbIdsEdit
  QPushButton* usb_choose_ = nullptr;   // UsbIdsChooseBtn
  QLabel* usb_note_ = nullptr;          // UsbIdsNoteLabel: what overrides the stored ids now
  UsbLister usb_lister_;
  QThread* usb_search_ = nullptr;
};

}  // namespace vq::gui
