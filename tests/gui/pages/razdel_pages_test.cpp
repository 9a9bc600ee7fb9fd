// The partition pages and their dialogs, driven by objectName: the dialog rules of each
// partition type, and on the settings window over the virtual panel's demo contents, each
// edit written to the panel changes exactly the bytes it should.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QtTest>

#include "memory/configuration.hpp"
#include "settings/partitions.hpp"
#include "settings/ui/dialogs/mr_integ_dialog.hpp"
#include "settings/ui/dialogs/name_rzd_dialog.hpp"
#include "settings/ui/dialogs/razdel_set_dialog.hpp"
#include "settings/ui/pages/razdel_cfg_page.hpp"
#include "settings/ui/pages/razdel_integ_time_page.hpp"
#include "settings/ui/pages/razdel_mr_page.hpp"
#include "settings/ui/pages/razdel_name_page.hpp"
#include "shell/ui/qt_text.hpp"
#include "support/page_host.hpp"
#include "support/settings_window_rig.hpp"
#include "util/cp1251.hpp"

using namespace vq;
using namespace vq::gui;
using Changes = vq::test::SettingsWindowRig::Changes;
using settings::PartitionSettings;

namespace {

constexpr std::uint32_t kTypes = 0x40, kDelays = 0x147000, kAutoArm = 0x4100, kNames = 0x2500, kInteg = 0x34,
                        kRelays = 0x3B00;

template <class T>
T* child(QObject* parent, const char* name) {
  return parent->findChild<T*>(QString::fromLatin1(name));
}
QComboBox* list(QObject* parent, const char* name) { return child<QComboBox>(parent, name); }
QCheckBox* box(QObject* parent, const char* name) { return child<QCheckBox>(parent, name); }
QRadioButton* radio(QObject* parent, const char* name) { return child<QRadioButton>(parent, name); }
void save(QDialog* d) { child<QPushButton>(d, "SaveButton")->click(); }

QString describe(const Changes& changes) {
  QStringList out;
  for (const auto& [at, v] : changes) out << QStringLiteral("0x%1: %2->%3").arg(at, 0, 16).arg(v.first).arg(v.second);
  return out.join(QStringLiteral(", "));
}

#define COMPARE_CHANGES(actual, expected)                                                                      \
  QVERIFY2((actual) == (expected),                                                                             \
           qPrintable(QStringLiteral("got {%1}, want {%2}").arg(describe(actual)).arg(describe(expected))))

// Enter on row `row` (0-based) of a list view.
void enter_on(QTreeWidget* view, int row) {
  view->setCurrentItem(view->topLevelItem(row));
  QTest::keyClick(view, Qt::Key_Return);
}

// What the dialog shows enabled, in a fixed order, for comparing a whole state at once.
QString enabled_state(QDialog* d) {
  QStringList on;
  for (const char* name : {"RazdDayNightChB", "RazdTihTrevChB", "Razdel1EnterDelayCmB", "Razdel1ExitDelayCmB",
                           "RazdelAutoTimeCmB", "TempLowBoundCmB", "TempHighBoundCmB", "TranZoneRdB"})
    if (d->findChild<QWidget*>(QString::fromLatin1(name))->isEnabled()) on << QString::fromLatin1(name);
  return on.join(QLatin1Char(' '));
}

}  // namespace

class RazdelPagesTest : public QObject {
  Q_OBJECT
 private slots:
  // ---- "Настройки раздела" ----------------------------------------------------------

