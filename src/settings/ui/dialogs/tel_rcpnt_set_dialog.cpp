#include "settings/ui/dialogs/tel_rcpnt_set_dialog.hpp"

#include <QCheckBox>
#include <QColor>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "settings/ui/dialogs/tel_rcpnt_format_dialog.hpp"
#include "settings/ui/dialogs/tel_rcpnts_category_dialog.hpp"
#include "settings/ui/widgets/edit_dialog.hpp"
#include "settings/ui/widgets/mark_grid.hpp"
#include "shell/ui/qt_text.hpp"
#include "shell/ui/ui_services.hpp"

namespace vq::gui {
namespace {

using settings::Communicator;

constexpr int kGsmItem = 0, kPstnItem = 1;
const QColor kUnavailable(0xC0, 0xC0, 0xC0);

void warn(QWidget* parent, int id) { ui().show_message(parent, BoxIcon::warning, caption_message(), m(id)); }

}  // namespace

bool TQTelRcpntSetForm::blank(const QString& phone) { return phone.isEmpty() || phone == QStringLiteral("+"); }

TQTelRcpntSetForm::TQTelRcpntSetForm(const RecipientDialogInput& input, QWidget* parent)
    : QDialog(parent), input_(input) {
  setObjectName(QStringLiteral("TQTelRcpntSetForm"));
  setWindowTitle(QStringLiteral("Настройки получателя"));
  setModal(true);
  resize(595, 360);
  auto* layout = new QVBoxLayout(this);

  auto* channels_row = new QHBoxLayout;
  auto build_channel = [&](Channel& ch, bool main) {
    const QString p = main ? QStringLiteral("Main") : QStringLiteral("Res");
    auto* group = new QGroupBox(main ? QStringLiteral("Основной канал") : QStringLiteral("Резервный канал"), this);
    auto* form = new QFormLayout(group);
    ch.enable = new QCheckBox(main ? QStringLiteral("Активировать основной канал")
                                   : QStringLiteral("Активировать резервный канал"),
                              group);
    ch.enable->setObjectName(main ? QStringLiteral("EnableMainChB") : QStringLiteral("EnableResChB"));
    ch.device = new QComboBox(group);
    ch.device->setObjectName(p + QStringLiteral("ChNoticeDevTypeCmB"));
    ch.device->addItems({QStringLiteral("GSM"), QStringLiteral("PSTN")});
    ch.device->setToolTip(QStringLiteral("Через какое устройство идёт оповещение; серым — не зарегистрированное"));
    ch.phone = new QLineEdit(QStringLiteral("+"), group);
    ch.phone->setObjectName(p + QStringLiteral("ChTelMaskEdit"));
    ch.phone->setMaxLength(25);
    ch.phone->setToolTip(QStringLiteral("GSM: цифры после «+»; PSTN: цифры и буквы W, T, P, B, I (паузы и тоны)"));
    ch.notice = new QComboBox(group);
    ch.notice->setObjectName(p + QStringLiteral("ChNoticeTypeCmB"));
    for (int n = settings::kNoticeSpeech; n <= settings::kNoticeSia; ++n) ch.notice->addItem(qs(settings::notice_type_name(n)));
    ch.notice->setToolTip(QStringLiteral("Выбор типа открывает его настройки; серым — недоступные для устройства"));
    ch.device->setCurrentIndex(-1);
    ch.notice->setCurrentIndex(-1);
    form->addRow(ch.enable);
    form->addRow(QStringLiteral("Тип устройства:"), ch.device);
    form->addRow(QStringLiteral("Номер телефона:"), ch.phone);
    form->addRow(QStringLiteral("Тип оповещения:"), ch.notice);
    channels_row->addWidget(group);

    connect(ch.device, &QComboBox::activated, this, [this, main] { NoticeDevTypeCmBSelect(main); });
    connect(ch.notice, &QComboBox::activated, this, [this, main] { NoticeTypeCmBSelect(main); });
    connect(ch.phone, &QLineEdit::textChanged, this, [this, main] { TelMaskEditChange(main); });
  };
  build_channel(main_, true);
  build_channel(reserve_, false);
  layout->addLayout(channels_row);
  connect(main_.enable, &QCheckBox::clicked, this, &TQTelRcpntSetForm::EnableMainChBClick);
  connect(reserve_.enable, &QCheckBox::clicked, this, &TQTelRcpntSetForm::EnableResChBClick);

  auto* lower = new QHBoxLayout;
  auto* notices = new QGroupBox(QStringLiteral("Уведомления"), this);
  auto* notices_layout = new QVBoxLayout(notices);
  notices_ = new QListWidget(notices);
  notices_->setObjectName(QStringLiteral("NoticeChListB"));
  for (const char* text : {"о счете SIM-карт", "о сообщении ТЕСТ"}) {
    auto* item = new QListWidgetItem(QString::fromUtf8(text), notices_);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Unchecked);
  }
  notices_->setToolTip(QStringLiteral("Счёт SIM-карт сообщается только по GSM в SMS"));
  notices_layout->addWidget(notices_);
  lower->addWidget(notices, 1);

