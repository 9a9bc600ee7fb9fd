#include "settings/ui/navigator/navigator.hpp"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QStackedWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "memory/configuration.hpp"
#include "settings/ui/pages/settings_page.hpp"
#include "shell/ui/qt_text.hpp"
#include "shell/ui/ui_services.hpp"

namespace vq::gui {
namespace {

constexpr int kIndexRole = Qt::UserRole;

// Pages that no node brings up.
constexpr const char* kExtraPages[] = {"RcpntInfoTabSheet", "TonalSettingsTS", "CIDSirvalTS"};

QLabel* heading_label(const QString& text, int pixels, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  QFont f = label->font();
  f.setPixelSize(pixels);
  label->setFont(f);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label->setWordWrap(true);
  return label;
}

}  // namespace

const std::vector<NavigatorNode>& navigator_nodes() {
  static const std::vector<NavigatorNode> nodes = {
      {0, 0, "Оборудование", "EquipmentTS", "Оборудование"},
      {1, 1, "Изменение параметров устройств", "DevSetChangeTS", "Изменение параметров устройств"},
      {2, 2, "GSM-коммуникатор", "GSMCommTS", "GSM-коммуникатор"},
      {3, 3, "Телефоны сервисных центров/PIN-коды", "ServiceTS", nullptr},
      {4, 2, "Модуль PSTN", "PSTNSettingsTS", nullptr},
      {5, 0, "Радиосеть", "RadioNetTitleTS", "Радиосеть"},
      {6, 1, "Текущие параметры сети", "RadioNetSetTS", nullptr},
      {7, 1, "Изменение параметров устройств", "RadioNetDevTS", nullptr},
      {8, 0, "Разделы", "RazdelCfgTitleTS", "Разделы"},
      {9, 1, "Настройка разделов", "RazdelCfgTS", nullptr},
      {10, 1, "Назначение в разделы", "RPDITS", nullptr},
      {11, 1, "Наименование разделов", "RazdelNameTS", nullptr},
      {12, 1, "Время интегрирования", "RazdelIntegTimeTS", nullptr},
      {13, 1, "Контроль цепи МР", "RazdelMRTS", nullptr},
      {14, 0, "Управление", "CtrlTitleTS", "Управление"},
      {15, 1, "Идентификаторы", "CtrlIDTS", nullptr},
      {16, 1, "Пароли", "CtrlPwdTS", nullptr},
      {17, 1, "Дистанционное", "RemoteCtrlTS", nullptr},
      {18, 0, "Оповещение", "NoticeTitleTS", "Оповещение"},
      {19, 1, "Системные выходы", "SysOutTitleTS", "Системные выходы"},
      {20, 2, "Назначение в системе", "SysOutSignTS", nullptr},
      {21, 2, "Настройка выходов", "SysOutSetTS", nullptr},
      {22, 1, "Удаленное оповещение", "RemoteNoticeTitleTS", "Удаленное оповещение"},
      {23, 2, "Телефоны получателей", "TelRcpntsTS", nullptr},
      {24, 1, "Речевое оповещение", "SpeechNoticeTS", nullptr},
      {25, 1, "Индивидуальное оповещение", "InWorkTS", nullptr},
      {26, 0, "Прибор", "DeviceTitleTS", "Прибор"},
      {27, 1, "Общие настройки", "DeviceGSettingsTS", nullptr},
      {28, 1, "Голосовой модуль", "DeviceVModuleTS", nullptr},
  };
  return nodes;
}

SettingsNavigator::SettingsNavigator(QWidget* parent)
    : QWidget(parent),
      ops_(navigator_nodes().size()),
      widgets_(navigator_nodes().size(), nullptr),
      pending_edits_(navigator_nodes().size(), false) {
  tree_ = new QTreeWidget(this);
  tree_->setObjectName(QStringLiteral("DevSettingsTV"));
  tree_->setHeaderHidden(true);
  tree_->setColumnCount(1);
  tree_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  tree_->setSelectionMode(QAbstractItemView::SingleSelection);
  tree_->setMinimumWidth(270);
  // Long captions scroll instead of being cut.
  tree_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  tree_->header()->setStretchLastSection(false);
  {
    // Keep the selection visible when the tree loses the focus.
    QPalette p = tree_->palette();
    p.setColor(QPalette::Inactive, QPalette::Highlight, p.color(QPalette::Active, QPalette::Highlight));
    p.setColor(QPalette::Inactive, QPalette::HighlightedText, p.color(QPalette::Active, QPalette::HighlightedText));
    tree_->setPalette(p);
  }
  std::vector<QTreeWidgetItem*> parents;  // the last item seen at each level
  for (const auto& node : navigator_nodes()) {
    QTreeWidgetItem* item = nullptr;
    if (node.level == 0) {
      item = new QTreeWidgetItem(tree_);
    } else {
      item = new QTreeWidgetItem(parents[static_cast<std::size_t>(node.level - 1)]);
    }
    item->setText(0, QString::fromUtf8(node.caption));
    item->setData(0, kIndexRole, node.index);
    parents.resize(static_cast<std::size_t>(node.level));
    parents.push_back(item);
  }
  tree_->expandAll();

  pages_ = new QStackedWidget(this);
  pages_->setObjectName(QStringLiteral("PageControl1"));
  // A heading page is one large label at the top. A working page has a small heading with
  // the node's caption and a scrolled body below it for the page's controls: at 800 × 600
  // the longer pages do not fit.
  auto add_heading_page = [this](const QString& name, const QString& heading) {
    if (page(name)) return;
    auto* p = new QWidget;
    p->setObjectName(name);
    auto* layout = new QVBoxLayout(p);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(heading_label(heading, 19, p));
    layout->addStretch(1);
    pages_->addWidget(p);
  };
  auto add_working_page = [this](const QString& name, const QString& heading) {
    if (page(name)) return;
    auto* p = new QWidget;
    p->setObjectName(name);
    auto* layout = new QVBoxLayout(p);
    layout->setContentsMargins(8, 8, 8, 0);
    if (!heading.isEmpty()) layout->addWidget(heading_label(heading, 15, p));
    auto* scroll = new QScrollArea(p);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    auto* body = new QWidget;
    body->setObjectName(name + QStringLiteral("Body"));
    auto* body_layout = new QVBoxLayout(body);
    body_layout->setContentsMargins(0, 0, 0, 0);
    // Controls gather at the top until something in the body wants the height.
    body_layout->setAlignment(Qt::AlignTop);
    scroll->setWidget(body);
    layout->addWidget(scroll, 1);
    pages_->addWidget(p);
  };
  for (const auto& node : navigator_nodes()) {
    const QString name = QString::fromLatin1(node.page);
    if (name == QLatin1String("InWorkTS")) {
      add_heading_page(name, QStringLiteral("Находится в стадии разработки"));
    } else if (node.heading) {
      add_heading_page(name, QString::fromUtf8(node.heading));
    } else {
      add_working_page(name, QString::fromUtf8(node.caption));
    }
  }
  for (const char* extra : kExtraPages) add_working_page(QString::fromLatin1(extra), {});

  save_button_ = new QPushButton(QStringLiteral("Сохранить изменения"), this);
  save_button_->setObjectName(QStringLiteral("SaveSettingsButton"));
  auto* reminder = new QLabel(QStringLiteral("Не забывайте сохранять изменения ->"), this);
  reminder->setObjectName(QStringLiteral("SaveReminderLabel"));

  info_box_ = new QGroupBox(QStringLiteral("Дополнительная информация:"), this);
  info_box_->setObjectName(QStringLiteral("GroupBox1"));
  auto* info_layout = new QVBoxLayout(info_box_);
  for (int i = 0; i < 3; ++i) {
    info_labels_[i] = new QLabel(info_box_);
    info_labels_[i]->setObjectName(QStringLiteral("Label%1").arg(i + 1));
    info_labels_[i]->setWordWrap(true);
    info_layout->addWidget(info_labels_[i]);
  }
  info_box_->hide();

  auto* left = new QVBoxLayout;
  left->addWidget(tree_, 1);
  left->addWidget(info_box_);
  auto* bottom = new QHBoxLayout;
  bottom->addStretch(1);
  bottom->addWidget(reminder);
  bottom->addWidget(save_button_);
  auto* right = new QVBoxLayout;
  right->addWidget(pages_, 1);
  right->addLayout(bottom);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addLayout(left, 0);
  layout->addLayout(right, 1);

  // The tree reports a change 10 ms after it happens; the changing notice comes first.
  change_timer_ = new QTimer(this);
  change_timer_->setObjectName(QStringLiteral("TreeChangeTimer"));
  change_timer_->setSingleShot(true);
  change_timer_->setInterval(10);
  connect(tree_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* current) {
    if (!current) return;
    DevSettingsTVChanging();
    change_timer_->start();
  });
  connect(change_timer_, &QTimer::timeout, this, [this] {
    if (auto* item = tree_->currentItem()) DevSettingsTVChange(item);
  });
  connect(save_button_, &QPushButton::clicked, this, [this] { SaveSettingsButtonClick(); });

