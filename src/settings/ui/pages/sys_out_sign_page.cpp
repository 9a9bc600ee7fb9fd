#include "settings/ui/pages/sys_out_sign_page.hpp"

#include <QAction>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QTreeWidget>
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
  list_ = new QTreeWidget(this);
  list_->setObjectName(QStringLiteral("SysOutSignListView"));
  list_->setColumnCount(4);
  list_->setHeaderLabels({QStringLiteral("Номер"), QStringLiteral("Тип устройства"), QStringLiteral("Номер устройства"),
                          QStringLiteral("Номер физического выхода")});
  list_->setRootIsDecorated(false);
  list_->setUniformRowHeights(true);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setContextMenuPolicy(Qt::CustomContextMenu);
  list_->setToolTip(
      QStringLiteral("Двойной щелчок или Enter — назначить выход; Delete — освободить; правая кнопка мыши — меню"));
  list_->header()->resizeSection(0, 70);
  list_->header()->resizeSection(1, 130);
  list_->header()->resizeSection(2, 130);
  // The rows are made once; every visit only rewrites their texts.
  QList<QTreeWidgetItem*> rows;
  rows.reserve(settings::kSystemOutputCount);
  for (int n = 1; n <= settings::kSystemOutputCount; ++n) {
    auto* row = new QTreeWidgetItem(QStringList{QString::number(n), QString(), QString(), QString()});
    row->setTextAlignment(0, Qt::AlignCenter);
    rows << row;
  }
  list_->addTopLevelItems(rows);
  layout->addWidget(list_);

  menu_ = new QMenu(this);
  menu_->setObjectName(QStringLiteral("SysOutSignPopupMenu"));
  auto* edit = menu_->addAction(QStringLiteral("Редактировать выход"));
  edit->setObjectName(QStringLiteral("EditSysOutItem"));
  auto* change = menu_->addAction(QStringLiteral("Поменять выходы"));
  change->setObjectName(QStringLiteral("ChangeSysOutItem"));
  auto* release = menu_->addAction(QStringLiteral("Освободить выход"));
  release->setObjectName(QStringLiteral("FreeSysOutItem"));
  connect(edit, &QAction::triggered, this, [this] { SysOutSignListViewDblClick(); });
  connect(change, &QAction::triggered, this, [this] { ChangeSysOutItemClick(); });
  connect(release, &QAction::triggered, this, [this] { FreeSysOutItemClick(); });
  connect(list_, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { menu_->popup(list_->viewport()->mapToGlobal(at)); });
  connect(list_, &QTreeWidget::itemDoubleClicked, this, [this] { SysOutSignListViewDblClick(); });
  list_->installEventFilter(this);
}

void SysOutSignPage::show_from(const memory::Configuration& config) {
  Filling f(*this);
  for (int n = 1; n <= settings::kSystemOutputCount; ++n) {
    QTreeWidgetItem* row = list_->topLevelItem(n - 1);
    const auto b = settings::presented_binding(config, n);
    row->setText(1, qs(settings::output_class_name(b.device_class)));
    row->setText(2, b.device_class == 0 ? QString() : QString::number(b.device));
    row->setText(3, b.device_class == 0 ? QString() : QString::number(b.output));
  }
}

void SysOutSignPage::mode_changed(bool demo) {
  if (demo) relay_module_met_ = false;
}

int SysOutSignPage::selected_output() const {
  const auto selected = list_->selectedItems();
  if (selected.isEmpty()) return 0;
  return list_->indexOfTopLevelItem(selected.front()) + 1;
}

bool SysOutSignPage::eventFilter(QObject* watched, QEvent* event) {
  if (watched == list_ && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      SysOutSignListViewDblClick();
      return true;
    }
    if (key == Qt::Key_Delete) {
      FreeSysOutItemClick();
      return true;
    }
  }
  return SettingsPage::eventFilter(watched, event);
}

void SysOutSignPage::stored() {
  note_edit();
  reshow();
}

void SysOutSignPage::SysOutSignListViewDblClick() {
  const int n = selected_output();
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
  c = host().configuration();
  if (!c) return;
  if (auto r = settings::assign_output(*c, n, *binding); !r) {
    ui().show_message(this, BoxIcon::error, caption_system(), qs(r.error().text));
    return;
  }
  stored();
}

void SysOutSignPage::ChangeSysOutItemClick() {
  const int n = selected_output();
  if (n == 0) return;
  const auto pair = choose_outputs_to_swap(this, n);
  if (!pair) return;
  auto* c = host().configuration();
  if (!c) return;
  if (auto r = settings::swap_outputs(*c, pair->first, pair->second); !r) {
    ui().show_message(this, BoxIcon::error, caption_system(), qs(r.error().text));
    return;
  }
  stored();
}

void SysOutSignPage::FreeSysOutItemClick() {
  const int n = selected_output();
  if (n == 0) return;
  if (!ui().ask(this, BoxIcon::question, caption_system(), m(15130))) return;
  auto* c = host().configuration();
  if (!c) return;
  if (auto r = settings::free_output(*c, n); !r) {
    ui().show_message(this, BoxIcon::error, caption_system(), qs(r.error().text));
    return;
  }
  stored();
}

}  // namespace vq::gui
