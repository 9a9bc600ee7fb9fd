#include "settings/ui/pages/tel_rcpnts_page.hpp"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "memory/configuration.hpp"
#include "settings/recipients.hpp"
#include "settings/ui/dialogs/tel_rcpnt_set_dialog.hpp"
#include "settings/ui/widgets/mark_grid.hpp"
#include "settings/ui/widgets/numbered_list.hpp"
#include "shell/ui/qt_text.hpp"
#include "shell/ui/ui_services.hpp"

namespace vq::gui {
namespace {

std::bitset<96> as_marks(const std::bitset<settings::kRecipientPartitions>& p) {
  std::bitset<96> out;
  for (std::size_t i = 0; i < 96; ++i) out[i] = p[i];
  return out;
}

}  // namespace

TelRcpntsPage::TelRcpntsPage(PageHost& host, QWidget* parent) : SettingsPage(host, parent) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  list_ = new NumberedList(QStringLiteral("TelRcpntsListView"),
                           {QStringLiteral("Получатель"), QStringLiteral("Тип устройства"),
                            QStringLiteral("Основной канал"), QStringLiteral("Тип оповещения"),
                            QStringLiteral("Резервный канал"), QStringLiteral("Тип оповещения"),
                            QStringLiteral("Категории")},
                           settings::kRecipientCount, this);
  list_->setToolTip(QStringLiteral("Двойной щелчок или Enter — каналы, уведомления и категории получателя"));
  list_->set_number_alignment(Qt::AlignCenter);
  list_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  layout->addWidget(list_, 1);

  grid_ = new PartitionMarkGrid(16, 12, this);
  grid_->setObjectName(QStringLiteral("PartitionStrGrid"));
  grid_->setToolTip(QStringLiteral("Разделы, о событиях которых оповещается выбранный получатель: щелчок ставит "
                                   "или снимает X; «Сохранить изменения» записывает их"));
  layout->addWidget(grid_, 1);

  auto* row = new QHBoxLayout;
  row->addWidget(new QLabel(QStringLiteral("Аккаунт Contact ID:"), this));
  account_ = new QLineEdit(QStringLiteral("1"), this);
  account_->setObjectName(QStringLiteral("ObjNumEdit"));
  account_->setMaxLength(4);
  account_->setMaximumWidth(80);
  account_->setToolTip(QStringLiteral("Номер объекта в сообщениях Contact ID: от 1 до 9999"));
  row->addWidget(account_);
  row->addStretch(1);
  layout->addLayout(row);

  connect(list_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current) {
            if (current.isValid()) TelRcpntsListViewSelectItem(current.row() + 1);
          });
  connect(list_, &NumberedList::row_activated, this, [this] { TelRcpntsListViewDblClick(); });
  connect(grid_, &QTableWidget::itemChanged, this, [this] { note_edit(); });
  connect(account_, &QLineEdit::textEdited, this, [this] { ObjNumEditChange(); });
}

void TelRcpntsPage::show_from(const memory::Configuration& config) {
  Filling f(*this);
  const auto devices = settings::registered_communicators(config, host().demo_configuration());
  for (int r = 1; r <= settings::kRecipientCount; ++r) {
    const auto row = settings::recipient_row(config, r, devices);
    auto* item = list_->row(r);
    item->setText(1, qs(row.device));
    item->setText(2, qs(row.main));
    item->setText(3, qs(row.main_notice));
    item->setText(4, qs(row.reserve));
    item->setText(5, qs(row.reserve_notice));
    item->setText(6, qs(row.categories));
  }
  account_->setText(QString::number(settings::contact_id_account(config)));
  // Marks not stored are dropped: the grid shows the table again.
  load_grid(config, list_->selected_number());
}

void TelRcpntsPage::load_grid(const memory::Configuration& config, int r) {
  Filling f(*this);
  grid_->set_marks(r ? as_marks(settings::read_recipient(config, r).partitions) : std::bitset<96>{});
}

Result<> TelRcpntsPage::apply_to(memory::Configuration& config) {
  // The account first: a refused one stores nothing. An account left as shown is not
  // checked again (a fresh configuration holds 0, which nobody typed).
  const int stored = settings::contact_id_account(config);
  Result<std::optional<int>> account = std::optional<int>{};
  if (account_->text() != QString::number(stored)) account = settings::parse_contact_id_account(to_std(account_->text()));
  if (!account) return std::unexpected(account.error());
  const int r = list_->selected_number();
  std::bitset<settings::kRecipientPartitions> marks;
  const auto shown = grid_->marks();
  for (std::size_t i = 0; i < marks.size(); ++i) marks[i] = shown[i];
  // Partitions belong to a recipient with a main channel; for any other there is nothing to store.
  if (r && settings::read_recipient(config, r).main)
    if (auto ok = settings::set_recipient_partitions(config, r, marks); !ok) return ok;
  if (*account && **account != stored) return settings::set_contact_id_account(config, **account);
  return {};
}

void TelRcpntsPage::TelRcpntsListViewSelectItem(int r) {
  if (auto* c = host().configuration()) load_grid(*c, r);
}

void TelRcpntsPage::TelRcpntsListViewDblClick() {
  const int r = list_->selected_number();
  if (r == 0) return;
  auto* c = host().configuration();
  if (!c) return;
  const auto plan = settings::plan_recipient_edit(*c, r);
  if (!plan) {
    ui().show_message(this, BoxIcon::error, caption_message(), qs(plan.error().text));
    return;
  }
  RecipientDialogInput input{settings::read_recipient(*c, r), *plan,
                             settings::registered_communicators(*c, host().demo_configuration()),
                             settings::channel_format(*c, plan->main_channel.value_or(-1)),
                             settings::channel_format(*c, plan->reserve_channel.value_or(-1))};
  const auto edit = edit_recipient(this, input);
  if (edit)
    store([&](memory::Configuration& config) { return settings::commit_recipient(config, r, *edit, input.devices); });
  reshow();
}

void TelRcpntsPage::ObjNumEditChange() {
  if (filling()) return;
  if (!settings::parse_contact_id_account(to_std(account_->text()))) {
    ui().show_message(this, BoxIcon::error, caption_message(), m(15270));
    account_->clear();
    account_->setFocus();
    return;
  }
  note_edit();
}

}  // namespace vq::gui
