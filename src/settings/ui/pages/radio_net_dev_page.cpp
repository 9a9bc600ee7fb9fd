#include "settings/ui/pages/radio_net_dev_page.hpp"

#include <QMenu>
#include <QVBoxLayout>

#include "memory/configuration.hpp"
#include "settings/radio_network.hpp"
#include "settings/ui/dialogs/radio_net_dev_dialog.hpp"
#include "shell/ui/qt_text.hpp"
#include "shell/ui/ui_services.hpp"

namespace vq::gui {

RadioNetDevPage::RadioNetDevPage(PageHost& host, QWidget* parent) : SettingsPage(host, parent) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  list_ = new NumberedList(QStringLiteral("RadioNetDevListView"),
                           {QStringLiteral("Номер"), QStringLiteral("Статус"), QStringLiteral("Тип")},
                           settings::kRadioDeviceCount, this);
  list_->setToolTip(QStringLiteral("Двойной щелчок или Enter — параметры устройства; правая кнопка мыши — меню"));
  list_->set_column_widths({70, 160});
  layout->addWidget(list_);

  menu_ = list_->add_popup_menu(QStringLiteral("RadioNetDevPopupMenu"));
  add_menu_item(menu_, QStringLiteral("Редактировать устройство"), QStringLiteral("RadioNetDevEditItem"), this,
                &RadioNetDevPage::RadioNetDevListViewDblClick);
  add_menu_item(menu_, QStringLiteral("Удалить устройство"), QStringLiteral("N9"), this, &RadioNetDevPage::N9Click);
  add_menu_item(menu_, QStringLiteral("Удалить все устройства"), QStringLiteral("N10"), this,
                &RadioNetDevPage::N10Click);
  // Activation opens the selected row: in a single-selection list it is the activated one.
  connect(list_, &NumberedList::row_activated, this, &RadioNetDevPage::RadioNetDevListViewDblClick);
  connect(list_, &NumberedList::delete_pressed, this, &RadioNetDevPage::N9Click);
}

void RadioNetDevPage::show_from(const memory::Configuration& config) {
  Filling f(*this);
  const QString registered = m(15122), empty = m(15121), none = QStringLiteral("-");
  for (int n = 1; n <= settings::kRadioDeviceCount; ++n) {
    QTreeWidgetItem* row = list_->row(n);
    const int type = settings::radio_device_type(config, n);
    row->setText(1, type ? registered : empty);
    row->setText(2, type ? qs(settings::radio_type_name(type)) : none);
  }
}

void RadioNetDevPage::RadioNetDevListViewDblClick() {
  const int n = list_->selected_number();
  if (n == 0) return;
  auto* c = host().configuration();
  if (!c) return;
  const int type = settings::radio_device_type(*c, n);
  if (type == 0) {
    // An empty slot has no parameters: a change mark there would point the panel at a
    // device that does not exist.
    ui().show_message(this, BoxIcon::information, caption_system(),
                      QStringLiteral("Радиоустройство %1: %2 — изменять нечего.").arg(n).arg(m(15121)));
    return;
  }
  const auto edit = edit_radio_device(this, n, type, settings::read_device_params(*c, n));
  if (!edit) return;
  store([&](memory::Configuration& config) {
    return settings::save_device_params(config, n, edit->params, edit->to_all_of_type);
  });
}

void RadioNetDevPage::N9Click() {
  auto* c = host().configuration();
  if (!c) return;
  const int n = list_->selected_number();
  if (n == 0 || !settings::radio_device_registered(*c, n)) {
    ui().show_message(this, BoxIcon::information, caption_system(), m(15131));
    return;
  }
  if (!ui().ask(this, BoxIcon::question, caption_system(), m(15132))) return;
  c = host().configuration();
  if (!c) return;
  if (auto r = settings::delete_radio_device(*c, n); !r) {
    ui().show_message(this, BoxIcon::information, caption_system(), qs(r.error().text));
    return;
  }
  note_edit();
  reshow();
}

void RadioNetDevPage::N10Click() {
  if (!ui().ask(this, BoxIcon::question, caption_system(), m(15133))) return;
  auto* c = host().configuration();
  if (!c) return;
  settings::delete_all_radio_devices(*c);
  note_edit();
  reshow();
}

}  // namespace vq::gui
