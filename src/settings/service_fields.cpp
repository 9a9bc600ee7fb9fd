// The GSM service settings and the PSTN module as named fields for `config show/set/get`:
// answering, GSM loss control, both SIM cards, notice periods, times, the Contact ID
// account, the object name, and the telephone line priority. A value is stored by the
// same encoding the page's store uses, and only the field's own bytes change.
#include <string>

#include "settings/config_fields.hpp"
#include "settings/field_input.hpp"
#include "settings/pstn_settings.hpp"
#include "settings/service_settings.hpp"

namespace vq::settings {
namespace {

using memory::Configuration;
using memory::PageId;

std::string list_name(const std::vector<std::string>& names, int v) {
  return v >= 0 && v < static_cast<int>(names.size()) ? names[static_cast<std::size_t>(v)]
                                                      : "значение " + std::to_string(v);
}

// A list entry by its number or its text as the page shows it (blanks around it ignored).
Result<int> parse_choice(std::string_view value, const std::vector<std::string>& names, std::string_view field) {
  auto trimmed = [](std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
  };
  for (std::size_t i = 0; i < names.size(); ++i)
    if (trimmed(names[i]) == trimmed(value)) return static_cast<int>(i);
  auto n = parse_whole_number(value, 0, static_cast<int>(names.size()) - 1, field);
  if (n) return n;
  return fail(std::string(field) + ": номер от 0 до " + std::to_string(names.size() - 1) + " или текст из списка («" +
              names.front() + "», «" + names[1] + "», …)");
}

std::string secret(const std::string& pin, bool show) {
  if (pin.empty()) return "(не задан)";
  return show ? pin : "***";
}

void report_service(const Configuration& c, const ReportOptions& o, std::vector<ReportSection>& out) {
  const auto s = decode_service(c.page(PageId::service).data());
  ReportSection sec{"service", "Телефоны сервисных центров/PIN-коды", {}, false, 0, {}};
  auto& f = sec.fields;
  f.push_back(choice_field("answer_rings", "задержка снятия трубки при входящем звонке", s.answer_rings,
                           list_name(answer_ring_names(), s.answer_rings)));
  f.push_back(choice_field("gsm_loss_minutes", "контроль отсутствия GSM канала не более", s.gsm_loss_minutes,
                           list_name(gsm_loss_names(), s.gsm_loss_minutes)));
  for (int k = 1; k <= kSimCards; ++k) {
    const auto& sim = s.sim[static_cast<std::size_t>(k - 1)];
    const std::string n = "sim" + std::to_string(k) + ".", who = "SIM#" + std::to_string(k) + ": ";
    f.push_back(text_field(n + "sms_centre", who + "номер СЦ SMS", sim.sms_centre.empty() ? "" : "+" + sim.sms_centre));
    f.push_back(text_field(n + "pin", who + "PIN-код", secret(sim.pin, o.show_secrets)));
    f.push_back(text_field(n + "balance_request", who + "запрос состояния счета", sim.balance_request));
  }
  f.push_back(choice_field("account_notice_period", "периодичность сообщения о счете SIM карт", s.account_period,
                           list_name(notice_period_names(), s.account_period)));
  f.push_back(choice_field("test_notice_period", "периодичность сообщения ТЕСТ", s.test_period,
                           list_name(notice_period_names(), s.test_period)));
  f.push_back(text_field("silence_start", "интервал тишины с", clock_text(s.silence_start)));
  f.push_back(text_field("silence_end", "интервал тишины по", clock_text(s.silence_end)));
  f.push_back(text_field("service_message_time", "время отправки сервисных сообщений", clock_text(s.service_message_time)));
  f.push_back(text_field("object_name", "имя объекта", s.object_name));
  out.push_back(std::move(sec));
}

void report_pstn(const Configuration& c, std::vector<ReportSection>& out) {
  const auto p = read_pstn(c);
  ReportSection sec{"pstn", "Модуль PSTN", {}, false, 0, {}};
  sec.fields.push_back(flag_field("registered", "модуль PSTN зарегистрирован", p.registered));
  if (p.registered) {
    sec.fields.push_back(choice_field("priority", "приоритет телефонной линии", p.priority,
                                      list_name(pstn_priority_names(), p.priority)));
    sec.fields.push_back(flag_field("priority_changeable", "приоритет можно менять", p.changeable));
  }
  out.push_back(std::move(sec));
}

// One field of the service settings into a table; the caller commits both tables or neither.
Result<> set_service_in(std::span<std::uint8_t> table, std::string_view field, std::string_view value) {
  ServiceSettings s = decode_service(table);
  s.contact_id_account.reset();
  auto choice = [&](const std::vector<std::string>& names, std::string_view what, int& into) -> Result<> {
    auto v = parse_choice(value, names, what);
    if (!v) return std::unexpected(v.error());
    into = *v;
    return {};
  };
  auto time = [&](std::string_view what, ClockTime& into) -> Result<> {
    auto v = parse_clock_time(value, what);
    if (!v) return std::unexpected(v.error());
    into = *v;
    return {};
  };
  auto text = [&](Result<std::string> checked, std::string& into) -> Result<> {
    if (!checked) return std::unexpected(checked.error());
    into = *checked;
    return {};
  };
  Result<> parsed;
  if (field == "answer_rings") {
    parsed = choice(answer_ring_names(), "Задержка снятия трубки", s.answer_rings);
  } else if (field == "gsm_loss_minutes") {
    parsed = choice(gsm_loss_names(), "Контроль отсутствия GSM канала", s.gsm_loss_minutes);
  } else if (field == "account_notice_period") {
    parsed = choice(notice_period_names(), "Периодичность сообщения о счете SIM карт", s.account_period);
  } else if (field == "test_notice_period") {
    parsed = choice(notice_period_names(), "Периодичность сообщения ТЕСТ", s.test_period);
  } else if (field == "silence_start") {
    parsed = time("Интервал тишины, начало", s.silence_start);
  } else if (field == "silence_end") {
    parsed = time("Интервал тишины, конец", s.silence_end);
  } else if (field == "service_message_time") {
    parsed = time("Время отправки сервисных сообщений", s.service_message_time);
  } else if (field == "object_name") {
    s.object_name = std::string(value);
  } else if (field.size() > 5 && field.substr(0, 3) == "sim" && (field[3] == '1' || field[3] == '2') &&
             field[4] == '.') {
    const int k = field[3] - '0';
    auto& sim = s.sim[static_cast<std::size_t>(k - 1)];
    const auto what = field.substr(5);
    if (what == "sms_centre")
      parsed = text(check_sms_centre(value, k), sim.sms_centre);
    else if (what == "pin")
      parsed = text(check_pin(value, k), sim.pin);
    else if (what == "balance_request")
      parsed = text(check_balance_request(value, k), sim.balance_request);
    else
      return fail("Нет такого ключа: service." + std::string(field));
  } else {
    return fail("Нет такого ключа: service." + std::string(field));
  }
  if (!parsed) return parsed;
  return encode_service(table, s);
}

Result<> set_service_field(Configuration& c, std::string_view field, std::string_view value) {
  // The table 71 image is what a file holds; the page-list copy is what a transfer or a
  // save takes, so both get the change.
  auto& image = c.page(PageId::service);
  auto& entry = c.page_list()[memory::kServicePageEntry].data;
  Bytes image_bytes(image.data().begin(), image.data().end());
  Bytes entry_bytes(entry.begin(), entry.end());
  if (auto r = set_service_in(image_bytes, field, value); !r) return r;
  if (auto r = set_service_in(entry_bytes, field, value); !r) return r;
  std::copy(image_bytes.begin(), image_bytes.end(), image.data().begin());
  std::copy(entry_bytes.begin(), entry_bytes.end(), entry.begin());
  return {};
}

}  // namespace

FieldDomain service_fields() {
  FieldDomain d;
  d.report = [](const Configuration& c, const ReportOptions& o, std::vector<ReportSection>& out) {
    report_service(c, o, out);
    report_pstn(c, out);
  };
  d.pages = {PageId::service};
  d.set = [](Configuration& c, std::string_view key, std::string_view value) -> std::optional<Result<>> {
    if (key.starts_with("service.")) return set_service_field(c, key.substr(8), value);
    if (key == "pstn.priority") {
      auto v = parse_choice(value, pstn_priority_names(), "Приоритет телефонной линии");
      if (!v) return std::unexpected(v.error());
      return set_pstn_priority(c, *v);
    }
    if (key.starts_with("pstn.")) return fail("Нет такого ключа: " + std::string(key) + " (задаётся только pstn.priority)");
    return std::nullopt;
  };
  return d;
}

}  // namespace vq::settings
