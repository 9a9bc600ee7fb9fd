#pragma once
// "Общие настройки" (DeviceGSettingsTS): LCD backlight and internal sounder modes with
// their times, and the (hidden) panel language.
#include "settings/ui/pages/settings_page.hpp"

class QButtonGroup;
class QComboBox;

namespace vq::gui {

class DeviceGSettingsPage : public SettingsPage {
  Q_OBJECT
 public:
  explicit DeviceGSettingsPage(PageHost& host, QWidget* parent = nullptr);
  void show_from(const memory::Configuration& config) override;  // ShowDeviceGSettings
  Result<> apply_to(memory::Configuration& config) override;     // ApplyDeviceGSettings
  bool has_apply() const override { return true; }

  // Both radio groups: each time box is enabled only in the mode that uses it.
  void HighlightRdGClick();

 private:
  QButtonGroup* highlight_ = nullptr;      // HighlightRdG
  QButtonGroup* sound_ = nullptr;          // InternalSoundRdG
  QButtonGroup* language_ = nullptr;       // DeviceLngRdG
  QComboBox* highlight_time_ = nullptr;    // HighlightTimeCmB
  QComboBox* sound_time_ = nullptr;        // InternalSoundTimeCmB
  QComboBox* alarm_time_ = nullptr;        // IntSoundAlarmTimeCmB
};

}  // namespace vq::gui
