#pragma once
// "Идентификаторы" (CtrlIDTS): the 1000 identifier slots. A double click (or Enter, or
// "Редактировать идентификатор") opens the identifier dialog, which writes at once, as
// does "Удалить идентификатор"; the partition marks of CtrlIDRazdStrGrid go to every
// selected identifier on "Сохранить изменения".
#include "settings/ui/pages/settings_page.hpp"
#include "settings/ui/widgets/numbered_list.hpp"

class QMenu;

namespace vq::gui {

class PartitionMarkGrid;

class CtrlIDPage : public SettingsPage {
  Q_OBJECT
 public:
  explicit CtrlIDPage(PageHost& host, QWidget* parent = nullptr);
  void show_from(const memory::Configuration& config) override;
  Result<> apply_to(memory::Configuration& config) override;
  bool has_apply() const override { return true; }

  // The handlers under their own names.
  void CtrlIDListViewSelectItem(int slot);  // the slot's links into the grid
  void CtrlIDListViewDblClick();            // the identifier dialog for the selected row
  void DeleteCtrlIDActionExecute();         // deletes the selected identifier, without asking

  NumberedList* list() const { return list_; }
  PartitionMarkGrid* grid() const { return grid_; }
  QMenu* popup_menu() const { return menu_; }

 private:
  // The row the dialog and the deletion act on: the current one when it is selected,
  // else the first selected.
  int selected_slot() const;
  void load_grid(const memory::Configuration& config, int slot);

  NumberedList* list_ = nullptr;       // CtrlIDListView
  PartitionMarkGrid* grid_ = nullptr;  // CtrlIDRazdStrGrid
  QMenu* menu_ = nullptr;              // CtrlIDPopupMenu
};

}  // namespace vq::gui
