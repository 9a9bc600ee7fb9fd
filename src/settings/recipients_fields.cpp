// The telephone recipients as named fields for `config show/set/get`: each recipient's
// channels (number, communicator, notice type), categories with their urgency and delay,
// notices, partitions; and the Contact ID account. Every value goes through the recipient
// dialog's commit, so the tables stay dense and renumbered exactly as the page leaves them.
//
// A file carries no demo flag: the communicators on offer are those registered in it.
// A number written with "+" is a GSM number, one without a PSTN number, as `show` prints
// them; "-" removes the channel (the main channel takes the whole recipient with it).
#include <string>

#include "settings/config_fields.hpp"
#include "settings/field_input.hpp"
#include "settings/recipients.hpp"
#include "settings/system_outputs.hpp"

namespace vq::settings {
namespace {

using memory::Configuration;

constexpr std::string_view kSection = "recipients";

std::string num(int v) { return std::to_string(v); }
std::string who(int r) { return "Получатель " + num(r); }
std::string label(int r, std::string_view what) { return "получатель " + num(r) + ": " + std::string(what); }

std::string number_text(const RecipientChannel& ch) {
  return (ch.kind() == Communicator::gsm ? "+" : "") + ch.phone;
}

void report_channel(std::vector<ReportField>& f, int r, const char* key, const char* what,
                    const std::optional<RecipientChannel>& ch) {
  const std::string k = num(r) + "." + key + ".";
  f.push_back(text_field(k + "number", label(r, std::string(what) + ", номер"), ch ? number_text(*ch) : "-"));
  if (!ch) return;
  const std::string device = communicator_name(ch->kind());
  f.push_back(choice_field(k + "device", label(r, std::string(what) + ", устройство"), ch->communicator,
                           device.empty() ? "-" : device));
  f.push_back(choice_field(k + "notice", label(r, std::string(what) + ", тип оповещения"), ch->format.notice,
                           notice_type_name(ch->format.notice)));
}

void report(const Configuration& c, std::vector<ReportSection>& out) {
  ReportSection s{std::string(kSection), "Телефоны получателей", {}, false, 0, {}};
  for (int r = 1; r <= kRecipientCount; ++r) {
    const Recipient rc = read_recipient(c, r);
    report_channel(s.fields, r, "main", "основной канал", rc.main);
    if (!rc.main) continue;
    report_channel(s.fields, r, "reserve", "резервный канал", rc.reserve);
    const std::string k = num(r) + ".";
    s.fields.push_back(text_field(k + "categories", label(r, "категории"), categories_text(rc.category_mask)));
    const auto on = rc.categories();
    for (int q = 1; q <= kCategoryCount; ++q) {
      if (!on[static_cast<std::size_t>(q - 1)]) continue;
      const auto o = decode_category(rc.category_bytes[static_cast<std::size_t>(q - 1)]);
      const std::string ck = k + "category_" + num(q) + ".";
      const std::string cl = "категория «" + category_name(q) + "», ";
      s.fields.push_back(flag_field(ck + "urgent", label(r, cl + "срочно"), o.urgent));
      s.fields.push_back(choice_field(ck + "period", label(r, cl + "период доставки"), o.period,
                                      period_names()[static_cast<std::size_t>(o.period)]));
      s.fields.push_back(choice_field(ck + "delay", label(r, cl + "задержка до передачи"), o.delay,
                                      delay_names()[static_cast<std::size_t>(o.delay)]));
    }
    s.fields.push_back(flag_field(k + "sim_notice", label(r, "уведомления о счете SIM-карт"), rc.sim_notice));
    s.fields.push_back(flag_field(k + "test_notice", label(r, "уведомления о сообщении ТЕСТ"), rc.test_notice));
    std::bitset<96> p;
    for (std::size_t i = 0; i < 96; ++i) p[i] = rc.partitions[i];
    s.fields.push_back(text_field(k + "partitions", label(r, "разделы"), p.any() ? partition_list_text(p) : "-"));
  }
  s.fields.push_back(number_field("contact_id_account", "аккаунт Contact ID", contact_id_account(c)));
  out.push_back(std::move(s));
}

bool is_none(std::string_view v) { return v.empty() || v == "-"; }

std::string upper(std::string_view v) {
  std::string out(v);
  for (char& ch : out)
    if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 'a' + 'A');
  return out;
}

Result<> set_channel_field(Configuration& c, int r, bool main, std::string_view field, std::string_view value) {
  const auto devices = registered_communicators(c, false);
  RecipientEdit e = current_edit(c, r);
  auto& slot = main ? e.main : e.reserve;
  const std::string what = main ? "основной канал" : "резервный канал";
  if (field == "number") {
    if (is_none(value)) {
      if (main)
        e = RecipientEdit{};
      else
        e.reserve.reset();
      return commit_recipient(c, r, e, devices);
    }
    if (!main && !e.main) return fail(who(r) + ": резервный канал задаётся только вместе с основным");
    const std::string phone = upper(value);
    if (!slot) slot = ChannelEdit{phone.starts_with('+') ? Communicator::gsm : Communicator::pstn, {}, std::nullopt};
    slot->phone = phone;
    return commit_recipient(c, r, e, devices);
  }
  if (!slot) return fail(who(r) + ": нет канала «" + what + "»; задайте сначала его номер (number)");
  if (field == "device") {
    const auto d = communicator_by_name(value);
    if (!d) return fail(who(r) + ", " + what + ", устройство: GSM или PSTN");
    slot->device = *d;
    // A GSM number is kept with its "+"; a PSTN number is stored without it anyway.
    if (*d == Communicator::gsm && !slot->phone.starts_with('+')) slot->phone = "+" + slot->phone;
    return commit_recipient(c, r, e, devices);
  }
  if (field == "notice") {
    std::optional<int> n = notice_type_by_name(value);
    if (!n) {
      auto v = parse_whole_number(value, 1, 5, who(r) + ", " + what + ", тип оповещения");
      if (!v) return fail(v.error().text + " («Речевое», «SMS», «Тональное», «ContactID», «SIA»)");
      n = *v;
    }
    if (!notice_supported(slot->device, *n))
      return fail(who(r) + ", " + what + ": тип «" + notice_type_name(*n) + "» для " +
                  communicator_name(slot->device) + " — " + "В данной версии не обрабатывается!");
    const auto plan = plan_recipient_edit(c, r);
    if (!plan) return std::unexpected(plan.error());
    const auto stored = channel_format(c, (main ? plan->main_channel : plan->reserve_channel).value_or(-1));
    auto f = encode_format(*n, format_choice(stored, *n), stored);
    if (!f) return std::unexpected(f.error());
    slot->format = *f;
    return commit_recipient(c, r, e, devices);
  }
  return fail("Нет такого ключа: recipients." + num(r) + "." + (main ? "main." : "reserve.") + std::string(field));
}

Result<> set_recipient_field(Configuration& c, int r, const std::vector<std::string_view>& parts,
                             std::string_view value) {
  if (parts.size() == 4 && (parts[2] == "main" || parts[2] == "reserve"))
    return set_channel_field(c, r, parts[2] == "main", parts[3], value);
  const std::string key = "recipients." + num(r) + "." + std::string(parts.size() > 2 ? parts[2] : "");
  const auto devices = registered_communicators(c, false);
  RecipientEdit e = current_edit(c, r);
  if (!e.main) return fail(who(r) + ": нет основного канала; задайте сначала recipients." + num(r) + ".main.number");

  if (parts.size() == 3 && parts[2] == "categories") {
    std::vector<int> on;
    if (!is_none(value)) {
      auto list = parse_number_list(value, 1, kCategoryCount, who(r) + ", категории");
      if (!list) return std::unexpected(list.error());
      on = *list;
    }
    std::array<std::optional<CategoryOptions>, kCategoryCount> next{};
    for (int q : on) {
      auto& was = e.categories[static_cast<std::size_t>(q - 1)];
      next[static_cast<std::size_t>(q - 1)] = was ? *was : default_category(q);
    }
    e.categories = next;
    return commit_recipient(c, r, e, devices);
  }
  if (parts.size() == 4 && parts[2].starts_with("category_")) {
    const auto q = key_item(parts[2].substr(9), kCategoryCount);
    if (!q) return fail("Нет такого ключа: " + key + " (категории 1–6)");
    auto& o = e.categories[static_cast<std::size_t>(*q - 1)];
    if (!o) return fail(who(r) + ": категория " + num(*q) + " не передаётся; включите её в recipients." + num(r) +
                        ".categories");
    const std::string what = who(r) + ", категория " + num(*q);
    if (parts[3] == "urgent") {
      auto v = parse_flag(value, what + ", срочно");
      if (!v) return std::unexpected(v.error());
      o->urgent = *v;
    } else if (parts[3] == "delay") {
      int index = -1;
      for (std::size_t i = 0; i < delay_names().size(); ++i)
        if (delay_names()[i] == value) index = static_cast<int>(i);
      if (index < 0) {
        auto v = parse_whole_number(value, 0, kDelayChoices - 1, what + ", задержка до передачи");
        if (!v) return fail(v.error().text + " (0 — «0 сек» … 7 — «70 сек»)");
        index = *v;
      }
      o->delay = index;
    } else if (parts[3] == "period") {
      return fail(what + ": период доставки на странице не настраивается (всегда «всегда или 0»)");
    } else {
      return fail("Нет такого ключа: " + key + "." + std::string(parts[3]));
    }
    // The category dialog always stores the period "всегда или 0".
    o->period = 0;
    return commit_recipient(c, r, e, devices);
  }
  if (parts.size() == 3 && (parts[2] == "sim_notice" || parts[2] == "test_notice")) {
    const bool sim = parts[2] == "sim_notice";
    auto v = parse_flag(value, who(r) + (sim ? ", уведомления о счете SIM-карт" : ", уведомления о сообщении ТЕСТ"));
    if (!v) return std::unexpected(v.error());
    if (sim && *v && *v != e.sim_notice) {
      const Recipient rc = read_recipient(c, r);
      if (e.main->device != Communicator::gsm || rc.main->format.notice != kNoticeSms)
        return fail(who(r) + ": уведомления о счете SIM-карт — только для основного канала GSM с типом «SMS»");
    }
    (sim ? e.sim_notice : e.test_notice) = *v;
    return commit_recipient(c, r, e, devices);
  }
  if (parts.size() == 3 && parts[2] == "partitions") {
    std::bitset<kRecipientPartitions> p;
    if (!is_none(value)) {
      auto list = parse_number_list(value, 1, kRecipientPartitions, who(r) + ", разделы");
      if (!list) return std::unexpected(list.error());
      for (int q : *list) p[static_cast<std::size_t>(q - 1)] = true;
    }
    return set_recipient_partitions(c, r, p);
  }
  return fail("Нет такого ключа: " + key);
}

}  // namespace

FieldDomain recipient_fields() {
  FieldDomain d;
  d.report = [](const Configuration& c, const ReportOptions&, std::vector<ReportSection>& out) { report(c, out); };
  // The telephone and channel tables have sections of their own already.
  d.pages = {memory::PageId::recipient_partitions, memory::PageId::recipients, memory::PageId::delivery_groups};
  d.set = [](Configuration& c, std::string_view key, std::string_view value) -> std::optional<Result<>> {
    const auto parts = split_key(key);
    if (parts.empty() || parts[0] != kSection) return std::nullopt;
    if (parts.size() == 2 && parts[1] == "contact_id_account") {
      auto v = parse_whole_number(value, 1, kContactIdMax, "Аккаунт Contact ID");
      if (!v) return std::unexpected(v.error());
      return set_contact_id_account(c, *v);
    }
    const auto r = parts.size() >= 3 ? key_item(parts[1], kRecipientCount) : std::nullopt;
    if (!r) return fail("Нет такого ключа: " + std::string(key) + " (получатели 1–8)");
    return set_recipient_field(c, *r, parts, value);
  };
  return d;
}

}  // namespace vq::settings
