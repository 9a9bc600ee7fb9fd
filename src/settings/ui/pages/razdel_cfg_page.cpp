#include "settings/ui/pages/razdel_cfg_page.hpp"

#include <QVBoxLayout>

#include "memory/configuration.hpp"
#include "settings/partitions.hpp"
#include "settings/ui/dialogs/razdel_set_dialog.hpp"
#include "settings/ui/widgets/numbered_list.hpp"
#include "shell/ui/qt_text.hpp"

namespace vq::gui {

RazdelCfgPage::RazdelCfgPage(PageHost& host, QWidget* parent) : SettingsPage(host, parent) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  list_ = new NumberedList(QStringLiteral("RazdelCfgListView"), {QStringLiteral("Номер"), QStringLiteral("Тип")},
                           settings::kPartitionCount, this);
  list_->setToolTip(QStringLiteral("Двойной щелчок или Enter — настройки раздела"));
  layout->addWidget(list_);
  connect(list_, &NumberedList::row_activated, this, &RazdelCfgPage::RazdelCfgListViewDblClick);
}

void RazdelCfgPage::show_from(const memory::Configuration& config) {
  Filling f(*this);
  for (int p = 1; p <= settings::kPartitionCount; ++p)
    list_->row(p)->setText(1, qs(settings::partition_type_name(settings::read_partition(config, p).type)));
}

void RazdelCfgPage::RazdelCfgListViewDblClick() {
  const int p = list_->selected_number();
  if (p == 0) return;
  auto* c = host().configuration();
  if (!c) return;
  const auto edit = edit_partition(this, p, settings::read_partition(*c, p));
  if (!edit) return;
  store([&](memory::Configuration& config) { return settings::set_partition(config, p, *edit); });
}

}  // namespace vq::gui
