#include "settings/ui/dialogs/sys_out_change_dialog.hpp"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "settings/system_outputs.hpp"
#include "settings/ui/widgets/edit_dialog.hpp"
#include "shell/ui/qt_text.hpp"
#include "shell/ui/ui_services.hpp"

namespace vq::gui {

TSysOutChangeForm::TSysOutChangeForm(int from, QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("TSysOutChangeForm"));
  setWindowTitle(QStringLiteral("Поменять выходы местами"));
  setModal(true);
  resize(394, 168);
  auto* layout = new QVBoxLayout(this);
  auto* grid = new QGridLayout;
  from_ = number_list(this, QStringLiteral("SysOutFromCmB"), 1, settings::kSystemOutputCount,
                      QStringLiteral("Выход, который займёт место другого"));
  from_->setCurrentIndex(from - 1);
  to_ = number_list(this, QStringLiteral("SysOutToCmB"), 1, settings::kSystemOutputCount,
                    QStringLiteral("Выход, с которым поменяться: назначение, режим и привязки к разделам "
                                   "меняются местами, время контроля остаётся у номера"));
  to_->setPlaceholderText(m(15267));
  to_->setCurrentIndex(-1);
  grid->addWidget(new QLabel(QStringLiteral("Номер выхода, который хотите поменять:"), this), 0, 0);
  grid->addWidget(from_, 0, 1);
  grid->addWidget(new QLabel(QStringLiteral("Номер выхода, НА который хотите поменять:"), this), 1, 0);
  grid->addWidget(to_, 1, 1);
  layout->addLayout(grid);
  layout->addStretch(1);
  swap_ = add_save_cancel(this, layout, "Поменять");
  swap_->setEnabled(false);
  make_translucent_when_left(this);
  connect(from_, &QComboBox::currentIndexChanged, this, [this] { check(false); });
  connect(to_, &QComboBox::currentIndexChanged, this, [this] { check(true); });
}

void TSysOutChangeForm::check(bool target_chosen_now) {
  const auto [a, b] = value();
  swap_->setEnabled(b != 0 && a != b);
  if (b != 0 && a == b && target_chosen_now) ui().show_message(this, BoxIcon::error, caption_system(), m(15268));
}

std::pair<int, int> TSysOutChangeForm::value() const { return {from_->currentIndex() + 1, to_->currentIndex() + 1}; }

std::optional<std::pair<int, int>> choose_outputs_to_swap(QWidget* parent, int from) {
  TSysOutChangeForm dialog(from, parent);
  if (!ui().run_dialog(&dialog)) return std::nullopt;
  return dialog.value();
}

}  // namespace vq::gui
