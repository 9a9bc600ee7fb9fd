#pragma once
// The page of relay bindings of relay modules (placeholder until it is built).
#include "settings/ui/pages/settings_page.hpp"

namespace vq::gui {

class RazdelMRPage : public SettingsPage {
  Q_OBJECT
 public:
  explicit RazdelMRPage(PageHost& host, QWidget* parent = nullptr);
  void show_from(const memory::Configuration& config) override;
};

}  // namespace vq::gui
