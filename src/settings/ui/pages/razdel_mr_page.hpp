#pragma once
// "Контроль цепи МР" (RazdelMRTS): the relay modules of the relay module table with the
// partitions their relays are bound to. A double click or Enter opens "Привязки реле",
// whose confirm stores at once.
#include "settings/ui/pages/settings_page.hpp"

namespace vq::gui {

class NumberedList;

class RazdelMRPage : public SettingsPage {
  Q_OBJECT
 public:
  explicit RazdelMRPage(PageHost& host, QWidget* parent = nullptr);
  void show_from(const memory::Configuration& config) override;  // ShowRazdelMR

  void RazdelMRListViewDblClick();

 private:
  // The record number of the selected row; -1 with none.
  int selected_record() const;

  NumberedList* list_ = nullptr;  // RazdelMRListView; each row keeps its record number
};

}  // namespace vq::gui
