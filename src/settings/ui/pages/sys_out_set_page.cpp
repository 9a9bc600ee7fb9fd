#include "settings/ui/pages/sys_out_set_page.hpp"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "memory/configuration.hpp"
#include "settings/system_outputs.hpp"
#include "settings/ui/widgets/mark_grid.hpp"
#include "shell/ui/qt_text.hpp"
#include "shell/ui/ui_services.hpp"

namespace vq::gui {

SysOutSetPage::SysOutSetPage(PageHost& host, QWidget* parent) : SettingsPage(host, parent) {
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  list_ = new QTreeWidget(this);
  list_->setObjectName(QStringLiteral("SysOutSetListView"));
  list_->setColumnCount(2);
  list_->setHeaderLabels({QStringLiteral("Номер"), QStringLiteral("Режим")});
  list_->setRootIsDecorated(false);
  list_->setUniformRowHeights(true);
  list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  list_->setToolTip(QStringLiteral("Двойной щелчок или Enter — режим работы выхода; выделите несколько выходов "
                                   "(Ctrl, Shift), чтобы дать им всем привязки из таблицы справа"));
  list_->header()->resizeSection(0, 70);
  QList<QTreeWidgetItem*> rows;
  rows.reserve(settings::kSystemOutputCount);
  for (int n = 1; n <= settings::kSystemOutputCount; ++n) {
    auto* row = new QTreeWidgetItem(QStringList{QString::number(n), QString()});
    row->setTextAlignment(0, Qt::AlignCenter);
    rows << row;
  }
  list_->addTopLevelItems(rows);
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
  connect(list_, &QTreeWidget::itemDoubleClicked, this,
          [this](QTreeWidgetItem* item) { SysOutSetListViewDblClick(list_->indexOfTopLevelItem(item) + 1); });
  connect(grid_, &QTableWidget::itemChanged, this, [this] { note_edit(); });
  list_->installEventFilter(this);
}

void SysOutSetPage::show_from(const memory::Configuration& config) {
  Filling f(*this);
  for (int n = 1; n <= settings::kSystemOutputCount; ++n)
    list_->topLevelItem(n - 1)->setText(1, qs(settings::work_mode_name(settings::work_mode(config, n))));
  // Marks not stored are dropped: the grid shows the table again.
  int n = 0;
  if (auto* current = list_->currentItem(); current && current->isSelected())
    n = list_->indexOfTopLevelItem(current) + 1;
  else if (const auto selected = selected_outputs(); !selected.empty())
    n = selected.front();
  load_grid(config, n);
}

void SysOutSetPage::load_grid(const memory::Configuration& config, int n) {
  Filling f(*this);
  grid_->set_marks(n ? settings::partition_links(config, n) : std::bitset<96>{});
}

Result<> SysOutSetPage::apply_to(memory::Configuration& config) {
  return settings::set_partition_links(config, selected_outputs(), grid_->marks());
}

std::vector<int> SysOutSetPage::selected_outputs() const {
  std::vector<int> out;
  for (auto* item : list_->selectedItems()) out.push_back(list_->indexOfTopLevelItem(item) + 1);
  std::sort(out.begin(), out.end());
  return out;
}

bool SysOutSetPage::refuse_mark() {
  auto* c = host().configuration();
  if (!c) return false;
  // Every selected output gets the marks on save, so one in mode 8 refuses them all.
  for (int n : selected_outputs())
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
  c = host().configuration();
  if (!c) return;
  if (auto r = settings::set_work_mode(*c, edit->targets, edit->mode, edit->control_time); !r) {
    ui().show_message(this, BoxIcon::error, caption_system(), qs(r.error().text));
    return;
  }
  note_edit();
  show_from(*c);
  load_grid(*c, n);
}

bool SysOutSetPage::eventFilter(QObject* watched, QEvent* event) {
  if (watched == list_ && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && list_->currentItem()) {
      SysOutSetListViewDblClick(list_->indexOfTopLevelItem(list_->currentItem()) + 1);
      return true;
    }
  }
  return SettingsPage::eventFilter(watched, event);
}

}  // namespace vq::gui
