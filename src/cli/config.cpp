// `vantorq-cli config`: the panel's configuration to and from .cfg files.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string_view>
#include <vector>

#include <termios.h>
#include <unistd.h>

#include "cli/commands.hpp"
#include "cli/terminal_progress.hpp"
#include "memory/config_file.hpp"
#include "memory/configuration.hpp"
#include "settings/config_backup.hpp"
#include "settings/config_fields.hpp"
#include "settings/config_files.hpp"
#include "settings/config_report.hpp"
#include "settings/full_transfer.hpp"
#include "settings/remote_control.hpp"
#include "util/atomic_file.hpp"
#include "util/terminal_text.hpp"

namespace vq::cli {
namespace {

struct ConfigOptions {
  std::string output;
  std::string input;
  std::string other;
  bool verify = false;
  bool json = false;
  bool show_secrets = false;
  bool force = false;
  bool no_backup = false;
  std::vector<std::string> assignments;  // KEY=VALUE
  std::string key;
};

Result<memory::Configuration> load_file(const std::string& path) {
  memory::Configuration config;
  if (auto r = settings::open_settings_file(config, path); !r) return std::unexpected(r.error());
  return config;
}

// Which of the 36 tables a file holds: the others are left as the panel has them on a write.
struct FileTables {
  std::vector<std::size_t> present, absent;
};

Result<FileTables> file_tables(const std::string& path) {
  auto bytes = memory::read_configuration_file(path);
  if (!bytes) return std::unexpected(bytes.error());
  auto slots = memory::configuration_file_slots(*bytes);
  if (!slots) return std::unexpected(slots.error());
  FileTables t;
  t.present = *slots;
  for (std::size_t s = 0; s < memory::kConfigSlotsUsed; ++s)
    if (std::find(t.present.begin(), t.present.end(), s) == t.present.end()) t.absent.push_back(s);
  return t;
}

std::string slot_list(const std::vector<std::size_t>& slots) {
  std::string out;
  for (const auto s : slots) out += (out.empty() ? "" : ", ") + std::string(memory::config_slot_name(s));
  return out;
}

std::string tables_text(const FileTables& t) {
  std::string out = "Таблиц в файле: " + std::to_string(t.present.size()) + " из " +
                    std::to_string(memory::kConfigSlotsUsed) + "\n";
  if (!t.absent.empty())
    out += "Нет в файле (при записи в прибор остаются прежними): " + slot_list(t.absent) + "\n";
  return out + "\n";
}

std::string tables_json(const FileTables& t) {
  const auto names = [](const std::vector<std::size_t>& slots) {
    std::string out;
    for (const auto s : slots) out += (out.empty() ? "\"" : ", \"") + std::string(memory::config_slot_name(s)) + "\"";
    return "[" + out + "]";
  };
  return "\"tables\": {\"present\": " + names(t.present) + ", \"absent\": " + names(t.absent) + "},\n  ";
}

int config_show(const ConfigOptions& o) {
  const auto tables = file_tables(o.input);
  if (!tables) return report_failure(tables.error());
  auto config = load_file(o.input);
  if (!config) return report_failure(config.error());
  const auto report = settings::build_report(*config, {o.show_secrets});
  std::string out;
  if (o.json) {
    out = settings::render_json(report);
    const auto at = out.find("\"sections\"");
    if (at != std::string::npos) out.insert(at, tables_json(*tables));
  } else {
    out = tables_text(*tables) + settings::render_text(report);
  }
  std::fwrite(out.data(), 1, out.size(), stdout);
  return 0;
}

// A secret (password, identifier code) is one line of standard input, never a word of the
// command line that every user sees in the process list. At a terminal the line is asked
// for by the key's name and not echoed.
Result<std::string> read_secret(const std::string& key) {
  const bool tty = ::isatty(STDIN_FILENO) == 1;
  termios saved{};
  const bool quiet = tty && ::tcgetattr(STDIN_FILENO, &saved) == 0;
  if (tty) std::fprintf(stderr, "%s: ", key.c_str());
  if (quiet) {
    termios off = saved;
    off.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    (void)::tcsetattr(STDIN_FILENO, TCSAFLUSH, &off);
  }
  std::string line;
  bool got = false;
  for (int ch; (ch = std::fgetc(stdin)) != EOF;) {
    got = true;
    if (ch == '\n') break;
    line += static_cast<char>(ch);
  }
  if (quiet) (void)::tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
  if (tty) std::fprintf(stderr, "\n");
  if (!line.empty() && line.back() == '\r') line.pop_back();
  if (!got) return fail("значение не получено со стандартного ввода");
  return line;
}

// The value of a secret key: "-", or a value ending in ",-", whose "-" stands for the line
// read from standard input.
Result<std::string> secret_value(const std::string& key, const std::string& value) {
  const bool whole = value == "-";
  if (!whole && !(value.size() >= 2 && value.compare(value.size() - 2, 2, ",-") == 0))
    return fail("пароли и коды идентификаторов не принимаются в командной строке (их видно в списке процессов): "
                "укажите " + key + "=- и введите значение со стандартного ввода");
  auto line = read_secret(key);
  if (!line) return line;
  return value.substr(0, value.size() - 1) + *line;
}

// Every value or none: the file is saved only when all of them were accepted, and it
// changes only where the fields are (the file's own bytes are kept everywhere else).
int config_set(const ConfigOptions& o) {
  memory::Configuration config;
  if (auto r = memory::load_configuration(config, o.input); !r) return report_failure(r.error());
  for (const auto& a : o.assignments) {
    const auto eq = a.find('=');
    if (eq == std::string::npos || eq == 0)
      return report_failure(Error{0, 0, "Ожидается КЛЮЧ=ЗНАЧЕНИЕ, получено «" + a + "»; файл не изменён", {}});
    const std::string key = a.substr(0, eq);
    std::string value = a.substr(eq + 1);
    if (settings::is_secret_key(key)) {
      auto secret = secret_value(key, value);
      if (!secret) {
        Error e = secret.error();
        e.text = key + ": " + e.text + "; файл не изменён";
        return report_failure(e);
      }
      value = std::move(*secret);
    }
    if (auto r = settings::set_config_field(config, key, value); !r) {
      Error e = r.error();
      e.text = a.substr(0, eq) + ": " + e.text + "; файл не изменён";
      return report_failure(e);
    }
  }
  if (auto r = memory::save_configuration(config, o.input); !r) return report_failure(r.error());
  std::printf("Изменено значений: %zu; сохранено в %s\n", o.assignments.size(), o.input.c_str());
  return 0;
}

int config_get(const ConfigOptions& o) {
  auto config = load_file(o.input);
  if (!config) return report_failure(config.error());
  const auto report = settings::build_report(*config, {o.show_secrets});
  const auto* field = settings::find_field(report, o.key);
  if (!field)
    return report_failure(Error{0, 0, "Нет такого ключа: " + o.key + " (ключи перечислены в docs/config-keys.md)", {}});
  std::printf("%s\n", terminal_safe(field->value).c_str());
  return 0;
}

int config_diff(const ConfigOptions& o) {
  auto a = load_file(o.input);
  if (!a) return report_failure(a.error());
  auto b = load_file(o.other);
  if (!b) return report_failure(b.error());
  const auto lines = settings::diff_configurations(*a, *b, {o.show_secrets});
  for (const auto& l : lines) std::printf("%s\n", terminal_safe(l).c_str());
  if (lines.empty()) std::printf("Конфигурации совпадают\n");
  return lines.empty() ? 0 : 1;  // as diff(1): 1 when they differ
}

int config_read(const GlobalOptions& g, const ConfigOptions& o) {
  if (auto r = check_output_target(o.output, "файл конфигурации"); !r) return report_failure(r.error());
  auto ctx = Context::open(g);
  if (!ctx) return report_failure(ctx.error());
  auto& s = (*ctx)->session();
  memory::Configuration config;
  TerminalProgress progress;
  auto found = settings::connect_for_settings(s, config, &progress);
  if (!found) return report_failure(found.error());
  if (auto r = settings::read_all(s, config, &progress); !r) return report_failure(r.error());
  if (auto r = settings::save_settings_file(config, o.output, &progress, s.trace); !r)
    return report_failure(r.error());
  progress.finish();
  std::fprintf(summary_stream(o.output), "%s\nНастройки сохранены в %s\n", link::identification_line(*found).c_str(),
               output_name(o.output).c_str());
  return 0;
}

// A word the shell passes as it is, else in single quotes.
std::string shell_word(const std::string& w) {
  const bool plain = !w.empty() && std::all_of(w.begin(), w.end(), [](unsigned char c) {
    return std::isalnum(c) || c == '_' || c == '.' || c == '/' || c == ':' || c == '-' || c == '+' || c == '@' ||
           c >= 0x80;
  });
  if (plain) return w;
  std::string out = "'";
  for (const char c : w) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

// Where the copy went and the one command that writes it back to the same panel.
void print_backup(std::FILE* to, const GlobalOptions& g, const std::filesystem::path& backup) {
  const std::string device = g.device == "usb" ? "" : " --device " + shell_word(g.device);
  std::fprintf(to, "Прежние настройки прибора сохранены в %s\nВосстановить: vantorq-cli%s config write %s\n",
               backup.c_str(), device.c_str(), shell_word(backup.string()).c_str());
}

// The panel is read first, as the window's images are, and the file's tables go over what it
// holds: a table the file lacks is written back as the panel had it, never as zeros.
int config_write(const GlobalOptions& g, const ConfigOptions& o) {
  // Everything about the file is settled before the panel hears a frame.
  memory::Configuration from_file;
  if (auto r = memory::load_configuration(from_file, o.input); !r) return report_failure(r.error());
  auto ctx = Context::open(g);
  if (!ctx) return report_failure(ctx.error());
  auto& s = (*ctx)->session();
  memory::Configuration config;
  TerminalProgress progress;
  auto found = settings::connect_for_settings(s, config, &progress);
  if (!found) return report_failure(found.error());
  if (auto r = settings::check_device_for_writing(from_file.device, *found); !r) {
    if (!o.force) {
      Error e = r.error();
      e.text += "; ничего не записано (чтобы записать всё равно, добавьте --force)";
      return report_failure(e);
    }
    std::fprintf(stderr, "Внимание: %s; запись по --force\n", r.error().text.c_str());
  }
  if (auto r = settings::read_all(s, config, &progress); !r) {
    Error e = r.error();
    e.text = "Не удалось прочитать настройки прибора перед записью: " + e.text + "; ничего не записано";
    return report_failure(e);
  }
  std::filesystem::path backup;
  if (!o.no_backup) {
    auto saved = settings::save_panel_backup(config, (*ctx)->data_dir() / "Conf");
    if (!saved) {
      Error e = saved.error();
      e.text += "; ничего не записано (без копии: --no-backup)";
      return report_failure(e);
    }
    backup = *saved;
  }
  if (auto r = settings::open_settings_file(config, o.input, &progress, s.trace); !r) return report_failure(r.error());
  if (auto r = settings::write_all(s, config, &progress); !r) {
    if (!backup.empty()) print_backup(stderr, g, backup);
    return report_failure(r.error());
  }
  if (o.verify) {
    auto diffs = settings::verify_written(s, config, &progress);
    if (!diffs) return report_failure(diffs.error());
    progress.finish();
    if (!diffs->empty()) {
      std::printf("Проверка: %zu байт отличаются от записанных\n", diffs->size());
      std::size_t shown = 0;
      for (const auto& d : *diffs) {
        if (++shown > 50) {
          std::printf("...\n");
          break;
        }
        std::printf("  %s +%u: записано 0x%02x, в приборе 0x%02x\n", d.table.c_str(), d.offset, d.expected, d.found);
      }
      return report_failure(Error{0, 0, "Проверка записи не пройдена", {}});
    }
    std::printf("Проверка: прибор хранит записанное без отличий\n");
  }
  progress.finish();
  std::printf("Запись настроек в прибор успешно завершена.\n");
  if (!backup.empty()) print_backup(stdout, g, backup);
  return 0;
}

}  // namespace

void add_config_command(CLI::App& app, const GlobalOptions& g, Action& action) {
  auto* config = app.add_subcommand("config", "The panel's configuration and .cfg files");
  config->require_subcommand(1);
  static ConfigOptions o;

  auto* read = config->add_subcommand("read", "Connect, read all settings from the panel and save them");
  read->add_option("-o,--output", o.output, "Configuration file to write (.cfg); - for standard output")->required();
  read->callback([&g, &action] { action = [&g] { return config_read(g, o); }; });

  auto* write = config->add_subcommand("write", "Load a .cfg file and write all settings to the panel");
  write->add_option("file", o.input, "Configuration file (.cfg)")->required();
  write->add_flag("--verify", o.verify, "Read everything back and report any byte that differs");
  write->add_flag("--force", o.force, "Write even when the file was made for another device or firmware line");
  write->add_flag("--no-backup", o.no_backup, "Do not save the panel's current configuration to Conf/backup first");
  write->callback([&g, &action] { action = [&g] { return config_write(g, o); }; });

  auto* show = config->add_subcommand("show", "Print a .cfg file section by section");
  show->add_option("file", o.input, "Configuration file (.cfg)")->required();
  show->add_flag("--json", o.json, "The same as a JSON document");
  show->add_flag("--show-secrets", o.show_secrets, "Show passwords instead of ***");
  show->callback([&action] { action = [] { return config_show(o); }; });

  auto* set = config->add_subcommand("set", "Change fields of a .cfg file by key (all or nothing, saved atomically)");
  set->add_option("file", o.input, "Configuration file (.cfg)")->required();
  set->add_option("assignments", o.assignments, "KEY=VALUE, e.g. partitions.5.type=\"Пожарный 1\"")->required();
  set->callback([&action] { action = [] { return config_set(o); }; });

  auto* get = config->add_subcommand("get", "Print one field of a .cfg file by key");
  get->add_option("file", o.input, "Configuration file (.cfg)")->required();
  get->add_option("key", o.key, "Field key, e.g. partitions.5.type")->required();
  get->add_flag("--show-secrets", o.show_secrets, "Show passwords instead of ***");
  get->callback([&action] { action = [] { return config_get(o); }; });

  auto* diff = config->add_subcommand("diff", "Differences between two .cfg files");
  diff->add_option("a", o.input, "First configuration file")->required();
  diff->add_option("b", o.other, "Second configuration file")->required();
  diff->add_flag("--show-secrets", o.show_secrets, "Show passwords and identifier codes instead of ***");
  diff->callback([&action] { action = [] { return config_diff(o); }; });
}

}  // namespace vq::cli
