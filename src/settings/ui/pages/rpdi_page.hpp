#pragma once
// "Назначение в разделы" (RPDITS): the partition of each radio device (RPDIStrGrid, a
// label cell "type number" above each partition cell) and of the wired loops ШС1, ШС2
// and SOS (ShsStrGrid). A partition cell that becomes current gets a drop-down list
// "0".."96" over it; the chosen number stays in the grid until "Сохранить изменения".
#include <QComboBox>
#include <QPointer>

#include "settings/ui/pages/settings_page.hpp"

class QTableWidget;

namespace vq::gui {

class PairedGrid;

class RPDIPage : public SettingsPage {
  Q_OBJECT
 public:
  explicit RPDIPage(PageHost& host, QWidget* parent = nullptr);
  void show_from(const memory::Configuration& config) override;
  Result<> apply_to(memory::Configuration& config) override;
  bool has_apply() const override { return true; }

  // A cell of either grid is becoming current.
  void RPDIStrGridSelectCell(QTableWidget* grid, int row, int column);

  PairedGrid* device_grid() const { return devices_; }
  PairedGrid* loop_grid() const { return loops_; }
  // The in-cell partition list open now, if any.
  QComboBox* cell_list() const { return cell_list_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void destroy_cell_list();
  void place_cell_list();
  void cell_list_chosen(int index);

  PairedGrid* devices_ = nullptr;  // RPDIStrGrid
  PairedGrid* loops_ = nullptr;    // ShsStrGrid
  QPointer<QComboBox> cell_list_;
  QTableWidget* list_grid_ = nullptr;  // the grid the list belongs to
  int list_row_ = -1;
  int list_column_ = -1;
};

}  // namespace vq::gui
