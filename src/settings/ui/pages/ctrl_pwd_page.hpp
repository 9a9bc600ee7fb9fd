#pragma once
// "Пароли" (CtrlPwdTS): the user and engineer passwords, each changed through the password
// dialog (a double click or Enter on its field), and whether the password may be reset.
// Both write at once; there is nothing to apply.
#include "settings/passwords.hpp"
#include "settings/ui/pages/settings_page.hpp"

class QComboBox;
class QLineEdit;

namespace vq::gui {

class CtrlPwdPage : public SettingsPage {
  Q_OBJECT
 public:
  explicit CtrlPwdPage(PageHost& host, QWidget* parent = nullptr);
  void show_from(const memory::Configuration& config) override;

  // The handlers under their own names.
  void CtrlUserPwdEditDblClick(settings::PasswordKind kind);  // the password dialog
  void CtrlAllowResetPwdCmBSelect(int entry);                 // stored at once

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QLineEdit* field(settings::PasswordKind kind) const;

  QLineEdit* user_ = nullptr;      // CtrlUserPwdEdit
  QLineEdit* engineer_ = nullptr;  // CtrlAdminPwdEdit
  QComboBox* reset_ = nullptr;     // CtrlAllowResetPwdCmB
};

}  // namespace vq::gui
