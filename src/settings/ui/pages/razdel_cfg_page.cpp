#include "settings/ui/pages/razdel_cfg_page.hpp"

#include <QHeaderView>
#include <QKeyEvent>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "memory/configuration.hpp"
#include "settings/partitions.hpp"
#include "settings/ui/dialogs/razdel_set_dialog.hpp"
#include "shell/ui/qt_text.hpp"
#include "shell/ui/ui_services.hpp"

namespace vq::gui {

RazdelCfgPage::RazdelCfgPage(PageHost& host, QWidget* parent) : SettingsPage(host, parent) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  list_ = new QTreeWidget(this);
  list_->setObjectName(QStringLiteral("RazdelCfgListView"));
  list_->setColumnCount(2);
  list_->setHeaderLabels({QStringLiteral("Номер"), QStringLiteral("Тип")});
  list_->setRootIsDecorated(false);
  list_->setUniformRowHeights(true);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setToolTip(QStringLiteral("Двойной щелчок или Enter — настройки раздела"));
  list_->header()->resizeSection(0, 70);
  // The rows are made once; every visit only rewrites their types.
  QList<QTreeWidgetItem*> rows;
  rows.reserve(settings::kPartitionCount);
  for (int p = 1; p <= settings::kPartitionCount; ++p)
    rows << new QTreeWidgetItem(QStringList{QString::number(p), QString()});
  list_->addTopLevelItems(rows);
  layout->addWidget(list_);
  connect(list_, &QTreeWidget::itemDoubleClicked, this, [this] { RazdelCfgListViewDblClick(); });
  list_->installEventFilter(this);
}

void RazdelCfgPage::show_from(const memory::Configuration& config) {
  Filling f(*this);
  for (int p = 1; p <= settings::kPartitionCount; ++p)
    list_->topLevelItem(p - 1)->setText(1, qs(settings::partition_type_name(settings::read_partition(config, p).type)));
}

bool RazdelCfgPage::eventFilter(QObject* watched, QEvent* event) {
  if (watched == list_ && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      RazdelCfgListViewDblClick();
      return true;
    }
  }
  return SettingsPage::eventFilter(watched, event);
}

void RazdelCfgPage::RazdelCfgListViewDblClick() {
  const auto selected = list_->selectedItems();
  if (selected.isEmpty()) return;
  const int p = list_->indexOfTopLevelItem(selected.front()) + 1;
  auto* c = host().configuration();
  if (!c) return;
  const auto edit = edit_partition(this, p, settings::read_partition(*c, p));
  c = host().configuration();
  if (!c) return;
  if (edit) {
    if (auto r = settings::set_partition(*c, p, *edit); !r)
      ui().show_message(this, BoxIcon::error, caption_system(), qs(r.error().text));
    else
      note_edit();
  }
  reshow();
}

}  // namespace vq::gui
