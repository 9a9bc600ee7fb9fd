#pragma once
// The page of radio device list (placeholder until it is built).
#include "settings/ui/pages/settings_page.hpp"

namespace vq::gui {

class RadioNetDevPage : public SettingsPage {
  Q_OBJECT
 public:
  explicit RadioNetDevPage(PageHost& host, QWidget* parent = nullptr);
  void show_from(const memory::Configuration& config) override;
};

}  // namespace vq::gui
