// How long the settings window's GUI thread is ever blocked while it connects to the
// virtual panel and reads everything. A 1 ms heartbeat timer records the longest gap
// between its ticks; the read itself runs on the window's worker thread.
//   vq_gui_responsiveness [--pacing none|panel] [--runs N]
// With --firmware usb|rs485 [--size BYTES] it measures the firmware window instead: connect
// to the virtual panel (or the virtual relay module) and write a firmware file of that size.
#include <QApplication>
#include <QAction>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "firmware/ui/change_soft_form.hpp"
#include "shell/ui/start_mode.hpp"
#include "sim/relay_module.hpp"
#include "sim/virtual_panel.hpp"

#include "settings/ui/dev_settings_form.hpp"
#include "shell/ui/ui_services.hpp"
#include "sim/demo_panel.hpp"

namespace {

class SilentUi final : public vq::gui::UiServices {
 public:
  int boxes = 0;
  void show_message(QWidget*, vq::gui::BoxIcon, const QString&, const QString&) override { ++boxes; }
  bool ask(QWidget*, vq::gui::BoxIcon, const QString&, const QString&) override { return true; }
};

qint64 thread_cpu_ns() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<qint64>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

// The longest gap between the ticks of a 1 ms timer while measuring, and the most CPU time
// the GUI thread spent within one gap: on a loaded machine the first also counts the time
// the thread waited for a core, the second only the window's own work.
struct Heartbeat {
  QElapsedTimer clock;
  qint64 last = 0, worst = 0, last_cpu = 0, worst_cpu = 0;
  bool measuring = false;
  QTimer timer;
  Heartbeat() {
    timer.setInterval(1);
    QObject::connect(&timer, &QTimer::timeout, [this] {
      const qint64 now = clock.nsecsElapsed(), cpu = thread_cpu_ns();
      if (measuring) {
        worst = std::max(worst, now - last);
        worst_cpu = std::max(worst_cpu, cpu - last_cpu);
      }
      last = now;
      last_cpu = cpu;
    });
    clock.start();
    timer.start();
  }
  void begin() {
    last = clock.nsecsElapsed();
    last_cpu = thread_cpu_ns();
    measuring = true;
  }
  void end() { measuring = false; }
};

// Connect and write a firmware file of `size` bytes, `runs` times; the write and the connect
// run on the window's worker thread.
int firmware_case(const std::string& link, const std::string& pacing, int runs, std::size_t size, SilentUi* ui) {
  QTemporaryDir dir;
  vq::gui::AppContext ctx;
  ctx.program_path = (dir.path() + "/vantorq").toStdString();
  ctx.data_dir = (dir.path() + "/data").toStdString();
  ctx.preferences_file = (dir.path() + "/none.ini").toStdString();
  ctx.device = "sim";
  ctx.rs485 = "sim";
  ctx.pacing = pacing;
  ctx.sim_panel = vq::sim::make_panel(true);
  ctx.sim_relay = std::make_shared<vq::sim::RelayModule>();
  const bool bus = link == "rs485";
  const std::uint16_t type = bus ? 526 : 630;
  const std::uint16_t platform = bus ? ctx.sim_relay->identity().platform : ctx.sim_panel->identity().platform;
  std::vector<char> bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 13 + 1);
  const char head[4] = {static_cast<char>(type & 0xFF), static_cast<char>(type >> 8), static_cast<char>(platform & 0xFF),
                        static_cast<char>(platform >> 8)};
  std::copy(head, head + 4, bytes.begin());
  const auto base = ctx.data_dir / "Base";
  std::filesystem::create_directories(base);
  const std::string name = bus ? "526_bench.tsk" : "630M_bench.tsk";
  std::ofstream(base / name, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  vq::gui::set_start_mode(1);

  vq::gui::TQChangeSoftForm form(ctx);
  form.show();
  if (bus) form.set_link_choice(vq::gui::TQChangeSoftForm::Link::rs485);
  Heartbeat beat;
  std::vector<double> totals;
  for (int r = 0; r < runs; ++r) {
    form.findChild<QAction*>("MenuOnlineAction")->trigger();
    QElapsedTimer run;
    run.start();
    beat.begin();
    QEventLoop loop;
    auto c = QObject::connect(&form, &vq::gui::TQChangeSoftForm::transfer_finished, &loop, [&] { loop.quit(); });
    form.MenuConnectActionExecute();
    if (form.transfer_running()) loop.exec();
    if (!form.connected() || ui->boxes) {
      std::fprintf(stderr, "run %d: the connect failed\n", r);
      return 1;
    }
    auto* list = form.findChild<QTreeWidget*>("ListView1");
    list->setCurrentItem(list->topLevelItem(0));
    form.MenuWriteActionExecute();
    if (form.transfer_running()) loop.exec();
    QObject::disconnect(c);
    beat.end();
    totals.push_back(static_cast<double>(run.nsecsElapsed()) / 1e6);
    // The success box is the one box a good write shows.
    if (ui->boxes != 1) {
      std::fprintf(stderr, "run %d: the write failed\n", r);
      return 1;
    }
    ui->boxes = 0;
  }
  std::sort(totals.begin(), totals.end());
  std::printf("firmware over %s, %zu bytes, pacing %s, %d runs: connect + write median %.1f ms; GUI thread blocked at "
              "most %.2f ms (its own work at most %.2f ms)\n",
              link.c_str(), size, pacing.c_str(), runs, totals[totals.size() / 2], static_cast<double>(beat.worst) / 1e6,
              static_cast<double>(beat.worst_cpu) / 1e6);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  std::string pacing = "none";
  std::string firmware;
  std::size_t size = 256 * 1024;
  int runs = 10;
  for (int i = 1; i + 1 < argc; ++i) {
    if (!std::strcmp(argv[i], "--pacing")) pacing = argv[++i];
    else if (!std::strcmp(argv[i], "--runs")) runs = std::max(1, std::atoi(argv[++i]));
    else if (!std::strcmp(argv[i], "--firmware")) firmware = argv[++i];
    else if (!std::strcmp(argv[i], "--size")) size = static_cast<std::size_t>(std::max(12L, std::atol(argv[++i])));
  }
  auto silent = std::make_unique<SilentUi>();
  SilentUi* ui = silent.get();
  vq::gui::set_ui(std::move(silent));
  if (!firmware.empty()) return firmware_case(firmware, pacing, runs, size, ui);

  vq::gui::AppContext ctx;
  ctx.program_path = "/tmp/vantorq-bench/vantorq";
  ctx.data_dir = "/tmp/vantorq-bench/data";
  ctx.preferences_file = "/tmp/vantorq-bench/none.ini";
  ctx.device = "sim";
  ctx.pacing = pacing;
  ctx.sim_panel = vq::sim::make_panel(true);

  vq::gui::TQDevSettingsForm form(ctx);
  form.show();

  QElapsedTimer clock;
  qint64 last = 0, worst = 0;
  bool measuring = false;
  QTimer heartbeat;
  heartbeat.setInterval(1);
  QObject::connect(&heartbeat, &QTimer::timeout, [&] {
    const qint64 now = clock.nsecsElapsed();
    if (measuring) worst = std::max(worst, now - last);
    last = now;
  });
  clock.start();
  heartbeat.start();

  std::vector<double> totals;
  for (int r = 0; r < runs; ++r) {
    form.findChild<QAction*>("MenuOnlineAction")->trigger();
    QElapsedTimer run;
    run.start();
    last = clock.nsecsElapsed();
    measuring = true;
    QEventLoop loop;
    auto c = QObject::connect(&form, &vq::gui::TQDevSettingsForm::transfer_finished, &loop, [&] {
      if (!form.transfer_running()) loop.quit();  // the read that follows the connect is done
    });
    form.MenuConnectActionExecute();
    if (form.transfer_running()) loop.exec();
    QObject::disconnect(c);
    measuring = false;
    totals.push_back(static_cast<double>(run.nsecsElapsed()) / 1e6);
    if (form.mode() != vq::gui::TQDevSettingsForm::Mode::connected || ui->boxes) {
      std::fprintf(stderr, "run %d: the read failed\n", r);
      return 1;
    }
    form.MenuDisonnectActionExecute();
  }
  std::sort(totals.begin(), totals.end());
  std::printf("pacing %s, %d runs: connect + read-all median %.1f ms; GUI thread blocked at most %.2f ms\n",
              pacing.c_str(), runs, totals[totals.size() / 2], static_cast<double>(worst) / 1e6);
  return 0;
}
