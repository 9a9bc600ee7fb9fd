// `vantorq-cli config`: the panel's configuration to and from .cfg files.
#include <cstdio>

#include "cli/commands.hpp"
#include "cli/terminal_progress.hpp"
#include "memory/config_file.hpp"
#include "memory/configuration.hpp"
#include "settings/config_fields.hpp"
#include "settings/config_files.hpp"
#include "settings/config_report.hpp"
#include "settings/full_transfer.hpp"

namespace vq::cli {
namespace {

struct ConfigOptions {
  std::string output;
  std::string input;
  std::string other;
  bool verify = false;
  bool json = false;
  bool show_secrets = false;
  std::vector<std::string> assignments;  // KEY=VALUE
  std::string key;
};

Result<memory::Configuration> load_file(const std::string& path) {
  memory::Configuration config;
  if (auto r = settings::open_settings_file(config, path); !r) return std::unexpected(r.error());
  return config;
}

int config_show(const ConfigOptions& o) {
  auto config = load_file(o.input);
  if (!config) return report_failure(config.error());
  const auto report = settings::build_report(*config, {o.show_secrets});
  const std::string out = o.json ? settings::render_json(report) : settings::render_text(report);
  std::fwrite(out.data(), 1, out.size(), stdout);
  return 0;
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
    if (auto r = settings::set_config_field(config, a.substr(0, eq), a.substr(eq + 1)); !r) {
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
  std::printf("%s\n", field->value.c_str());
  return 0;
}

int config_diff(const ConfigOptions& o) {
  auto a = load_file(o.input);
  if (!a) return report_failure(a.error());
  auto b = load_file(o.other);
  if (!b) return report_failure(b.error());
  const auto lines = settings::diff_configurations(*a, *b, {true});
  for (const auto& l : lines) std::printf("%s\n", l.c_str());
  if (lines.empty()) std::printf("Конфигурации совпадают\n");
  return 0;
}

int config_read(const GlobalOptions& g, const ConfigOptions& o) {
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
  std::printf("%s\nНастройки сохранены в %s\n", link::identification_line(*found).c_str(), o.output.c_str());
  return 0;
}

int config_write(const GlobalOptions& g, const ConfigOptions& o) {
  auto ctx = Context::open(g);
  if (!ctx) return report_failure(ctx.error());
  auto& s = (*ctx)->session();
  memory::Configuration config;
  TerminalProgress progress;
  if (auto r = settings::open_settings_file(config, o.input, &progress, s.trace); !r) return report_failure(r.error());
  auto found = settings::connect_for_settings(s, config, &progress);
  if (!found) return report_failure(found.error());
  if (auto r = settings::write_all(s, config, &progress); !r) return report_failure(r.error());
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
  return 0;
}

}  // namespace

void add_config_command(CLI::App& app, const GlobalOptions& g, Action& action) {
  auto* config = app.add_subcommand("config", "The panel's configuration and .cfg files");
  config->require_subcommand(1);
  static ConfigOptions o;

  auto* read = config->add_subcommand("read", "Connect, read all settings from the panel and save them");
  read->add_option("-o,--output", o.output, "Configuration file to write (.cfg)")->required();
  read->callback([&g, &action] { action = [&g] { return config_read(g, o); }; });

  auto* write = config->add_subcommand("write", "Load a .cfg file and write all settings to the panel");
  write->add_option("file", o.input, "Configuration file (.cfg)")->required()->check(CLI::ExistingFile);
  write->add_flag("--verify", o.verify, "Read everything back and report any byte that differs");
  write->callback([&g, &action] { action = [&g] { return config_write(g, o); }; });

  auto* show = config->add_subcommand("show", "Print a .cfg file section by section");
  show->add_option("file", o.input, "Configuration file (.cfg)")->required()->check(CLI::ExistingFile);
  show->add_flag("--json", o.json, "The same as a JSON document");
  show->add_flag("--show-secrets", o.show_secrets, "Show passwords instead of ***");
  show->callback([&action] { action = [] { return config_show(o); }; });

  auto* set = config->add_subcommand("set", "Change fields of a .cfg file by key (all or nothing, saved atomically)");
  set->add_option("file", o.input, "Configuration file (.cfg)")->required()->check(CLI::ExistingFile);
  set->add_option("assignments", o.assignments, "KEY=VALUE, e.g. partitions.5.type=\"Пожарный 1\"")->required();
  set->callback([&action] { action = [] { return config_set(o); }; });

  auto* get = config->add_subcommand("get", "Print one field of a .cfg file by key");
  get->add_option("file", o.input, "Configuration file (.cfg)")->required()->check(CLI::ExistingFile);
  get->add_option("key", o.key, "Field key, e.g. partitions.5.type")->required();
  get->add_flag("--show-secrets", o.show_secrets, "Show passwords instead of ***");
  get->callback([&action] { action = [] { return config_get(o); }; });

  auto* diff = config->add_subcommand("diff", "Differences between two .cfg files");
  diff->add_option("a", o.input, "First configuration file")->required()->check(CLI::ExistingFile);
  diff->add_option("b", o.other, "Second configuration file")->required()->check(CLI::ExistingFile);
  diff->callback([&action] { action = [] { return config_diff(o); }; });
}

}  // namespace vq::cli
