// Every window makes its link to the panel the same way: the ids stored in the preferences
// count for `usb` (and new ones remake the link), and `sim` is the run's one virtual panel.
#include <QTemporaryDir>
#include <QtTest>
#include <fstream>

#include "shell/ui/panel_link.hpp"

using namespace vq;
using namespace vq::gui;

class PanelLinkTest : public QObject {
  Q_OBJECT

 private slots:
  void stored_ids_are_part_of_the_usb_key_only() {
    QTemporaryDir dir;
    AppContext ctx;
    ctx.preferences_file = dir.filePath("vantorq.ini").toStdString();
    QCOMPARE(panel_link_key(ctx, "usb"), std::string("usb|"));
    std::ofstream(ctx.preferences_file) << "[System]\nUsbIds=1234:5678\n";
    QCOMPARE(panel_link_key(ctx, "usb"), std::string("usb|1234:5678"));
    QCOMPARE(panel_link_key(ctx, "sim"), std::string("sim|"));
  }

  void sim_is_the_runs_one_virtual_panel() {
    QTemporaryDir dir;
    AppContext ctx;
    ctx.preferences_file = dir.filePath("vantorq.ini").toStdString();
    auto first = open_panel_link(ctx, "sim");
    QVERIFY(first.has_value());
    QVERIFY(first->link && first->pacing);
    QCOMPARE(first->key, std::string("sim|"));
    const auto panel = ctx.sim_panel;
    QVERIFY(panel != nullptr);
    auto second = open_panel_link(ctx, "sim");
    QVERIFY(second.has_value());
    QCOMPARE(ctx.sim_panel, panel);  // what one window wrote, the next one reads
    QVERIFY(!open_panel_link(ctx, "nowhere").has_value());
  }
};

QTEST_MAIN(PanelLinkTest)
#include "panel_link_test.moc"