  void partition_dialog_opens_as_the_type_allows() {
    struct Case {
      const char* what;
      int partition;
      PartitionSettings stored;
      const char* checked;  // objectName of the selected type button, or ""
      const char* enabled;
    };
    const Case cases[] = {
        {"security, auto-arm", 5, {0, false, true, false, false, 10, 20, 60, 3, 7}, "SecRdB",
         "RazdDayNightChB RazdTihTrevChB Razdel1EnterDelayCmB Razdel1ExitDelayCmB RazdelAutoTimeCmB"},
        {"partition 1 may be a transit zone", 1, {1, false, false, false, false, 30, 45, 0, 0, 0}, "TranZoneRdB",
         "RazdDayNightChB RazdTihTrevChB TranZoneRdB"},
        {"fire", 3, {2, true, false, false, false, 0, 0, 0, 0, 0}, "Fire1RdB", ""},
        {"temperature, 24h", 9, {5, true, false, false, false, 0, 0, 0, 2, 8}, "TempCtrlRdB",
         "RazdDayNightChB RazdTihTrevChB TempLowBoundCmB TempHighBoundCmB"},
        {"type 6: no type chosen", 10, {6, true, false, false, false, 0, 0, 0, 0, 0}, "",
         "RazdDayNightChB RazdTihTrevChB"},
        {"transit zone stored on partition 2: no type chosen", 2, {1, false, false, false, false, 0, 0, 0, 0, 0}, "",
         "RazdDayNightChB RazdTihTrevChB"},
    };
    for (const auto& c : cases) {
      TQRazdelSetForm d(c.partition, c.stored);
      QCOMPARE(child<QLabel>(&d, "RazdelNumLabel")->text(), QString::number(c.partition));
      QString checked;
      for (auto* r : d.findChildren<QRadioButton*>())
        if (r->isChecked()) checked = r->objectName();
      QVERIFY2(checked == QString::fromLatin1(c.checked), c.what);
      QVERIFY2(enabled_state(&d) == QString::fromLatin1(c.enabled), qPrintable(enabled_state(&d)));
      QVERIFY2(d.value() == c.stored, c.what);  // confirming without a change keeps everything
    }
    TQRazdelSetForm d(5, {0, false, true, false, false, 10, 20, 60, 3, 7});
    QCOMPARE(list(&d, "Razdel1EnterDelayCmB")->currentText(), QStringLiteral("10"));
    QCOMPARE(list(&d, "Razdel1ExitDelayCmB")->currentText(), QStringLiteral("20"));
    QCOMPARE(list(&d, "RazdelAutoTimeCmB")->currentText(), QStringLiteral("60"));
    QCOMPARE(list(&d, "TempLowBoundCmB")->currentText(), QStringLiteral("0"));
    QCOMPARE(list(&d, "RazdelAutoTimeCmB")->count(), 251);
    QCOMPARE(list(&d, "Razdel1EnterDelayCmB")->count(), 256);
    QCOMPARE(list(&d, "TempHighBoundCmB")->count(), 100);
  }

  void partition_dialog_rules_follow_the_clicks() {
    TQRazdelSetForm d(5, {0, false, true, true, false, 10, 20, 60, 0, 0});
    radio(&d, "Fire2RdB")->click();
    QVERIFY(box(&d, "RazdDayNightChB")->isChecked());
    QVERIFY(!box(&d, "RazdTihTrevChB")->isChecked());
    QCOMPARE(enabled_state(&d), QStringLiteral("RazdelAutoTimeCmB"));
    radio(&d, "TechRdB")->click();  // back from fire: 24h unticked, delays open again
    QVERIFY(!box(&d, "RazdDayNightChB")->isChecked());
    QCOMPARE(enabled_state(&d), QStringLiteral("RazdDayNightChB RazdTihTrevChB Razdel1EnterDelayCmB "
                                               "Razdel1ExitDelayCmB RazdelAutoTimeCmB"));
    box(&d, "RazdDayNightChB")->click();
    QVERIFY(!list(&d, "Razdel1EnterDelayCmB")->isEnabled());
    box(&d, "RazdAutoChB")->click();  // auto-arm off: its time back to 0, disabled
    QCOMPARE(list(&d, "RazdelAutoTimeCmB")->currentText(), QStringLiteral("0"));
    QVERIFY(!list(&d, "RazdelAutoTimeCmB")->isEnabled());
    const auto v = d.value();
    QCOMPARE(v.type, 4);
    QVERIFY(v.round_the_clock && !v.auto_arm);
    QCOMPARE(v.auto_arm_time, 60);  // stays as stored
    QCOMPARE(v.entry_delay, 10);

    // A temperature partition keeps its delays closed with or without 24h.
    TQRazdelSetForm t(9, {5, true, false, false, false, 0, 0, 0, 2, 8});
    box(&t, "RazdDayNightChB")->click();
    QVERIFY(!list(&t, "Razdel1EnterDelayCmB")->isEnabled());
    list(&t, "TempHighBoundCmB")->setCurrentIndex(99);
    QCOMPARE(t.value().temp_high, 99);

    // A fire partition stored without 24h shows what its confirm stores.
    TQRazdelSetForm f(3, {2, false, false, true, false, 0, 0, 0, 0, 0});
    QVERIFY(box(&f, "RazdDayNightChB")->isChecked());
    QVERIFY(!box(&f, "RazdTihTrevChB")->isChecked());
  }

