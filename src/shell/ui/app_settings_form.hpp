#pragma once
// The application settings dialog `TAppSettingsForm` ("Настройки программы"): the installed
// interface languages (shown, not chosen) and the two preferences of the system page,
// stored by "ОК" in the preferences file the windows read.
#include <QDialog>
#include <QString>
#include <filesystem>
#include <vector>

#include "shell/ui/app_context.hpp"

class QCheckBox;
class QComboBox;
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

  const std::vector<LanguageEntry>& languages() const { return languages_; }

  // The handlers under their own names.
  void OKBitBtnClick();
  void TreeView1Change(QTreeWidgetItem* node);

 private:
  void FormCreate();

  AppContext& context_;
  std::vector<LanguageEntry> languages_;
  QTreeWidget* tree_ = nullptr;
  QStackedWidget* pages_ = nullptr;
  QWidget* lang_page_ = nullptr;
  QWidget* system_page_ = nullptr;
  QComboBox* lang_ = nullptr;
  QCheckBox* show_all_soft_ = nullptr;
  QComboBox* default_mode_ = nullptr;
};

}  // namespace vq::gui
