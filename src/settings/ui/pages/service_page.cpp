#include "settings/ui/pages/service_page.hpp"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "memory/configuration.hpp"
#include "settings/service_page.hpp"
#include "shell/ui/qt_text.hpp"
#include "shell/ui/ui_services.hpp"

namespace vq::gui {
namespace {

const QString kSilenceStartDefault = QStringLiteral("20:00");
const QString kEightOClock = QStringLiteral("08:00");

QComboBox* list_box(QWidget* parent, const char* name, const std::vector<std::string>& items, const QString& tip) {
  auto* box = new QComboBox(parent);
  box->setObjectName(QString::fromLatin1(name));
  for (const auto& item : items) box->addItem(qs(item));
  box->setCurrentIndex(0);
  box->setToolTip(tip);
  return box;
}

QLineEdit* time_edit(QWidget* parent, const char* name, const QString& initial, const QString& tip) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(QString::fromLatin1(name));
  edit->setInputMask(QStringLiteral("99:99"));
  edit->setText(initial);
  edit->setMaximumWidth(70);
  edit->setToolTip(tip);
  return edit;
}

QLineEdit* text_edit(QWidget* parent, const QString& name, int max, const QString& pattern, const QString& tip) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(name);
  edit->setMaxLength(max);
  if (!pattern.isEmpty())
    edit->setValidator(new QRegularExpressionValidator(QRegularExpression(pattern), edit));
  edit->setToolTip(tip);
  return edit;
}

// The edit's text as typed, blanks included ("  :  " when empty).
QString typed(const QLineEdit* edit) { return edit->displayText(); }

}  // namespace

