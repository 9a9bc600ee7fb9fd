#pragma once
// "Настройка разделов" (RazdelCfgTS): the 96 partitions with their types. A double click
// or Enter on a row opens "Настройки раздела", whose confirm stores at once; the page
// itself has nothing for "Сохранить изменения".
#include "settings/ui/pages/settings_page.hpp"

namespace vq::gui {

class NumberedList;

class RazdelCfgPage : public SettingsPage {
  Q_OBJECT
 public:
  explicit RazdelCfgPage(PageHost& host, QWidget* parent = nullptr);
  void show_from(const memory::Configuration& config) override;  // ShowRazdelCfg

  void RazdelCfgListViewDblClick();

 private:
  NumberedList* list_ = nullptr;  // RazdelCfgListView
};

}  // namespace vq::gui
