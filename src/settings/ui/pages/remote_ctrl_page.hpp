#pragma once
// "Дистанционное" (RemoteCtrlTS): the eight remote control records, a row checked while its
// record is active. Checking a row below an unchecked one moves the check up, so active
// records fill the list from the top; unchecking clears the record at once; a double click
// or Enter on a checked row opens "Настройки дистанционного управления", whose "Сохранить"
// stores at once.
#include "settings/ui/pages/settings_page.hpp"

class QTreeWidgetItem;

namespace vq::gui {

class NumberedList;

class RemoteCtrlPage : public SettingsPage {
  Q_OBJECT
 public:
  explicit RemoteCtrlPage(PageHost& host, QWidget* parent = nullptr);
  void show_from(const memory::Configuration& config) override;  // ShowRemoteCtrl

  void RemoteCtrlListViewItemChecked(QTreeWidgetItem* item);
  void RemoteCtrlListViewDblClick();

 private:
  void empty_row(QTreeWidgetItem* row);

  NumberedList* list_ = nullptr;  // RemoteCtrlListView
};

}  // namespace vq::gui
