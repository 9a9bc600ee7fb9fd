// Remote control as named fields for `config show/set/get`: the eight records with their
// commands, telephone and user, the password masked unless secrets are shown. Setting a
// field goes through the dialog's save (save_remote_record) with the stored password kept:
// the password itself never comes from a command line (`config set KEY=-` reads it
// from standard input).
#include <string>

#include "settings/config_fields.hpp"
#include "settings/field_input.hpp"
#include "settings/remote_control.hpp"

namespace vq::settings {
namespace {

using memory::Configuration;

std::string num(long long v) { return std::to_string(v); }

std::string password_hint(int n) {
  return "vantorq-cli config set ФАЙЛ remote_control." + num(n) +
         ".password=- читает его со стандартного ввода; или на странице «Дистанционное»";
}

std::string label(int n, std::string_view what) { return "запись " + num(n) + ": " + std::string(what); }

void report_remote_control(const Configuration& c, const ReportOptions& options, std::vector<ReportSection>& out) {
  ReportSection s{"remote_control", "Дистанционное управление", {}, false, 0, {}};
  s.fields.push_back(number_field("count", "активных записей (в таблице)", remote_record_count(c)));
  for (int i = 0; i < kRemoteRecordCount; ++i) {
    const int n = i + 1;
    const auto r = read_remote_record(c, i);
    const std::string k = num(n) + ".";
    s.fields.push_back(flag_field(k + "active", label(n, "активна"), r.active));
    if (!r.active) continue;
    s.fields.push_back(text_field(k + "password", label(n, "пароль"),
                                  r.password.empty() ? "(нет цифр)" : options.show_secrets ? r.password : "***"));
    s.fields.push_back(text_field(k + "commands", label(n, "команды"), remote_commands_text(r.commands)));
    s.fields.push_back(text_field(k + "telephone", label(n, "телефон"), r.has_telephone ? r.telephone : ""));
    if (r.user) s.fields.push_back(number_field(k + "user", label(n, "пользователь"), *r.user));
  }
  out.push_back(std::move(s));
}

Result<> set_remote_field(Configuration& c, int n, std::string_view field, std::string_view value) {
  const int i = n - 1;
  const std::string who = "Запись дистанционного управления " + num(n);
  const auto r = read_remote_record(c, i);
  if (field == "active") {
    auto on = parse_flag(value, who + ", активна");
    if (!on) return std::unexpected(on.error());
    if (!*on) return r.active ? clear_remote_record(c, i) : Result<>{};
    if (r.active) return {};
    return fail(who + ": запись становится активной, когда задан пароль (" + password_hint(n) + ")");
  }
  // The value has come from standard input (a secret key), never from the command line.
  if (field == "password") return set_remote_password(c, i, value);
  if (field != "commands" && field != "telephone" && field != "user")
    return fail("Нет такого ключа: remote_control." + num(n) + "." + std::string(field));
  if (!r.active)
    return fail(who + " не активна (нет пароля): сначала задайте пароль (" + password_hint(n) + ")");

  RemoteRecordEdit edit;
  edit.commands = r.commands;
  const bool none = value == "-";
  if (field == "commands") {
    auto bits = parse_remote_commands(none ? std::string_view{} : value);
    if (!bits) return std::unexpected(bits.error());
    edit.commands = *bits;
  } else if (field == "telephone") {
    edit.telephone = std::string(none ? std::string_view{} : value);
  } else {
    edit.user = std::string(none ? std::string_view{} : value);
  }
  if (auto saved = save_remote_record(c, i, edit); !saved) {
    Error e = saved.error();
    e.text = who + ": " + e.text;
    return std::unexpected(e);
  }
  return {};
}

}  // namespace

FieldDomain remote_control_fields() {
  FieldDomain d;
  d.report = report_remote_control;
  d.pages = {memory::PageId::remote_control, memory::PageId::remote_control_users};
  d.set = [](Configuration& c, std::string_view key, std::string_view value) -> std::optional<Result<>> {
    const auto parts = split_key(key);
    if (parts.empty() || parts[0] != "remote_control") return std::nullopt;
    const auto n = parts.size() == 3 ? key_item(parts[1], kRemoteRecordCount) : std::nullopt;
    if (!n)
      return fail("Нет такого ключа: " + std::string(key) + " (записи дистанционного управления 1–" +
                  num(kRemoteRecordCount) + ")");
    return set_remote_field(c, *n, parts[2], value);
  };
  d.secret_key = [](std::string_view key) {
    const auto parts = split_key(key);
    return parts.size() == 3 && parts[0] == "remote_control" && parts[2] == "password" &&
           key_item(parts[1], kRemoteRecordCount).has_value();
  };
  return d;
}

}  // namespace vq::settings
