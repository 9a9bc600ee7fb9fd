#pragma once
// "Речевое оповещение" (SpeechNoticeTS): 768 speech messages in 96 collapsible zone groups,
// and the parameters of the selected one. "Сохранить изменения" stores every message edited
// since the page was shown (moving to another row keeps the edits of the one left);
// unticking "Активно" resets the message and stores it at once.
#include <map>

#include "settings/speech_notices.hpp"
#include "settings/ui/pages/settings_page.hpp"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QListWidget;
class QTreeWidget;
class QTreeWidgetItem;

namespace vq::gui {

class SpeechNoticePage : public SettingsPage {
  Q_OBJECT
 public:
  explicit SpeechNoticePage(PageHost& host, QWidget* parent = nullptr);
  void show_from(const memory::Configuration& config) override;  // ShowSpeechNotice
  Result<> apply_to(memory::Configuration& config) override;     // ApplySpeechNotice
  bool has_apply() const override { return true; }

  // The list's row of the selected message (zone * 8 + message), or -1.
  int selected_row() const { return row_; }
  // Selects a row as a click on it does.
  void select_row(int row);
  QTreeWidgetItem* row_item(int row) const;

  void SpeechNoticeLVSelectItem(QTreeWidgetItem* item);
  void SpeechNoticeMsgActiveChBClick();
  void LoadSpeechNoticeMsg(const memory::Configuration& config, int zone, int message);
  Result<> StoreSpeechNoticeMsg(memory::Configuration& config, int zone, int message);

 private:
  settings::SpeechNotice from_controls() const;
  void to_controls(const settings::SpeechNotice& n);
  void enable_parameters(bool on);
  // The selected message's edits, kept until "Сохранить изменения".
  void keep_edits();

  QTreeWidget* list_ = nullptr;        // SpeechNoticeLV
  QGroupBox* params_ = nullptr;
  QCheckBox* active_ = nullptr;        // SpeechNoticeMsgActiveChB
  QListWidget* partitions_ = nullptr;  // SpeechNoticeMsgToPartLinkChListB
  QComboBox* state_ = nullptr;         // SpeechNoticePartStateCmB
  QComboBox* delay_ = nullptr;         // SpeechNoticeDelayCmB
  QComboBox* duration_ = nullptr;      // SpeechNoticeDurationCmB
  int row_ = -1;
  settings::SpeechNotice loaded_;                // the selected message as loaded
  std::map<int, settings::SpeechNotice> edits_;  // row -> edited message
};

}  // namespace vq::gui
