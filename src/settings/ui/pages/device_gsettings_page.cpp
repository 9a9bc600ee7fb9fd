#include "settings/ui/pages/device_gsettings_page.hpp"

#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QRadioButton>
#include <QVBoxLayout>

#include "memory/configuration.hpp"
#include "settings/general_settings.hpp"
#include "settings/ui/widgets/edit_dialog.hpp"
#include "shell/ui/qt_text.hpp"

namespace vq::gui {
namespace {

// A radio group box of the names, one button a row (ids = stored values); the grid's
// second column takes the time boxes.
QButtonGroup* radio_group(QWidget* parent, QVBoxLayout* layout, const QString& title, const QString& name,
                          const std::vector<std::string>& items, QGridLayout** grid_out) {
  auto* box = new QGroupBox(title, parent);
  box->setObjectName(name);
  auto* grid = new QGridLayout(box);
  auto* group = new QButtonGroup(box);
  for (std::size_t i = 0; i < items.size(); ++i) {
    auto* radio = new QRadioButton(qs(items[i]), box);
    radio->setObjectName(name + QString::number(i));
    group->addButton(radio, static_cast<int>(i));
    grid->addWidget(radio, static_cast<int>(i), 0);
  }
  grid->setColumnStretch(2, 1);
  layout->addWidget(box);
  if (grid_out) *grid_out = grid;
  return group;
}

void check(QButtonGroup* group, int id) {
  if (auto* b = group->button(id)) {
    b->setChecked(true);
    return;
  }
  // A stored mode outside the list: no button chosen.
  group->setExclusive(false);
  for (auto* b : group->buttons()) b->setChecked(false);
  group->setExclusive(true);
}

int seconds_of(const QComboBox* box, int stored) { return box->currentIndex() < 0 ? stored : box->currentIndex() + 1; }

}  // namespace

DeviceGSettingsPage::DeviceGSettingsPage(PageHost& host, QWidget* parent) : SettingsPage(host, parent) {
  auto* layout = new QVBoxLayout(this);
  QGridLayout* grid = nullptr;
  highlight_ = radio_group(this, layout, QStringLiteral("Режим подсветки ЖКИ:"), QStringLiteral("HighlightRdG"),
                           settings::backlight_mode_names(), &grid);
  highlight_time_ = number_list(this, QStringLiteral("HighlightTimeCmB"), 1, settings::kMaxIndicationSeconds,
                                QStringLiteral("Сколько секунд горит подсветка после нажатия клавиши"));
  grid->addWidget(highlight_time_, settings::kBacklightTimed, 1);
  sound_ = radio_group(this, layout, QStringLiteral("Режим внутреннего звука:"), QStringLiteral("InternalSoundRdG"),
                       settings::sounder_mode_names(), &grid);
  sound_time_ = number_list(this, QStringLiteral("InternalSoundTimeCmB"), 1, settings::kMaxIndicationSeconds,
                            QStringLiteral("Сколько секунд звучит внутренний звук"));
  alarm_time_ = number_list(this, QStringLiteral("IntSoundAlarmTimeCmB"), 1, settings::kMaxIndicationSeconds,
                            QStringLiteral("Сколько секунд звучит внутренний звук при тревоге"));
  grid->addWidget(sound_time_, settings::kSounderTimed, 1);
  grid->addWidget(alarm_time_, settings::kSounderAlarmOnly, 1);
  language_ = radio_group(this, layout, QStringLiteral("Язык:"), QStringLiteral("DeviceLngRdG"),
                          settings::panel_language_names(), nullptr);
  language_->buttons().front()->parentWidget()->hide();
  layout->addStretch(1);
  for (auto* box : {highlight_time_, sound_time_, alarm_time_}) {
    box->setEnabled(false);
    connect(box, &QComboBox::activated, this, [this] { note_edit(); });
  }
  for (auto* group : {highlight_, sound_, language_})
    connect(group, &QButtonGroup::idClicked, this, [this] {
      HighlightRdGClick();
      note_edit();
    });
}

void DeviceGSettingsPage::HighlightRdGClick() {
  highlight_time_->setEnabled(highlight_->checkedId() == settings::kBacklightTimed);
  sound_time_->setEnabled(sound_->checkedId() == settings::kSounderTimed);
  alarm_time_->setEnabled(sound_->checkedId() == settings::kSounderAlarmOnly);
}

void DeviceGSettingsPage::show_from(const memory::Configuration& config) {
  Filling f(*this);
  const auto g = settings::read_general_settings(config);
  check(highlight_, g.backlight_mode);
  if (settings::backlight_time_applies(g.backlight_mode)) highlight_time_->setCurrentIndex(g.backlight_seconds - 1);
  check(sound_, g.sounder_mode);
  if (g.sounder_mode == settings::kSounderTimed) sound_time_->setCurrentIndex(g.sounder_seconds - 1);
  if (g.sounder_mode == settings::kSounderAlarmOnly) alarm_time_->setCurrentIndex(g.sounder_seconds - 1);
  HighlightRdGClick();
  check(language_, g.language);
}

Result<> DeviceGSettingsPage::apply_to(memory::Configuration& config) {
  auto g = settings::read_general_settings(config);
  // No button chosen (a stored value outside the list): the value stays.
  if (highlight_->checkedId() >= 0) g.backlight_mode = highlight_->checkedId();
  if (sound_->checkedId() >= 0) g.sounder_mode = sound_->checkedId();
  if (language_->checkedId() >= 0) g.language = language_->checkedId();
  if (g.backlight_mode == settings::kBacklightTimed) g.backlight_seconds = seconds_of(highlight_time_, g.backlight_seconds);
  if (g.sounder_mode == settings::kSounderTimed) g.sounder_seconds = seconds_of(sound_time_, g.sounder_seconds);
  if (g.sounder_mode == settings::kSounderAlarmOnly) g.sounder_seconds = seconds_of(alarm_time_, g.sounder_seconds);
  return settings::set_general_settings(config, g);
}

}  // namespace vq::gui