  reset();
}

void SettingsNavigator::register_page(int node, PageOps ops) {
  if (node < 0 || static_cast<std::size_t>(node) >= ops_.size()) return;
  ops_[static_cast<std::size_t>(node)] = std::move(ops);
}

void SettingsNavigator::register_page(Node node, SettingsPage* page, PageHost& host) {
  const int index = static_cast<int>(node);
  if (index < 0 || static_cast<std::size_t>(index) >= ops_.size() || !page) return;
  const auto& info = navigator_nodes()[static_cast<std::size_t>(index)];
  QWidget* body = page_body(QString::fromLatin1(info.page));
  if (auto* layout = qobject_cast<QVBoxLayout*>(body->layout())) {
    // The page takes the body's height: lists and grids fill it, short pages keep their
    // controls at the top themselves.
    layout->setAlignment(Qt::Alignment());
    layout->addWidget(page, 1);
  }
  widgets_[static_cast<std::size_t>(index)] = page;
  PageOps ops;
  ops.show = [page, &host] {
    if (auto* c = host.configuration()) page->show_from(*c);
  };
  if (page->has_apply()) {
    ops.apply = [page, &host]() -> Result<> {
      auto* c = host.configuration();
      if (!c) return {};
      return page->apply_to(*c);
    };
  }
  ops_[static_cast<std::size_t>(index)] = std::move(ops);
  connect(page, &SettingsPage::edited, this, [this, index, page] {
    if (page->has_apply()) mark_pending(index, true);
    emit edited();
  });
}

