#include "settings/ui/dialogs/sys_out_sign_dialog.hpp"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScrollBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "settings/ui/widgets/edit_dialog.hpp"
#include "shell/ui/qt_text.hpp"
#include "shell/ui/ui_services.hpp"

namespace vq::gui {
namespace {

const QString kNone = QStringLiteral("-");

QLineEdit* read_only(const char* name, QWidget* parent) {
  auto* e = new QLineEdit(parent);
  e->setObjectName(QString::fromLatin1(name));
  e->setReadOnly(true);
  e->setFocusPolicy(Qt::NoFocus);
  return e;
}

// One of the three lists side by side, wide enough for `widest` (its longest entry) and
// with a caption that wraps rather than running into the next one.
QListWidget* column(const char* name, const QString& caption, const QString& tip, const QString& widest,
                    QWidget* parent, QHBoxLayout* row) {
  auto* box = new QVBoxLayout;
  auto* label = new QLabel(caption, parent);
  label->setWordWrap(true);
  label->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
  box->addWidget(label);
  auto* list = new QListWidget(parent);
  list->setObjectName(QString::fromLatin1(name));
  list->setToolTip(tip);
  list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  const int width = list->fontMetrics().horizontalAdvance(widest) + 2 * list->frameWidth() +
                    list->verticalScrollBar()->sizeHint().width() + 12;
  list->setMinimumWidth(width);
  label->setMinimumWidth(width);
  box->addWidget(list, 1);
  row->addLayout(box, 0);
  return list;
}

bool restricted_class(int c) {
  using settings::OutputClass;
  return c == static_cast<int>(OutputClass::siren) || c == static_cast<int>(OutputClass::relay_module) ||
         c == static_cast<int>(OutputClass::radio_relay);
}

}  // namespace

QString TSysOutSignForm::shown(int number) { return QString::number(number); }

TSysOutSignForm::TSysOutSignForm(const OutputAssignmentInput& input, QWidget* parent)
    : QDialog(parent), choices_(input.choices) {
  setObjectName(QStringLiteral("TSysOutSignForm"));
  setWindowTitle(QStringLiteral("Назначение в системе"));
  setModal(true);
  resize(360, 415);
  auto* layout = new QVBoxLayout(this);

  auto* number = new QLabel(QStringLiteral("Номер системного выхода: %1").arg(input.number), this);
  number->setObjectName(QStringLiteral("SysOutNumLabel"));
  layout->addWidget(number);

  auto* current = new QGroupBox(QStringLiteral("Текущее назначение:"), this);
  auto* form = new QFormLayout(current);
  type_edit_ = read_only("DevTypeEdit", current);
  device_edit_ = read_only("DevNumEdit", current);
  output_edit_ = read_only("PhysOutNumEdit", current);
  form->addRow(QStringLiteral("Тип устройства:"), type_edit_);
  form->addRow(QStringLiteral("Номер устройства:"), device_edit_);
  form->addRow(QStringLiteral("Номер физического выхода:"), output_edit_);
  layout->addWidget(current);

  auto* fresh = new QGroupBox(QStringLiteral("Новое назначения:"), this);
  auto* lists = new QHBoxLayout(fresh);
  types_ = column("DevTypeListB", QStringLiteral("Тип устройства"),
                  QStringLiteral("Тип устройства, к которому привязать выход; «нет устройства» освобождает его"),
                  QStringLiteral("нет устройства"), fresh, lists);
  devices_ = column("DevNumListB", QStringLiteral("Номер устройства"),
                    QStringLiteral("Устройства выбранного типа, которые есть в конфигурации"),
                    QStringLiteral("Номер устр."), fresh, lists);
  outputs_ = column("PhysOutNumListB", QStringLiteral("Номер физического выхода:"),
                    QStringLiteral("Физические выходы устройства, не занятые другими системными выходами"),
                    QStringLiteral("Номер физ."), fresh, lists);
  layout->addWidget(fresh, 1);
  save_ = add_save_cancel(this, layout);
  make_translucent_when_left(this);

  // The current binding.
  const auto& b = input.current;
  type_edit_->setText(qs(settings::output_class_name(b.device_class)));
  device_edit_->setText(b.device_class == 0 ? kNone : shown(b.device));
  output_edit_->setText(b.device_class == 0 ? kNone : shown(b.output));

  // On showing: nothing chosen yet.
  ++filling_;
  for (int c = 0; c < settings::kOutputClassCount; ++c) {
    if (input.demo_restricted && restricted_class(c)) continue;
    classes_.push_back(c);
    types_->addItem(qs(settings::output_class_name(c)));
  }
  --filling_;
  save_->setEnabled(false);

  // Choices follow the selection, not the current row: a list taking the focus makes its
  // first row current without anyone having chosen it.
  auto on_choice = [this](QListWidget* list, void (TSysOutSignForm::*handler)(int)) {
    connect(list, &QListWidget::itemSelectionChanged, this, [this, list, handler] {
      const auto chosen = list->selectedItems();
      if (!chosen.isEmpty()) (this->*handler)(list->row(chosen.front()));
    });
  };
  on_choice(types_, &TSysOutSignForm::DevTypeListBClick);
  on_choice(devices_, &TSysOutSignForm::DevNumListBClick);
  on_choice(outputs_, &TSysOutSignForm::PhysOutNumListBClick);
  setTabOrder(types_, devices_);
  setTabOrder(devices_, outputs_);
  types_->setFocus();
}

void TSysOutSignForm::DevTypeListBClick(int row) {
  if (filling_ || row < 0 || row >= static_cast<int>(classes_.size())) return;
  const int c = classes_[static_cast<std::size_t>(row)];
  chosen_class_ = c;
  save_->setEnabled(false);
  ++filling_;
  devices_->clear();
  outputs_->clear();
  --filling_;
  type_edit_->setText(qs(settings::output_class_name(c)));
  if (c == 0) {
    devices_->setEnabled(false);
    outputs_->setEnabled(false);
    device_edit_->setText(kNone);
    output_edit_->setText(kNone);
    save_->setEnabled(true);
    return;
  }
  devices_->setEnabled(true);
  outputs_->setEnabled(true);
  ++filling_;
  for (int d : choices_.devices[static_cast<std::size_t>(c)]) devices_->addItem(shown(d));
  --filling_;
}

void TSysOutSignForm::DevNumListBClick(int row) {
  if (filling_ || row < 0 || chosen_class_ <= 0) return;
  const int device = devices_->item(row)->text().toInt();
  ++filling_;
  outputs_->clear();
  for (int o : choices_.outputs_of(chosen_class_, device)) outputs_->addItem(shown(o));
  --filling_;
  device_edit_->setText(shown(device));
  // The output shown belonged to the device chosen before: a new one has to be picked.
  output_edit_->clear();
  save_->setEnabled(false);
}

void TSysOutSignForm::PhysOutNumListBClick(int row) {
  if (filling_ || row < 0) return;
  output_edit_->setText(outputs_->item(row)->text());
  save_->setEnabled(true);
}

settings::OutputBinding TSysOutSignForm::value() const {
  settings::OutputBinding b;
  b.device_class = 0;
  const QString type = type_edit_->text();
  for (int c = 0; c < settings::kOutputClassCount; ++c)
    if (type == qs(settings::output_class_name(c))) b.device_class = c;
  b.device = device_edit_->text() == kNone ? 0 : device_edit_->text().toInt();
  b.output = output_edit_->text() == kNone ? 1 : output_edit_->text().toInt();
  return b;
}

std::optional<settings::OutputBinding> edit_output_assignment(QWidget* parent, const OutputAssignmentInput& input) {
  TSysOutSignForm dialog(input, parent);
  if (!ui().run_dialog(&dialog)) return std::nullopt;
  return dialog.value();
}

}  // namespace vq::gui
