#include "settings/ui/pages/ctrl_pwd_page.hpp"

#include <QComboBox>
#include <QEvent>
#include <QFormLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QVBoxLayout>

#include "memory/configuration.hpp"
#include "settings/ui/dialogs/password_dialog.hpp"
#include "shell/ui/qt_text.hpp"
#include "shell/ui/ui_services.hpp"

namespace vq::gui {

using settings::PasswordKind;

CtrlPwdPage::CtrlPwdPage(PageHost& host, QWidget* parent) : SettingsPage(host, parent) {
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  layout->addLayout(form);
  auto make_field = [&](const char* name, const QString& label, PasswordKind kind) {
    auto* e = new QLineEdit(this);
    e->setObjectName(QString::fromLatin1(name));
    e->setReadOnly(true);
    e->setMaximumWidth(120);
    e->setToolTip(QStringLiteral("Двойной щелчок или Enter — ввести новый пароль (от %1 до 6 цифр)")
                      .arg(settings::password_min_digits(kind)));
    e->installEventFilter(this);
    form->addRow(label, e);
    return e;
  };
  user_ = make_field("CtrlUserPwdEdit", QStringLiteral("Пароль пользователя:"), PasswordKind::user);
  engineer_ = make_field("CtrlAdminPwdEdit", QStringLiteral("Пароль инженера:"), PasswordKind::engineer);
  reset_ = new QComboBox(this);
  reset_->setObjectName(QStringLiteral("CtrlAllowResetPwdCmB"));
  reset_->setMaximumWidth(120);
  reset_->setToolTip(QStringLiteral("Можно ли сбросить пароль на приборе"));
  form->addRow(QStringLiteral("Разрешить сброс пароля:"), reset_);
  layout->addStretch(1);
  connect(reset_, &QComboBox::activated, this, &CtrlPwdPage::CtrlAllowResetPwdCmBSelect);
}

QLineEdit* CtrlPwdPage::field(PasswordKind kind) const { return kind == PasswordKind::user ? user_ : engineer_; }

void CtrlPwdPage::show_from(const memory::Configuration& config) {
  Filling f(*this);
  user_->setText(qs(settings::password_digits(config, PasswordKind::user)));
  engineer_->setText(qs(settings::password_digits(config, PasswordKind::engineer)));
  reset_->clear();
  reset_->addItems({m(15126), m(15127)});
  reset_->setCurrentIndex(settings::password_reset_entry(config));
}

bool CtrlPwdPage::eventFilter(QObject* watched, QEvent* event) {
  if (watched == user_ || watched == engineer_) {
    const auto kind = watched == user_ ? PasswordKind::user : PasswordKind::engineer;
    const bool enter = event->type() == QEvent::KeyPress &&
                       (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Return ||
                        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Enter);
    if (event->type() == QEvent::MouseButtonDblClick || enter) {
      CtrlUserPwdEditDblClick(kind);
      return true;
    }
  }
  return SettingsPage::eventFilter(watched, event);
}

void CtrlPwdPage::CtrlUserPwdEditDblClick(PasswordKind kind) {
  if (!host().configuration()) return;
  QLineEdit* edit = field(kind);
  const auto digits = enter_password(this, edit->text(), static_cast<int>(settings::password_min_digits(kind)));
  if (!digits) return;
  auto* c = host().configuration();
  if (!c) return;
  // The digits go to the table only; the service log never sees them.
  if (auto r = settings::set_password(*c, kind, *digits); !r) {
    ui().show_message(this, BoxIcon::error, caption_message(), qs(r.error().text));
    // The field keeps showing what the table holds.
    reshow();
    edit->setFocus();
    return;
  }
  note_edit();
  reshow();
}

void CtrlPwdPage::CtrlAllowResetPwdCmBSelect(int entry) {
  if (entry < 0) return;
  store([&](memory::Configuration& config) { return settings::set_password_reset(config, entry == 0); });
}

}  // namespace vq::gui
