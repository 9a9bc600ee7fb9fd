#pragma once
// The page of system output modes and partition links (placeholder until it is built).
#include "settings/ui/pages/settings_page.hpp"

namespace vq::gui {

class SysOutSetPage : public SettingsPage {
  Q_OBJECT
 public:
  explicit SysOutSetPage(PageHost& host, QWidget* parent = nullptr);
  void show_from(const memory::Configuration& config) override;
};

}  // namespace vq::gui
