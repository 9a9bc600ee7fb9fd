#pragma once
// "Настройки раздела" (TQRazdelSetForm): type, properties, delays, auto-arm time and
// temperature limits of one partition. The dialog keeps its controls to the rules of the
// partition types (what each type enables); a value in, a value out — it never touches
// the configuration, and its value goes to settings::set_partition.
#include <QDialog>
#include <optional>

#include "settings/partitions.hpp"

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;

namespace vq::gui {

class TQRazdelSetForm : public QDialog {
  Q_OBJECT
 public:
  TQRazdelSetForm(int partition, const settings::PartitionSettings& stored, QWidget* parent = nullptr);

  // The settings as the controls hold them; a type not chosen stays the stored one, and a
  // value whose list is disabled (or could not show the stored value) stays as stored.
  settings::PartitionSettings value() const;

 private:
  int chosen_type() const;  // -1 when no type button is selected
  void type_chosen(int type);
  void enable_lists();
  void day_night_changed();
  void auto_changed();

  int partition_;
  settings::PartitionSettings stored_;
  QLabel* number_label_ = nullptr;   // RazdelNumLabel
  QButtonGroup* types_ = nullptr;    // SecRdB .. TempCtrlRdB, ids = stored types
  QCheckBox* day_night_ = nullptr;   // RazdDayNightChB
  QCheckBox* auto_ = nullptr;        // RazdAutoChB
  QCheckBox* bypass_ = nullptr;      // RazdObhodAllowChB
  QCheckBox* silent_ = nullptr;      // RazdTihTrevChB
  QComboBox* entry_ = nullptr;       // Razdel1EnterDelayCmB
  QComboBox* exit_ = nullptr;        // Razdel1ExitDelayCmB
  QComboBox* auto_time_ = nullptr;   // RazdelAutoTimeCmB
  QComboBox* temp_low_ = nullptr;    // TempLowBoundCmB
  QComboBox* temp_high_ = nullptr;   // TempHighBoundCmB
};

// Runs the dialog for partition p; the settings when "Сохранить" closed it.
std::optional<settings::PartitionSettings> edit_partition(QWidget* parent, int partition,
                                                          const settings::PartitionSettings& stored);

}  // namespace vq::gui
