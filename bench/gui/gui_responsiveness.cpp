// How long the settings window's GUI thread is ever blocked while it connects to the
// virtual panel and reads everything. A 1 ms heartbeat timer records the longest gap
// between its ticks; the read itself runs on the window's worker thread.
//   vq_gui_responsiveness [--pacing none|panel] [--runs N]
#include <QApplication>
#include <QAction>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

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

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  std::string pacing = "none";
  int runs = 10;
  for (int i = 1; i + 1 < argc; ++i) {
    if (!std::strcmp(argv[i], "--pacing")) pacing = argv[++i];
    else if (!std::strcmp(argv[i], "--runs")) runs = std::max(1, std::atoi(argv[++i]));
  }
  auto silent = std::make_unique<SilentUi>();
  SilentUi* ui = silent.get();
  vq::gui::set_ui(std::move(silent));

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