  void partition_edit_reaches_the_panel() {
    vq::test::SettingsWindowRig rig;
    rig.connect_and_read();
    auto* page = rig.visit<RazdelCfgPage>(Node::razdel_cfg);
    QVERIFY(page);
    auto* view = child<QTreeWidget>(page, "RazdelCfgListView");
    QCOMPARE(view->topLevelItemCount(), 96);
    QCOMPARE(view->headerItem()->text(1), QStringLiteral("Тип"));
    QCOMPARE(view->topLevelItem(8)->text(1), QStringLiteral("Контроль температуры"));
    QCOMPARE(view->topLevelItem(9)->text(1), QStringLiteral("Пожарно-аналоговый"));

    // Cancelled: nothing stored.
    rig.ui.ui->dialog_scripts.push_back([](QDialog* d) {
      radio(d, "Fire1RdB")->click();
      child<QPushButton>(d, "CancelButton")->click();
    });
    enter_on(view, 4);
    // Partition 5 (security, auto-arm 60 s, delays 10/20) becomes "Пожарный 2".
    rig.ui.ui->dialog_scripts.push_back([](QDialog* d) {
      QCOMPARE(child<QLabel>(d, "RazdelNumLabel")->text(), QStringLiteral("5"));
      radio(d, "Fire2RdB")->click();
      save(d);
    });
    const QRect cell = view->visualItemRect(view->topLevelItem(4));
    QVERIFY(view->viewport()->rect().contains(cell.center()));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, cell.center());
    QCOMPARE(rig.ui.ui->dialogs, (QStringList{QStringLiteral("TQRazdelSetForm"), QStringLiteral("TQRazdelSetForm")}));
    QCOMPARE(view->topLevelItem(4)->text(1), QStringLiteral("Пожарный 2"));
    QCOMPARE(view->currentItem(), view->topLevelItem(4));  // the selection stays
    QVERIFY(rig.ui.ui->boxes.empty());
    rig.write_all();
    COMPARE_CHANGES(rig.changes(), (Changes{{kTypes + 8, {0, 3}}, {kTypes + 9, {0x02, 0x03}}}));
  }

  void partition_delays_and_auto_arm_reach_the_panel() {
    vq::test::SettingsWindowRig rig;
    rig.connect_and_read();
    auto* view = child<QTreeWidget>(rig.visit<RazdelCfgPage>(Node::razdel_cfg), "RazdelCfgListView");
    // Partition 8 (security, 10/30 s): delays 0/255, auto-arm on at 250 s, silent alarm.
    rig.ui.ui->dialog_scripts.push_back([](QDialog* d) {
      list(d, "Razdel1EnterDelayCmB")->setCurrentIndex(0);
      list(d, "Razdel1ExitDelayCmB")->setCurrentIndex(255);
      box(d, "RazdAutoChB")->click();
      list(d, "RazdelAutoTimeCmB")->setCurrentIndex(250);
      box(d, "RazdTihTrevChB")->click();
      save(d);
    });
    enter_on(view, 7);
    rig.write_all();
    COMPARE_CHANGES(rig.changes(), (Changes{{kTypes + 15, {0x00, 0x06}},
                                            {kDelays + 14, {10, 0}},
                                            {kDelays + 15, {30, 255}},
                                            {kAutoArm + 7, {0, 250}}}));
  }

  // ---- "Наименование разделов" --------------------------------------------------------

  void name_dialog_chooses_or_types() {
    vq::test::ScopedRecordingUi ui;
    {
      TQNameRzdForm d(2, QStringLiteral("склад"));
      QCOMPARE(list(&d, "NameRzdCmB")->count(), 57);
      QCOMPARE(list(&d, "NameRzdCmB")->currentIndex(), 46);
      QVERIFY(!child<QLineEdit>(&d, "NameRzdEdit")->isEnabled());
      QCOMPARE(list(&d, "NameRzdCmB")->itemText(7), QStringLiteral("гаражная  дверь"));
    }
    {
      TQNameRzdForm d(1, QStringLiteral("Офис"));
      QCOMPARE(list(&d, "NameRzdCmB")->currentIndex(), 56);
      QCOMPARE(child<QLineEdit>(&d, "NameRzdEdit")->text(), QStringLiteral("Офис"));
      QVERIFY(child<QLineEdit>(&d, "NameRzdEdit")->isEnabled());
      QCOMPARE(d.value(), QStringLiteral("Офис"));
      list(&d, "NameRzdCmB")->setCurrentIndex(0);  // a listed entry: the typed name goes
      QVERIFY(!child<QLineEdit>(&d, "NameRzdEdit")->isEnabled());
      QCOMPARE(child<QLineEdit>(&d, "NameRzdEdit")->text(), QString());
      QCOMPARE(d.value(), QStringLiteral("раздел"));
    }
    // A name typed into the list that does not fit is refused; the dialog stays open.
    for (const char* typed : {"Бухгалтерия", "Ωмега", ""}) {
      TQNameRzdForm d(4, QStringLiteral("раздел"));
      d.show();
      list(&d, "NameRzdCmB")->setEditText(QString::fromUtf8(typed));
      save(&d);
      QVERIFY2(d.isVisible() && d.result() != QDialog::Accepted, typed);
    }
    QCOMPARE(ui.ui->boxes.size(), std::size_t{3});
    QVERIFY(ui.ui->boxes[0].text.contains(QStringLiteral("Наименование раздела 4: не длиннее 8 знаков")));
  }

  void names_reach_the_panel_on_save() {
    vq::test::SettingsWindowRig rig;
    rig.connect_and_read();
    auto* page = rig.visit<RazdelNamePage>(Node::razdel_name);
    QVERIFY(page);
    auto* view = child<QTreeWidget>(page, "RazdelNameListView");
    QCOMPARE(view->topLevelItem(0)->text(1), QStringLiteral("Офис"));
    QCOMPARE(view->topLevelItem(1)->text(1), QStringLiteral("склад"));
    QCOMPARE(view->topLevelItem(95)->text(1), QStringLiteral("раздел"));

    // Partition 8 "Проходн." takes "склад 1" from the list; partition 1 a typed "Касса".
    rig.ui.ui->dialog_scripts.push_back([](QDialog* d) {
      list(d, "NameRzdCmB")->setCurrentIndex(47);
      save(d);
    });
    enter_on(view, 7);
    rig.ui.ui->dialog_scripts.push_back([](QDialog* d) {
      child<QLineEdit>(d, "NameRzdEdit")->setText(QStringLiteral("Касса"));
      save(d);
    });
    enter_on(view, 0);
    QCOMPARE(view->topLevelItem(7)->text(1), QStringLiteral("склад 1"));
    // Not in the table before "Сохранить изменения".
    QCOMPARE(settings::partition_name(rig.config(), 8), std::string("Проходн."));
    QVERIFY(rig.navigator().has_pending_edits(Node::razdel_name));
    rig.save_page();
    QCOMPARE(rig.ui.ui->texts().last(), QStringLiteral("Изменения успешно сохранены!"));
    rig.write_all();
    const Bytes kassa = utf8_to_cp1251("Касса"), ofis = utf8_to_cp1251("Офис");
    Changes want{{kNames + 7, {63, 47}}};
    for (std::uint32_t k = 0; k < 5; ++k) {
      const std::uint8_t was = k < ofis.size() ? ofis[k] : std::uint8_t{0};
      if (was != kassa[k]) want[kNames + 105 + k] = {was, kassa[k]};
    }
    COMPARE_CHANGES(rig.changes(), want);
  }

  void names_left_unsaved_are_dropped_on_the_next_visit() {
    vq::test::SettingsWindowRig rig;
    rig.connect_and_read();
    auto* view = child<QTreeWidget>(rig.visit<RazdelNamePage>(Node::razdel_name), "RazdelNameListView");
    rig.ui.ui->dialog_scripts.push_back([](QDialog* d) {
      list(d, "NameRzdCmB")->setCurrentIndex(10);
      save(d);
    });
    enter_on(view, 2);
    QCOMPARE(view->topLevelItem(2)->text(1), QStringLiteral("детская"));
    rig.visit(Node::razdel_cfg);
    rig.visit(Node::razdel_name);
    QCOMPARE(view->topLevelItem(2)->text(1), QStringLiteral("серверная"));
    rig.save_page();  // nothing was changed on this visit
    rig.write_all();
    QVERIFY(rig.changes().empty());
  }

  // ---- "Время интегрирования" ---------------------------------------------------------

  void integration_time_reaches_the_panel() {
    vq::test::SettingsWindowRig rig;
    rig.connect_and_read();
    auto* page = rig.visit<RazdelIntegTimePage>(Node::razdel_integ_time);
    QVERIFY(page);
    QVERIFY(radio(page, "RazdelIntegTime1_70")->isChecked());  // demo byte 0x01
    QVERIFY(radio(page, "RazdelIntegTime2_500")->isChecked());
    QCOMPARE(radio(page, "RazdelIntegTime2_70")->text(), QStringLiteral("70"));
    QVERIFY(child<QWidget>(page, "RazdelIntegTime2RdG")->isAncestorOf(radio(page, "RazdelIntegTime2_70")));
    radio(page, "RazdelIntegTime2_70")->click();
    QVERIFY(rig.navigator().has_pending_edits(Node::razdel_integ_time));
    rig.save_page();
    rig.write_all();
    COMPARE_CHANGES(rig.changes(), (Changes{{kInteg, {0x01, 0x05}}}));
  }

  // ---- "Контроль цепи МР" -------------------------------------------------------------

  void relay_dialog_offers_technological_partitions() {
    vq::test::ScopedRecordingUi ui;
    TQMRIntegForm d(3, {6, 0, 9, 0}, {6, 40});
    d.show();
    QCOMPARE(child<QLabel>(&d, "MRNumLabel")->text(), QStringLiteral("3"));
    auto* r1 = list(&d, "Rele1CmB");
    QCOMPARE(r1->count(), 3);
    QCOMPARE(r1->itemText(0), QStringLiteral("-"));
    QCOMPARE(r1->itemText(2), QStringLiteral("40"));
    QCOMPARE(r1->currentText(), QStringLiteral("6"));
    QCOMPARE(list(&d, "Rele2CmB")->currentText(), QStringLiteral("-"));
    QVERIFY(!list(&d, "Rele3CmB")->isVisible());
    QVERIFY(!list(&d, "Rele4CmB")->isVisible());
    QVERIFY(!child<QLabel>(&d, "Rele3Label")->isVisible());
    QCOMPARE(d.value(), std::optional<RelayBindings>(RelayBindings{6, 0, 9, 0}));
    list(&d, "Rele2CmB")->setEditText(QStringLiteral("12"));  // any partition typed stands
    QCOMPARE(d.value(), std::optional<RelayBindings>(RelayBindings{6, 12, 9, 0}));
    for (const char* bad : {"abc", "97", ""}) {
      r1->setEditText(QString::fromLatin1(bad));
      save(&d);
      QVERIFY2(d.isVisible() && d.result() != QDialog::Accepted, bad);
    }
    QCOMPARE(ui.ui->texts().first(), QStringLiteral("Привязка реле 1: введите целое число от 0 до 96"));

    TQMRIntegForm none(4, {0, 0, 0, 0}, {});
    QCOMPARE(list(&none, "Rele1CmB")->count(), 1);
  }

  void relay_binding_reaches_the_panel() {
    vq::test::SettingsWindowRig rig;
    rig.connect_and_read();
    auto* page = rig.visit<RazdelMRPage>(Node::razdel_mr);
    QVERIFY(page);
    auto* view = child<QTreeWidget>(page, "RazdelMRListView");
    QCOMPARE(view->topLevelItemCount(), 2);
    QCOMPARE(view->headerItem()->text(0), QStringLiteral("Модуль МР"));
    const QStringList second{view->topLevelItem(1)->text(0), view->topLevelItem(1)->text(1),
                             view->topLevelItem(1)->text(2), view->topLevelItem(1)->text(3)};
    QCOMPARE(second, (QStringList{QStringLiteral("4"), QStringLiteral("6"), QStringLiteral("-"), QStringLiteral("-")}));
    QCOMPARE(view->columnWidth(3), 1);

    // Module 4 (record 1): relay 2 bound to partition 6; a bad text first is refused.
    rig.ui.ui->dialog_scripts.push_back([](QDialog* d) {
      list(d, "Rele2CmB")->setEditText(QStringLiteral("сорок"));
      save(d);
      list(d, "Rele2CmB")->setCurrentIndex(1);
      save(d);
    });
    enter_on(view, 1);
    QCOMPARE(rig.ui.ui->texts(), QStringList{QStringLiteral("Привязка реле 2: введите целое число от 0 до 96")});
    QCOMPARE(view->topLevelItem(1)->text(2), QStringLiteral("6"));
    QCOMPARE(view->currentItem(), view->topLevelItem(1));
    rig.write_all();
    COMPARE_CHANGES(rig.changes(), (Changes{{kRelays + 9, {0, 6}}}));
  }

  void relay_rows_of_one_module_number_stay_apart() {
    vq::test::ScopedRecordingUi ui;
    vq::test::TestPageHost host;
    auto& t = host.config.image(memory::ImageId::relay_modules);
    t.set_byte(0, 2);   // record 0: module 3
    t.set_byte(12, 2);  // record 2: module 3 again
    RazdelMRPage page(host);
    page.show_from(host.config);
    auto* view = child<QTreeWidget>(&page, "RazdelMRListView");
    QCOMPARE(view->topLevelItemCount(), 2);
    ui.ui->dialog_scripts.push_back([](QDialog* d) {
      list(d, "Rele1CmB")->setEditText(QStringLiteral("5"));
      save(d);
    });
    enter_on(view, 1);
    QCOMPARE(t.byte_at(2), std::uint8_t{0});
    QCOMPARE(t.byte_at(14), std::uint8_t{5});
  }
};

QTEST_MAIN(RazdelPagesTest)
#include "razdel_pages_test.moc"
