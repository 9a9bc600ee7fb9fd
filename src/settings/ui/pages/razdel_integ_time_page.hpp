#pragma once
// The page of loop integration time (placeholder until it is built).
#include "settings/ui/pages/settings_page.hpp"

namespace vq::gui {

class RazdelIntegTimePage : public SettingsPage {
  Q_OBJECT
 public:
  explicit RazdelIntegTimePage(PageHost& host, QWidget* parent = nullptr);
  void show_from(const memory::Configuration& config) override;
};

}  // namespace vq::gui
