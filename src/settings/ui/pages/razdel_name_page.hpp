#pragma once
// The page of partition names (placeholder until it is built).
#include "settings/ui/pages/settings_page.hpp"

namespace vq::gui {

class RazdelNamePage : public SettingsPage {
  Q_OBJECT
 public:
  explicit RazdelNamePage(PageHost& host, QWidget* parent = nullptr);
  void show_from(const memory::Configuration& config) override;
};

}  // namespace vq::gui
