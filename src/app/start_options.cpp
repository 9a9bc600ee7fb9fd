#include "app/start_options.hpp"

#include <QCommandLineOption>
#include <QCommandLineParser>

#include "link/rs485/adapter.hpp"
#include "link/usb_transport.hpp"
#include "shell/ui/qt_text.hpp"
#include "shell/ui/ui_services.hpp"

namespace vq::gui {
namespace {

const QString kGenTransTable = QStringLiteral("/gentranstable");

bool valid_device(const QString& uri) {
  if (uri == QLatin1String("usb") || uri == QLatin1String("sim") || uri == QLatin1String("sim:empty")) return true;
  if (uri.startsWith(QLatin1String("unix:"))) return uri.size() > 5;
  if (uri.startsWith(QLatin1String("tcp:"))) {
    const qsizetype colon = uri.lastIndexOf(QLatin1Char(':'));
    bool ok = false;
    const int port = uri.mid(colon + 1).toInt(&ok);
    return colon > 4 && ok && port > 0 && port < 65536;
  }
  return false;
}

}  // namespace

bool is_gentranstable(const QStringList& args) { return args.size() > 1 && args.at(1) == kGenTransTable; }

bool announce_program_path(const QStringList& args, const QString& program_path) {
  if (!is_gentranstable(args)) return false;
  ui().show_message(nullptr, BoxIcon::information, kGenTransTable, program_path);
  return true;
}

namespace {
struct OptionSet {
  QCommandLineOption device{QStringLiteral("device"),
                            QStringLiteral("Где прибор: usb, sim (виртуальный прибор), sim:empty, tcp:ХОСТ:ПОРТ, unix:ПУТЬ."),
                            QStringLiteral("URI"), QStringLiteral("usb")};
  QCommandLineOption data_dir{QStringLiteral("data-dir"), QStringLiteral("Папка данных (Conf, Base, Report, Help)."),
                              QStringLiteral("DIR")};
  QCommandLineOption pacing{QStringLiteral("pacing"), QStringLiteral("Паузы протокола: panel (как нужно настоящему прибору) или none."),
                            QStringLiteral("panel|none")};
  QCommandLineOption timeout{QStringLiteral("timeout"), QStringLiteral("Время ожидания ответа, мс."),
                             QStringLiteral("MS")};
  QCommandLineOption trace{QStringLiteral("trace"), QStringLiteral("Писать протокол обмена в файл."),
                           QStringLiteral("FILE")};
  QCommandLineOption usb_id{QStringLiteral("usb-id"), QStringLiteral("VID:PID прибора (шестнадцатеричные); можно повторять. Без него "
                                           "действует переменная VANTORQ_USB_IDS, без неё — «Настройки программы» → «Система»."),
                            QStringLiteral("VID:PID")};
  QCommandLineOption rs485{QStringLiteral("rs485"),
                           QStringLiteral("Адаптер USB-RS-485 для модуля реле: ftdi, ftdi:НОМЕР, serial:ПУТЬ или sim (виртуальный модуль)."),
                           QStringLiteral("URI")};
  QCommandLineOption portable{QStringLiteral("portable"), QStringLiteral("Файл настроек рядом с программой.")};
  QCommandLineOption exit_when_shown{QStringLiteral("exit-when-shown"),
                                     QStringLiteral("Выйти, как только показано стартовое окно.")};
  QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Справка по параметрам.")};
  QCommandLineOption version{QStringLiteral("version"), QStringLiteral("Версия программы.")};

  void add_to(QCommandLineParser& parser) {
    exit_when_shown.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOptions({device, data_dir, pacing, timeout, trace, usb_id, rs485, portable, exit_when_shown, help, version});
    parser.addPositionalArgument(kGenTransTable, QStringLiteral("Показать полный путь программы."),
                                 QStringLiteral("[/gentranstable]"));
  }
};
}  // namespace

Result<StartOptions> parse_start_options(const QStringList& args) {
  QCommandLineParser parser;
  OptionSet set;
  set.add_to(parser);
  if (!parser.parse(args)) return fail(to_std(parser.errorText()));
  StartOptions o;
  o.help = parser.isSet(set.help);
  const QString device = parser.value(set.device);
  if (!valid_device(device))
    return fail("Неизвестный прибор \"" + to_std(device) + "\": нужно usb, sim, sim:empty, tcp:ХОСТ:ПОРТ или unix:ПУТЬ");
  o.device = to_std(device);
  if (parser.isSet(set.data_dir)) o.data_dir = std::filesystem::path(to_std(parser.value(set.data_dir)));
  if (parser.isSet(set.pacing)) {
    const QString pacing = parser.value(set.pacing);
    if (pacing != QLatin1String("panel") && pacing != QLatin1String("none"))
      return fail("Неизвестный режим пауз \"" + to_std(pacing) + "\": нужно panel или none");
    o.pacing = to_std(pacing);
  }
  if (parser.isSet(set.timeout)) {
    bool ok = false;
    const int ms = parser.value(set.timeout).toInt(&ok);
    if (!ok || ms <= 0) return fail("Время ожидания должно быть положительным числом миллисекунд: " + to_std(parser.value(set.timeout)));
    o.timeout_ms = ms;
  }
  if (parser.isSet(set.trace)) o.trace_file = to_std(parser.value(set.trace));
  for (const QString& id : parser.values(set.usb_id)) {
    if (auto parsed = link::parse_usb_id(to_std(id)); !parsed) return fail(parsed.error());
    o.usb_ids.push_back(to_std(id));
  }
  if (parser.isSet(set.rs485)) {
    const std::string adapter = to_std(parser.value(set.rs485));
    if (adapter != "sim")
      if (auto parsed = link::rs485::parse_adapter_uri(adapter); !parsed) return fail(parsed.error());
    o.rs485 = adapter;
  }
  o.portable = parser.isSet(set.portable);
  o.exit_when_shown = parser.isSet(set.exit_when_shown);
  return o;
}

QString start_options_help() {
  QCommandLineParser parser;
  OptionSet set;
  set.add_to(parser);
  parser.setApplicationDescription(QStringLiteral("VantorQ: настройка ППКОП 630М-Q, журнал событий, обновление ПО."));
  // Without a running application Qt cannot name the program itself.
  QString text = parser.helpText();
  text.replace(QStringLiteral("<executable_name>"), QStringLiteral("vantorq"));
  return text;
}

}  // namespace vq::gui
