#pragma once
// "Текущие параметры сети" (RadioNetSetTS): the radio channel control period.
#include "settings/ui/pages/settings_page.hpp"

class QComboBox;

namespace vq::gui {

class RadioNetSetPage : public SettingsPage {
  Q_OBJECT
 public:
  explicit RadioNetSetPage(PageHost& host, QWidget* parent = nullptr);
  void show_from(const memory::Configuration& config) override;
  Result<> apply_to(memory::Configuration& config) override;
  bool has_apply() const override { return true; }

 private:
  QComboBox* period_ = nullptr;  // ChCtrlPeriodCmB
};

}  // namespace vq::gui