  categories_ = new QTreeWidget(this);
  categories_->setObjectName(QStringLiteral("EventCatListView"));
  categories_->setRootIsDecorated(false);
  categories_->setHeaderLabels({QStringLiteral("Категория"), QStringLiteral("Срочность"),
                                QStringLiteral("Период доставки"), QStringLiteral("Задержка до передачи")});
  categories_->setToolTip(QStringLiteral("Флажок — категория передаётся; двойной щелчок — срочность и задержка"));
  for (int k = 1; k <= settings::kCategoryCount; ++k) {
    auto* item = new QTreeWidgetItem(categories_, {qs(settings::category_name(k))});
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(0, Qt::Unchecked);
  }
  categories_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  lower->addWidget(categories_, 3);
  layout->addLayout(lower);

  // Present for the panel's sake, never shown: the delivery group follows the recipient.
  auto* group = new QGroupBox(QStringLiteral("Группа доставки"), this);
  auto* group_form = new QFormLayout(group);
  auto* group_num = number_list(group, QStringLiteral("GroupNumCmB"), 1, settings::kRecipientCount, {});
  auto* priority = number_list(group, QStringLiteral("PriorInGroupCmB"), 1, settings::kRecipientCount, {});
  group_num->setCurrentIndex(input.stored.number - 1);
  priority->setCurrentIndex(0);
  group_form->addRow(QStringLiteral("Номер группы:"), group_num);
  group_form->addRow(QStringLiteral("Приоритет в группе:"), priority);
  group->setEnabled(false);
  group->setVisible(false);
  layout->addWidget(group);

  ok_ = add_save_cancel(this, layout);
  ok_->setObjectName(QStringLiteral("OKBtn"));
  ok_->setEnabled(false);
  make_translucent_when_left(this);

  connect(categories_, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item, int column) {
    if (!muted_ && column == 0) EventCatListViewItemChecked(item);
  });
  connect(categories_, &QTreeWidget::itemDoubleClicked, this,
          [this](QTreeWidgetItem* item) { EventCatListViewDblClick(item); });

  // The recipient as stored.
  main_.index = input.plan.main_channel;
  reserve_.index = input.plan.reserve_channel;
  main_.stored = input.main_format;
  reserve_.stored = input.reserve_format;
  notices_->item(0)->setFlags(Qt::ItemIsUserCheckable);  // enabled by FormShow for GSM SMS
  for (Channel* ch : {&main_, &reserve_}) {
    ch->device->setEnabled(false);
    ch->phone->setEnabled(false);
  }
  reserve_.enable->setEnabled(false);
  const auto& stored = input.stored;
  if (stored.main) {
    // A recipient that has a main channel can be saved as it opens: otherwise a change of
    // its categories or notices could only be saved by entering its channel anew.
    ok_->setEnabled(true);
    main_.enable->setChecked(true);
    main_.device->setEnabled(true);
    main_.phone->setEnabled(true);
    fill_channel(main_, *stored.main);
    notices_->item(0)->setCheckState(stored.sim_notice ? Qt::Checked : Qt::Unchecked);
    notices_->item(1)->setCheckState(stored.test_notice ? Qt::Checked : Qt::Unchecked);
    const auto on = stored.categories();
    muted_ = true;
    for (int k = 0; k < settings::kCategoryCount; ++k) {
      const auto i = static_cast<std::size_t>(k);
      std::optional<settings::CategoryOptions> o;
      if (on[i]) o = settings::decode_category(stored.category_bytes[i]);
      if (o) options_[i] = *o;
      categories_->topLevelItem(k)->setCheckState(0, o ? Qt::Checked : Qt::Unchecked);
      set_category_row(k, o, "-");
    }
    muted_ = false;
  }
  if (stored.reserve) {
    reserve_.enable->setChecked(true);
    reserve_.device->setEnabled(true);
    reserve_.phone->setEnabled(true);
    fill_channel(reserve_, *stored.reserve);
  }
  paint_items();
}

void TQTelRcpntSetForm::fill_channel(Channel& ch, const settings::RecipientChannel& stored) {
  const auto& d = input_.devices;
  if (d.numbers_shown()) ch.phone->setText(qs(stored.phone));
  const int n = stored.format.notice;
  ch.notice->setCurrentIndex(n >= settings::kNoticeSpeech && n <= settings::kNoticeSia ? n - 1 : -1);
  if (stored.kind() == Communicator::pstn && d.pstn_available()) {
    ch.device->setCurrentIndex(kPstnItem);
  } else if (stored.kind() == Communicator::gsm && d.gsm_available()) {
    ch.device->setCurrentIndex(kGsmItem);
    ch.phone->setText(QStringLiteral("+") + ch.phone->text());
  }
}

