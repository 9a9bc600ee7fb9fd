#pragma once
// The page of radio channel control period (placeholder until it is built).
#include "settings/ui/pages/settings_page.hpp"

namespace vq::gui {

class RadioNetSetPage : public SettingsPage {
  Q_OBJECT
 public:
  explicit RadioNetSetPage(PageHost& host, QWidget* parent = nullptr);
  void show_from(const memory::Configuration& config) override;
};

}  // namespace vq::gui
