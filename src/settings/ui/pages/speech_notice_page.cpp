#include "settings/ui/pages/speech_notice_page.hpp"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "memory/configuration.hpp"
#include "shell/ui/qt_text.hpp"
#include "shell/ui/ui_services.hpp"

namespace vq::gui {
namespace {

using settings::kSpeechMessagesPerZone;
constexpr int kRowRole = Qt::UserRole + 1;

QComboBox* combo(QWidget* parent, const char* name, const QString& tip) {
  auto* box = new QComboBox(parent);
  box->setObjectName(QString::fromLatin1(name));
  box->setToolTip(tip);
  box->setMaxVisibleItems(20);
  return box;
}

QLabel* wrapped(const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setWordWrap(true);
  return label;
}

}  // namespace

SpeechNoticePage::SpeechNoticePage(PageHost& host, QWidget* parent) : SettingsPage(host, parent) {
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  list_ = new QTreeWidget(this);
  list_->setObjectName(QStringLiteral("SpeechNoticeLV"));
  list_->setColumnCount(1);
  list_->setHeaderLabels({QStringLiteral("Сообщения")});
  list_->setUniformRowHeights(true);
  list_->setToolTip(QStringLiteral("Восемь речевых сообщений каждой зоны; выберите сообщение, чтобы задать его параметры"));
  QList<QTreeWidgetItem*> zones;
  zones.reserve(settings::kSpeechZoneCount);
  for (int z = 0; z < settings::kSpeechZoneCount; ++z) {
    auto* zone = new QTreeWidgetItem({QStringLiteral("Зона %1").arg(z + 1)});
    zone->setData(0, kRowRole, -1);
    zone->setFlags(Qt::ItemIsEnabled);
    for (int m = 0; m < kSpeechMessagesPerZone; ++m) {
      auto* msg = new QTreeWidgetItem(zone, {QStringLiteral("Сообщение %1").arg(m + 1)});
      msg->setData(0, kRowRole, z * kSpeechMessagesPerZone + m);
    }
    zones.append(zone);
  }
  list_->addTopLevelItems(zones);
  list_->setMinimumWidth(200);
  layout->addWidget(list_, 1);

  params_ = new QGroupBox(QStringLiteral("Параметры сообщения:"), this);
  params_->setObjectName(QStringLiteral("SpeechNoticeParamsGroupBox"));
  auto* p = new QVBoxLayout(params_);
  active_ = new QCheckBox(QStringLiteral("Активно"), params_);
  active_->setObjectName(QStringLiteral("SpeechNoticeMsgActiveChB"));
  active_->setToolTip(QStringLiteral("Снятая отметка сбрасывает параметры сообщения и сразу сохраняет его неактивным"));
  p->addWidget(active_);
  p->addWidget(new QLabel(QStringLiteral("Привязка к разделам:"), params_));
  partitions_ = new QListWidget(params_);
  partitions_->setObjectName(QStringLiteral("SpeechNoticeMsgToPartLinkChListB"));
  partitions_->setToolTip(QStringLiteral("Разделы, переход которых в выбранное состояние запускает сообщение"));
  partitions_->setFlow(QListView::TopToBottom);
  partitions_->setWrapping(true);
  partitions_->setResizeMode(QListView::Adjust);
  partitions_->setUniformItemSizes(true);
  for (int r = 1; r <= settings::kSpeechPartitionCount; ++r) {
    auto* item = new QListWidgetItem(QStringLiteral("Раздел %1").arg(r), partitions_);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Unchecked);
  }
  p->addWidget(partitions_, 1);
  state_ = combo(params_, "SpeechNoticePartStateCmB", QStringLiteral("Состояние раздела, с которого начинается воспроизведение"));
  for (const auto& name : settings::partition_state_names()) state_->addItem(qs(name));
  delay_ = combo(params_, "SpeechNoticeDelayCmB", QStringLiteral("Пауза перед воспроизведением, секунд"));
  for (int d = settings::kMinSpeechDelay; d <= settings::kMaxSpeechDelay; ++d) delay_->addItem(QString::number(d * 10));
  duration_ = combo(params_, "SpeechNoticeDurationCmB", QStringLiteral("Сколько минут звучит сообщение"));
  duration_->addItem(QStringLiteral("бесконечно"));
  for (int d = 1; d <= settings::kMaxSpeechDuration; ++d) duration_->addItem(QString::number(d));
  p->addWidget(wrapped(QStringLiteral("Состояние раздела, при переходе в которое должно начаться воспроизведение:"), params_));
  p->addWidget(state_);
  p->addWidget(wrapped(QStringLiteral("Задержка включения, в десятках секунд (от 30 до 600 секунд):"), params_));
  p->addWidget(delay_);
  p->addWidget(wrapped(QStringLiteral("Время звучания оповещения в минутах (от 1 до 240 минут, или бесконечно):"), params_));
  p->addWidget(duration_);
  layout->addWidget(params_, 2);
  to_controls(settings::inactive_speech_notice());
  enable_parameters(false);
  active_->setEnabled(false);  // until a message is chosen

  connect(list_, &QTreeWidget::currentItemChanged, this,
          [this](QTreeWidgetItem* item) { SpeechNoticeLVSelectItem(item); });
  connect(active_, &QCheckBox::clicked, this, [this] { SpeechNoticeMsgActiveChBClick(); });
  for (auto* box : {state_, delay_, duration_}) connect(box, &QComboBox::activated, this, [this] { note_edit(); });
  connect(partitions_, &QListWidget::itemChanged, this, [this] { note_edit(); });
}

