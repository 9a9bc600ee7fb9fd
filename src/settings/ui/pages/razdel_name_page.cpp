#include "settings/ui/pages/razdel_name_page.hpp"

#include <QHeaderView>
#include <QKeyEvent>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <string>
#include <utility>
#include <vector>

#include "memory/configuration.hpp"
#include "settings/ui/dialogs/name_rzd_dialog.hpp"
#include "shell/ui/qt_text.hpp"

namespace vq::gui {

RazdelNamePage::RazdelNamePage(PageHost& host, QWidget* parent) : SettingsPage(host, parent) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  list_ = new QTreeWidget(this);
  list_->setObjectName(QStringLiteral("RazdelNameListView"));
  list_->setColumnCount(2);
  list_->setHeaderLabels({QStringLiteral("Номер"), QStringLiteral("Наименование")});
  list_->setRootIsDecorated(false);
  list_->setUniformRowHeights(true);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setToolTip(QStringLiteral("Двойной щелчок или Enter — выбрать наименование раздела; "
                                   "в прибор его заносит «Сохранить изменения»"));
  list_->header()->resizeSection(0, 70);
  QList<QTreeWidgetItem*> rows;
  rows.reserve(settings::kPartitionCount);
  for (int p = 1; p <= settings::kPartitionCount; ++p)
    rows << new QTreeWidgetItem(QStringList{QString::number(p), QString()});
  list_->addTopLevelItems(rows);
  layout->addWidget(list_);
  connect(list_, &QTreeWidget::itemDoubleClicked, this, [this] { RazdelNameListViewDblClick(); });
  list_->installEventFilter(this);
}

void RazdelNamePage::show_from(const memory::Configuration& config) {
  Filling f(*this);
  changed_.fill(false);
  for (int p = 1; p <= settings::kPartitionCount; ++p)
    list_->topLevelItem(p - 1)->setText(1, qs(settings::partition_name(config, p)));
}

Result<> RazdelNamePage::apply_to(memory::Configuration& config) {
  // Only the rows the dialog changed: an untouched typed name is kept byte for byte (its
  // index, zero bytes inside it, bytes the code page has no character for).
  std::vector<std::pair<int, std::string>> names;
  for (int p = 1; p <= settings::kPartitionCount; ++p) {
    const QString text = list_->topLevelItem(p - 1)->text(1);
    if (changed_[static_cast<std::size_t>(p - 1)] && !text.isEmpty()) names.emplace_back(p, to_std(text));
  }
  if (auto r = settings::set_partition_names(config, names); !r) return r;
  changed_.fill(false);
  return {};
}

bool RazdelNamePage::eventFilter(QObject* watched, QEvent* event) {
  if (watched == list_ && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      RazdelNameListViewDblClick();
      return true;
    }
  }
  return SettingsPage::eventFilter(watched, event);
}

void RazdelNamePage::RazdelNameListViewDblClick() {
  const auto selected = list_->selectedItems();
  if (selected.isEmpty()) return;
  QTreeWidgetItem* row = selected.front();
  const int p = list_->indexOfTopLevelItem(row) + 1;
  const auto name = edit_partition_name(this, p, row->text(1));
  if (!name) return;
  row->setText(1, *name);
  changed_[static_cast<std::size_t>(p - 1)] = true;
  note_edit();
}

}  // namespace vq::gui
