#include "settings/ui/pages/sys_out_sign_page.hpp"

#include <QMenu>
#include <QVBoxLayout>

#include "memory/configuration.hpp"
#include "settings/system_outputs.hpp"
#include "settings/ui/dialogs/sys_out_change_dialog.hpp"
#include "settings/ui/dialogs/sys_out_sign_dialog.hpp"
#include "shell/ui/qt_text.hpp"
#include "shell/ui/ui_services.hpp"

namespace vq::gui {

SysOutSignPage::SysOutSignPage(PageHost& host, QWidget* parent) : SettingsPage(host, parent) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  list_ = new NumberedList(QStringLiteral("SysOutSignListView"),
                           {QStringLiteral("Номер"), QStringLiteral("Тип устройства"),
                            QStringLiteral("Номер устройства"), QStringLiteral("Номер физического выхода")},
                           settings::kSystemOutputCount, this);
  list_->setToolTip(
      QStringLiteral("Двойной щелчок или Enter — назначить выход; Delete — освободить; правая кнопка мыши — меню"));
  list_->set_column_widths({70, 130, 130});
  list_->set_number_alignment(Qt::AlignCenter);
  layout->addWidget(list_);

  menu_ = list_->add_popup_menu(QStringLiteral("SysOutSignPopupMenu"));
  add_menu_item(menu_, QStringLiteral("Редактировать выход"), QStringLiteral("EditSysOutItem"), this,
                &SysOutSignPage::SysOutSignListViewDblClick);
  add_menu_item(menu_, QStringLiteral("Поменять выходы"), QStringLiteral("ChangeSysOutItem"), this,
                &SysOutSignPage::ChangeSysOutItemClick);
  add_menu_item(menu_, QStringLiteral("Освободить выход"), QStringLiteral("FreeSysOutItem"), this,
                &SysOutSignPage::FreeSysOutItemClick);
  // Activation opens the selected row: in a single-selection list it is the activated one.
  connect(list_, &NumberedList::row_activated, this, &SysOutSignPage::SysOutSignListViewDblClick);
  connect(list_, &NumberedList::delete_pressed, this, &SysOutSignPage::FreeSysOutItemClick);
}

void SysOutSignPage::show_from(const memory::Configuration& config) {
  Filling f(*this);
  for (int n = 1; n <= settings::kSystemOutputCount; ++n) {
    QTreeWidgetItem* row = list_->row(n);
    const auto b = settings::presented_binding(config, n);
    row->setText(1, qs(settings::output_class_name(b.device_class)));
    row->setText(2, b.device_class == 0 ? QString() : QString::number(b.device));
    row->setText(3, b.device_class == 0 ? QString() : QString::number(b.output));
  }
}

void SysOutSignPage::mode_changed(bool demo) {
  if (demo) relay_module_met_ = false;
}

void SysOutSignPage::SysOutSignListViewDblClick() {
  const int n = list_->selected_number();
  if (n == 0) return;
  auto* c = host().configuration();
  if (!c) return;
  OutputAssignmentInput input;
  input.number = n;
  input.current = settings::presented_binding(*c, n);
  input.choices = settings::assignment_choices(*c);
  if (!input.choices.devices[static_cast<std::size_t>(settings::OutputClass::relay_module)].empty())
    relay_module_met_ = true;
  input.demo_restricted = host().demo_mode() && !relay_module_met_;
  const auto binding = edit_output_assignment(this, input);
  if (!binding) return;
  store([&](memory::Configuration& config) { return settings::assign_output(config, n, *binding); });
}

void SysOutSignPage::ChangeSysOutItemClick() {
  const int n = list_->selected_number();
  if (n == 0) return;
  const auto pair = choose_outputs_to_swap(this, n);
  if (!pair) return;
  store([&](memory::Configuration& config) { return settings::swap_outputs(config, pair->first, pair->second); });
}

void SysOutSignPage::FreeSysOutItemClick() {
  const int n = list_->selected_number();
  if (n == 0) return;
  if (!ui().ask(this, BoxIcon::question, caption_system(), m(15130))) return;
  store([&](memory::Configuration& config) { return settings::free_output(config, n); });
}

}  // namespace vq::gui
