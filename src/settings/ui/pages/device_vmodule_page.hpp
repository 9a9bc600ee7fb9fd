#pragma once
// "Голосовой модуль" (DeviceVModuleTS): the voice module on or off, its volume, which
// notices it speaks, reminders, auto-reminders at two marks and its silence interval.
#include <QTime>
#include <array>

#include "settings/voice_module.hpp"
#include "settings/ui/pages/settings_page.hpp"

class QCheckBox;
class QLabel;
class QListWidget;
class QSlider;
class QTimeEdit;

namespace vq::gui {

class DeviceVModulePage : public SettingsPage {
  Q_OBJECT
 public:
  explicit DeviceVModulePage(PageHost& host, QWidget* parent = nullptr);
  void show_from(const memory::Configuration& config) override;  // ShowDeviceVModule
  Result<> apply_to(memory::Configuration& config) override;     // ApplyDeviceVModule
  bool has_apply() const override { return true; }

  void EnableVMChBClick();
  void EnableAutoRemChBClick();
  void VModuleVolumeTrackBarChange();

 private:
  QCheckBox* enable_ = nullptr;          // EnableVMChB
  QSlider* volume_ = nullptr;            // VModuleVolumeTrackBar
  QLabel* volume_label_ = nullptr;       // VModuleVolumeLabel
  QListWidget* notices_ = nullptr;       // IzvStatusCheckListBox
  QListWidget* reminders_ = nullptr;     // RemindersCheckListBox
  QCheckBox* auto_reminders_ = nullptr;  // EnableAutoRemChB
  // AutoRemL1DTP, AutoRemL2DTP, SilenceStartDTP, SilenceEndDTP
  std::array<QTimeEdit*, 4> times_{};
  std::array<QLabel*, 4> time_labels_{};
  // The pickers' times after the show: a picker left alone keeps the bytes it came from
  // (a stored time a picker cannot show, such as 25:70, stays as it is).
  std::array<QTime, 4> shown_{};
};

}  // namespace vq::gui
