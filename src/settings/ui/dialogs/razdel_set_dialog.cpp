#include "settings/ui/dialogs/razdel_set_dialog.hpp"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "settings/ui/widgets/edit_dialog.hpp"
#include "shell/ui/ui_services.hpp"

namespace vq::gui {
namespace {

using settings::PartitionSettings;

// The lists of 0..hi: delays, times and temperatures; the value is the list's index.
QComboBox* value_list(QWidget* parent, const char* name, int hi, const QString& tip) {
  auto* list = number_list(parent, QString::fromLatin1(name), 0, hi, tip);
  list->setMaxVisibleItems(20);
  return list;
}

// A stored value the list cannot show leaves the list without a choice, and stays stored.
void set_list(QComboBox* list, int value) { list->setCurrentIndex(value >= 0 && value < list->count() ? value : -1); }
int list_value(const QComboBox* list, int stored) {
  return list->currentIndex() >= 0 ? list->currentIndex() : stored;
}

QGroupBox* list_group(QWidget* parent, const char* title, QComboBox* list, const char* unit) {
  auto* box = new QGroupBox(QString::fromUtf8(title), parent);
  auto* row = new QHBoxLayout(box);
  row->addWidget(list);
  row->addWidget(new QLabel(QString::fromUtf8(unit), box));
  row->addStretch(1);
  return box;
}

}  // namespace

TQRazdelSetForm::TQRazdelSetForm(int partition, const PartitionSettings& stored, QWidget* parent)
    : QDialog(parent), partition_(partition), stored_(stored) {
  setObjectName(QStringLiteral("TQRazdelSetForm"));
  setWindowTitle(QStringLiteral("Настройки раздела"));
  resize(480, 425);

  auto* layout = new QVBoxLayout(this);
  number_label_ = add_number_row(this, layout, QStringLiteral("Номер раздела:"), partition,
                                 QStringLiteral("RazdelNumLabel"));

  auto* columns = new QHBoxLayout;
  auto* left = new QVBoxLayout;
  auto* right = new QVBoxLayout;
  columns->addLayout(left, 1);
  columns->addLayout(right, 1);
  layout->addLayout(columns);

  auto* type_box = new QGroupBox(QStringLiteral("Тип раздела:"), this);
  type_box->setToolTip(QStringLiteral("Тип определяет, какие свойства, задержки и границы у раздела есть"));
  auto* type_rows = new QVBoxLayout(type_box);
  types_ = new QButtonGroup(this);
  struct TypeButton {
    const char* name;
    const char* text;
    int type;
  };
  const TypeButton buttons[] = {
      {"SecRdB", "охранный", settings::kTypeSecurity},
      {"TranZoneRdB", "проходная зона", settings::kTypeTransit},
      {"Fire1RdB", "пожарный (с одинарной сработкой)", settings::kTypeFire1},
      {"Fire2RdB", "пожарный (с двойной сработкой)", settings::kTypeFire2},
      {"TechRdB", "технологический", settings::kTypeTechnical},
      {"TempCtrlRdB", "контроль температуры", settings::kTypeTemperature},
  };
  for (const auto& b : buttons) {
    auto* radio = new QRadioButton(QString::fromUtf8(b.text), type_box);
    radio->setObjectName(QString::fromLatin1(b.name));
    types_->addButton(radio, b.type);
    type_rows->addWidget(radio);
  }
  types_->button(settings::kTypeTransit)->setToolTip(QStringLiteral("Проходная зона бывает только у раздела 1"));
  left->addWidget(type_box);

  auto* props = new QGroupBox(QStringLiteral("Свойства раздела:"), this);
  auto* prop_rows = new QVBoxLayout(props);
  auto check = [&](const char* name, const char* text, const char* tip) {
    auto* box = new QCheckBox(QString::fromUtf8(text), props);
    box->setObjectName(QString::fromLatin1(name));
    box->setToolTip(QString::fromUtf8(tip));
    prop_rows->addWidget(box);
    return box;
  };
  day_night_ = check("RazdDayNightChB", "Круглосуточно",
                     "Раздел охраняется постоянно; у пожарного раздела включено всегда, задержки при нём не действуют");
  auto_ = check("RazdAutoChB", "Автовзятие", "Раздел сам встаёт на охрану через время автовзятия");
  bypass_ = check("RazdObhodAllowChB", "Разрешение обхода",
                  "Разрешает ставить раздел на охрану в обход неисправных датчиков");
  silent_ = check("RazdTihTrevChB", "Тихая тревога",
                  "Тревога раздела без звукового оповещения; у пожарного раздела недоступна");
  left->addWidget(props);
  left->addStretch(1);

  const QString delay_tip =
      QStringLiteral("только для охранного и технологического раздела без «Круглосуточно»");
  entry_ = value_list(this, "Razdel1EnterDelayCmB", settings::kMaxDelay,
                       QStringLiteral("Задержка тревоги после входа, секунды; ") + delay_tip);
  exit_ = value_list(this, "Razdel1ExitDelayCmB", settings::kMaxDelay,
                      QStringLiteral("Время на выход после постановки на охрану, секунды; ") + delay_tip);
  auto_time_ = value_list(this, "RazdelAutoTimeCmB", settings::kMaxAutoArmTime,
                           QStringLiteral("Через сколько секунд раздел встаёт на охрану сам; при «Автовзятие»"));
  right->addWidget(list_group(this, "Задержка на вход:", entry_, "(0-255 сек)"));
  right->addWidget(list_group(this, "Задержка на выход:", exit_, "(0-255 сек)"));
  right->addWidget(list_group(this, "Время автовзятия:", auto_time_, "(0-250 сек)"));

  auto* temp_box = new QGroupBox(QStringLiteral("Контроль температуры:"), this);
  auto* temp_grid = new QGridLayout(temp_box);
  const QString temp_tip = QStringLiteral(", °C; только для раздела «контроль температуры»");
  temp_low_ = value_list(temp_box, "TempLowBoundCmB", settings::kMaxTemperature,
                          QStringLiteral("Нижняя граница температуры") + temp_tip);
  temp_high_ = value_list(temp_box, "TempHighBoundCmB", settings::kMaxTemperature,
                           QStringLiteral("Верхняя граница температуры") + temp_tip);
  temp_grid->addWidget(new QLabel(QStringLiteral("Нижняя граница"), temp_box), 0, 0);
  temp_grid->addWidget(temp_low_, 0, 1);
  temp_grid->addWidget(new QLabel(QStringLiteral("град.С"), temp_box), 0, 2);
  temp_grid->addWidget(new QLabel(QStringLiteral("Верхняя граница"), temp_box), 1, 0);
  temp_grid->addWidget(temp_high_, 1, 1);
  temp_grid->addWidget(new QLabel(QStringLiteral("град.С"), temp_box), 1, 2);
  right->addWidget(temp_box);
  right->addStretch(1);

  auto* save_button = add_save_cancel(this, layout);
  make_translucent_when_left(this);
  // Top to bottom, left column first.
  QList<QWidget*> order;
  for (auto* b : types_->buttons()) order << b;
  order << day_night_ << auto_ << bypass_ << silent_ << entry_ << exit_ << auto_time_ << temp_low_ << temp_high_
        << save_button << findChild<QWidget*>(QStringLiteral("CancelButton"));
  for (qsizetype k = 1; k < order.size(); ++k) setTabOrder(order[k - 1], order[k]);

  connect(types_, &QButtonGroup::idToggled, this, [this](int type, bool on) {
    if (on) type_chosen(type);
  });
  connect(day_night_, &QCheckBox::toggled, this, [this] { enable_lists(); });
  connect(auto_, &QCheckBox::toggled, this, [this] { auto_changed(); });

  // The rules run while the dialog fills, as they do for the user's clicks.
  for (auto* list : {entry_, exit_, auto_time_, temp_low_, temp_high_}) {
    list->setCurrentIndex(0);
    list->setEnabled(false);
  }
  types_->button(settings::kTypeTransit)->setEnabled(partition == 1);
  if (settings::type_selectable(partition, stored.type)) {
    types_->button(stored.type)->setChecked(true);
    if (stored.type == settings::kTypeTemperature) {
      set_list(temp_low_, stored.temp_low);
      set_list(temp_high_, stored.temp_high);
    }
  }
  day_night_->setChecked(stored.round_the_clock);
  auto_->setChecked(stored.auto_arm);
  silent_->setChecked(stored.silent_alarm);
  bypass_->setChecked(stored.bypass_allowed);
  if (stored.auto_arm) set_list(auto_time_, stored.auto_arm_time);
  if (settings::delays_apply(partition, stored)) {
    set_list(entry_, stored.entry_delay);
    set_list(exit_, stored.exit_delay);
  }
  // A fire partition stored without "Круглосуточно" (or with a silent alarm) shows what
  // its confirm will store.
  if (settings::type_selectable(partition, stored.type) && settings::is_fire_type(stored.type))
    type_chosen(stored.type);
}

int TQRazdelSetForm::chosen_type() const { return types_->checkedId(); }

void TQRazdelSetForm::type_chosen(int type) {
  const bool fire = settings::is_fire_type(type);
  day_night_->setChecked(fire);
  day_night_->setEnabled(!fire);
  if (fire) silent_->setChecked(false);
  silent_->setEnabled(!fire);
  enable_lists();
}

void TQRazdelSetForm::enable_lists() {
  const int type = chosen_type();
  // Delays only where the confirm stores them: a partition without a type, or of another
  // type, keeps them disabled whatever "Круглосуточно" says.
  const bool delays =
      (type == settings::kTypeSecurity || type == settings::kTypeTechnical) && !day_night_->isChecked();
  entry_->setEnabled(delays);
  exit_->setEnabled(delays);
  const bool temperature = type == settings::kTypeTemperature;
  temp_low_->setEnabled(temperature);
  temp_high_->setEnabled(temperature);
}

void TQRazdelSetForm::auto_changed() {
  if (!auto_->isChecked()) auto_time_->setCurrentIndex(0);
  auto_time_->setEnabled(auto_->isChecked());
}

PartitionSettings TQRazdelSetForm::value() const {
  PartitionSettings s = stored_;
  const int type = chosen_type();
  if (type >= 0) s.type = type;
  s.round_the_clock = day_night_->isChecked();
  s.auto_arm = auto_->isChecked();
  s.silent_alarm = silent_->isChecked();
  s.bypass_allowed = bypass_->isChecked();
  if (entry_->isEnabled()) s.entry_delay = list_value(entry_, stored_.entry_delay);
  if (exit_->isEnabled()) s.exit_delay = list_value(exit_, stored_.exit_delay);
  if (auto_time_->isEnabled()) s.auto_arm_time = list_value(auto_time_, stored_.auto_arm_time);
  if (temp_low_->isEnabled()) s.temp_low = list_value(temp_low_, stored_.temp_low);
  if (temp_high_->isEnabled()) s.temp_high = list_value(temp_high_, stored_.temp_high);
  return s;
}

std::optional<PartitionSettings> edit_partition(QWidget* parent, int partition, const PartitionSettings& stored) {
  TQRazdelSetForm dialog(partition, stored, parent);
  if (!ui().run_dialog(&dialog)) return std::nullopt;
  return dialog.value();
}

}  // namespace vq::gui
