#include "settings/ui/dialogs/name_rzd_dialog.hpp"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "settings/partitions.hpp"
#include "settings/ui/widgets/edit_dialog.hpp"
#include "shell/ui/qt_text.hpp"
#include "shell/ui/ui_services.hpp"

namespace vq::gui {

TQNameRzdForm::TQNameRzdForm(int partition, const QString& name, QWidget* parent)
    : QDialog(parent), partition_(partition) {
  setObjectName(QStringLiteral("TQNameRzdForm"));
  setWindowTitle(QStringLiteral("Наименование раздела"));
  resize(375, 190);

  auto* layout = new QVBoxLayout(this);
  auto* grid = new QGridLayout;
  grid->addWidget(new QLabel(QStringLiteral("Номер выбранного раздела:"), this), 0, 0);
  number_label_ = new QLabel(QString::number(partition), this);
  number_label_->setObjectName(QStringLiteral("RzdNumLabel"));
  grid->addWidget(number_label_, 0, 1);
  grid->addWidget(new QLabel(QStringLiteral("Выберите наименование раздела:"), this), 1, 0, 1, 2);
  names_ = new QComboBox(this);
  names_->setObjectName(QStringLiteral("NameRzdCmB"));
  names_->setEditable(true);
  names_->setInsertPolicy(QComboBox::NoInsert);
  names_->setMaxVisibleItems(20);
  for (const auto& n : settings::partition_name_list()) names_->addItem(qs(n));
  names_->setToolTip(QStringLiteral(
      "Наименование из списка прибора; для своего названия выберите «пользовательское название»"));
  grid->addWidget(names_, 2, 0, 1, 2);
  grid->addWidget(new QLabel(QStringLiteral("Пользовательское название:"), this), 3, 0, 1, 2);
  typed_ = new QLineEdit(this);
  typed_->setObjectName(QStringLiteral("NameRzdEdit"));
  typed_->setMaxLength(static_cast<int>(settings::kNameBytes));
  typed_->setToolTip(QStringLiteral("Своё название раздела: не длиннее 8 знаков, русские и латинские буквы, "
                                    "цифры, знаки препинания"));
  grid->addWidget(typed_, 4, 0, 1, 2);
  layout->addLayout(grid);
  layout->addStretch(1);
  add_save_cancel(this, layout);
  make_translucent_when_left(this);

  connect(names_, &QComboBox::currentTextChanged, this, [this] { NameRzdCmBChange(); });
  connect(names_, &QComboBox::activated, this, [this] {
    if (typed_chosen()) typed_->setFocus();
  });

  // A listed name chooses its entry; any other name is a typed one.
  const auto listed = settings::listed_name_index(to_std(name));
  names_->setCurrentIndex(listed ? *listed : settings::kUserNameEntry);
  NameRzdCmBChange();
  if (!listed) typed_->setText(name);
}

bool TQNameRzdForm::typed_chosen() const {
  return names_->currentText() == qs(settings::partition_name_list()[settings::kUserNameEntry]);
}

void TQNameRzdForm::NameRzdCmBChange() {
  const bool typed = typed_chosen();
  if (!typed) typed_->clear();
  typed_->setEnabled(typed);
}

QString TQNameRzdForm::value() const { return typed_chosen() ? typed_->text() : names_->currentText(); }

void TQNameRzdForm::accept() {
  if (auto r = settings::check_partition_name(partition_, to_std(value())); !r) {
    ui().show_message(this, BoxIcon::warning, caption_system(), qs(r.error().text));
    return;
  }
  QDialog::accept();
}

std::optional<QString> edit_partition_name(QWidget* parent, int partition, const QString& name) {
  TQNameRzdForm dialog(partition, name, parent);
  if (!ui().run_dialog(&dialog)) return std::nullopt;
  return dialog.value();
}

}  // namespace vq::gui
