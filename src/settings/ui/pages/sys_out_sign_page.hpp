#pragma once
// The page of system output bindings (placeholder until it is built).
#include "settings/ui/pages/settings_page.hpp"

namespace vq::gui {

class SysOutSignPage : public SettingsPage {
  Q_OBJECT
 public:
  explicit SysOutSignPage(PageHost& host, QWidget* parent = nullptr);
  void show_from(const memory::Configuration& config) override;
};

}  // namespace vq::gui
