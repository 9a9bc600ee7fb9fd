#include "settings/ui/dialogs/remote_ctrl_dialog.hpp"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "settings/ui/widgets/edit_dialog.hpp"
#include "shell/ui/qt_text.hpp"
#include "shell/ui/ui_services.hpp"

namespace vq::gui {

TQRemoteCtrlForm::TQRemoteCtrlForm(const settings::RemoteRecord& stored, const std::vector<int>& users,
                                   QWidget* parent)
    : QDialog(parent) {
  setObjectName(QStringLiteral("TQRemoteCtrlForm"));
  setWindowTitle(QStringLiteral("Настройки дистанционного управления"));
  resize(505, 305);

  auto* layout = new QVBoxLayout(this);
  auto* grid = new QGridLayout;
  grid->addWidget(new QLabel(QStringLiteral("Пароль:"), this), 0, 0);
  password_ = new QLineEdit(this);
  password_->setObjectName(QStringLiteral("PwdMaskEdit"));
  password_->setMaxLength(static_cast<int>(settings::kRemotePasswordMax));
  password_->setToolTip(QStringLiteral("Пароль дистанционного управления: до 8 цифр, которые набирает звонящий. "
                                       "Без пароля запись не действует"));
  password_->installEventFilter(this);
  grid->addWidget(password_, 0, 1);

  has_phone_ = new QCheckBox(QStringLiteral("Номер телефона:"), this);
  has_phone_->setObjectName(QStringLiteral("TelNumChB"));
  has_phone_->setToolTip(QStringLiteral("Принимать команды только с этого номера"));
  grid->addWidget(has_phone_, 1, 0);
  phone_ = new QLineEdit(QStringLiteral("+"), this);
  phone_->setObjectName(QStringLiteral("TelNumMaskEdit"));
  phone_->setMaxLength(static_cast<int>(settings::kRemoteTelephoneMax));
  phone_->setEnabled(false);
  phone_->setToolTip(QStringLiteral("Номер, с которого принимаются команды: «+» и до 31 цифры"));
  grid->addWidget(phone_, 1, 1);

  grid->addWidget(new QLabel(QStringLiteral("Номер пользователя:"), this), 2, 0);
  user_ = new QComboBox(this);
  user_->setObjectName(QStringLiteral("UserNumCmB"));
  user_->setEditable(true);
  user_->setInsertPolicy(QComboBox::NoInsert);
  for (int u : users) user_->addItem(QString::number(u));
  user_->setEditText(QString());
  user_->setToolTip(QStringLiteral("Пользователь (1–250), от имени которого ставятся на охрану и снимаются с "
                                   "охраны разделы; в списке — пользователи с идентификаторами"));
  grid->addWidget(user_, 2, 1);
  grid->setColumnStretch(1, 1);
  layout->addLayout(grid);

  layout->addWidget(new QLabel(QStringLiteral("Список команд:"), this));
  commands_ = new QTreeWidget(this);
  commands_->setObjectName(QStringLiteral("CmdListView"));
  commands_->setRootIsDecorated(false);
  commands_->setUniformRowHeights(true);
  commands_->setHeaderLabels({QStringLiteral("Номер"), QStringLiteral("Расшифровка")});
  commands_->header()->resizeSection(0, 60);
  const auto& names = settings::remote_command_names();
  for (int n = 0; n < settings::kRemoteCommandCount; ++n) {
    auto* row = new QTreeWidgetItem(commands_, {QString::number(n), qs(names[static_cast<std::size_t>(n)])});
    row->setFlags(row->flags() | Qt::ItemIsUserCheckable);
    row->setCheckState(0, stored.commands >> n & 1 ? Qt::Checked : Qt::Unchecked);
  }
  layout->addWidget(commands_, 1);

  save_ = add_save_cancel(this, layout);
  save_->setEnabled(false);
  connect(password_, &QLineEdit::textChanged, this, &TQRemoteCtrlForm::PwdMaskEditChange);
  connect(has_phone_, &QCheckBox::clicked, this, &TQRemoteCtrlForm::TelNumChBClick);
  connect(phone_, &QLineEdit::textChanged, this, &TQRemoteCtrlForm::TelNumMaskEditChange);
  connect(phone_, &QLineEdit::editingFinished, this, &TQRemoteCtrlForm::TelNumMaskEditExit);

  password_->setText(qs(stored.password));
  if (stored.has_telephone) {
    has_phone_->setChecked(true);
    phone_->setEnabled(true);
    phone_->setText(qs(stored.telephone));
  }
  if (stored.user) user_->setEditText(QString::number(*stored.user));
  make_translucent_when_left(this);
}

void TQRemoteCtrlForm::PwdMaskEditChange() { save_->setEnabled(password_->text() != QString(8, QLatin1Char(' '))); }

void TQRemoteCtrlForm::TelNumChBClick() {
  phone_->setEnabled(has_phone_->isChecked());
  if (!has_phone_->isChecked()) phone_->setText(QStringLiteral("+"));
}

void TQRemoteCtrlForm::TelNumMaskEditChange() {
  if (!phone_->text().isEmpty()) return;
  phone_->setText(QStringLiteral("+"));
  phone_->setCursorPosition(1);
}

void TQRemoteCtrlForm::TelNumMaskEditExit() {
  const QString text = phone_->text();
  QString rebuilt = text.contains(QLatin1Char('+')) ? QString() : QStringLiteral("+");
  for (const QChar ch : text)
    if (ch != QLatin1Char(' ')) rebuilt += ch;
  if (rebuilt != text) phone_->setText(rebuilt);
}

bool TQRemoteCtrlForm::eventFilter(QObject* watched, QEvent* event) {
  // PwdMaskEditEnter: the caret at the start, nothing selected (after the focus's own
  // select-all has run).
  if (watched == password_ && event->type() == QEvent::FocusIn)
    QTimer::singleShot(0, password_, [edit = password_] {
      edit->deselect();
      edit->setCursorPosition(0);
    });
  return QDialog::eventFilter(watched, event);
}

settings::RemoteRecordEdit TQRemoteCtrlForm::value() const {
  settings::RemoteRecordEdit edit;
  edit.password = to_std(password_->text());
  for (int n = 0; n < settings::kRemoteCommandCount; ++n)
    if (commands_->topLevelItem(n)->checkState(0) == Qt::Checked)
      edit.commands = static_cast<std::uint16_t>(edit.commands | 1u << n);
  edit.telephone = has_phone_->isChecked() ? to_std(phone_->text()) : std::string();
  edit.user = to_std(user_->currentText());
  return edit;
}

void TQRemoteCtrlForm::refuse(QWidget* at, const Error& error) {
  ui().show_message(this, BoxIcon::error, caption_message(), qs(error.text));
  at->setFocus();
}

void TQRemoteCtrlForm::accept() {
  const auto edit = value();
  if (auto r = settings::check_remote_password(*edit.password); !r) {
    refuse(password_, r.error());
    return;
  }
  if (auto r = settings::encode_remote_telephone(*edit.telephone); !r) {
    refuse(phone_, r.error());
    return;
  }
  const auto user = settings::parse_remote_user(*edit.user);
  if (!user) {
    refuse(user_, user.error());
    return;
  }
  if (auto r = settings::check_remote_user_needed(edit.commands, *user); !r) {
    refuse(user_, r.error());
    return;
  }
  QDialog::accept();
}

std::optional<settings::RemoteRecordEdit> edit_remote_record(QWidget* parent, const settings::RemoteRecord& stored,
                                                             const std::vector<int>& users) {
  TQRemoteCtrlForm dialog(stored, users, parent);
  if (!ui().run_dialog(&dialog)) return std::nullopt;
  return dialog.value();
}

}  // namespace vq::gui
