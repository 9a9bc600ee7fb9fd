#pragma once
// "Параметры устройства" (TRadioNetDevForm): the parameters of one radio device, the
// lists its type code has enabled, and whether they go to that device or to every device
// of its type. A value in, a value out: the dialog never touches the configuration.
#include <QDialog>
#include <optional>

#include "settings/radio_network.hpp"

class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace vq::gui {

struct RadioDeviceEdit {
  settings::RadioDeviceParams params;
  bool to_all_of_type = false;  // "ко всем однотипным"
};

class TRadioNetDevForm : public QDialog {
  Q_OBJECT
 public:
  TRadioNetDevForm(int number, int type_code, const settings::RadioDeviceParams& stored, QWidget* parent = nullptr);

  RadioDeviceEdit value() const;
  // Refuses a threshold outside 54..65 or no volume chosen, and stays open.
  void accept() override;

 private:
  QComboBox* list(settings::RadioParam p) const;
  void show_form(const settings::RadioDeviceForm& form);
  void changed();
  void SensCh1CmBChange(int index);
  void DevTypeCmBChange(int index);

  QLabel* number_label_ = nullptr;  // RadioDevNumLabel
  QComboBox* lists_[settings::kRadioParamCount] = {};
  QComboBox* sens_ch2_ = nullptr;   // SensCh2CmB, never enabled
  QRadioButton* to_selected_ = nullptr;
  QRadioButton* to_all_ = nullptr;
  QPushButton* save_ = nullptr;
  bool changed_mark_ = false;
  int filling_ = 0;
};

// Runs the dialog for device `number`; the edit when "Сохранить" closed it.
std::optional<RadioDeviceEdit> edit_radio_device(QWidget* parent, int number, int type_code,
                                                 const settings::RadioDeviceParams& stored);

}  // namespace vq::gui
