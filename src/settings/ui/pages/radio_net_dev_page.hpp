#pragma once
// "Изменение параметров устройств" under "Радиосеть" (RadioNetDevTS): the 250 radio
// device slots with their state and type. A double click (or Enter) opens the parameter
// dialog; the pop-up menu edits, deletes one device or all of them. There is nothing to
// apply: the dialog and the deletions write the tables at once.
#include "settings/ui/pages/settings_page.hpp"
#include "settings/ui/widgets/numbered_list.hpp"

class QMenu;

namespace vq::gui {

class RadioNetDevPage : public SettingsPage {
  Q_OBJECT
 public:
  explicit RadioNetDevPage(PageHost& host, QWidget* parent = nullptr);
  void show_from(const memory::Configuration& config) override;

  // The handlers under their own names.
  void RadioNetDevListViewDblClick();  // also "Редактировать устройство"
  void N9Click();                      // "Удалить устройство"
  void N10Click();                     // "Удалить все устройства"

  NumberedList* list() const { return list_; }
  QMenu* popup_menu() const { return menu_; }

 private:
  NumberedList* list_ = nullptr;  // RadioNetDevListView
  QMenu* menu_ = nullptr;        // RadioNetDevPopupMenu
};

}  // namespace vq::gui
