#include "app/application.hpp"

#include <QApplication>
#include <QEvent>
#include <QIcon>
#include <QTimer>
#include <cstdio>
#include <ctime>
#include <exception>
#include <fstream>
#include <optional>
#include <sstream>
#include <system_error>
#include <unistd.h>

#include "app/mode_select_form.hpp"
#include "app/start_options.hpp"
#include "eventlog/ui/mstore_form.hpp"
#include "firmware/ui/change_soft_form.hpp"
#include "settings/ui/dev_settings_form.hpp"
#include "shell/data_folders.hpp"
#include "shell/messages.hpp"
#include "shell/preferences.hpp"
#include "shell/ui/app_context.hpp"
#include "shell/ui/qt_text.hpp"
#include "shell/ui/ui_services.hpp"

namespace vq::gui {
namespace {

// Every start registers Russian as the interface language; the message table is still
// loaded through the language-module path so that a registered module would be used.
constexpr std::string_view kRegisteredLocale = "RU";

std::filesystem::path program_file(const char* argv0) {
  std::error_code ec;
  auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (!ec && !self.empty()) return self;
  auto p = std::filesystem::absolute(argv0 ? argv0 : "vantorq", ec);
  return ec ? std::filesystem::path(argv0 ? argv0 : "vantorq") : p;
}

// Milliseconds since the kernel started this process (/proc/self/stat field 22, in clock
// ticks since boot, against CLOCK_BOOTTIME): includes loading the libraries, unlike a
// timer started in main(). Clock-tick resolution (usually 10 ms).
std::optional<qint64> ms_since_process_start() {
#ifdef __linux__
  std::ifstream stat("/proc/self/stat");
  std::string line;
  if (!std::getline(stat, line)) return std::nullopt;
  const auto close = line.rfind(')');
  if (close == std::string::npos) return std::nullopt;
  std::istringstream fields(line.substr(close + 1));
  std::string field;
  unsigned long long start_ticks = 0;
  for (int i = 3; i <= 22 && fields >> field; ++i)
    if (i == 22) start_ticks = std::stoull(field);
  const long ticks = sysconf(_SC_CLK_TCK);
  timespec now{};
  if (start_ticks == 0 || ticks <= 0 || clock_gettime(CLOCK_BOOTTIME, &now) != 0) return std::nullopt;
  const qint64 now_ms = static_cast<qint64>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
  return now_ms - static_cast<qint64>(start_ticks * 1000ULL / static_cast<unsigned long long>(ticks));
#else
  return std::nullopt;
#endif
}

// Start-up timing: reports once the start window has been painted, then leaves the loop
// without the closing question.
class ShownReporter : public QObject {
 public:
  ShownReporter(QWidget* window, const QElapsedTimer& since_main) : QObject(window), since_main_(since_main) {
    window->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (!done_ && event->type() == QEvent::Paint) {
      done_ = true;
      QTimer::singleShot(0, this, [this] {
        const qint64 from_main = since_main_.elapsed();
        const auto from_start = ms_since_process_start();
        std::printf("start window shown after %lld ms\n", static_cast<long long>(from_start.value_or(from_main)));
        std::printf("(%lld ms after main)\n", static_cast<long long>(from_main));
        std::fflush(stdout);
        QCoreApplication::exit(0);
      });
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  QElapsedTimer since_main_;
  bool done_ = false;
};

}  // namespace

int run_application(int argc, char** argv, const QElapsedTimer& since_main) {
  const std::filesystem::path program = program_file(argc > 0 ? argv[0] : nullptr);
  // The arguments as given, before Qt takes its own out of them.
  QStringList raw_args;
  for (int i = 0; i < argc; ++i) raw_args << QString::fromLocal8Bit(argv[i]);

  // Help needs no display.
  if (raw_args.contains(QStringLiteral("--help")) || raw_args.contains(QStringLiteral("-h"))) {
    std::printf("%s", to_std(start_options_help()).c_str());
    return 0;
  }
  if (raw_args.contains(QStringLiteral("--version"))) {
    std::printf("vantorq %s\n", VQ_VERSION);
    return 0;
  }

  // Preferences stand where the per-user registry key was: mark that the program has run.
  // A preferences file that cannot be written must not stop the program.
  const bool portable = raw_args.contains(QStringLiteral("--portable"));
  const auto preferences_file = shell::preferences_path(program, portable);
  {
    auto prefs = shell::load_preferences(preferences_file);
    if (prefs.first_run) {
      prefs.first_run = false;
      (void)shell::save_preferences(preferences_file, prefs);
    }
  }

  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("vantorq"));
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/vantorq.png")));

  try {
    auto options = parse_start_options(QApplication::arguments());
    if (!options) {
      // Said on the terminal the command line came from; a box would stop a script.
      std::fprintf(stderr, "vantorq: %s\n\n%s", options.error().full().c_str(), to_std(start_options_help()).c_str());
      return 2;
    }

    std::string note;
    shell::set_messages(shell::load_message_table(program, kRegisteredLocale, &note));
    if (!note.empty()) std::fprintf(stderr, "vantorq: %s\n", note.c_str());

    announce_program_path(raw_args, QString::fromStdString(program.string()));

    AppContext context;
    context.program_path = program;
    context.preferences_file = preferences_file;
    context.data_dir = shell::resolve_data_dir(options->data_dir);
    context.device = options->device;
    context.pacing = options->pacing;
    context.timeout_ms = options->timeout_ms;
    context.usb_ids = options->usb_ids;
    context.rs485 = options->rs485;
    context.trace_file = options->trace_file;
    if (auto made = shell::ensure_data_dir(context.data_dir); !made)
      ui().show_message(nullptr, BoxIcon::error, caption_system(), qs(made.error().full()));

    // The long-lived windows, in their fixed order; the mode windows belong to the start
    // window, so they are centred on it and go with it.
    TQModeSelectForm start(context);
    auto* settings = new TQDevSettingsForm(context, &start);
    auto* firmware = new TQChangeSoftForm(context, &start);
    auto* event_log = new TQMStoreForm(context, &start);
    start.set_mode_windows(firmware, settings, event_log);

    // Coming back to the program brings a minimised group of windows back together.
    QObject::connect(&app, &QGuiApplication::applicationStateChanged, &start, [&start, settings, firmware, event_log](Qt::ApplicationState state) {
      if (state != Qt::ApplicationActive) return;
      for (QWidget* w : std::initializer_list<QWidget*>{&start, firmware, settings, event_log})
        if (w->isVisible() && w->isMinimized()) w->showNormal();
    });

    if (options->exit_when_shown) new ShownReporter(&start, since_main);
    start.show();
    return QApplication::exec();
  } catch (const std::exception& e) {
    ui().show_message(nullptr, BoxIcon::error, caption_system(), QString::fromUtf8(e.what()));
    return 1;
  }
}

}  // namespace vq::gui