ServicePage::ServicePage(PageHost& host, QWidget* parent) : SettingsPage(host, parent) {
  auto* layout = new QVBoxLayout(this);
  auto* main = new QGroupBox(QStringLiteral("Основные настройки"), this);
  main->setObjectName(QStringLiteral("ServiceMainGroupBox"));
  auto* form = new QFormLayout(main);
  dial_delay_ = list_box(main, "DialDelaylCmB", settings::answer_ring_names(),
                         QStringLiteral("Через сколько гудков прибор отвечает на входящий звонок"));
  gsm_lost_ = list_box(main, "SIM1GSMLostCmB", settings::gsm_loss_names(),
                       QStringLiteral("Сколько минут прибор терпит отсутствие GSM канала, прежде чем сообщить о нём"));
  check_conn_ = list_box(main, "CheckConnCmB", settings::connection_check_names(), {});
  check_conn_->setCurrentIndex(settings::kConnectionCheckIndex);
  account_ = list_box(main, "SIM1AccountCmB", settings::notice_period_names(),
                      QStringLiteral("Как часто прибор сообщает получателям о состоянии счёта SIM карт"));
  test_ = list_box(main, "TestMsgCmB", settings::notice_period_names(),
                   QStringLiteral("Как часто прибор отправляет получателям сообщение ТЕСТ"));
  silence_start_ = time_edit(main, "SilenceStart", kSilenceStartDefault,
                             QStringLiteral("Начало интервала, в который прибор не отправляет сервисные сообщения, ЧЧ:ММ"));
  silence_stop_ = time_edit(main, "SilenceStop", kEightOClock, QStringLiteral("Конец интервала тишины, ЧЧ:ММ"));
  service_time_ = time_edit(main, "ServiceMsgSendTimeMaskEdit", kEightOClock,
                            QStringLiteral("Когда прибор отправляет сервисные сообщения, ЧЧ:ММ"));
  object_name_ = text_edit(main, QStringLiteral("ObjNameEdit"), static_cast<int>(settings::kObjectNameBytes), {},
                           QStringLiteral("Имя объекта в сообщениях прибора, не более 15 знаков"));
  object_name_->setText(QStringLiteral("Имя объекта"));
  auto* silence = new QHBoxLayout;
  silence->addWidget(new QLabel(QStringLiteral("с"), main));
  silence->addWidget(silence_start_);
  silence->addWidget(new QLabel(QStringLiteral("по"), main));
  silence->addWidget(silence_stop_);
  silence->addStretch(1);
  form->addRow(QStringLiteral("Задержка снятия трубки при входящем звонке:"), dial_delay_);
  form->addRow(QStringLiteral("Контроль отсутствия GSM канала не более:"), gsm_lost_);
  auto* check_label = new QLabel(QStringLiteral("Время проверки связи с управляющим прибором:"), main);
  form->addRow(check_label, check_conn_);
  check_label->hide();
  check_conn_->hide();
  form->addRow(QStringLiteral("Периодичность сообщения о счете SIM карт:"), account_);
  form->addRow(QStringLiteral("Периодичность сообщения ТЕСТ:"), test_);
  form->addRow(QStringLiteral("Интервал тишины:"), silence);
  form->addRow(QStringLiteral("Время отправки сервисных сообщений:"), service_time_);
  form->addRow(QStringLiteral("Имя объекта:"), object_name_);
  layout->addWidget(main);

  auto* sim_row = new QHBoxLayout;
  for (int k = 1; k <= settings::kSimCards; ++k) {
    auto* box = new QGroupBox(QStringLiteral("Настройки SIM#%1").arg(k), this);
    box->setObjectName(QStringLiteral("SIM%1GroupBox").arg(k));
    auto* sim_form = new QFormLayout(box);
    auto& c = sims_[static_cast<std::size_t>(k - 1)];
    c.pin = text_edit(box, QStringLiteral("SIM%1PINMaskEdit").arg(k), static_cast<int>(settings::kPinDigits),
                      QStringLiteral("[0-9]*"), QStringLiteral("PIN-код SIM карты: 4 цифры или пусто, если PIN не задан"));
    // 16 digits fill the 8 bytes the panel keeps for the number.
    c.sms_centre = text_edit(box, QStringLiteral("SIM%1SMSCenterMaskEdit").arg(k),
                             static_cast<int>(settings::kSmsCentreDigits), QStringLiteral("[0-9]*"),
                             QStringLiteral("Номер SMS-центра оператора, цифры без «+», не более 16"));
    c.balance = text_edit(box, QStringLiteral("SIM%1RequestBalanceEdit").arg(k),
                          static_cast<int>(settings::kBalanceRequestSymbols), QStringLiteral("[0-9*#]*"),
                          QStringLiteral("USSD-запрос баланса оператора, например *102#"));
    c.balance->setText(QStringLiteral("*102#"));
    auto* centre = new QHBoxLayout;
    centre->addWidget(new QLabel(QStringLiteral("+"), box));
    centre->addWidget(c.sms_centre, 1);
    sim_form->addRow(QStringLiteral("PIN-код:"), c.pin);
    sim_form->addRow(QStringLiteral("Номер СЦ SMS :"), centre);
    sim_form->addRow(QStringLiteral("Запрос состояния счета:"), c.balance);
    sim_row->addWidget(box);
    for (auto* edit : {c.pin, c.sms_centre, c.balance}) connect(edit, &QLineEdit::textEdited, this, [this] { note_edit(); });
  }
  layout->addLayout(sim_row);
  layout->addStretch(1);

  for (auto* box : {dial_delay_, gsm_lost_, account_, test_})
    connect(box, &QComboBox::activated, this, [this] { note_edit(); });
  connect(object_name_, &QLineEdit::textEdited, this, [this] { note_edit(); });
  connect(silence_start_, &QLineEdit::textEdited, this, [this] {
    note_edit();
    SilenceStartChange();
  });
  connect(silence_stop_, &QLineEdit::textEdited, this, [this] {
    note_edit();
    SilenceStopChange();
  });
  connect(service_time_, &QLineEdit::textEdited, this, [this] {
    note_edit();
    ServiceMsgSendTimeMaskEditChange();
  });
}

