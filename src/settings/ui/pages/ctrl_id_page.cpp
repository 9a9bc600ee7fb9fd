#include "settings/ui/pages/ctrl_id_page.hpp"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QMenu>
#include <QVBoxLayout>
#include <array>
#include <vector>

#include "memory/configuration.hpp"
#include "settings/identifiers.hpp"
#include "settings/ui/dialogs/ctrl_id_set_dialog.hpp"
#include "settings/ui/widgets/mark_grid.hpp"
#include "shell/ui/qt_text.hpp"

namespace vq::gui {
namespace {

constexpr int kTypeColumn = 1;

void set_text(QTreeWidgetItem* row, int column, const QString& text) {
  // Only what changed: a thousand rows re-shown on every visit.
  if (row->text(column) != text) row->setText(column, text);
}

}  // namespace

CtrlIDPage::CtrlIDPage(PageHost& host, QWidget* parent) : SettingsPage(host, parent) {
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  list_ = new NumberedList(QStringLiteral("CtrlIDListView"),
                           {QStringLiteral("#"), QStringLiteral("Тип"), QStringLiteral("Значение"),
                            QStringLiteral("Пользователь"), QStringLiteral("Тактика"), QStringLiteral("Быстрое взятие")},
                           settings::kIdentifierSlots, this);
  list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  list_->set_column_widths({45, 40, 100, 90, 165});
  list_->setToolTip(QStringLiteral("Двойной щелчок или Enter — настройка идентификатора; Delete — удалить; выделите "
                                   "несколько (Ctrl, Shift), чтобы дать им всем привязки из таблицы справа"));
  layout->addWidget(list_, 3);

  auto* group = new QGroupBox(QStringLiteral("Привязки идентификатора к разделам"), this);
  auto* group_layout = new QVBoxLayout(group);
  grid_ = new PartitionMarkGrid(4, 48, group);
  grid_->setObjectName(QStringLiteral("CtrlIDRazdStrGrid"));
  grid_->setToolTip(QStringLiteral("Щелчок по ячейке под номером раздела ставит или снимает привязку (X); "
                                   "«Сохранить изменения» даёт привязки всем выделенным идентификаторам"));
  group_layout->addWidget(grid_);
  // Four narrow columns are enough for "P96"; the rest of the width goes to the list.
  group->setMaximumWidth(250);
  layout->addWidget(group, 1);

  menu_ = list_->add_popup_menu(QStringLiteral("CtrlIDPopupMenu"));
  add_menu_item(menu_, QStringLiteral("Редактировать идентификатор"), QStringLiteral("EditCtrlIDItem"), this,
                &CtrlIDPage::CtrlIDListViewDblClick);
  add_menu_item(menu_, QStringLiteral("Удалить идентификатор"), QStringLiteral("DeleteCtrlIDAction"), this,
                &CtrlIDPage::DeleteCtrlIDActionExecute);

  connect(list_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          [this](const QItemSelection& selected, const QItemSelection& deselected) {
            const auto& changed = selected.isEmpty() ? deselected : selected;
            if (changed.isEmpty() || changed.indexes().isEmpty()) return;
            CtrlIDListViewSelectItem(changed.indexes().front().row() + 1);
          });
  connect(list_, &NumberedList::row_activated, this, [this] { CtrlIDListViewDblClick(); });
  connect(list_, &NumberedList::delete_pressed, this, &CtrlIDPage::DeleteCtrlIDActionExecute);
  connect(grid_, &QTableWidget::itemChanged, this, [this] { note_edit(); });
}

void CtrlIDPage::show_from(const memory::Configuration& config) {
  Filling f(*this);
  const QString none = QStringLiteral("-"), yes = m(15126), no = m(15127);
  // Names made once a visit, not once a row.
  QStringList tactics;
  for (int t = 0; t < settings::kTacticCount; ++t) tactics << qs(settings::tactic_name(t));
  auto kind = [names = std::array<QString, 4>{qs(settings::kind_name(settings::kKindPin)),
                                              qs(settings::kind_name(settings::kKindKey)),
                                              qs(settings::kind_name(settings::kKindFob)),
                                              qs(settings::kind_name(0))}](int k) {
    return names[k == settings::kKindPin ? 0 : k == settings::kKindKey ? 1 : k == settings::kKindFob ? 2 : 3];
  };
  std::vector<settings::Identifier> by_slot(settings::kIdentifierSlots + 1);
  for (auto& id : settings::read_identifiers(config)) by_slot[static_cast<std::size_t>(id.slot)] = std::move(id);
  for (int s = 1; s <= settings::kIdentifierSlots; ++s) {
    QTreeWidgetItem* row = list_->row(s);
    const auto& id = by_slot[static_cast<std::size_t>(s)];
    if (id.empty()) {
      for (int column = 1; column <= 5; ++column) set_text(row, column, none);
      continue;
    }
    set_text(row, 1, kind(id.kind));
    set_text(row, 2, qs(settings::identifier_value_text(id.kind, id.code)));
    set_text(row, 3, QString::number(id.user));
    set_text(row, 4, id.tactic < settings::kTacticCount ? tactics[id.tactic] : qs(settings::tactic_name(id.tactic)));
    set_text(row, 5, id.quick_arm ? yes : no);
  }
  // Marks not stored are dropped: the grid shows the table again.
  int slot = 0;
  if (auto* current = list_->currentItem(); current && current->isSelected())
    slot = list_->number_of(current);
  else
    slot = list_->selected_number();
  load_grid(config, slot);
}

void CtrlIDPage::load_grid(const memory::Configuration& config, int slot) {
  Filling f(*this);
  const bool used = slot && list_->row(slot)->text(kTypeColumn) != QStringLiteral("-");
  grid_->set_marks(used ? settings::identifier_partitions(config, slot) : std::bitset<96>{});
}

Result<> CtrlIDPage::apply_to(memory::Configuration& config) {
  return settings::set_identifier_partitions(config, list_->selected_numbers(), grid_->marks());
}

int CtrlIDPage::selected_slot() const {
  if (auto* current = list_->currentItem(); current && current->isSelected()) return list_->number_of(current);
  return list_->selected_number();
}

void CtrlIDPage::CtrlIDListViewSelectItem(int slot) {
  if (auto* c = host().configuration()) load_grid(*c, slot);
}

void CtrlIDPage::CtrlIDListViewDblClick() {
  const int slot = selected_slot();
  if (slot == 0) return;
  auto* c = host().configuration();
  if (!c) return;
  const auto edit = edit_identifier(this, settings::read_identifier(*c, slot), settings::identifier_neighbours(*c, slot));
  if (!edit) return;
  store([&](memory::Configuration& config) { return settings::set_identifier(config, slot, *edit); });
}

void CtrlIDPage::DeleteCtrlIDActionExecute() {
  const int slot = selected_slot();
  if (slot == 0) return;
  auto* c = host().configuration();
  if (!c || settings::read_identifier(*c, slot).empty()) return;
  store([&](memory::Configuration& config) { return settings::delete_identifier(config, slot); });
}

}  // namespace vq::gui