QTreeWidgetItem* SpeechNoticePage::row_item(int row) const {
  if (row < 0 || row >= settings::kSpeechNoticeCount) return nullptr;
  return list_->topLevelItem(row / kSpeechMessagesPerZone)->child(row % kSpeechMessagesPerZone);
}

void SpeechNoticePage::select_row(int row) {
  if (auto* item = row_item(row)) {
    list_->scrollToItem(item);
    list_->setCurrentItem(item);
  }
}

void SpeechNoticePage::show_from(const memory::Configuration& config) {
  Filling f(*this);
  edits_.clear();
  if (row_ < 0) {
    list_->topLevelItem(0)->setExpanded(true);
    select_row(0);  // runs the select handler
    return;
  }
  LoadSpeechNoticeMsg(config, row_ / kSpeechMessagesPerZone, row_ % kSpeechMessagesPerZone);
}

void SpeechNoticePage::keep_edits() {
  if (row_ < 0) return;
  const auto now = from_controls();
  if (now != loaded_) edits_[row_] = now;
}

void SpeechNoticePage::SpeechNoticeLVSelectItem(QTreeWidgetItem* item) {
  if (!item) return;
  const int row = item->data(0, kRowRole).toInt();
  if (row < 0 || row == row_) return;  // a zone heading: the message stays selected
  keep_edits();
  row_ = row;
  if (auto* c = host().configuration()) LoadSpeechNoticeMsg(*c, row / kSpeechMessagesPerZone, row % kSpeechMessagesPerZone);
}

void SpeechNoticePage::LoadSpeechNoticeMsg(const memory::Configuration& config, int zone, int message) {
  Filling f(*this);
  loaded_ = settings::read_speech_notice(config, zone, message);
  const int row = zone * kSpeechMessagesPerZone + message;
  const auto edited = edits_.find(row);
  to_controls(edited != edits_.end() ? edited->second : loaded_);
  active_->setEnabled(true);
  enable_parameters(active_->isChecked());
}

settings::SpeechNotice SpeechNoticePage::from_controls() const {
  settings::SpeechNotice n = loaded_;
  n.active = active_->isChecked();
  // A box showing nothing (a stored value beyond its list) keeps that value.
  if (state_->currentIndex() >= 0) n.state = state_->currentIndex();
  if (delay_->currentIndex() >= 0) n.delay = settings::kMinSpeechDelay + delay_->currentIndex();
  if (duration_->currentIndex() >= 0) n.duration = duration_->currentIndex();
  for (int p = 0; p < settings::kSpeechPartitionCount; ++p)
    n.partitions[static_cast<std::size_t>(p)] = partitions_->item(p)->checkState() == Qt::Checked;
  return n;
}

void SpeechNoticePage::to_controls(const settings::SpeechNotice& n) {
  active_->setChecked(n.active);
  state_->setCurrentIndex(n.state < state_->count() ? n.state : -1);
  const int delay = n.delay - settings::kMinSpeechDelay;
  delay_->setCurrentIndex(delay >= 0 && delay < delay_->count() ? delay : -1);
  duration_->setCurrentIndex(n.duration < duration_->count() ? n.duration : -1);
  for (int p = 0; p < settings::kSpeechPartitionCount; ++p)
    partitions_->item(p)->setCheckState(n.partitions[static_cast<std::size_t>(p)] ? Qt::Checked : Qt::Unchecked);
}

void SpeechNoticePage::enable_parameters(bool on) {
  for (QWidget* w : std::initializer_list<QWidget*>{partitions_, state_, delay_, duration_}) w->setEnabled(on);
}

void SpeechNoticePage::SpeechNoticeMsgActiveChBClick() {
  if (row_ < 0) return;
  if (active_->isChecked()) {
    enable_parameters(true);
    note_edit();
    return;
  }
  {
    Filling f(*this);
    to_controls(settings::inactive_speech_notice());
  }
  enable_parameters(false);
  auto* c = host().configuration();
  if (!c) return;
  // Stored at once; the other messages' edits stay pending.
  if (auto r = StoreSpeechNoticeMsg(*c, row_ / kSpeechMessagesPerZone, row_ % kSpeechMessagesPerZone); !r) {
    ui().show_message(this, BoxIcon::error, caption_system(), qs(r.error().text));
    return;
  }
  edits_.erase(row_);
  note_edit();
}

Result<> SpeechNoticePage::StoreSpeechNoticeMsg(memory::Configuration& config, int zone, int message) {
  const auto n = from_controls();
  if (auto r = settings::set_speech_notice(config, zone, message, n); !r) return r;
  if (zone * kSpeechMessagesPerZone + message == row_) loaded_ = settings::read_speech_notice(config, zone, message);
  return {};
}

Result<> SpeechNoticePage::apply_to(memory::Configuration& config) {
  keep_edits();
  for (const auto& [row, notice] : edits_)
    if (auto r = settings::set_speech_notice(config, row / kSpeechMessagesPerZone, row % kSpeechMessagesPerZone, notice);
        !r)
      return r;
  edits_.clear();
  if (row_ >= 0) loaded_ = settings::read_speech_notice(config, row_ / kSpeechMessagesPerZone, row_ % kSpeechMessagesPerZone);
  return {};
}

}  // namespace vq::gui
