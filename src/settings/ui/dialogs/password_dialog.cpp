#include "settings/ui/dialogs/password_dialog.hpp"

#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "settings/passwords.hpp"
#include "shell/ui/qt_text.hpp"
#include "shell/ui/ui_services.hpp"

namespace vq::gui {
namespace {

QLineEdit* password_field(QWidget* parent, const char* name) {
  auto* e = new QLineEdit(parent);
  e->setObjectName(QString::fromLatin1(name));
  e->setMaxLength(static_cast<int>(settings::kPasswordMaxDigits));
  e->setEchoMode(QLineEdit::Password);
  return e;
}

}  // namespace

TPasswordDlg::TPasswordDlg(const QString& current, int min_length, QWidget* parent)
    : QDialog(parent), min_length_(min_length) {
  setObjectName(QStringLiteral("TPasswordDlg"));
  setWindowTitle(QStringLiteral("Ввод пароля"));
  setModal(true);
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  auto* layout = new QVBoxLayout(this);
  auto* grid = new QGridLayout;
  password_ = password_field(this, "Password");
  password_->setToolTip(QStringLiteral("От %1 до 6 цифр; Enter — к подтверждению").arg(min_length));
  confirm_ = password_field(this, "ConfirmPassword");
  confirm_->setToolTip(QStringLiteral("Тот же пароль ещё раз"));
  grid->addWidget(new QLabel(QStringLiteral("Введите пароль:"), this), 0, 0);
  grid->addWidget(password_, 0, 1);
  grid->addWidget(new QLabel(QStringLiteral("Подтвердите ввод:"), this), 1, 0);
  grid->addWidget(confirm_, 1, 1);
  layout->addLayout(grid);
  layout->addStretch(1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  ok_ = new QPushButton(QStringLiteral("Сохранить"), this);
  ok_->setObjectName(QStringLiteral("OKBtn"));
  // Enter in Password moves on to the confirmation; it does not press the button.
  ok_->setAutoDefault(false);
  auto* cancel = new QPushButton(QStringLiteral("Отмена"), this);
  cancel->setObjectName(QStringLiteral("CancelBtn"));
  cancel->setAutoDefault(false);
  buttons->addWidget(ok_);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);
  setFixedSize(233, 157);

  password_->setText(current);
  connect(ok_, &QPushButton::clicked, this, &TPasswordDlg::accept);
  connect(cancel, &QPushButton::clicked, this, &TPasswordDlg::reject);
  connect(password_, &QLineEdit::textEdited, this, [this] { PasswordChange(password_); });
  connect(confirm_, &QLineEdit::textEdited, this, [this] { PasswordChange(confirm_); });
  connect(password_, &QLineEdit::returnPressed, this, [this] { PasswordKeyPress(); });
  connect(confirm_, &QLineEdit::returnPressed, this, &TPasswordDlg::accept);
  confirm_->installEventFilter(this);
}

QString TPasswordDlg::value() const { return password_->text(); }

void TPasswordDlg::PasswordChange(QLineEdit* field) {
  const QString text = field->text();
  QString digits;
  for (QChar ch : text)
    if (ch >= QLatin1Char('0') && ch <= QLatin1Char('9')) digits += ch;
  if (digits == text) return;
  // A pasted text loses every character that is not a digit, not only its last.
  field->setText(digits);
  field->setCursorPosition(static_cast<int>(digits.size()));
  ui().show_message(this, BoxIcon::error, caption_message(), m(15020));
}

bool TPasswordDlg::long_enough() {
  if (password_->text().size() >= min_length_) return true;
  ui().show_message(this, BoxIcon::error, caption_message(), qs(shell::format_message(shell::msg(15022), {min_length_})));
  password_->setFocus();
  return false;
}

bool TPasswordDlg::PasswordKeyPress() {
  if (!long_enough()) return false;
  confirm_->setFocus();
  return true;
}

bool TPasswordDlg::eventFilter(QObject* watched, QEvent* event) {
  if (watched == confirm_ && event->type() == QEvent::MouseButtonPress && !long_enough()) return true;
  return QDialog::eventFilter(watched, event);
}

void TPasswordDlg::accept() {
  // The minimum holds however the dialog is confirmed, not only after Enter.
  if (!long_enough()) return;
  if (password_->text() != confirm_->text()) {
    ui().show_message(this, BoxIcon::error, caption_message(), m(15023));
    confirm_->setFocus();
    return;
  }
  QDialog::accept();
}

std::optional<std::string> enter_password(QWidget* parent, const QString& current, int min_length) {
  TPasswordDlg dialog(current, min_length, parent);
  if (!ui().run_dialog(&dialog)) return std::nullopt;
  return to_std(dialog.value());
}

}  // namespace vq::gui
