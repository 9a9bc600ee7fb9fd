#pragma once
// "Настройка выхода" (TSysOutSetForm): the work mode of a system output, its control time
// for modes 2 and 8, and whether they go to that output, to all of them or to a list of
// numbers. A value in, a value out: the dialog never touches the configuration.
#include <QDialog>
#include <QString>
#include <optional>
#include <vector>

#include "settings/system_outputs.hpp"

class QButtonGroup;
class QComboBox;
class QLineEdit;
class QRadioButton;

namespace vq::gui {

// What "Применить:" held when the dialog last closed: the page keeps it, so the choice
// and the number list are there again the next time.
struct WorkModeApplyChoice {
  settings::ApplyTo to = settings::ApplyTo::selected;
  QString numbers = QStringLiteral("1,3,5,7-10");
};

struct WorkModeEdit {
  int mode = 0;
  int control_time = settings::kDefaultControlTime;  // for modes 2 and 8
  std::vector<int> targets;                           // in the order to apply
};

class TSysOutSetForm : public QDialog {
  Q_OBJECT
 public:
  // Output `number` in `mode` (a stored mode above 8 leaves no mode chosen) with the
  // stored control time (shown for modes 2 and 8).
  TSysOutSetForm(int number, int mode, int control_time, const WorkModeApplyChoice& choice,
                 QWidget* parent = nullptr);

  // Valid once accepted.
  WorkModeEdit value() const { return value_; }
  WorkModeApplyChoice choice() const;
  // Refuses no mode, no control time for modes 2 and 8, or a bad number list, and stays open.
  void accept() override;

 private:
  int chosen_mode() const;
  void mode_chosen(int mode);

  int number_;
  QButtonGroup* modes_ = nullptr;   // SysOutWorkModeGrB
  QComboBox* time_ = nullptr;       // SysoutCtrlTimeCmB
  QRadioButton* to_selected_ = nullptr;
  QRadioButton* to_all_ = nullptr;
  QRadioButton* to_range_ = nullptr;
  QLineEdit* range_ = nullptr;      // RangeEdit
  WorkModeEdit value_;
};

// Runs the dialog for output `number`; the edit when "Сохранить" closed it. `choice` is
// updated however the dialog closed.
std::optional<WorkModeEdit> edit_work_mode(QWidget* parent, int number, int mode, int control_time,
                                           WorkModeApplyChoice& choice);

}  // namespace vq::gui
