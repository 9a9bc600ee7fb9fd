#pragma once
// "Назначение в системе" (TSysOutSignForm): the device and physical output one system
// output drives. The current binding is shown read-only; a new one is picked class, then
// device, then output, from what the configuration offers. A value in, a value out: the
// dialog never touches the configuration.
#include <QDialog>
#include <optional>

#include "settings/system_outputs.hpp"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace vq::gui {

struct OutputAssignmentInput {
  int number = 1;                     // system output 1..250
  settings::OutputBinding current;    // as presented (ОПС as class 5)
  settings::AssignmentChoices choices;
  // Demo mode without a relay module met: "СЗО", "МР" and "РТМ" are not offered.
  bool demo_restricted = false;
};

class TSysOutSignForm : public QDialog {
  Q_OBJECT
 public:
  explicit TSysOutSignForm(const OutputAssignmentInput& input, QWidget* parent = nullptr);

  // The binding "Сохранить" confirms: the class by the name in DevTypeEdit, the device
  // and output by their edits ("-" gives 0 and output 1, as a free output stores them).
  settings::OutputBinding value() const;

 private:
  void DevTypeListBClick(int row);
  void DevNumListBClick(int row);
  void PhysOutNumListBClick(int row);
  static QString shown(int number);

  settings::AssignmentChoices choices_;
  std::vector<int> classes_;  // DevTypeListB row -> class
  QLineEdit* type_edit_ = nullptr;
  QLineEdit* device_edit_ = nullptr;
  QLineEdit* output_edit_ = nullptr;
  QListWidget* types_ = nullptr;
  QListWidget* devices_ = nullptr;
  QListWidget* outputs_ = nullptr;
  QPushButton* save_ = nullptr;
  int chosen_class_ = -1;
  int filling_ = 0;
};

// Runs the dialog; the binding when "Сохранить" closed it.
std::optional<settings::OutputBinding> edit_output_assignment(QWidget* parent, const OutputAssignmentInput& input);

}  // namespace vq::gui
