// `vantorq-cli firmware`: the firmware catalogue, the file checks and the write over USB.
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iostream>

#include "cli/commands.hpp"
#include "cli/terminal_progress.hpp"
#include "firmware/catalogue.hpp"
#include "firmware/file_checks.hpp"
#include "firmware/firmware_write.hpp"
#include "firmware/firmware_write_rs485.hpp"
#include "link/rs485/adapter.hpp"
#include "shell/data_folders.hpp"
#include "shell/messages.hpp"
#include "sim/sample_firmware.hpp"
#include "util/terminal_text.hpp"

namespace vq::cli {
namespace {

struct FirmwareOptions {
  std::string dir;
  std::string file;
  bool yes = false;
};

// The window's file rules first (nothing is sent for a file that cannot be firmware), then
// the file as the catalogue lists it after the connection, then the header checks.
Result<firmware::Catalogue> catalogue_of(const std::string& file, firmware::FirmwareLink over) {
  if (auto rules = firmware::check_file_rules(file, over); !rules) return std::unexpected(rules.error());
  firmware::Catalogue catalogue;
  if (auto added = catalogue.add_file(file); !added) return std::unexpected(added.error());
  return catalogue;
}

Result<> check_connected(const firmware::Catalogue& catalogue, const std::string& file,
                         const firmware::ConnectedDevice& device) {
  if (auto mask = firmware::check_catalogue_mask(file, device.mask, device.name); !mask) return mask;
  if (auto checked = firmware::check_file(&catalogue.rows().front(), device.info); !checked)
    return std::unexpected(checked.error());
  return {};
}

Result<firmware::ConnectedDevice> connect_and_check(link::Session& s, const std::string& file,
                                                   link::Progress* progress) {
  auto catalogue = catalogue_of(file, firmware::FirmwareLink::usb);
  if (!catalogue) return std::unexpected(catalogue.error());
  auto device = firmware::connect_usb(s, progress);
  if (!device) return std::unexpected(device.error());
  if (auto checked = check_connected(*catalogue, file, *device); !checked) {
    s.link.close();
    return std::unexpected(checked.error());
  }
  return device;
}

// A sample file's body is filler: it goes to the virtual devices only (the built-in panel,
// a bridge to `sim serve`, the virtual relay module on its pseudo-terminal), never to a
// device on USB or behind an RS-485 adapter.
Result<> refuse_sample_for_real_device(const GlobalOptions& g, const std::string& file) {
  // Only a regular file is looked into (opening a FIFO would wait); the file rules refuse the rest.
  std::error_code kind_ec;
  if (!std::filesystem::is_regular_file(file, kind_ec)) return {};
  std::ifstream in(file, std::ios::binary);
  Bytes head(sim::kSampleMarkerAt + sim::kSampleMarker.size());
  in.read(reinterpret_cast<char*>(head.data()), static_cast<std::streamsize>(head.size()));
  if (!in || !sim::is_sample_firmware(head)) return {};
  bool virtual_device = false;
  if (!g.rs485.empty()) {
    std::error_code ec;
    const auto path = g.rs485.starts_with("serial:") ? std::filesystem::canonical(g.rs485.substr(7), ec)
                                                     : std::filesystem::path();
    virtual_device = !ec && path.string().starts_with("/dev/pts/");
  } else {
    virtual_device = g.device != "usb";
  }
  if (virtual_device) return {};
  return fail("Файл " + file + " — учебный файл ПО для виртуальных приборов (vantorq-cli sim firmware-samples); " +
              "в настоящий прибор он не записывается");
}

int firmware_list(const GlobalOptions& g, const FirmwareOptions& o) {
  const auto base = o.dir.empty() ? firmware::firmware_folder(shell::resolve_data_dir(g.data_dir))
                                  : std::filesystem::path(o.dir);
  // A folder named by --dir that is not there is a mistake to tell, not an empty catalogue.
  std::error_code ec;
  if (!o.dir.empty() && !std::filesystem::is_directory(base, ec))
    return report_failure(Error{0, 0,
                                std::filesystem::exists(base, ec) ? "Это не папка: " + terminal_safe(o.dir)
                                                                  : "Нет такой папки: " + terminal_safe(o.dir),
                                {}});
  firmware::Catalogue catalogue;
  const auto report = catalogue.list_all_soft_files(base, firmware::kDeviceFirmwareMode);
  for (const auto& e : report.skipped) std::fprintf(stderr, "%s\n", terminal_safe(e.full()).c_str());
  for (const auto& row : catalogue.rows())
    std::printf("%s\t%s\t%s\t%s\t%s\n", terminal_safe(row.name).c_str(), row.version_text.c_str(),
                row.size_text().c_str(), row.date_text().c_str(), terminal_safe(row.folder.string()).c_str());
  if (catalogue.rows().empty()) std::fprintf(stderr, "В папке %s нет файлов ПО\n", terminal_safe(base.string()).c_str());
  return 0;
}

// The relay module behind the USB–RS-485 adapter named by --rs485.
struct Rs485Link {
  std::unique_ptr<link::rs485::Adapter> adapter;
  std::unique_ptr<link::Pacing> pacing;
  std::unique_ptr<link::FileTrace> trace;
  std::unique_ptr<link::rs485::Rs485Session> session;
  Rs485Link() = default;
  Rs485Link(Rs485Link&&) = default;
  ~Rs485Link() { remember_trace_failure(trace.get()); }
};

Result<Rs485Link> open_rs485(const GlobalOptions& g) {
  Rs485Link l;
  auto adapter = link::rs485::open_adapter(g.rs485);
  if (!adapter) return fail(Error{0, 15034, shell::msg(15034), adapter.error().full()});
  l.adapter = std::move(*adapter);
  auto pacing = link::make_pacing(g.pacing.empty() ? "panel" : g.pacing);
  if (!pacing) return std::unexpected(pacing.error());
  l.pacing = std::move(*pacing);
  if (!g.trace_file.empty()) {
    auto trace = open_trace_file(g.trace_file);
    if (!trace) return std::unexpected(trace.error());
    l.trace = std::move(*trace);
  }
  l.session = std::make_unique<link::rs485::Rs485Session>(
      link::rs485::Rs485Session{*l.adapter, *l.pacing, l.trace.get()});
  return l;
}

Result<firmware::ConnectedDevice> connect_and_check_rs485(link::rs485::Rs485Session& s, const std::string& file,
                                                         link::Progress* progress) {
  auto catalogue = catalogue_of(file, firmware::FirmwareLink::rs485);
  if (!catalogue) return std::unexpected(catalogue.error());
  auto device = firmware::connect_rs485(s, progress);
  if (!device) return std::unexpected(device.error());
  if (auto checked = check_connected(*catalogue, file, *device); !checked) return std::unexpected(checked.error());
  return device;
}

bool confirmed(bool yes, TerminalProgress& progress) {
  if (yes) return true;
  if (::isatty(STDIN_FILENO) != 1) {
    report_failure(Error{0, 0, "Запись не подтверждена: запустите с --yes или из терминала", {}});
    return false;
  }
  progress.finish();
  std::fprintf(stderr, "%s [да/нет] ", firmware::confirmation_question().c_str());
  std::string answer;
  std::getline(std::cin, answer);
  if (answer == "да" || answer == "Да" || answer == "y" || answer == "yes") return true;
  std::fprintf(stderr, "Запись отменена\n");
  return false;
}

int firmware_rs485(const GlobalOptions& g, const FirmwareOptions& o, bool write) {
  auto l = open_rs485(g);
  if (!l) return report_failure(l.error());
  TerminalProgress progress;
  auto device = connect_and_check_rs485(*l->session, o.file, &progress);
  if (!device) return report_failure(device.error());
  if (!write) {
    progress.finish();
    std::printf("%s %s: файл %s подходит\n", device->name.c_str(), device->version_text.c_str(),
                terminal_safe(o.file).c_str());
    return 0;
  }
  if (!confirmed(o.yes, progress)) return 1;
  std::fprintf(stderr, "Начатую запись ПО нельзя прервать: она идёт до конца или до ошибки.\n");
  if (auto r = firmware::write_rs485(*l->session, o.file, &progress); !r) return report_failure(r.error());
  progress.finish();
  std::printf("Обновление ПО успешно завершено!\n");
  return 0;
}

int firmware_check(const GlobalOptions& g, const FirmwareOptions& o) {
  if (auto r = refuse_sample_for_real_device(g, o.file); !r) return report_failure(r.error());
  if (!g.rs485.empty()) return firmware_rs485(g, o, false);
  auto ctx = Context::open(g);
  if (!ctx) return report_failure(ctx.error());
  TerminalProgress progress;
  auto device = connect_and_check((*ctx)->session(), o.file, &progress);
  if (!device) return report_failure(device.error());
  (*ctx)->session().link.close();
  progress.finish();
  std::printf("%s %s: файл %s подходит\n", device->name.c_str(), device->version_text.c_str(),
                terminal_safe(o.file).c_str());
  return 0;
}

int firmware_write(const GlobalOptions& g, const FirmwareOptions& o) {
  if (auto r = refuse_sample_for_real_device(g, o.file); !r) return report_failure(r.error());
  if (!g.rs485.empty()) return firmware_rs485(g, o, true);
  auto ctx = Context::open(g);
  if (!ctx) return report_failure(ctx.error());
  auto& s = (*ctx)->session();
  TerminalProgress progress;
  auto device = connect_and_check(s, o.file, &progress);
  if (!device) return report_failure(device.error());
  if (!confirmed(o.yes, progress)) {
    s.link.close();
    return 1;
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
