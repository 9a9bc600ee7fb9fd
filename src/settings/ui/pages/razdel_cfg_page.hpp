#pragma once
// The page of partitions: "Настройка разделов" (placeholder until it is built).
#include "settings/ui/pages/settings_page.hpp"

namespace vq::gui {

class RazdelCfgPage : public SettingsPage {
  Q_OBJECT
 public:
  explicit RazdelCfgPage(PageHost& host, QWidget* parent = nullptr);
  void show_from(const memory::Configuration& config) override;
};

}  // namespace vq::gui