SettingsPage* SettingsNavigator::settings_page(Node node) const {
  const auto i = static_cast<std::size_t>(node);
  return i < widgets_.size() ? widgets_[i] : nullptr;
}

bool SettingsNavigator::has_pending_edits(Node node) const {
  const auto i = static_cast<std::size_t>(node);
  return i < pending_edits_.size() && pending_edits_[i];
}

void SettingsNavigator::mark_pending(int node, bool pending) {
  const auto i = static_cast<std::size_t>(node);
  if (i >= pending_edits_.size() || pending_edits_[i] == pending) return;
  pending_edits_[i] = pending;
  auto* item = node_item(node);
  if (!item) return;
  QFont f = item->font(0);
  f.setBold(pending);
  item->setFont(0, f);
  item->setToolTip(0, pending ? QStringLiteral("Изменения на странице ещё не сохранены: нажмите «Сохранить изменения»")
                              : QString());
}

QWidget* SettingsNavigator::page(const QString& name) const {
  for (int i = 0; i < pages_->count(); ++i)
    if (pages_->widget(i)->objectName() == name) return pages_->widget(i);
  return nullptr;
}

QWidget* SettingsNavigator::page_body(const QString& name) const {
  QWidget* p = page(name);
  if (!p) return nullptr;
  auto* body = p->findChild<QWidget*>(name + QStringLiteral("Body"));
  return body ? body : p;
}

