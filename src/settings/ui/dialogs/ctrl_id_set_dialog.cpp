#include "settings/ui/dialogs/ctrl_id_set_dialog.hpp"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "settings/ui/widgets/edit_dialog.hpp"
#include "shell/ui/qt_text.hpp"
#include "shell/ui/ui_services.hpp"

namespace vq::gui {
namespace {

constexpr int kKinds[] = {settings::kKindPin, settings::kKindKey, settings::kKindFob};

int kind_index(int kind) {
  for (int i = 0; i < 3; ++i)
    if (kKinds[i] == kind) return i;
  return -1;
}

int max_length(int kind) {
  return kind == settings::kKindKey ? static_cast<int>(settings::kKeyDigits)
                                    : static_cast<int>(settings::kPinMaxDigits);
}

QLineEdit* read_only(QWidget* parent, const char* name) {
  auto* e = new QLineEdit(parent);
  e->setObjectName(QString::fromLatin1(name));
  e->setReadOnly(true);
  e->setFocusPolicy(Qt::NoFocus);
  return e;
}

}  // namespace

TCtrlIDSetForm::TCtrlIDSetForm(const settings::Identifier& stored, settings::IdentifierNeighbours neighbours,
                               QWidget* parent)
    : QDialog(parent), neighbours_(std::move(neighbours)) {
  setObjectName(QStringLiteral("TCtrlIDSetForm"));
  setWindowTitle(QStringLiteral("Настройка идентификатора"));
  setModal(true);
  resize(430, 395);
  auto* layout = new QVBoxLayout(this);
  add_number_row(this, layout, QStringLiteral("Идентификатор:"), stored.slot, QStringLiteral("IDSlotLabel"));
  auto* form = new QFormLayout;
  // The long captions go above their fields when the dialog is narrow.
  form->setRowWrapPolicy(QFormLayout::WrapLongRows);
  layout->addLayout(form);

  kind_ = new QComboBox(this);
  kind_->setObjectName(QStringLiteral("IDTypeSetCmB"));
  for (int k : kKinds) kind_->addItem(qs(settings::kind_name(k)));
  kind_->setToolTip(QStringLiteral("ПИН — код с клавиатуры, ТМ — ключ Touch Memory, БР — радиобрелок"));
  form->addRow(QStringLiteral("Тип идентификатора:"), kind_);

  user_ = number_list(this, QStringLiteral("IDUserSetCmB"), 1, settings::kIdentifierUsers,
                      QStringLiteral("Пользователь от 1 до 250; у одного пользователя не более 8 идентификаторов"));
  user_->setEditable(true);
  user_->setInsertPolicy(QComboBox::NoInsert);
  user_->lineEdit()->setMaxLength(3);
  form->addRow(QStringLiteral("Номер пользователя:"), user_);

  ordinal_ = read_only(this, "IDUserNumEdit");
  ordinal_->setToolTip(QStringLiteral("Какой по счёту это идентификатор у пользователя"));
  form->addRow(QStringLiteral("Номер идентификатора для пользователя:"), ordinal_);

  tactic_ = new QComboBox(this);
  tactic_->setObjectName(QStringLiteral("IDTacticSetCmB"));
  for (int t = 0; t < settings::kTacticCount; ++t) tactic_->addItem(qs(settings::tactic_name(t)));
  tactic_->setToolTip(QStringLiteral("Что идентификатор может делать с разделами"));
  form->addRow(QStringLiteral("Тактика обработки идентификатора:"), tactic_);

  value_edit_ = new QLineEdit(this);
  value_edit_->setObjectName(QStringLiteral("IDValueSetEdit"));
  value_edit_->setToolTip(QStringLiteral("ПИН — от 3 до 6 цифр; ТМ — до 12 шестнадцатеричных цифр (0–9, A–F); "
                                         "БР — номер брелока от 1 до 255, не менее трёх знаков (например, 012)"));
  form->addRow(QStringLiteral("Значение идентификатора:"), value_edit_);

  quick_ = new QCheckBox(this);
  quick_->setObjectName(QStringLiteral("IDFastGetChB"));
  quick_->setToolTip(QStringLiteral("Быстрое взятие этим идентификатором; такой идентификатор в системе один"));
  form->addRow(QStringLiteral("Быстрое взятие:"), quick_);

  count_ = read_only(this, "IDUserCountEdit");
  form->addRow(QStringLiteral("Количество идентификаторов у пользователя:"), count_);
  layout->addStretch(1);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  save_ = new QPushButton(QStringLiteral("Сохранить"), this);
  save_->setObjectName(QStringLiteral("Button1"));
  save_->setDefault(true);
  auto* cancel = new QPushButton(QStringLiteral("Отмена"), this);
  cancel->setObjectName(QStringLiteral("Button2"));
  cancel->setAutoDefault(false);
  buttons->addWidget(save_);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);
  connect(save_, &QPushButton::clicked, this, &TCtrlIDSetForm::accept);
  connect(cancel, &QPushButton::clicked, this, &TCtrlIDSetForm::reject);
  make_translucent_when_left(this);

