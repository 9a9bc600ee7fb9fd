#include "settings/ui/dialogs/sys_out_set_dialog.hpp"

#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "settings/ui/widgets/edit_dialog.hpp"
#include "shell/ui/qt_text.hpp"
#include "shell/ui/ui_services.hpp"

namespace vq::gui {

TSysOutSetForm::TSysOutSetForm(int number, int mode, int control_time, const WorkModeApplyChoice& choice,
                               QWidget* parent)
    : QDialog(parent), number_(number) {
  setObjectName(QStringLiteral("TSysOutSetForm"));
  setWindowTitle(QStringLiteral("Настройка выхода"));
  setModal(true);
  resize(265, 470);
  auto* layout = new QVBoxLayout(this);
  auto* label = new QLabel(QStringLiteral("Номер системного выхода: %1").arg(number), this);
  label->setObjectName(QStringLiteral("SysOutNumLabel"));
  layout->addWidget(label);

  auto* group = new QGroupBox(QStringLiteral("Режимы работы выхода:"), this);
  group->setObjectName(QStringLiteral("SysOutWorkModeGrB"));
  auto* grid = new QGridLayout(group);
  modes_ = new QButtonGroup(this);
  for (int m = 0; m < settings::kWorkModeCount; ++m) {
    QString text = qs(settings::work_mode_name(m));
    if (m == settings::kRemoteControlMode) text += QStringLiteral(",c");
    auto* b = new QRadioButton(text, group);
    b->setObjectName(QStringLiteral("SysOutWorkModeRdB%1").arg(m));
    modes_->addButton(b, m);
    grid->addWidget(b, m, 0);
  }
  time_ = number_list(group, QStringLiteral("SysoutCtrlTimeCmB"), settings::kControlTimeMin, settings::kControlTimeMax,
                      QStringLiteral("Время контроля, секунды: для режимов «Исполнительный» и «Дистанционное управление»"));
  grid->addWidget(time_, settings::kRemoteControlMode, 1);
  layout->addWidget(group);

  auto* apply = new QGroupBox(QStringLiteral("Применить:"), this);
  auto* apply_layout = new QVBoxLayout(apply);
  to_selected_ = new QRadioButton(QStringLiteral("к выбранному"), apply);
  to_selected_->setObjectName(QStringLiteral("ToSelectedRdB"));
  to_all_ = new QRadioButton(QStringLiteral("ко всем"), apply);
  to_all_->setObjectName(QStringLiteral("ToAllRdB"));
  to_range_ = new QRadioButton(QStringLiteral("к номерам:"), apply);
  to_range_->setObjectName(QStringLiteral("ToRangeRdB"));
  range_ = new QLineEdit(apply);
  range_->setObjectName(QStringLiteral("RangeEdit"));
  range_->setToolTip(QStringLiteral("Номера выходов от 1 до 250 и диапазоны через запятую"));
  auto* hint = new QLabel(
      QStringLiteral("Введите номера или диапазоны номеров, разделенные запятыми. Например: 1,3,5,7-12,15,20-25."),
      apply);
  hint->setWordWrap(true);
  apply_layout->addWidget(to_selected_);
  apply_layout->addWidget(to_all_);
  auto* range_row = new QHBoxLayout;
  range_row->addWidget(to_range_);
  range_row->addWidget(range_, 1);
  apply_layout->addLayout(range_row);
  apply_layout->addWidget(hint);
  layout->addWidget(apply);
  layout->addStretch(1);
  add_save_cancel(this, layout);
  make_translucent_when_left(this);

  switch (choice.to) {
    case settings::ApplyTo::selected: to_selected_->setChecked(true); break;
    case settings::ApplyTo::all: to_all_->setChecked(true); break;
    case settings::ApplyTo::numbers: to_range_->setChecked(true); break;
  }
  range_->setText(choice.numbers);

  // The output's own values: the mode as if chosen, then the stored time for 2 and 8.
  time_->setCurrentIndex(settings::kDefaultControlTime - 1);
  time_->setEnabled(false);
  if (auto* b = modes_->button(mode)) {
    b->setChecked(true);
    mode_chosen(mode);
    if (settings::has_control_time(mode))
      time_->setCurrentIndex(control_time >= settings::kControlTimeMin && control_time <= settings::kControlTimeMax
                                 ? control_time - 1
                                 : -1);
  }
  connect(modes_, &QButtonGroup::idClicked, this, [this](int m) { mode_chosen(m); });
}

void TSysOutSetForm::mode_chosen(int mode) {
  time_->setCurrentIndex(settings::kDefaultControlTime - 1);
  time_->setEnabled(settings::has_control_time(mode));
}

int TSysOutSetForm::chosen_mode() const { return modes_->checkedId(); }

WorkModeApplyChoice TSysOutSetForm::choice() const {
  WorkModeApplyChoice c;
  c.to = to_all_->isChecked() ? settings::ApplyTo::all
         : to_range_->isChecked() ? settings::ApplyTo::numbers
                                  : settings::ApplyTo::selected;
  c.numbers = range_->text();
  return c;
}

void TSysOutSetForm::accept() {
  const int mode = chosen_mode();
  auto refuse = [this](const QString& text) { ui().show_message(this, BoxIcon::error, caption_system(), text); };
  if (mode < 0) return refuse(QStringLiteral("Выберите режим работы выхода."));
  WorkModeEdit v;
  v.mode = mode;
  if (settings::has_control_time(mode)) {
    if (time_->currentIndex() < 0) return refuse(QStringLiteral("Выберите время контроля (от 1 до 250 секунд)."));
    v.control_time = time_->currentIndex() + settings::kControlTimeMin;
  }
  const auto c = choice();
  auto targets = settings::work_mode_targets(c.to, number_, to_std(c.numbers));
  if (!targets) {
    range_->setFocus();
    return refuse(qs(targets.error().text));
  }
  v.targets = std::move(*targets);
  value_ = std::move(v);
  QDialog::accept();
}

std::optional<WorkModeEdit> edit_work_mode(QWidget* parent, int number, int mode, int control_time,
                                           WorkModeApplyChoice& choice) {
  TSysOutSetForm dialog(number, mode, control_time, choice, parent);
  const bool accepted = ui().run_dialog(&dialog);
  choice = dialog.choice();
  if (!accepted) return std::nullopt;
  return dialog.value();
}

}  // namespace vq::gui
