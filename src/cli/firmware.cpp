// `vantorq-cli firmware`: the firmware catalogue, the file checks and the write over USB.
#include <unistd.h>

#include <cstdio>
#include <iostream>

#include "cli/commands.hpp"
#include "cli/terminal_progress.hpp"
#include "firmware/catalogue.hpp"
#include "firmware/file_checks.hpp"
#include "firmware/firmware_write.hpp"
#include "shell/data_folders.hpp"

namespace vq::cli {
namespace {

struct FirmwareOptions {
  std::string dir;
  std::string file;
  bool yes = false;
};

// The file as the catalogue lists it, then the checks against the connected device.
Result<firmware::ConnectedDevice> connect_and_check(link::Session& s, const std::string& file,
                                                   link::Progress* progress) {
  firmware::Catalogue catalogue;
  if (auto added = catalogue.add_file(file); !added) return std::unexpected(added.error());
  auto device = firmware::connect_usb(s, progress);
  if (!device) return std::unexpected(device.error());
  if (auto checked = firmware::check_file(&catalogue.rows().front(), device->info); !checked) {
    s.link.close();
    return std::unexpected(checked.error());
  }
  return device;
}

int firmware_list(const GlobalOptions& g, const FirmwareOptions& o) {
  const auto base = o.dir.empty() ? firmware::firmware_folder(shell::resolve_data_dir(g.data_dir))
                                  : std::filesystem::path(o.dir);
  firmware::Catalogue catalogue;
  const auto report = catalogue.list_all_soft_files(base, firmware::kDeviceFirmwareMode);
  for (const auto& e : report.skipped) std::fprintf(stderr, "%s\n", e.full().c_str());
  for (const auto& row : catalogue.rows())
    std::printf("%s\t%s\t%s\t%s\t%s\n", row.name.c_str(), row.version_text.c_str(), row.size_text().c_str(),
                row.date_text().c_str(), row.folder.string().c_str());
  if (catalogue.rows().empty()) std::fprintf(stderr, "В папке %s нет файлов ПО\n", base.string().c_str());
  return 0;
}

int firmware_check(const GlobalOptions& g, const FirmwareOptions& o) {
  auto ctx = Context::open(g);
  if (!ctx) return report_failure(ctx.error());
  TerminalProgress progress;
  auto device = connect_and_check((*ctx)->session(), o.file, &progress);
  if (!device) return report_failure(device.error());
  (*ctx)->session().link.close();
  progress.finish();
  std::printf("%s %s: файл %s подходит\n", device->name.c_str(), device->version_text.c_str(), o.file.c_str());
  return 0;
}

int firmware_write(const GlobalOptions& g, const FirmwareOptions& o) {
  auto ctx = Context::open(g);
  if (!ctx) return report_failure(ctx.error());
  auto& s = (*ctx)->session();
  TerminalProgress progress;
  auto device = connect_and_check(s, o.file, &progress);
  if (!device) return report_failure(device.error());
  if (!o.yes) {
    if (::isatty(STDIN_FILENO) != 1) {
      s.link.close();
      return report_failure(Error{0, 0, "Запись не подтверждена: запустите с --yes или из терминала", {}});
    }
    progress.finish();
    std::fprintf(stderr, "%s [да/нет] ", firmware::confirmation_question().c_str());
    std::string answer;
    std::getline(std::cin, answer);
    if (answer != "да" && answer != "Да" && answer != "y" && answer != "yes") {
      s.link.close();
      std::fprintf(stderr, "Запись отменена\n");
      return 1;
    }
  }
  std::fprintf(stderr, "Начатую запись ПО нельзя прервать: она идёт до конца или до ошибки.\n");
  if (auto r = firmware::write_usb(s, o.file, &progress); !r) return report_failure(r.error());
  progress.finish();
  std::printf("Обновление ПО успешно завершено!\n");
  return 0;
}

}  // namespace

void add_firmware_command(CLI::App& app, const GlobalOptions& g, Action& action) {
  auto* fw = app.add_subcommand("firmware", "Firmware files and firmware update");
  fw->require_subcommand(1);
  static FirmwareOptions o;

  auto* list = fw->add_subcommand("list", "The firmware files of the Base folder");
  list->add_option("--dir", o.dir, "Folder to list instead of Base in the data folder");
  list->callback([&g, &action] { action = [&g] { return firmware_list(g, o); }; });

  auto* check = fw->add_subcommand("check", "Connect and check a firmware file against the device");
  check->add_option("file", o.file, "Firmware file (.tsk)")->required();
  check->callback([&g, &action] { action = [&g] { return firmware_check(g, o); }; });

  auto* write = fw->add_subcommand("write", "Connect, check and write a firmware file");
  write->add_option("file", o.file, "Firmware file (.tsk)")->required();
  write->add_flag("--yes", o.yes, "Do not ask for confirmation");
  write->callback([&g, &action] { action = [&g] { return firmware_write(g, o); }; });
}

}  // namespace vq::cli
