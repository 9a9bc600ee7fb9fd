#pragma once
// "Настройка идентификатора" (TCtrlIDSetForm): kind, user, tactic, value and quick arming
// of one identifier slot. A value in, a value out: the dialog checks against what the
// other slots hold (IdentifierNeighbours) and never touches the configuration.
#include <QDialog>
#include <optional>

#include "settings/identifiers.hpp"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace vq::gui {

class TCtrlIDSetForm : public QDialog {
  Q_OBJECT
 public:
  // `stored` is the slot as it is (an empty one opens with the defaults).
  TCtrlIDSetForm(const settings::Identifier& stored, settings::IdentifierNeighbours neighbours,
                 QWidget* parent = nullptr);

  // Valid once accepted.
  settings::IdentifierEdit value() const { return value_; }
  // Refuses no user (15282), a value that cannot be stored, a value another slot holds
  // (15058), and stays open with the focus on the offending control.
  void accept() override;

  // The rules under the handlers' names.
  void IDUserSetCmBSelect(int user);   // a user chosen from the list
  void IDUserSetCmBExit();             // typed text checked when the list is left
  void IDValueSetEditExit();           // at least three characters for ПИН and БР

 private:
  int chosen_kind() const;
  int chosen_user() const;
  void kind_chosen();
  void warn(const QString& text);

  settings::IdentifierNeighbours neighbours_;
  QComboBox* kind_ = nullptr;     // IDTypeSetCmB
  QComboBox* user_ = nullptr;     // IDUserSetCmB
  QLineEdit* ordinal_ = nullptr;  // IDUserNumEdit
  QComboBox* tactic_ = nullptr;   // IDTacticSetCmB
  QLineEdit* value_edit_ = nullptr;  // IDValueSetEdit
  QCheckBox* quick_ = nullptr;    // IDFastGetChB
  QLineEdit* count_ = nullptr;    // IDUserCountEdit
  QPushButton* save_ = nullptr;   // Button1
  settings::IdentifierEdit value_;
};

// Runs the dialog for the slot; the edit when "Сохранить" closed it.
std::optional<settings::IdentifierEdit> edit_identifier(QWidget* parent, const settings::Identifier& stored,
                                                        settings::IdentifierNeighbours neighbours);

}  // namespace vq::gui
