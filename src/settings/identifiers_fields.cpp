// The identifiers and passwords as named fields for `config show/set/get/diff`.
//
// Codes and passwords are secrets: shown as *** unless secrets are asked for, and set only
// from standard input (`passwords.user=-`, `identifiers.N.value=-`,
// `identifiers.N.new=ТМ,5,-`), never from the command line, where every user of the
// machine can read them in the process list.
#include "settings/config_fields.hpp"
#include "settings/field_input.hpp"
#include "settings/identifiers.hpp"
#include "settings/passwords.hpp"
#include "settings/system_outputs.hpp"
#include "shell/messages.hpp"

namespace vq::settings {
namespace {

constexpr std::string_view kIds = "identifiers";
constexpr std::string_view kPasswords = "passwords";
constexpr std::string_view kMasked = "***";

std::string label(int slot, std::string_view what) {
  return "идентификатор " + std::to_string(slot) + ": " + std::string(what);
}

// Bytes in the code and password tables: the same on both sides stays hidden, a change
// is named without them.
ReportField secret_field(std::string key, std::string label, const std::string& value, bool show) {
  auto f = text_field(std::move(key), std::move(label), value.empty() ? "(не задан)" : show ? value : std::string(kMasked));
  if (!show) f.hidden = value;
  return f;
}

void report_identifiers(const memory::Configuration& c, const ReportOptions& o, std::vector<ReportSection>& out) {
  ReportSection s;
  s.key = std::string(kIds);
  s.title = "Идентификаторы";
  s.fields.push_back(number_field("counter", "счётчик изменений", identifier_counter(c)));
  for (const auto& id : read_identifiers(c)) {
    const std::string k = std::to_string(id.slot) + ".";
    s.fields.push_back(choice_field(k + "kind", label(id.slot, "тип"), id.kind, kind_name(id.kind)));
    s.fields.push_back(
        secret_field(k + "value", label(id.slot, "значение"), identifier_value_text(id.kind, id.code), o.show_secrets));
    s.fields.push_back(number_field(k + "user", label(id.slot, "пользователь"), id.user));
    s.fields.push_back(number_field(k + "ordinal", label(id.slot, "номер у пользователя"), id.ordinal));
    s.fields.push_back(choice_field(k + "tactic", label(id.slot, "тактика"), id.tactic, tactic_name(id.tactic)));
    s.fields.push_back(flag_field(k + "quick_arm", label(id.slot, "быстрое взятие"), id.quick_arm));
    s.fields.push_back(text_field(k + "partitions", label(id.slot, "разделы"), partition_list_text(id.partitions)));
  }
  out.push_back(std::move(s));
}

void report_passwords(const memory::Configuration& c, const ReportOptions& o, std::vector<ReportSection>& out) {
  ReportSection s;
  s.key = std::string(kPasswords);
  s.title = "Пароли";
  s.fields.push_back(secret_field("user", password_title(PasswordKind::user),
                                  password_digits(c, PasswordKind::user), o.show_secrets));
  s.fields.push_back(secret_field("engineer", password_title(PasswordKind::engineer),
                                  password_digits(c, PasswordKind::engineer), o.show_secrets));
  const int reset = c.image(memory::ImageId::password_reset).byte_at(0);
  s.fields.push_back(choice_field("reset", "Разрешить сброс пароля", reset,
                                  reset == 0   ? "Да"
                                  : reset == 1 ? "Нет"
                                               : "значение " + std::to_string(reset)));
  out.push_back(std::move(s));
}

void report(const memory::Configuration& c, const ReportOptions& o, std::vector<ReportSection>& out) {
  report_identifiers(c, o, out);
  report_passwords(c, o, out);
}

std::string kind_list() {
  return kind_name(kKindPin) + " (" + std::to_string(kKindPin) + "), " + kind_name(kKindKey) + " (" +
         std::to_string(kKindKey) + ") или " + kind_name(kKindFob) + " (" + std::to_string(kKindFob) + ")";
}
std::string tactic_list() {
  std::string s;
  for (int t = 0; t < kTacticCount; ++t) s += (t ? ", " : "") + std::to_string(t) + " «" + tactic_name(t) + "»";
  return s;
}

// The dialog confirmed with the stored values and one change.
IdentifierEdit stored_edit(const Identifier& id) { return {id.kind, id.code, id.user, id.tactic, id.quick_arm}; }

Result<Identifier> occupied(const memory::Configuration& c, int slot) {
  auto id = read_identifier(c, slot);
  if (id.empty())
    return fail("идентификатор " + std::to_string(slot) + " не задан: новый задаётся ключом identifiers." +
                std::to_string(slot) + ".new=ВИД,ПОЛЬЗОВАТЕЛЬ,- (код со стандартного ввода)");
  return id;
}

Result<int> parse_user(std::string_view value) {
  const auto t = value.find_first_not_of(' ');
  if (t == std::string_view::npos || value.find_first_not_of("0123456789 ") != std::string_view::npos)
    return fail(Error{0, 15281, shell::msg(15281), {}});
  return parse_whole_number(value, 1, kIdentifierUsers, "Номер пользователя");
}

Result<> set_new(memory::Configuration& c, int slot, std::string_view value) {
  if (!read_identifier(c, slot).empty())
    return fail("идентификатор " + std::to_string(slot) + " уже задан: измените его поля или удалите (delete=1)");
  // ВИД,ПОЛЬЗОВАТЕЛЬ,КОД — the code is the line read from standard input.
  const auto a = value.find(',');
  const auto b = a == std::string_view::npos ? a : value.find(',', a + 1);
  if (b == std::string_view::npos) return fail("Новый идентификатор: ВИД,ПОЛЬЗОВАТЕЛЬ,- (код со стандартного ввода)");
  const auto kind = kind_from_text(value.substr(0, a));
  if (!kind) return fail("Тип идентификатора: " + kind_list());
  auto user = parse_user(value.substr(a + 1, b - a - 1));
  if (!user) return std::unexpected(user.error());
  auto code = encode_identifier_value(*kind, value.substr(b + 1));
  if (!code) return std::unexpected(code.error());
  return set_identifier(c, slot, {*kind, *code, *user, 0, false});
}

Result<> set_identifier_field(memory::Configuration& c, int slot, std::string_view field, std::string_view value) {
  if (field == "new") return set_new(c, slot, value);
  if (field == "partitions") {
    if (auto id = occupied(c, slot); !id) return std::unexpected(id.error());
    std::bitset<96> links;
    if (value.find_first_not_of(' ') != std::string_view::npos) {
      auto list = parse_number_list(value, 1, 96, "Разделы");
      if (!list) return std::unexpected(list.error());
      for (int p : *list) links.set(static_cast<std::size_t>(p - 1));
    }
    return set_identifier_partitions(c, {slot}, links);
  }
  if (field == "delete") {
    auto yes = parse_flag(value, "Удалить идентификатор");
    if (!yes) return std::unexpected(yes.error());
    return *yes ? delete_identifier(c, slot) : Result<>{};
  }
  auto id = occupied(c, slot);
  if (!id) return std::unexpected(id.error());
  auto edit = stored_edit(*id);
  if (field == "kind") {
    const auto kind = kind_from_text(value);
    if (!kind) return fail("Тип идентификатора: " + kind_list());
    if (*kind == id->kind) return {};
    // The dialog keeps the value's text and encodes it for the new kind.
    auto code = encode_identifier_value(*kind, identifier_value_text(id->kind, id->code));
    if (!code) return fail("значение не подходит для типа «" + kind_name(*kind) + "» (" + code.error().text +
                           "): задайте новый ключом identifiers." + std::to_string(slot) + ".delete=1 и .new");
    edit.kind = *kind;
    edit.code = *code;
  } else if (field == "value") {
    auto code = encode_identifier_value(id->kind, value);
    if (!code) return std::unexpected(code.error());
    edit.code = *code;
  } else if (field == "user") {
    auto user = parse_user(value);
    if (!user) return std::unexpected(user.error());
    edit.user = *user;
  } else if (field == "tactic") {
    const auto tactic = tactic_from_text(value);
    if (!tactic) return fail("Тактика обработки идентификатора: " + tactic_list());
    edit.tactic = *tactic;
  } else if (field == "quick_arm") {
    auto on = parse_flag(value, "Быстрое взятие");
    if (!on) return std::unexpected(on.error());
    edit.quick_arm = *on;
  } else {
    return fail("У идентификатора нет поля «" + std::string(field) +
                "»; есть kind, value, user, tactic, quick_arm, partitions, new, delete");
  }
  return set_identifier(c, slot, edit);
}

std::optional<Result<>> set(memory::Configuration& c, std::string_view key, std::string_view value) {
  const auto parts = split_key(key);
  if (parts.empty()) return std::nullopt;
  if (parts[0] == kPasswords) {
    const std::string_view field = parts.size() == 2 ? parts[1] : std::string_view{};
    if (field == "user") return set_password(c, PasswordKind::user, value);
    if (field == "engineer") return set_password(c, PasswordKind::engineer, value);
    if (field == "reset") {
      std::string_view t = value;
      while (!t.empty() && t.front() == ' ') t.remove_prefix(1);
      while (!t.empty() && t.back() == ' ') t.remove_suffix(1);
      if (t == "Да" || t == "0") return set_password_reset(c, true);
      if (t == "Нет" || t == "1") return set_password_reset(c, false);
      return fail("Разрешить сброс пароля: Да (0) или Нет (1)");
    }
    return fail("Ключ пароля: passwords.user, passwords.engineer (со стандартного ввода: =-) или passwords.reset");
  }
  if (parts[0] != kIds) return std::nullopt;
  const auto slot = parts.size() == 3 ? key_item(parts[1], kIdentifierSlots) : std::nullopt;
  if (!slot) return fail("Ключ идентификатора: identifiers.N.поле, N от 1 до " + std::to_string(kIdentifierSlots));
  return set_identifier_field(c, *slot, parts[2], value);
}

bool secret_key(std::string_view key) {
  const auto parts = split_key(key);
  if (parts.size() == 2 && parts[0] == kPasswords) return parts[1] == "user" || parts[1] == "engineer";
  return parts.size() == 3 && parts[0] == kIds && (parts[2] == "value" || parts[2] == "new");
}

}  // namespace

FieldDomain identifier_fields() {
  FieldDomain d;
  d.report = report;
  d.images = {memory::ImageId::identifier_records, memory::ImageId::identifier_codes,
              memory::ImageId::identifier_partitions, memory::ImageId::identifier_settings,
              memory::ImageId::first_password, memory::ImageId::second_password, memory::ImageId::password_reset};
  d.secret_images = {memory::ImageId::identifier_codes, memory::ImageId::first_password,
                     memory::ImageId::second_password};
  d.set = set;
  d.secret_key = secret_key;
  return d;
}

}  // namespace vq::settings