QTreeWidgetItem* SettingsNavigator::node_item(int index) const {
  QTreeWidgetItemIterator it(tree_);
  for (; *it; ++it)
    if ((*it)->data(0, kIndexRole).toInt() == index) return *it;
  return nullptr;
}

void SettingsNavigator::reset() {
  // A change still waiting for its 10 ms must not land on the fresh state.
  change_timer_->stop();
  pending_ = PageAction::none;
  const QSignalBlocker block(tree_);
  tree_->clearSelection();
  tree_->setCurrentItem(nullptr);
  pages_->setCurrentWidget(page(QStringLiteral("EquipmentTS")));
  for (auto* l : info_labels_) l->clear();
  save_button_->setEnabled(false);
  for (std::size_t i = 0; i < pending_edits_.size(); ++i) mark_pending(static_cast<int>(i), false);
}

void SettingsNavigator::mode_changed(bool demo) {
  for (auto* page : widgets_)
    if (page) page->mode_changed(demo);
}

void SettingsNavigator::set_service_visible(bool visible) { info_box_->setVisible(visible); }

void SettingsNavigator::DevSettingsTVChanging() { pending_ = PageAction::show; }

void SettingsNavigator::DevSettingsTVChange(QTreeWidgetItem* node) {
  const PageAction action = pending_;
  pending_ = PageAction::none;
  if (!node) return;
  const int index = node->data(0, kIndexRole).toInt();
  QTreeWidgetItem* parent = node->parent();
  const int sibling = parent ? parent->indexOfChild(node) : tree_->indexOfTopLevelItem(node);
  info_labels_[0]->setText(QStringLiteral("Node global index - %1").arg(index));
  info_labels_[1]->setText(QStringLiteral("Node index - %1").arg(sibling));
  info_labels_[2]->setText(parent ? QStringLiteral("The Node ") + node->text(0) +
                                        QStringLiteral(" has as parent the Node ") + parent->text(0)
                                  : QString());
  save_button_->setEnabled(true);

  const auto& nodes = navigator_nodes();
  QWidget* target = nullptr;
  const PageOps* ops = nullptr;
  if (index >= 0 && static_cast<std::size_t>(index) < nodes.size()) {
    target = page(QString::fromLatin1(nodes[static_cast<std::size_t>(index)].page));
    ops = &ops_[static_cast<std::size_t>(index)];
  }
  if (!target) target = page(QStringLiteral("InWorkTS"));
  pages_->setCurrentWidget(target);
  target->setEnabled(true);
  if (ops) {
    if (action == PageAction::show) {
      // What the page held unsaved is gone: the page shows the configuration again.
      mark_pending(index, false);
      if (ops->show) ops->show();
    }
    if (action == PageAction::apply) {
      // "Изменения успешно сохранены!" only once the page's edits are stored: after its
      // apply succeeded, or at once for a page whose dialogs store when confirmed.
      if (ops->apply) {
        if (auto r = ops->apply(); !r) {
          ui().show_message(this, BoxIcon::error, caption_system(), qs(r.error().text));
          return;
        }
        mark_pending(index, false);
        emit changes_applied();
      }
      ui().show_message(this, BoxIcon::information, caption_message(), m(15128));
    }
  }
}

void SettingsNavigator::SaveSettingsButtonClick() {
  auto* node = tree_->currentItem();
  if (!node || !node->isSelected()) {
    // Nothing selected: nothing held unsaved.
    ui().show_message(this, BoxIcon::information, caption_message(), m(15128));
    return;
  }
  pending_ = PageAction::apply;
  DevSettingsTVChange(node);
}

}  // namespace vq::gui
