#include "settings/ui/dialogs/radio_net_dev_dialog.hpp"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "settings/field_input.hpp"
#include "settings/ui/widgets/edit_dialog.hpp"
#include "shell/ui/qt_text.hpp"
#include "shell/ui/ui_services.hpp"

namespace vq::gui {
namespace {

using settings::RadioParam;

struct ListRow {
  const char* name;
  const char* label;
  std::optional<RadioParam> param;  // none: the list that is never enabled
  QStringList entries;
  const char* tip;
};

const std::vector<ListRow>& list_rows() {
  static const std::vector<ListRow> rows = {
      {"EnCh2CmB", "Разрешение включения входа дополнительного канала:", RadioParam::aux_input,
       {"выключен", "включен"}, "Разрешает или запрещает вход дополнительного канала извещателя"},
      {"SensCh2CmB", "Чувствительность входа дополнительного канала:", std::nullopt, {"низкая", "высокая"},
       "В данной версии не используется"},
      {"InvCh2CmB", "Тип входа дополнительного канала:", RadioParam::aux_input_type, {"НЗ", "НР"},
       "НЗ — нормально замкнутый вход, НР — нормально разомкнутый"},
      {"DevTypeCmB", "Тип устройства (для СМК):", RadioParam::device_kind, {"СМК", "РПД"},
       "Как работает устройство: как магнитоконтактный извещатель (СМК) или как радиопередатчик (РПД)"},
      {"EnCh1CmB", "Включение основного канала извещателя:", RadioParam::main_channel, {"выключен", "включен"},
       "Включает или выключает основной канал извещателя"},
      {"SensCh1CmB", "Чувствительность основного канала извещателя:", RadioParam::sensitivity,
       {"низкая", "нормальная", "хорошая", "высокая"},
       "Чувствительность основного канала; в данной версии доступны «низкая» и «высокая»"},
      {"OPRVolumeCmB", "Громкость звучания (для ОПР):", RadioParam::volume, {"1", "2", "3", "4"},
       "Громкость оповещателя ОПР: от 1 (тише всего) до 4 (громче всего)"},
      {"IPTGradCmB", "Пороговая температура сработки, град.C (для ИПТ):", RadioParam::threshold_temp,
       {"54", "55", "56", "57", "58", "59", "60", "61", "62", "63", "64", "65"},
       "Температура, при которой срабатывает тепловой извещатель ИПТ: от 54 до 65 °C"},
      {"VBRSensCmB", "Чувствительность (для ВБР), дБ:", RadioParam::sensitivity_db,
       {"-20", "-17", "-11", "-7", "-3", "0"}, "Чувствительность вибрационного извещателя ВБР, дБ"},
      {"VBRIntegTimeCmB", "Время интегрирорвания (для ВБР):", RadioParam::integration_time,
       {"минимальное", "среднее", "высокое", "максимальное"},
       "Как долго вибрационный извещатель ВБР накапливает воздействие до тревоги"},
  };
  return rows;
}

}  // namespace

TRadioNetDevForm::TRadioNetDevForm(int number, int type_code, const settings::RadioDeviceParams& stored,
                                   QWidget* parent)
    : QDialog(parent), changed_mark_(stored.changed) {
  setObjectName(QStringLiteral("TRadioNetDevForm"));
  setWindowTitle(QStringLiteral("Параметры устройства"));
  resize(424, 528);
  auto* layout = new QVBoxLayout(this);

  number_label_ = add_number_row(this, layout, QStringLiteral("Номер радиоустройства:"), number,
                                 QStringLiteral("RadioDevNumLabel"));

  auto* grid = new QGridLayout;
  int row = 0;
  for (const auto& entry : list_rows()) {
    auto* label = new QLabel(QString::fromUtf8(entry.label), this);
    label->setWordWrap(true);
    auto* combo = new QComboBox(this);
    combo->setObjectName(QString::fromLatin1(entry.name));
    combo->addItems(entry.entries);
    combo->setToolTip(QString::fromUtf8(entry.tip));
    combo->setEnabled(false);
    combo->setCurrentIndex(-1);
    label->setBuddy(combo);
    grid->addWidget(label, row, 0);
    grid->addWidget(combo, row, 1);
    ++row;
    if (!entry.param) {
      sens_ch2_ = combo;
      continue;
    }
    const RadioParam p = *entry.param;
    lists_[static_cast<std::size_t>(p)] = combo;
    if (p == RadioParam::threshold_temp) {
      combo->setEditable(true);
      combo->setInsertPolicy(QComboBox::NoInsert);
      combo->setCurrentIndex(-1);
      combo->clearEditText();
      connect(combo, &QComboBox::editTextChanged, this, [this] { changed(); });
    }
    connect(combo, &QComboBox::currentIndexChanged, this, [this] { changed(); });
  }
  grid->setColumnStretch(0, 1);
  layout->addLayout(grid);

  auto* apply_box = new QGroupBox(QStringLiteral("Применить:"), this);
  auto* apply_layout = new QVBoxLayout(apply_box);
  to_selected_ = new QRadioButton(QStringLiteral("к выбранному"), apply_box);
  to_selected_->setObjectName(QStringLiteral("ToSelectedRdB"));
  to_selected_->setToolTip(QStringLiteral("Сохранить параметры только этому устройству"));
  to_selected_->setChecked(true);
  to_all_ = new QRadioButton(QStringLiteral("ко всем однотипным"), apply_box);
  to_all_->setObjectName(QStringLiteral("ToAllRdB"));
  to_all_->setToolTip(QStringLiteral("Сохранить те же параметры всем устройствам этого типа"));
  apply_layout->addWidget(to_selected_);
  apply_layout->addWidget(to_all_);
  layout->addWidget(apply_box);
  layout->addStretch(1);

  save_ = add_save_cancel(this, layout);
  save_->setEnabled(false);
  make_translucent_when_left(this);

  connect(list(RadioParam::sensitivity), &QComboBox::activated, this, &TRadioNetDevForm::SensCh1CmBChange);
  connect(list(RadioParam::device_kind), &QComboBox::activated, this, &TRadioNetDevForm::DevTypeCmBChange);

  show_form(settings::device_form(type_code, stored));
}

QComboBox* TRadioNetDevForm::list(RadioParam p) const { return lists_[static_cast<std::size_t>(p)]; }

void TRadioNetDevForm::show_form(const settings::RadioDeviceForm& form) {
  ++filling_;
  for (auto p : settings::kAllRadioParams) {
    QComboBox* combo = list(p);
    combo->setEnabled(form.is_enabled(p));
    const auto& v = form.values[p];
    if (!v) {
      combo->setCurrentIndex(-1);
      if (combo->isEditable()) combo->clearEditText();
    } else if (p == RadioParam::threshold_temp) {
      const int at = combo->findText(QString::number(*v));
      combo->setCurrentIndex(at);
      if (at < 0) combo->setEditText(QString::number(*v));
    } else {
      combo->setCurrentIndex(p == RadioParam::volume ? *v - 1 : *v);
    }
  }
  --filling_;
}

void TRadioNetDevForm::changed() {
  if (filling_ == 0) save_->setEnabled(true);
}

// "нормальная" and "хорошая" are not used in this version: back to the nearest level.
void TRadioNetDevForm::SensCh1CmBChange(int index) {
  if (index != 1 && index != 2) return;
  ui().show_message(this, BoxIcon::information, caption_message(), m(15024));
  list(RadioParam::sensitivity)->setCurrentIndex(index == 1 ? 0 : 3);
}

void TRadioNetDevForm::DevTypeCmBChange(int index) {
  if (index < 0) return;
  show_form(settings::device_form_for_kind(index));
  changed();
}

RadioDeviceEdit TRadioNetDevForm::value() const {
  RadioDeviceEdit out;
  out.params.changed = changed_mark_;
  for (auto p : settings::kAllRadioParams) {
    const QComboBox* combo = list(p);
    if (p == RadioParam::threshold_temp) {
      bool ok = false;
      const int v = combo->currentText().trimmed().toInt(&ok);
      if (ok) out.params[p] = v;
      continue;
    }
    const int index = combo->currentIndex();
    if (index >= 0) out.params[p] = p == RadioParam::volume ? index + 1 : index;
  }
  out.to_all_of_type = to_all_->isChecked();
  return out;
}

void TRadioNetDevForm::accept() {
  if (list(RadioParam::threshold_temp)->isEnabled()) {
    auto v = settings::parse_whole_number(to_std(list(RadioParam::threshold_temp)->currentText()),
                                          settings::kIptThresholdMin, settings::kIptThresholdMax,
                                          "Пороговая температура сработки (для ИПТ)");
    if (!v) {
      ui().show_message(this, BoxIcon::error, caption_system(), qs(v.error().text));
      return;
    }
  }
  if (list(RadioParam::volume)->isEnabled() && list(RadioParam::volume)->currentIndex() < 0) {
    ui().show_message(this, BoxIcon::error, caption_system(),
                      QStringLiteral("Громкость звучания (для ОПР): выберите значение от 1 до 4"));
    return;
  }
  QDialog::accept();
}

std::optional<RadioDeviceEdit> edit_radio_device(QWidget* parent, int number, int type_code,
                                                 const settings::RadioDeviceParams& stored) {
  TRadioNetDevForm dialog(number, type_code, stored, parent);
  if (!ui().run_dialog(&dialog)) return std::nullopt;
  return dialog.value();
}

}  // namespace vq::gui