  kind_->setCurrentIndex(0);
  user_->setCurrentIndex(-1);
  user_->setEditText({});
  tactic_->setCurrentIndex(0);
  if (!stored.empty()) {
    kind_->setCurrentIndex(kind_index(stored.kind));
    value_edit_->setMaxLength(max_length(stored.kind));
    value_edit_->setText(qs(settings::identifier_value_text(stored.kind, stored.code)));
    if (stored.user <= settings::kIdentifierUsers) user_->setCurrentIndex(stored.user - 1);
    count_->setText(QString::number(neighbours_.count_of(stored.user)));
    ordinal_->setText(QString::number(stored.ordinal));
    tactic_->setCurrentIndex(stored.tactic < settings::kTacticCount ? stored.tactic : -1);
    quick_->setChecked(stored.quick_arm);
  }
  kind_chosen();
  save_->setEnabled(!value_edit_->text().isEmpty());

  connect(kind_, &QComboBox::currentIndexChanged, this, [this] { kind_chosen(); });
  connect(user_, &QComboBox::activated, this, [this](int index) { IDUserSetCmBSelect(index + 1); });
  connect(user_->lineEdit(), &QLineEdit::editingFinished, this, &TCtrlIDSetForm::IDUserSetCmBExit);
  connect(value_edit_, &QLineEdit::textChanged, this,
          [this](const QString& text) { save_->setEnabled(!text.isEmpty()); });
  connect(value_edit_, &QLineEdit::editingFinished, this, &TCtrlIDSetForm::IDValueSetEditExit);
}

int TCtrlIDSetForm::chosen_kind() const {
  const int i = kind_->currentIndex();
  return i >= 0 && i < 3 ? kKinds[i] : -1;
}

int TCtrlIDSetForm::chosen_user() const {
  const int i = user_->currentIndex();
  return i >= 0 && user_->currentText() == user_->itemText(i) ? i + 1 : 0;
}

void TCtrlIDSetForm::kind_chosen() {
  const int kind = chosen_kind();
  if (kind > 0) value_edit_->setMaxLength(max_length(kind));
}

void TCtrlIDSetForm::warn(const QString& text) { ui().show_message(this, BoxIcon::warning, caption_message(), text); }

void TCtrlIDSetForm::IDUserSetCmBSelect(int user) {
  const auto ordinal = neighbours_.ordinal_for(user);
  if (!ordinal) {
    warn(qs(ordinal.error().text));
    user_->setCurrentIndex(-1);
    user_->setEditText({});
    ordinal_->clear();
    count_->clear();
    user_->setFocus();
    return;
  }
  user_->setCurrentIndex(user - 1);
  count_->setText(QString::number(neighbours_.count_of(user)));
  ordinal_->setText(QString::number(*ordinal));
}

void TCtrlIDSetForm::IDUserSetCmBExit() {
  const QString text = user_->currentText().trimmed();
  // Nothing typed yet: "Сохранить" asks for a user.
  if (text.isEmpty()) return;
  bool whole = false;
  const int user = text.toInt(&whole);
  const bool digits = whole && std::all_of(text.begin(), text.end(), [](QChar ch) { return ch.isDigit(); });
  if (!digits || user < 1 || user > settings::kIdentifierUsers) {
    warn(m(digits ? 15273 : 15281));
    user_->setCurrentIndex(-1);
    user_->setEditText({});
    ordinal_->clear();
    count_->clear();
    user_->setFocus();
    return;
  }
  if (user != chosen_user() || ordinal_->text().isEmpty()) IDUserSetCmBSelect(user);
}

void TCtrlIDSetForm::IDValueSetEditExit() {
  const int kind = chosen_kind();
  const auto length = value_edit_->text().size();
  if ((kind == settings::kKindPin || kind == settings::kKindFob) && length > 0 &&
      length < static_cast<qsizetype>(settings::kPinMinDigits)) {
    warn(m(15286));
    value_edit_->setFocus();
  }
}

void TCtrlIDSetForm::accept() {
  // A user typed and not yet checked (the focus went straight to "Сохранить").
  if (user_->currentText().trimmed() != (chosen_user() ? QString::number(chosen_user()) : QString()))
    IDUserSetCmBExit();
  const int kind = chosen_kind();
  if (kind < 0) {
    kind_->setFocus();
    return warn(QStringLiteral("Выберите тип идентификатора."));
  }
  const int user = chosen_user();
  if (user == 0) {
    user_->setFocus();
    return warn(m(15282));
  }
  const int tactic = tactic_->currentIndex();
  if (tactic < 0) {
    tactic_->setFocus();
    return warn(QStringLiteral("Выберите тактику обработки идентификатора."));
  }
  const auto code = settings::encode_identifier_value(kind, to_std(value_edit_->text()));
  if (!code) {
    value_edit_->setFocus();
    return warn(qs(code.error().text));
  }
  if (const auto ordinal = neighbours_.ordinal_for(user); !ordinal) {
    user_->setFocus();
    return warn(qs(ordinal.error().text));
  }
  if (neighbours_.taken(kind, *code)) {
    value_edit_->setFocus();
    return warn(m(15058));
  }
  value_ = {kind, *code, user, tactic, quick_->isChecked()};
  QDialog::accept();
}

std::optional<settings::IdentifierEdit> edit_identifier(QWidget* parent, const settings::Identifier& stored,
                                                        settings::IdentifierNeighbours neighbours) {
  TCtrlIDSetForm dialog(stored, std::move(neighbours), parent);
  if (!ui().run_dialog(&dialog)) return std::nullopt;
  return dialog.value();
}

}  // namespace vq::gui
