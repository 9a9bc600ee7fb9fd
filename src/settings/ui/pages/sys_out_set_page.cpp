#include "settings/ui/pages/sys_out_set_page.hpp"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QVBoxLayout>

#include "memory/configuration.hpp"
#include "settings/system_outputs.hpp"
#include "settings/ui/widgets/mark_grid.hpp"
#include "shell/ui/qt_text.hpp"

namespace vq::gui {

SysOutSetPage::SysOutSetPage(PageHost& host, QWidget* parent) : SettingsPage(host, parent) {
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  list_ = new NumberedList(QStringLiteral("SysOutSetListView"), {QStringLiteral("Номер"), QStringLiteral("Режим")},
                           settings::kSystemOutputCount, this);
  list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  list_->setToolTip(QStringLiteral("Двойной щелчок или Enter — режим работы выхода; выделите несколько выходов "
                                   "(Ctrl, Shift), чтобы дать им всем привязки из таблицы справа"));
  list_->set_number_alignment(Qt::AlignCenter);
  layout->addWidget(list_, 1);

  auto* group = new QGroupBox(QStringLiteral("Привязки выхода к разделам"), this);
  auto* group_layout = new QVBoxLayout(group);
  grid_ = new PartitionMarkGrid(4, 48, group);
  grid_->setObjectName(QStringLiteral("SysOutSetStrGrid"));
  grid_->setToolTip(QStringLiteral("Щелчок по ячейке под номером раздела ставит или снимает привязку (X); "
                                   "«Сохранить изменения» даёт привязки всем выделенным выходам"));
  grid_->set_refusal([this] { return refuse_mark(); });
  group_layout->addWidget(grid_);
  layout->addWidget(group, 1);

  connect(list_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          [this](const QItemSelection& selected, const QItemSelection& deselected) {
            const auto& changed = selected.isEmpty() ? deselected : selected;
            if (changed.isEmpty() || changed.indexes().isEmpty()) return;
            SysOutSetListViewSelectItem(changed.indexes().front().row() + 1);
          });
  connect(list_, &NumberedList::row_activated, this, &SysOutSetPage::SysOutSetListViewDblClick);
  connect(grid_, &QTableWidget::itemChanged, this, [this] { note_edit(); });
}

void SysOutSetPage::show_from(const memory::Configuration& config) {
  Filling f(*this);
  for (int n = 1; n <= settings::kSystemOutputCount; ++n)
    list_->row(n)->setText(1, qs(settings::work_mode_name(settings::work_mode(config, n))));
  // Marks not stored are dropped: the grid shows the table again.
  int n = 0;
  if (auto* current = list_->currentItem(); current && current->isSelected())
    n = list_->number_of(current);
  else
    n = list_->selected_number();
  load_grid(config, n);
}

void SysOutSetPage::load_grid(const memory::Configuration& config, int n) {
  Filling f(*this);
  grid_->set_marks(n ? settings::partition_links(config, n) : std::bitset<96>{});
}

Result<> SysOutSetPage::apply_to(memory::Configuration& config) {
  return settings::set_partition_links(config, list_->selected_numbers(), grid_->marks());
}

bool SysOutSetPage::refuse_mark() {
  auto* c = host().configuration();
  if (!c) return false;
  // Every selected output gets the marks on save, so one in mode 8 refuses them all.
  for (int n : list_->selected_numbers())
    if (settings::work_mode(*c, n) == settings::kRemoteControlMode)
      return refuse_for_work_mode(this, settings::kRemoteControlMode);
  return false;
}

void SysOutSetPage::SysOutSetListViewSelectItem(int n) {
  if (auto* c = host().configuration()) load_grid(*c, n);
}

void SysOutSetPage::SysOutSetListViewDblClick(int n) {
  if (n < 1 || n > settings::kSystemOutputCount) return;
  auto* c = host().configuration();
  if (!c) return;
  const auto edit = edit_work_mode(this, n, settings::work_mode(*c, n), settings::control_time(*c, n), apply_choice_);
  if (!edit) return;
  if (!store([&](memory::Configuration& config) {
        return settings::set_work_mode(config, edit->targets, edit->mode, edit->control_time);
      }))
    return;
  // The grid shows the links of the output the dialog was opened for.
  if (auto* now = host().configuration()) load_grid(*now, n);
}

}  // namespace vq::gui