void TQTelRcpntSetForm::showEvent(QShowEvent* event) {
  for (Channel* ch : {&main_, &reserve_}) ch->notice->setEnabled(!blank(ch->phone->text()));
  if (device_of(main_) == Communicator::gsm && main_.notice->currentIndex() == settings::kNoticeSms - 1)
    set_sim_item(true, false);
  paint_items();
  QDialog::showEvent(event);
}

Communicator TQTelRcpntSetForm::device_of(const Channel& ch) const {
  switch (ch.device->currentIndex()) {
    case kGsmItem: return Communicator::gsm;
    case kPstnItem: return Communicator::pstn;
    default: return Communicator::none;
  }
}

void TQTelRcpntSetForm::set_sim_item(bool enabled, bool uncheck) {
  auto* item = notices_->item(0);
  item->setFlags(enabled ? (Qt::ItemIsEnabled | Qt::ItemIsUserCheckable) : Qt::ItemIsUserCheckable);
  if (uncheck) item->setCheckState(Qt::Unchecked);
}

void TQTelRcpntSetForm::follow_check(Channel& ch) {
  const bool on = ch.enable->isChecked();
  ch.device->setEnabled(on);
  ch.phone->setEnabled(on);
  if (!on) {
    ch.device->setCurrentIndex(-1);
    ch.phone->setText(QString());
    ch.notice->setCurrentIndex(-1);
    ch.format.reset();
  }
  paint_items();
}

void TQTelRcpntSetForm::EnableMainChBClick() {
  if (main_.enable->isChecked()) ok_->setEnabled(true);
  follow_check(main_);
  if (!main_.enable->isChecked() && reserve_.enable->isChecked()) {
    reserve_.enable->setChecked(false);
    follow_check(reserve_);
  }
}

void TQTelRcpntSetForm::EnableResChBClick() {
  if (!reserve_.index) {
    ui().show_message(this, BoxIcon::error, caption_message(), m(15139));
    reserve_.enable->setChecked(false);
    return;
  }
  follow_check(reserve_);
}

void TQTelRcpntSetForm::NoticeDevTypeCmBSelect(bool main) {
  Channel& ch = channel(main);
  const Communicator c = device_of(ch);
  if (!input_.devices.available(c)) {
    ch.device->setCurrentIndex(-1);
    warn(this, 15283);
  } else {
    ch.notice->setCurrentIndex(-1);
    ch.format.reset();
    const bool gsm = c == Communicator::gsm;
    ch.phone->setMaxLength(gsm ? 25 : 24);
    ch.phone->setText(gsm ? QStringLiteral("+") : QString());
  }
  set_sim_item(notices_->item(0)->flags() & Qt::ItemIsEnabled, true);
  notices_->item(1)->setCheckState(Qt::Unchecked);
  paint_items();
}

void TQTelRcpntSetForm::NoticeTypeCmBSelect(bool main) {
  Channel& ch = channel(main);
  if (!ch.index || ch.notice->currentIndex() < 0) return;
  const int n = ch.notice->currentIndex() + 1;
  const Communicator c = device_of(ch);
  if (main && c == Communicator::gsm) set_sim_item(n == settings::kNoticeSms, n != settings::kNoticeSms);
  if (c != Communicator::none && !settings::notice_supported(c, n)) {
    warn(this, 15138);
    ch.notice->setCurrentIndex(settings::fallback_notice(c) - 1);
    return;
  }
  const settings::ChannelFormat base = ch.format ? *ch.format : ch.stored;
  const auto chosen = edit_format(this, n, settings::format_choice(base, n));
  if (!chosen) return;
  if (auto f = settings::encode_format(n, *chosen, base)) ch.format = *f;
}

void TQTelRcpntSetForm::TelMaskEditChange(bool main) {
  if (muted_) return;
  Channel& ch = channel(main);
  QString text = ch.phone->text();
  if (!blank(text)) {
    const QString kept = qs(settings::filter_phone(to_std(text), device_of(ch)));
    if (kept != text) {
      muted_ = true;
      ch.phone->setText(kept);
      ch.phone->setCursorPosition(static_cast<int>(kept.size()));
      muted_ = false;
      text = kept;
    }
  }
  const bool has_number = !blank(text);
  if (main) reserve_.enable->setEnabled(has_number);
  ch.notice->setEnabled(has_number && ch.device->currentIndex() >= 0);
  paint_items();
}

