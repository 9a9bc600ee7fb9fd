// The event-log window with a full journal (9,900 events): how long the list and the chart
// take to show them, how long one keystroke in the search box takes to re-filter and
// repaint, and how long the GUI thread is ever blocked while the window reads the journal
// from the virtual panel (a 1 ms heartbeat records the longest gap). Offscreen platform:
//   QT_QPA_PLATFORM=offscreen vq_gui_event_log_view [--runs N] [--pacing none|panel]
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTableView>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "eventlog/ui/event_day_chart.hpp"
#include "eventlog/ui/event_list_model.hpp"
#include "eventlog/ui/mstore_form.hpp"
#include "shell/ui/ui_services.hpp"
#include "sim/demo_journal.hpp"
#include "sim/demo_panel.hpp"

namespace {

class SilentUi final : public vq::gui::UiServices {
 public:
  int boxes = 0;
  void show_message(QWidget*, vq::gui::BoxIcon, const QString&, const QString&) override { ++boxes; }
  bool ask(QWidget*, vq::gui::BoxIcon, const QString&, const QString&) override { return false; }
  bool run_dialog(QDialog*) override { return false; }
};

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}
double worst(const std::vector<double>& v) { return *std::max_element(v.begin(), v.end()); }
double ms(const QElapsedTimer& t) { return static_cast<double>(t.nsecsElapsed()) / 1e6; }

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  int runs = 10;
  std::string pacing = "none";
  for (int i = 1; i + 1 < argc; ++i) {
    if (!std::strcmp(argv[i], "--runs")) runs = std::max(1, std::atoi(argv[++i]));
    else if (!std::strcmp(argv[i], "--pacing")) pacing = argv[++i];
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
  vq::sim::load_demo_journal(*ctx.sim_panel, 9900);

  vq::gui::TQMStoreForm form(ctx);
  form.resize(1000, 700);
  form.show();
  app.processEvents();

  // The read, with the heartbeat measuring the GUI thread's longest stall.
  QElapsedTimer clock;
  qint64 last = 0, stall = 0;
  bool measuring = false;
  QTimer heartbeat;
  heartbeat.setInterval(1);
  QObject::connect(&heartbeat, &QTimer::timeout, [&] {
    const qint64 now = clock.nsecsElapsed();
    if (measuring) stall = std::max(stall, now - last);
    last = now;
  });
  clock.start();
  heartbeat.start();
  std::vector<double> reads;
  for (int r = 0; r < std::max(1, runs / 2); ++r) {
    QElapsedTimer run;
    run.start();
    last = clock.nsecsElapsed();
    measuring = true;
    QEventLoop loop;
    auto c = QObject::connect(&form, &vq::gui::TQMStoreForm::job_finished, &loop, &QEventLoop::quit);
    form.findChild<QAction*>("MenuConnectAction")->trigger();
    if (form.job_running()) loop.exec();
    QObject::disconnect(c);
    measuring = false;
    reads.push_back(ms(run));
    if (form.model()->rows().size() != 9900 || ui->boxes) {
      std::fprintf(stderr, "read %d failed: %zu rows\n", r, form.model()->rows().size());
      return 1;
    }
  }
  heartbeat.stop();
  const std::vector<vq::eventlog::EventRow> rows = form.model()->rows();

  // 9,900 rows into the list and the chart, both painted.
  std::vector<double> shows;
  for (int r = 0; r < runs; ++r) {
    form.show_rows({});
    app.processEvents();
    QElapsedTimer t;
    t.start();
    form.show_rows(rows);
    form.list()->viewport()->repaint();
    form.chart()->repaint();
    shows.push_back(ms(t));
  }

  // One keystroke in the search box: re-filtered and painted.
  auto* search = form.findChild<QLineEdit*>("SearchEdit");
  const QString typed = QStringLiteral("склад#0");
  std::vector<double> keys;
  for (int r = 0; r < runs; ++r) {
    search->clear();
    app.processEvents();
    for (const QChar ch : typed) {
      QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
      QElapsedTimer t;
      t.start();
      QApplication::sendEvent(search, &press);
      form.list()->viewport()->repaint();
      keys.push_back(ms(t));
    }
    QKeyEvent back(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier);
    QElapsedTimer t;
    t.start();
    QApplication::sendEvent(search, &back);
    form.list()->viewport()->repaint();
    keys.push_back(ms(t));
  }

  std::printf("event log, 9900 events, pacing %s:\n", pacing.c_str());
  std::printf("  read from the panel: median %.1f ms; GUI thread blocked at most %.2f ms\n", median(reads),
              static_cast<double>(stall) / 1e6);
  std::printf("  list + chart shown: median %.1f ms, worst %.1f ms (%d runs)\n", median(shows), worst(shows), runs);
  std::printf("  search keystroke re-filtered: median %.2f ms, worst %.2f ms (%zu keystrokes)\n", median(keys),
              worst(keys), keys.size());
  return 0;
}
