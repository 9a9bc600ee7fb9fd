#include "settings/ui/pages/remote_ctrl_page.hpp"

#include <QHeaderView>
#include <QVBoxLayout>
#include <array>

#include "memory/configuration.hpp"
#include "settings/remote_control.hpp"
#include "settings/ui/dialogs/remote_ctrl_dialog.hpp"
#include "settings/ui/widgets/numbered_list.hpp"
#include "shell/ui/qt_text.hpp"
#include "shell/ui/ui_services.hpp"

namespace vq::gui {

RemoteCtrlPage::RemoteCtrlPage(PageHost& host, QWidget* parent) : SettingsPage(host, parent) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  list_ = new NumberedList(QStringLiteral("RemoteCtrlListView"),
                           {QStringLiteral("#"), QStringLiteral("Пароль"), QStringLiteral("Команды"),
                            QStringLiteral("Телефон"), QStringLiteral("Пользователь")},
                           settings::kRemoteRecordCount, this);
  list_->setToolTip(QStringLiteral("Отметка — пароль действует; снятие отметки удаляет запись. Двойной щелчок "
                                   "или Enter на отмеченной строке — пароль, телефон, пользователь и команды"));
  list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list_->set_column_widths({50, 90, 200, 200});
  for (int n = 1; n <= settings::kRemoteRecordCount; ++n) {
    auto* row = list_->row(n);
    row->setFlags(row->flags() | Qt::ItemIsUserCheckable);
    row->setCheckState(0, Qt::Unchecked);
  }
  layout->addWidget(list_);
  connect(list_, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item, int column) {
    if (column == 0 && !filling()) RemoteCtrlListViewItemChecked(item);
  });
  connect(list_, &NumberedList::row_activated, this, &RemoteCtrlPage::RemoteCtrlListViewDblClick);
}

void RemoteCtrlPage::empty_row(QTreeWidgetItem* row) {
  for (int k = 1; k < list_->columnCount(); ++k) row->setText(k, QString());
}

void RemoteCtrlPage::show_from(const memory::Configuration& config) {
  Filling f(*this);
  const bool shown = settings::remote_records_shown(config);
  for (int i = 0; i < settings::kRemoteRecordCount; ++i) {
    auto* row = list_->row(i + 1);
    const auto r = settings::read_remote_record(config, i);
    empty_row(row);
    const bool active = shown && r.active;
    row->setCheckState(0, active ? Qt::Checked : Qt::Unchecked);
    if (!active) continue;
    row->setText(1, qs(r.password));
    row->setText(2, qs(settings::remote_commands_text(r.commands)));
    row->setText(3, qs(r.telephone));
    if (r.user) row->setText(4, QString::number(*r.user));
  }
}

void RemoteCtrlPage::RemoteCtrlListViewItemChecked(QTreeWidgetItem* item) {
  const int i = list_->number_of(item) - 1;
  if (i < 0) return;
  Filling f(*this);  // the handler's own check changes are no notifications
  if (item->checkState(0) == Qt::Checked) {
    std::array<bool, settings::kRemoteRecordCount> checked{};
    for (int k = 0; k < settings::kRemoteRecordCount; ++k)
      checked[static_cast<std::size_t>(k)] = list_->row(k + 1)->checkState(0) == Qt::Checked;
    const int target = settings::remote_row_to_check(checked, i);
    if (target == i) return;
    item->setCheckState(0, Qt::Unchecked);
    auto* first = list_->row(target + 1);
    first->setCheckState(0, Qt::Checked);
    list_->setCurrentItem(first);
    return;
  }
  auto* c = host().configuration();
  if (!c) return;
  if (auto r = settings::clear_remote_record(*c, i); !r) {
    item->setCheckState(0, Qt::Checked);
    ui().show_message(this, BoxIcon::error, caption_system(), qs(r.error().text));
    return;
  }
  // The other rows keep their checks, a checked row not yet saved included.
  empty_row(item);
  emit edited();
}

void RemoteCtrlPage::RemoteCtrlListViewDblClick() {
  const int n = list_->selected_number();
  auto* c = host().configuration();
  if (!n || !c) return;
  const int i = n - 1;
  const auto users = settings::remote_control_users(*c);
  // An inactive record opens no dialog.
  if (list_->row(n)->checkState(0) != Qt::Checked) return;
  const auto edit = edit_remote_record(this, settings::read_remote_record(*c, i), users);
  if (!edit) {
    reshow();
    return;
  }
  store([&](memory::Configuration& config) { return settings::save_remote_record(config, i, *edit); });
}

}  // namespace vq::gui
