#pragma once
// The page of partitions of radio devices and wired loops (placeholder until it is built).
#include "settings/ui/pages/settings_page.hpp"

namespace vq::gui {

class RPDIPage : public SettingsPage {
  Q_OBJECT
 public:
  explicit RPDIPage(PageHost& host, QWidget* parent = nullptr);
  void show_from(const memory::Configuration& config) override;
};

}  // namespace vq::gui
