#pragma once
// "Телефоны получателей" (TelRcpntsTS): the eight recipients with their channels, notice
// types and categories; the partitions of the selected one in PartitionStrGrid; the
// Contact ID account. A double click (or Enter) opens the recipient dialog, whose
// "Сохранить" commits at once; "Сохранить изменения" stores the partition marks of the
// selected recipient and the account.
#include "settings/ui/pages/settings_page.hpp"

class QLineEdit;

namespace vq::gui {

class NumberedList;
class PartitionMarkGrid;

class TelRcpntsPage : public SettingsPage {
  Q_OBJECT
 public:
  explicit TelRcpntsPage(PageHost& host, QWidget* parent = nullptr);
  void show_from(const memory::Configuration& config) override;
  Result<> apply_to(memory::Configuration& config) override;
  bool has_apply() const override { return true; }

  // The handlers under their own names.
  void TelRcpntsListViewSelectItem(int r);
  void TelRcpntsListViewDblClick();
  void ObjNumEditChange();

  NumberedList* list() const { return list_; }
  PartitionMarkGrid* grid() const { return grid_; }
  QLineEdit* account() const { return account_; }

 private:
  void load_grid(const memory::Configuration& config, int r);

  NumberedList* list_ = nullptr;       // TelRcpntsListView
  PartitionMarkGrid* grid_ = nullptr;  // PartitionStrGrid
  QLineEdit* account_ = nullptr;       // ObjNumEdit
};

}  // namespace vq::gui
