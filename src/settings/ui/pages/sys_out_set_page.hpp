#pragma once
// "Настройка выходов" (SysOutSetTS): the work mode of each system output and the
// partitions it is linked to. A double click (or Enter) opens the work-mode dialog, which
// writes at once; the partition marks of SysOutSetStrGrid go to every selected output on
// "Сохранить изменения".
#include "settings/ui/dialogs/sys_out_set_dialog.hpp"
#include "settings/ui/pages/settings_page.hpp"
#include "settings/ui/widgets/numbered_list.hpp"

namespace vq::gui {

class PartitionMarkGrid;

class SysOutSetPage : public SettingsPage {
  Q_OBJECT
 public:
  explicit SysOutSetPage(PageHost& host, QWidget* parent = nullptr);
  void show_from(const memory::Configuration& config) override;
  Result<> apply_to(memory::Configuration& config) override;
  bool has_apply() const override { return true; }

  // The handlers under their own names.
  void SysOutSetListViewSelectItem(int n);  // the links of output n into the grid
  void SysOutSetListViewDblClick(int n);    // the work-mode dialog for output n

  NumberedList* list() const { return list_; }
  PartitionMarkGrid* grid() const { return grid_; }

 private:
  bool refuse_mark();
  void load_grid(const memory::Configuration& config, int n);

  NumberedList* list_ = nullptr;      // SysOutSetListView
  PartitionMarkGrid* grid_ = nullptr; // SysOutSetStrGrid
  // What "Применить:" of the work-mode dialog held when it last closed.
  WorkModeApplyChoice apply_choice_;
};

}  // namespace vq::gui