void TQTelRcpntSetForm::set_category_row(int k, const std::optional<settings::CategoryOptions>& o,
                                         const char* none_text) {
  auto* item = categories_->topLevelItem(k);
  const bool was = muted_;
  muted_ = true;
  if (o) {
    item->setText(1, o->urgent ? QStringLiteral("срочно") : QStringLiteral("не срочно"));
    item->setText(2, qs(settings::period_names()[static_cast<std::size_t>(o->period)]));
    item->setText(3, qs(settings::delay_names()[static_cast<std::size_t>(o->delay)]));
  } else {
    for (int col = 1; col <= 3; ++col) item->setText(col, QString::fromUtf8(none_text));
  }
  muted_ = was;
}

void TQTelRcpntSetForm::EventCatListViewItemChecked(QTreeWidgetItem* item) {
  const int k = categories_->indexOfTopLevelItem(item);
  if (k < 0) return;
  if (item->checkState(0) == Qt::Checked) {
    options_[static_cast<std::size_t>(k)] = settings::default_category(k + 1);
    set_category_row(k, options_[static_cast<std::size_t>(k)], "");
  } else {
    set_category_row(k, std::nullopt, "");
  }
}

void TQTelRcpntSetForm::EventCatListViewDblClick(QTreeWidgetItem* item) {
  const int k = item ? categories_->indexOfTopLevelItem(item) : -1;
  if (k < 0 || item->checkState(0) != Qt::Checked) return;
  settings::CategoryOptions o = options_[static_cast<std::size_t>(k)];
  o.period = 0;
  const auto edited = edit_category(this, o);
  if (!edited) return;
  options_[static_cast<std::size_t>(k)] = *edited;
  set_category_row(k, *edited, "");
}

void TQTelRcpntSetForm::paint_items() {
  const auto& d = input_.devices;
  for (Channel* ch : {&main_, &reserve_}) {
    ch->device->setItemData(kGsmItem, d.gsm_available() ? QVariant() : QVariant(kUnavailable), Qt::ForegroundRole);
    ch->device->setItemData(kPstnItem, d.pstn_available() ? QVariant() : QVariant(kUnavailable), Qt::ForegroundRole);
    const Communicator c = device_of(*ch);
    for (int n = settings::kNoticeSpeech; n <= settings::kNoticeSia; ++n) {
      const bool grey = !ch->device->isEnabled() || (c != Communicator::none && !settings::notice_supported(c, n));
      ch->notice->setItemData(n - 1, grey ? QVariant(kUnavailable) : QVariant(), Qt::ForegroundRole);
    }
  }
}

void TQTelRcpntSetForm::accept() {
  bool ok = true;
  if (main_.enable->isChecked() && blank(main_.phone->text())) {
    warn(this, 15279);
    main_.phone->setFocus();
    return;
  }
  if (reserve_.enable->isChecked() && blank(reserve_.phone->text())) {
    warn(this, 15278);
    reserve_.phone->setFocus();
    ok = false;
  }
  if (!input_.devices.any_available()) {
    warn(this, 15285);
    ok = false;
  }
  for (Channel* ch : {&main_, &reserve_})
    if (ok && ch->enable->isChecked() && device_of(*ch) == Communicator::none) {
      ui().show_message(this, BoxIcon::warning, caption_message(),
                        ch == &main_ ? QStringLiteral("Выберите тип устройства основного канала!")
                                     : QStringLiteral("Выберите тип устройства резервного канала!"));
      ch->device->setFocus();
      ok = false;
    }
  if (!ok) return;
  QDialog::accept();
}

settings::RecipientEdit TQTelRcpntSetForm::value() const {
  settings::RecipientEdit e;
  auto channel_edit = [this](const Channel& ch) {
    return settings::ChannelEdit{device_of(ch), to_std(ch.phone->text()), ch.format};
  };
  if (main_.enable->isChecked()) e.main = channel_edit(main_);
  if (reserve_.enable->isChecked()) e.reserve = channel_edit(reserve_);
  e.sim_notice = notices_->item(0)->checkState() == Qt::Checked;
  e.test_notice = notices_->item(1)->checkState() == Qt::Checked;
  for (int k = 0; k < settings::kCategoryCount; ++k)
    if (categories_->topLevelItem(k)->checkState(0) == Qt::Checked)
      e.categories[static_cast<std::size_t>(k)] = options_[static_cast<std::size_t>(k)];
  return e;
}

std::optional<settings::RecipientEdit> edit_recipient(QWidget* parent, const RecipientDialogInput& input) {
  TQTelRcpntSetForm dialog(input, parent);
  if (!ui().run_dialog(&dialog)) return std::nullopt;
  return dialog.value();
}

}  // namespace vq::gui