void ServicePage::FillServicePage(const memory::Configuration& config) {
  Filling f(*this);
  filled_ = settings::FillServicePage(config);
  has_fill_ = true;
  const auto& s = filled_;
  check_conn_->setCurrentIndex(settings::kConnectionCheckIndex);
  dial_delay_->setCurrentIndex(s.answer_rings);
  gsm_lost_->setCurrentIndex(s.gsm_loss_minutes);
  account_->setCurrentIndex(s.account_period < account_->count() ? s.account_period : -1);
  test_->setCurrentIndex(s.test_period < test_->count() ? s.test_period : -1);
  for (int k = 0; k < settings::kSimCards; ++k) {
    const auto& sim = s.sim[static_cast<std::size_t>(k)];
    auto& c = sims_[static_cast<std::size_t>(k)];
    c.pin->setText(qs(sim.pin));
    c.sms_centre->setText(qs(sim.sms_centre));
    c.balance->setText(qs(sim.balance_request));
  }
  silence_start_->setText(qs(settings::clock_text(s.silence_start)));
  silence_stop_->setText(qs(settings::clock_text(s.silence_end)));
  service_time_->setText(qs(settings::clock_text(s.service_message_time)));
  object_name_->setText(qs(s.object_name));
}

settings::ServiceSettings ServicePage::from_controls() const {
  settings::ServiceSettings s = filled_;
  s.contact_id_account.reset();  // ObjNumEdit lives on the recipients page
  auto index = [](const QComboBox* box, int was) { return box->currentIndex() < 0 ? was : box->currentIndex(); };
  s.answer_rings = index(dial_delay_, filled_.answer_rings);
  s.gsm_loss_minutes = index(gsm_lost_, filled_.gsm_loss_minutes);
  s.account_period = index(account_, filled_.account_period);
  s.test_period = index(test_, filled_.test_period);
  for (int k = 0; k < settings::kSimCards; ++k) {
    auto& sim = s.sim[static_cast<std::size_t>(k)];
    const auto& c = sims_[static_cast<std::size_t>(k)];
    sim.pin = to_std(c.pin->text());
    sim.sms_centre = to_std(c.sms_centre->text());
    sim.balance_request = to_std(c.balance->text());
  }
  s.object_name = to_std(object_name_->text());
  return s;
}

Result<> ServicePage::StoreServicePage(memory::Configuration& config) {
  auto s = from_controls();
  struct TimeField {
    const QLineEdit* edit;
    settings::ClockTime settings::ServiceSettings::*field;
    const char* name;
  };
  for (const TimeField& t : {TimeField{silence_start_, &settings::ServiceSettings::silence_start, "Интервал тишины, начало"},
                             TimeField{silence_stop_, &settings::ServiceSettings::silence_end, "Интервал тишины, конец"},
                             TimeField{service_time_, &settings::ServiceSettings::service_message_time,
                                       "Время отправки сервисных сообщений"}}) {
    // A time still as filled stores what it came from, whatever it was.
    if (has_fill_ && typed(t.edit) == qs(settings::clock_text(filled_.*t.field))) continue;
    auto v = settings::parse_clock_time(to_std(typed(t.edit)), t.name);
    if (!v) return std::unexpected(v.error());
    s.*t.field = *v;
  }
  return settings::StoreServicePage(config, s);
}

void ServicePage::check_time_edit(QLineEdit* edit, const QString& fallback) {
  if (filling()) return;
  const QString text = typed(edit);
  if (text.trimmed() == QStringLiteral(":")) return;  // blank: nothing to check yet
  bool hours_ok = false, minutes_ok = false;
  const int hours = text.left(2).toInt(&hours_ok);
  const int minutes = text.mid(3, 2).toInt(&minutes_ok);
  // A digit still to come is not yet a mistake; a complete bad value is.
  if (text.contains(QLatin1Char(' '))) return;
  const bool hours_bad = !hours_ok || hours > 23;
  const bool minutes_bad = !minutes_ok || minutes > 59;
  if (!hours_bad && !minutes_bad) return;
  ui().show_message(this, BoxIcon::error, caption_message(), m(15271));
  edit->setText(fallback);
  if ((hours_ok && hours > 23) || (minutes_ok && minutes > 59)) edit->setFocus();
}

void ServicePage::SilenceStartChange() { check_time_edit(silence_start_, kSilenceStartDefault); }
void ServicePage::SilenceStopChange() { check_time_edit(silence_stop_, kEightOClock); }
void ServicePage::ServiceMsgSendTimeMaskEditChange() {
  emit log_line(QStringLiteral("ServiceMsgSendTimeMaskEdit->Text = ") + typed(service_time_));
  check_time_edit(service_time_, kEightOClock);
}

}  // namespace vq::gui
