#pragma once
// "Ввод пароля" (TPasswordDlg): a password typed twice. Digits only, at least the
// minimum the opener sets (3 for the user password, 4 for the engineer password), at most
// 6. A value in, a value out.
#include <QDialog>
#include <QString>
#include <optional>
#include <string>

class QLineEdit;
class QPushButton;

namespace vq::gui {

class TPasswordDlg : public QDialog {
  Q_OBJECT
 public:
  TPasswordDlg(const QString& current, int min_length, QWidget* parent = nullptr);

  // Valid once accepted.
  QString value() const;
  // Closes only with a long enough password confirmed exactly (15022, 15023).
  void accept() override;

  // The rules under the handlers' names.
  void PasswordChange(QLineEdit* field);  // a character that is not a digit is removed (15020)
  bool PasswordKeyPress();                // Enter in Password: the minimum length (15022)

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool long_enough();

  int min_length_;
  QLineEdit* password_ = nullptr;  // Password
  QLineEdit* confirm_ = nullptr;   // ConfirmPassword
  QPushButton* ok_ = nullptr;      // OKBtn
};

// Runs the dialog; the new password when "Сохранить" closed it.
std::optional<std::string> enter_password(QWidget* parent, const QString& current, int min_length);

}  // namespace vq::gui
