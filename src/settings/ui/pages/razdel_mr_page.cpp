#include "settings/ui/pages/razdel_mr_page.hpp"

#include <algorithm>

#include <QHeaderView>
#include <QScrollBar>
#include <QVBoxLayout>

#include "memory/configuration.hpp"
#include "settings/partitions.hpp"
#include "settings/ui/dialogs/mr_integ_dialog.hpp"
#include "settings/ui/widgets/numbered_list.hpp"
#include "shell/ui/qt_text.hpp"

namespace vq::gui {
namespace {

constexpr int kRecordRole = Qt::UserRole;

}  // namespace

RazdelMRPage::RazdelMRPage(PageHost& host, QWidget* parent) : SettingsPage(host, parent) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  // The first column shows the module's number, not the row's.
  list_ = new NumberedList(QStringLiteral("RazdelMRListView"),
                           {QStringLiteral("Модуль МР"), QStringLiteral("Реле 1"), QStringLiteral("Реле 2"),
                            QStringLiteral("Реле 3"), QStringLiteral("Реле 4")},
                           0, this);
  list_->setToolTip(QStringLiteral("Двойной щелчок или Enter — привязки реле модуля к технологическим разделам"));
  list_->header()->setStretchLastSection(false);
  // Relays 3 and 4 are not set up on this page.
  list_->header()->setMinimumSectionSize(1);
  list_->set_column_widths({90, 70, 70, 1, 1});
  layout->addWidget(list_);
  connect(list_, &NumberedList::row_activated, this, &RazdelMRPage::RazdelMRListViewDblClick);
}

int RazdelMRPage::selected_record() const {
  const auto* row = list_->row(list_->selected_number());
  return row ? row->data(0, kRecordRole).toInt() : -1;
}

void RazdelMRPage::show_from(const memory::Configuration& config) {
  Filling f(*this);
  // The rows follow the table; the selected record and the scroll position stay.
  const int selected = selected_record();
  const int scroll = list_->verticalScrollBar()->value();
  const auto modules = settings::relay_modules(config);
  list_->set_row_count(static_cast<int>(modules.size()));
  QTreeWidgetItem* reselect = nullptr;
  for (std::size_t i = 0; i < modules.size(); ++i) {
    QTreeWidgetItem* row = list_->row(static_cast<int>(i) + 1);
    row->setText(0, QString::number(modules[i].number));
    for (int k = 0; k < settings::kRelaysPerModule; ++k) {
      const int partition = modules[i].relays[static_cast<std::size_t>(k)];
      row->setText(k + 1, partition ? QString::number(partition) : QStringLiteral("-"));
    }
    row->setData(0, kRecordRole, modules[i].record);
    if (modules[i].record == selected) reselect = row;
  }
  // The record may have moved to another row, or gone: then no row is current or selected.
  list_->setCurrentItem(reselect);
  if (reselect) reselect->setSelected(true);
  list_->verticalScrollBar()->setValue(scroll);
}

void RazdelMRPage::RazdelMRListViewDblClick() {
  // The row's own record: two records with one module number stay apart.
  const int record = selected_record();
  if (record < 0) return;
  auto* c = host().configuration();
  if (!c) return;
  const auto modules = settings::relay_modules(*c);
  const auto it = std::find_if(modules.begin(), modules.end(), [&](const auto& m) { return m.record == record; });
  if (it == modules.end()) return;
  const auto edit = edit_relay_bindings(this, it->number, it->relays, settings::technical_partitions(*c));
  if (!edit) return;
  store([&](memory::Configuration& config) { return settings::set_relay_bindings(config, record, *edit); });
}

}  // namespace vq::gui
