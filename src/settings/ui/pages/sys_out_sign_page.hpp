#pragma once
// "Назначение в системе" (SysOutSignTS): the device and physical output of each of the 250
// system outputs. A double click (or Enter) opens the assignment dialog; the pop-up menu
// also swaps two outputs or frees one. There is nothing to apply: all of it writes the
// table at once.
#include "settings/ui/pages/settings_page.hpp"
#include "settings/ui/widgets/numbered_list.hpp"

class QMenu;

namespace vq::gui {

class SysOutSignPage : public SettingsPage {
  Q_OBJECT
 public:
  explicit SysOutSignPage(PageHost& host, QWidget* parent = nullptr);
  void show_from(const memory::Configuration& config) override;
  void mode_changed(bool demo) override;

  // The handlers under their own names.
  void SysOutSignListViewDblClick();  // also "Редактировать выход"
  void ChangeSysOutItemClick();       // "Поменять выходы"
  void FreeSysOutItemClick();         // "Освободить выход"

  NumberedList* list() const { return list_; }
  QMenu* popup_menu() const { return menu_; }

 private:
  NumberedList* list_ = nullptr;  // SysOutSignListView
  QMenu* menu_ = nullptr;        // SysOutSignPopupMenu
  // A relay module was met in the registered devices table since "Демо" was chosen:
  // the demo mode offers every class again.
  bool relay_module_met_ = false;
};

}  // namespace vq::gui
