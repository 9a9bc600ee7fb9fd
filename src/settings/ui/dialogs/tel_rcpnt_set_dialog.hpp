#pragma once
// "Настройки получателя" (TQTelRcpntSetForm): the main and reserve channel of one
// recipient (communicator, number, notice type and its options), its SIM-account and test
// notices and its six event categories. A value in, a value out: the notice type and
// category dialogs it opens change the edit, never the configuration, so "Отмена" leaves
// every byte as it was.
#include <QDialog>
#include <array>
#include <optional>

#include "settings/recipients.hpp"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace vq::gui {

// What the dialog opens with.
struct RecipientDialogInput {
  settings::Recipient stored;
  settings::EditPlan plan;
  settings::Communicators devices;
  // The stored option bytes of the channel records the plan names (for the notice type dialog).
  settings::ChannelFormat main_format, reserve_format;
};

class TQTelRcpntSetForm : public QDialog {
  Q_OBJECT
 public:
  explicit TQTelRcpntSetForm(const RecipientDialogInput& input, QWidget* parent = nullptr);

  // Valid once accepted.
  settings::RecipientEdit value() const;
  // The checks of "Сохранить", each showing its message; the dialog stays open on any.
  void accept() override;

  // The handlers under their own names; `main` picks the channel.
  void EnableMainChBClick();
  void EnableResChBClick();
  void NoticeDevTypeCmBSelect(bool main);
  void NoticeTypeCmBSelect(bool main);
  void TelMaskEditChange(bool main);
  void EventCatListViewItemChecked(QTreeWidgetItem* item);
  void EventCatListViewDblClick(QTreeWidgetItem* item);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  struct Channel {
    QCheckBox* enable = nullptr;
    QComboBox* device = nullptr;
    QLineEdit* phone = nullptr;
    QComboBox* notice = nullptr;
    std::optional<int> index;                    // the channel record the plan names
    settings::ChannelFormat stored;              // its option bytes as stored
    std::optional<settings::ChannelFormat> format;  // set by the notice type dialog
  };
  Channel& channel(bool main) { return main ? main_ : reserve_; }
  settings::Communicator device_of(const Channel& ch) const;
  void fill_channel(Channel& ch, const settings::RecipientChannel& stored);
  void follow_check(Channel& ch);
  void paint_items();
  void set_sim_item(bool enabled, bool uncheck);
  void set_category_row(int k, const std::optional<settings::CategoryOptions>& o, const char* none_text);
  static bool blank(const QString& phone);

  RecipientDialogInput input_;
  Channel main_, reserve_;
  QListWidget* notices_ = nullptr;   // NoticeChListB
  QTreeWidget* categories_ = nullptr;  // EventCatListView
  QPushButton* ok_ = nullptr;        // OKBtn
  std::array<settings::CategoryOptions, settings::kCategoryCount> options_{};
  bool muted_ = false;               // programmatic changes run no handler
};

// Runs the dialog; the edit when "Сохранить" closed it.
std::optional<settings::RecipientEdit> edit_recipient(QWidget* parent, const RecipientDialogInput& input);

}  // namespace vq::gui
