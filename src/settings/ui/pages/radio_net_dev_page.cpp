#include "settings/ui/pages/radio_net_dev_page.hpp"

#include <QAction>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "memory/configuration.hpp"
#include "settings/radio_network.hpp"
#include "settings/ui/dialogs/radio_net_dev_dialog.hpp"
#include "shell/ui/qt_text.hpp"
#include "shell/ui/ui_services.hpp"

namespace vq::gui {

RadioNetDevPage::RadioNetDevPage(PageHost& host, QWidget* parent) : SettingsPage(host, parent) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  list_ = new QTreeWidget(this);
  list_->setObjectName(QStringLiteral("RadioNetDevListView"));
  list_->setColumnCount(3);
  list_->setHeaderLabels({QStringLiteral("Номер"), QStringLiteral("Статус"), QStringLiteral("Тип")});
  list_->setRootIsDecorated(false);
  list_->setUniformRowHeights(true);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setContextMenuPolicy(Qt::CustomContextMenu);
  list_->setToolTip(QStringLiteral("Двойной щелчок или Enter — параметры устройства; правая кнопка мыши — меню"));
  list_->header()->resizeSection(0, 70);
  list_->header()->resizeSection(1, 160);
  // The rows are made once; every visit only rewrites their texts.
  QList<QTreeWidgetItem*> rows;
  rows.reserve(settings::kRadioDeviceCount);
  for (int n = 1; n <= settings::kRadioDeviceCount; ++n)
    rows << new QTreeWidgetItem(QStringList{QString::number(n), QString(), QString()});
  list_->addTopLevelItems(rows);
  layout->addWidget(list_);

  menu_ = new QMenu(this);
  menu_->setObjectName(QStringLiteral("RadioNetDevPopupMenu"));
  auto* edit = menu_->addAction(QStringLiteral("Редактировать устройство"));
  edit->setObjectName(QStringLiteral("RadioNetDevEditItem"));
  auto* remove = menu_->addAction(QStringLiteral("Удалить устройство"));
  remove->setObjectName(QStringLiteral("N9"));
  auto* remove_all = menu_->addAction(QStringLiteral("Удалить все устройства"));
  remove_all->setObjectName(QStringLiteral("N10"));
  connect(edit, &QAction::triggered, this, [this] { RadioNetDevListViewDblClick(); });
  connect(remove, &QAction::triggered, this, [this] { N9Click(); });
  connect(remove_all, &QAction::triggered, this, [this] { N10Click(); });
  connect(list_, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { menu_->popup(list_->viewport()->mapToGlobal(at)); });
  connect(list_, &QTreeWidget::itemDoubleClicked, this, [this] { RadioNetDevListViewDblClick(); });
  list_->installEventFilter(this);
}

void RadioNetDevPage::show_from(const memory::Configuration& config) {
  Filling f(*this);
  const QString registered = m(15122), empty = m(15121), none = QStringLiteral("-");
  for (int n = 1; n <= settings::kRadioDeviceCount; ++n) {
    QTreeWidgetItem* row = list_->topLevelItem(n - 1);
    const int type = settings::radio_device_type(config, n);
    row->setText(1, type ? registered : empty);
    row->setText(2, type ? qs(settings::radio_type_name(type)) : none);
  }
}

int RadioNetDevPage::selected_device() const {
  const auto selected = list_->selectedItems();
  if (selected.isEmpty()) return 0;
  return list_->indexOfTopLevelItem(selected.front()) + 1;
}

bool RadioNetDevPage::eventFilter(QObject* watched, QEvent* event) {
  if (watched == list_ && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      RadioNetDevListViewDblClick();
      return true;
    }
    if (key == Qt::Key_Delete) {
      N9Click();
      return true;
    }
  }
  return SettingsPage::eventFilter(watched, event);
}

void RadioNetDevPage::RadioNetDevListViewDblClick() {
  const int n = selected_device();
  if (n == 0) return;
  auto* c = host().configuration();
  if (!c) return;
  const int type = settings::radio_device_type(*c, n);
  if (type == 0) {
    // An empty slot has no parameters: a change mark there would point the panel at a
    // device that does not exist.
    ui().show_message(this, BoxIcon::information, caption_system(),
                      QStringLiteral("Радиоустройство %1: %2 — изменять нечего.").arg(n).arg(m(15121)));
    return;
  }
  const auto edit = edit_radio_device(this, n, type, settings::read_device_params(*c, n));
  if (!edit) return;
  c = host().configuration();
  if (!c) return;
  if (auto r = settings::save_device_params(*c, n, edit->params, edit->to_all_of_type); !r) {
    ui().show_message(this, BoxIcon::error, caption_system(), qs(r.error().text));
    return;
  }
  note_edit();
  reshow();
}

void RadioNetDevPage::N9Click() {
  auto* c = host().configuration();
  if (!c) return;
  const int n = selected_device();
  if (n == 0 || !settings::radio_device_registered(*c, n)) {
    ui().show_message(this, BoxIcon::information, caption_system(), m(15131));
    return;
  }
  if (!ui().ask(this, BoxIcon::question, caption_system(), m(15132))) return;
  c = host().configuration();
  if (!c) return;
  if (auto r = settings::delete_radio_device(*c, n); !r) {
    ui().show_message(this, BoxIcon::information, caption_system(), qs(r.error().text));
    return;
  }
  note_edit();
  reshow();
}

void RadioNetDevPage::N10Click() {
  if (!ui().ask(this, BoxIcon::question, caption_system(), m(15133))) return;
  auto* c = host().configuration();
  if (!c) return;
  settings::delete_all_radio_devices(*c);
  note_edit();
  reshow();
}

}  // namespace vq::gui
