// Page tests count the panel bytes an edit changes; this holds their baseline: reading
// the virtual panel and writing it all back, with no edit, changes no byte.
#include <QtTest>

#include "support/settings_window_rig.hpp"

class WriteAllBaselineTest : public QObject {
  Q_OBJECT
 private slots:
  void a_write_without_edits_changes_no_panel_byte() {
    vq::test::SettingsWindowRig rig;
    rig.connect_and_read();
    rig.write_all();
    QVERIFY2(rig.ui.ui->boxes.empty(), qPrintable(rig.ui.ui->texts().join("|")));
    const auto changes = rig.changes();
    QString first;
    if (!changes.empty())
      first = QStringLiteral("0x%1: %2 -> %3")
                  .arg(changes.begin()->first, 0, 16)
                  .arg(changes.begin()->second.first)
                  .arg(changes.begin()->second.second);
    QVERIFY2(changes.empty(), qPrintable(QStringLiteral("%1 bytes, first %2").arg(changes.size()).arg(first)));
  }
};

QTEST_MAIN(WriteAllBaselineTest)
#include "write_all_baseline_test.moc"
