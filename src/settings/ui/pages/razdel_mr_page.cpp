#include "settings/ui/pages/razdel_mr_page.hpp"

#include <algorithm>

#include <QHeaderView>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "memory/configuration.hpp"
#include "settings/partitions.hpp"
#include "settings/ui/dialogs/mr_integ_dialog.hpp"
#include "shell/ui/qt_text.hpp"
#include "shell/ui/ui_services.hpp"

namespace vq::gui {
namespace {

constexpr int kRecordRole = Qt::UserRole;

}  // namespace

RazdelMRPage::RazdelMRPage(PageHost& host, QWidget* parent) : SettingsPage(host, parent) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  list_ = new QTreeWidget(this);
  list_->setObjectName(QStringLiteral("RazdelMRListView"));
  list_->setColumnCount(5);
  list_->setHeaderLabels({QStringLiteral("Модуль МР"), QStringLiteral("Реле 1"), QStringLiteral("Реле 2"),
                          QStringLiteral("Реле 3"), QStringLiteral("Реле 4")});
  list_->setRootIsDecorated(false);
  list_->setUniformRowHeights(true);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setToolTip(QStringLiteral("Двойной щелчок или Enter — привязки реле модуля к технологическим разделам"));
  list_->header()->setStretchLastSection(false);
  list_->header()->resizeSection(0, 90);
  list_->header()->resizeSection(1, 70);
  list_->header()->resizeSection(2, 70);
  // Relays 3 and 4 are not set up on this page.
  list_->header()->setMinimumSectionSize(1);
  list_->header()->resizeSection(3, 1);
  list_->header()->resizeSection(4, 1);
  layout->addWidget(list_);
  connect(list_, &QTreeWidget::itemDoubleClicked, this, [this] { RazdelMRListViewDblClick(); });
  list_->installEventFilter(this);
}

void RazdelMRPage::show_from(const memory::Configuration& config) {
  Filling f(*this);
  // The rows follow the table; the selected record and the scroll position stay.
  int selected_record = -1;
  if (const auto sel = list_->selectedItems(); !sel.isEmpty()) selected_record = sel.front()->data(0, kRecordRole).toInt();
  const int scroll = list_->verticalScrollBar()->value();
  list_->clear();
  QList<QTreeWidgetItem*> rows;
  QTreeWidgetItem* reselect = nullptr;
  for (const auto& module : settings::relay_modules(config)) {
    QStringList texts{QString::number(module.number)};
    for (int partition : module.relays) texts << (partition ? QString::number(partition) : QStringLiteral("-"));
    auto* row = new QTreeWidgetItem(texts);
    row->setData(0, kRecordRole, module.record);
    if (module.record == selected_record) reselect = row;
    rows << row;
  }
  list_->addTopLevelItems(rows);
  if (reselect) {
    list_->setCurrentItem(reselect);
    reselect->setSelected(true);
  }
  list_->verticalScrollBar()->setValue(scroll);
}

bool RazdelMRPage::eventFilter(QObject* watched, QEvent* event) {
  if (watched == list_ && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      RazdelMRListViewDblClick();
      return true;
    }
  }
  return SettingsPage::eventFilter(watched, event);
}

void RazdelMRPage::RazdelMRListViewDblClick() {
  const auto selected = list_->selectedItems();
  if (selected.isEmpty()) return;
  // The row's own record: two records with one module number stay apart.
  const int record = selected.front()->data(0, kRecordRole).toInt();
  auto* c = host().configuration();
  if (!c) return;
  const auto modules = settings::relay_modules(*c);
  const auto it = std::find_if(modules.begin(), modules.end(), [&](const auto& m) { return m.record == record; });
  if (it == modules.end()) return;
  const auto edit = edit_relay_bindings(this, it->number, it->relays, settings::technical_partitions(*c));
  if (!edit) return;
  c = host().configuration();
  if (!c) return;
  if (auto r = settings::set_relay_bindings(*c, record, *edit); !r) {
    ui().show_message(this, BoxIcon::error, caption_system(), qs(r.error().text));
    return;
  }
  note_edit();
  reshow();
}

}  // namespace vq::gui
