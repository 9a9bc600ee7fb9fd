#include "settings/ui/pages/device_vmodule_page.hpp"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QSlider>
#include <QTimeEdit>
#include <QVBoxLayout>

#include "memory/configuration.hpp"
#include "shell/ui/qt_text.hpp"

namespace vq::gui {
namespace {

QListWidget* check_list(QWidget* parent, const char* name, const std::vector<std::string>& items) {
  auto* list = new QListWidget(parent);
  list->setObjectName(QString::fromLatin1(name));
  for (const auto& text : items) {
    auto* item = new QListWidgetItem(qs(text), list);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
    item->setCheckState(Qt::Unchecked);
  }
  return list;
}

bool checked(const QListWidget* list, int row) { return list->item(row)->checkState() == Qt::Checked; }
void set_checked(QListWidget* list, int row, bool on) { list->item(row)->setCheckState(on ? Qt::Checked : Qt::Unchecked); }

QTime to_qtime(settings::ClockTime t) { return QTime(t.hours, t.minutes); }

}  // namespace

DeviceVModulePage::DeviceVModulePage(PageHost& host, QWidget* parent) : SettingsPage(host, parent) {
  auto* layout = new QVBoxLayout(this);
  enable_ = new QCheckBox(QStringLiteral("Включить голосовой модуль"), this);
  enable_->setObjectName(QStringLiteral("EnableVMChB"));
  layout->addWidget(enable_);

  auto* volume_row = new QHBoxLayout;
  volume_row->addWidget(new QLabel(QStringLiteral("Громкость:"), this));
  volume_ = new QSlider(Qt::Horizontal, this);
  volume_->setObjectName(QStringLiteral("VModuleVolumeTrackBar"));
  volume_->setRange(0, settings::kMaxVolumeLevel);
  volume_->setPageStep(1);
  volume_->setTickPosition(QSlider::TicksBelow);
  volume_->setToolTip(QStringLiteral("Громкость голосовых сообщений, от 0 до 8"));
  volume_label_ = new QLabel(QStringLiteral("0"), this);
  volume_label_->setObjectName(QStringLiteral("VModuleVolumeLabel"));
  volume_row->addWidget(volume_, 1);
  volume_row->addWidget(volume_label_);
  layout->addLayout(volume_row);

  auto* lists = new QHBoxLayout;
  auto* notice_box = new QGroupBox(QStringLiteral("Статус извещений:"), this);
  auto* notice_layout = new QVBoxLayout(notice_box);
  notices_ = check_list(notice_box, "IzvStatusCheckListBox", settings::voice_notice_names());
  notices_->setToolTip(QStringLiteral("О каких событиях голосовой модуль сообщает"));
  notice_layout->addWidget(notices_);
  auto* reminder_box = new QGroupBox(QStringLiteral("Напоминания:"), this);
  auto* reminder_layout = new QVBoxLayout(reminder_box);
  reminders_ = check_list(reminder_box, "RemindersCheckListBox", settings::voice_reminder_names());
  reminders_->setToolTip(QStringLiteral("О чём голосовой модуль напоминает, пока состояние не исправлено"));
  reminder_layout->addWidget(reminders_);
  lists->addWidget(notice_box, 3);
  lists->addWidget(reminder_box, 2);
  layout->addLayout(lists, 1);

  const char* names[4] = {"AutoRemL1DTP", "AutoRemL2DTP", "SilenceStartDTP", "SilenceEndDTP"};
  const char* labels[4] = {"Метка 1:", "Метка 2:", "Начало:", "Конец:"};
  auto* times_row = new QHBoxLayout;
  auto* auto_box = new QGroupBox(QStringLiteral("Автонапоминания:"), this);
  auto* auto_grid = new QGridLayout(auto_box);
  auto_reminders_ = new QCheckBox(QStringLiteral("Включить"), auto_box);
  auto_reminders_->setObjectName(QStringLiteral("EnableAutoRemChB"));
  auto_reminders_->setToolTip(QStringLiteral("Напоминать о состоянии системы дважды в сутки, в заданное время"));
  auto_grid->addWidget(auto_reminders_, 0, 0, 1, 2);
  auto* silence_box = new QGroupBox(QStringLiteral("Интервал тишины:"), this);
  silence_box->setToolTip(QStringLiteral("В это время голосовой модуль молчит"));
  auto* silence_grid = new QGridLayout(silence_box);
  for (int i = 0; i < 4; ++i) {
    auto* box = i < 2 ? auto_box : silence_box;
    auto* grid = i < 2 ? auto_grid : silence_grid;
    times_[static_cast<std::size_t>(i)] = new QTimeEdit(box);
    times_[static_cast<std::size_t>(i)]->setObjectName(QString::fromLatin1(names[i]));
    times_[static_cast<std::size_t>(i)]->setDisplayFormat(QStringLiteral("HH:mm"));
    time_labels_[static_cast<std::size_t>(i)] = new QLabel(QString::fromUtf8(labels[i]), box);
    grid->addWidget(time_labels_[static_cast<std::size_t>(i)], 1 + i % 2, 0);
    grid->addWidget(times_[static_cast<std::size_t>(i)], 1 + i % 2, 1);
    connect(times_[static_cast<std::size_t>(i)], &QTimeEdit::timeChanged, this, [this] { note_edit(); });
  }
  times_row->addWidget(auto_box);
  times_row->addWidget(silence_box);
  times_row->addStretch(1);
  layout->addLayout(times_row);

  connect(enable_, &QCheckBox::clicked, this, [this] {
    EnableVMChBClick();
    note_edit();
  });
  connect(auto_reminders_, &QCheckBox::clicked, this, [this] {
    EnableAutoRemChBClick();
    note_edit();
  });
  connect(volume_, &QSlider::valueChanged, this, [this] {
    VModuleVolumeTrackBarChange();
    note_edit();
  });
  for (auto* list : {notices_, reminders_}) connect(list, &QListWidget::itemChanged, this, [this] { note_edit(); });
  EnableVMChBClick();
  EnableAutoRemChBClick();
}

void DeviceVModulePage::EnableVMChBClick() {
  const bool on = enable_->isChecked();
  for (QWidget* w : std::initializer_list<QWidget*>{volume_, auto_reminders_, notices_, reminders_, times_[2], times_[3]})
    w->setEnabled(on);
  for (auto* label : time_labels_) label->setEnabled(on);
  for (int i = 0; i < 2; ++i) {
    auto* picker = times_[static_cast<std::size_t>(i)];
    picker->setEnabled(on && (picker->isEnabled() || auto_reminders_->isChecked()));
  }
}

void DeviceVModulePage::EnableAutoRemChBClick() {
  for (int i = 0; i < 2; ++i) times_[static_cast<std::size_t>(i)]->setEnabled(auto_reminders_->isChecked());
}

void DeviceVModulePage::VModuleVolumeTrackBarChange() { volume_label_->setText(QString::number(volume_->value())); }

void DeviceVModulePage::show_from(const memory::Configuration& config) {
  Filling f(*this);
  const auto v = settings::read_voice_module(config);
  auto_reminders_->setChecked(false);
  enable_->setChecked(false);
  EnableAutoRemChBClick();
  EnableVMChBClick();
  if (v.enabled) {
    enable_->setChecked(true);
    EnableVMChBClick();
  }
  for (int i = 0; i < settings::kVoiceNotices; ++i) set_checked(notices_, i, v.notices[static_cast<std::size_t>(i)]);
  const settings::ClockTime stored[4] = {v.auto_reminder_1, v.auto_reminder_2, v.silence_start, v.silence_end};
  for (std::size_t i = 0; i < 4; ++i) {
    times_[i]->setTime(to_qtime(stored[i]));
    shown_[i] = times_[i]->time();
  }
  set_checked(reminders_, settings::kVoiceFaultReminders, v.disarm_reminder);
  if (v.auto_reminders) {
    auto_reminders_->setChecked(true);
    EnableAutoRemChBClick();
  }
  volume_->setValue(v.volume);
  VModuleVolumeTrackBarChange();
  for (int i = 0; i < settings::kVoiceFaultReminders; ++i)
    set_checked(reminders_, i, v.fault_reminders[static_cast<std::size_t>(i)]);
}

Result<> DeviceVModulePage::apply_to(memory::Configuration& config) {
  auto v = settings::read_voice_module(config);
  v.enabled = enable_->isChecked();
  for (int i = 0; i < settings::kVoiceNotices; ++i) v.notices[static_cast<std::size_t>(i)] = checked(notices_, i);
  settings::ClockTime* fields[4] = {&v.auto_reminder_1, &v.auto_reminder_2, &v.silence_start, &v.silence_end};
  for (std::size_t i = 0; i < 4; ++i) {
    const QTime t = times_[i]->time();
    if (t == shown_[i]) continue;  // left alone: the stored bytes stay
    *fields[i] = {t.hour(), t.minute()};
  }
  v.disarm_reminder = checked(reminders_, settings::kVoiceFaultReminders);
  v.auto_reminders = auto_reminders_->isChecked();
  v.volume = volume_->value();
  for (int i = 0; i < settings::kVoiceFaultReminders; ++i)
    v.fault_reminders[static_cast<std::size_t>(i)] = checked(reminders_, i);
  return settings::set_voice_module(config, v);
}

}  // namespace vq::gui
