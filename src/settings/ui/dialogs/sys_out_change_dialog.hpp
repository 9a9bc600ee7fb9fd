#pragma once
// "Поменять выходы местами" (TSysOutChangeForm): which two system outputs exchange their
// records. "Поменять" is enabled once a target other than the source is chosen. A value
// in, a value out: the dialog never touches the configuration.
#include <QDialog>
#include <optional>
#include <utility>

class QComboBox;
class QPushButton;

namespace vq::gui {

class TSysOutChangeForm : public QDialog {
  Q_OBJECT
 public:
  // `from`: the output selected on the page (1..250).
  explicit TSysOutChangeForm(int from, QWidget* parent = nullptr);

  // Source and target; the target is 0 while none is chosen.
  std::pair<int, int> value() const;

 private:
  void check(bool target_chosen_now);

  QComboBox* from_ = nullptr;  // SysOutFromCmB
  QComboBox* to_ = nullptr;    // SysOutToCmB
  QPushButton* swap_ = nullptr;
};

// Runs the dialog; the two outputs when "Поменять" closed it.
std::optional<std::pair<int, int>> choose_outputs_to_swap(QWidget* parent, int from);

}  // namespace vq::gui
