#pragma once
// "Наименование разделов" (RazdelNameTS): the 96 partitions with their names. A double
// click or Enter opens "Наименование раздела"; the chosen name waits in the row until
// "Сохранить изменения" stores it. Rows the user did not change are not rewritten.
#include <array>

#include "settings/partitions.hpp"
#include "settings/ui/pages/settings_page.hpp"

namespace vq::gui {

class NumberedList;

class RazdelNamePage : public SettingsPage {
  Q_OBJECT
 public:
  explicit RazdelNamePage(PageHost& host, QWidget* parent = nullptr);
  void show_from(const memory::Configuration& config) override;  // ShowRazdelName
  Result<> apply_to(memory::Configuration& config) override;     // ApplyRazdelName
  bool has_apply() const override { return true; }

  void RazdelNameListViewDblClick();

 private:
  NumberedList* list_ = nullptr;  // RazdelNameListView
  std::array<bool, settings::kPartitionCount> changed_{};
};

}  // namespace vq::gui
