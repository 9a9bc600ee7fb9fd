#pragma once
// "Модуль PSTN" (PSTNSettingsTS): the priority of the telephone line, shown and stored only
// when a PSTN module is registered, changeable only where the module allows it.
#include "settings/ui/pages/settings_page.hpp"

class QComboBox;

namespace vq::gui {

class PSTNSettingsPage : public SettingsPage {
  Q_OBJECT
 public:
  explicit PSTNSettingsPage(PageHost& host, QWidget* parent = nullptr);
  void show_from(const memory::Configuration& config) override;  // ShowPSTNSettings
  Result<> apply_to(memory::Configuration& config) override;     // ApplyPSTNSettings
  bool has_apply() const override { return true; }

 private:
  QComboBox* priority_ = nullptr;  // PSTNPriorityCmB
};

}  // namespace vq::gui
