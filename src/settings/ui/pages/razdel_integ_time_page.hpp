#pragma once
// "Время интегрирования" (RazdelIntegTimeTS): 500 or 70 ms for each wired loop, stored
// on "Сохранить изменения".
#include "settings/ui/pages/settings_page.hpp"

class QButtonGroup;

namespace vq::gui {

class RazdelIntegTimePage : public SettingsPage {
  Q_OBJECT
 public:
  explicit RazdelIntegTimePage(PageHost& host, QWidget* parent = nullptr);
  void show_from(const memory::Configuration& config) override;  // ShowRazdelIntegTime
  Result<> apply_to(memory::Configuration& config) override;     // ApplyRazdelIntegTime
  bool has_apply() const override { return true; }

 private:
  // RazdelIntegTime1RdG, RazdelIntegTime2RdG: button id 0 "500", 1 "70".
  QButtonGroup* groups_[2] = {};
};

}  // namespace vq::gui
