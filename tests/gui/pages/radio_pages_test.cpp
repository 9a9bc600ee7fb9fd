// The radio network pages and the device parameter dialog, driven by objectName on the
// settings window over the virtual panel's demo contents: each edit written to the panel
// changes exactly the bytes it should.
#include <QComboBox>
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QtTest>

#include "memory/configuration.hpp"
#include "settings/radio_network.hpp"
#include "settings/ui/dialogs/radio_net_dev_dialog.hpp"
#include "settings/ui/pages/radio_net_dev_page.hpp"
#include "settings/ui/pages/radio_net_set_page.hpp"
#include "settings/ui/pages/rpdi_page.hpp"
#include "settings/ui/widgets/mark_grid.hpp"
#include "shell/ui/qt_text.hpp"
#include "support/page_host.hpp"
#include "support/settings_window_rig.hpp"

using namespace vq;
using namespace vq::gui;
using Changes = vq::test::SettingsWindowRig::Changes;
using memory::ImageId;
using settings::RadioParam;

namespace {

constexpr std::uint32_t kDevices = 0x2000, kParams = 0x3406, kChannel = 0x35, kLoops = 0x39, kOutputs = 0x100;

template <class T = QComboBox>
T* child(QObject* parent, const char* name) {
  return parent->findChild<T*>(QString::fromLatin1(name));
}

// The user picks entry `index` of a list.
void choose(QComboBox* list, int index) {
  list->setCurrentIndex(index);
  emit list->activated(index);
}

QString describe(const Changes& changes) {
  QStringList out;
  for (const auto& [at, v] : changes) out << QStringLiteral("0x%1: %2->%3").arg(at, 0, 16).arg(v.first).arg(v.second);
  return out.join(QStringLiteral(", "));
}

#define COMPARE_CHANGES(actual, expected)                                                                      \
  QVERIFY2((actual) == (expected),                                                                             \
           qPrintable(QStringLiteral("got {%1}, want {%2}").arg(describe(actual)).arg(describe(expected))))

void select_row(RadioNetDevPage* page, int device) { page->list()->setCurrentItem(page->list()->topLevelItem(device - 1)); }

void put_device(memory::Configuration& c, int n, int type, std::uint8_t p0, std::uint8_t p1 = 0) {
  c.image(ImageId::radio_devices).set_byte(6 + 2 * static_cast<std::size_t>(n - 1), static_cast<std::uint8_t>(type));
  c.image(ImageId::radio_device_params).set_byte(2 * static_cast<std::size_t>(n - 1), p0);
  c.image(ImageId::radio_device_params).set_byte(2 * static_cast<std::size_t>(n - 1) + 1, p1);
}

}  // namespace

class RadioPagesTest : public QObject {
  Q_OBJECT
 private slots:
  // ---- "Текущие параметры сети" ----------------------------------------------------

  void channel_period_edit_reaches_the_panel() {
    vq::test::SettingsWindowRig rig;
    rig.connect_and_read();
    auto* page = rig.visit<RadioNetSetPage>(Node::radio_net_set);
    QVERIFY(page);
    auto* period = child(page, "ChCtrlPeriodCmB");
    QCOMPARE(period->currentText(), QStringLiteral("12"));
    QCOMPARE(period->count(), 39);
    period->setCurrentIndex(period->findText(QStringLiteral("20")));
    QVERIFY(rig.navigator().has_pending_edits(Node::radio_net_set));
    rig.save_page();
    rig.write_all();
    COMPARE_CHANGES(rig.changes(), (Changes{{kChannel, {12, 20}}}));
  }

  void channel_period_off_the_list_and_bad_text() {
    vq::test::ScopedRecordingUi ui;
    vq::test::TestPageHost host;
    RadioNetSetPage page(host);
    auto& t = host.config.image(ImageId::radio_channel_control);
    t.set_byte(0, 3);
    page.show_from(host.config);
    auto* period = child(&page, "ChCtrlPeriodCmB");
    QCOMPARE(period->currentIndex(), -1);
    QCOMPARE(period->currentText(), QString());
    QVERIFY(page.apply_to(host.config));  // nothing chosen: nothing stored
    QCOMPARE(t.byte_at(0), std::uint8_t{3});
    for (const char* typed : {"43", "abc", "3"}) {
      period->setEditText(QString::fromLatin1(typed));
      const auto r = page.apply_to(host.config);
      QVERIFY2(!r, typed);
      QCOMPARE(qs(r.error().text), QStringLiteral("Период контроля канала: введите целое число от 4 до 42"));
      QCOMPARE(t.byte_at(0), std::uint8_t{3});
    }
    period->setEditText(QStringLiteral(" 42 "));
    QVERIFY(page.apply_to(host.config));
    QCOMPARE(t.byte_at(0), std::uint8_t{42});
  }

  // ---- "Изменение параметров устройств" ----------------------------------------------

  void device_list_shows_state_and_type() {
    vq::test::SettingsWindowRig rig;
    rig.connect_and_read();
    auto* page = rig.visit<RadioNetDevPage>(Node::radio_net_dev);
    QVERIFY(page);
    auto* list = child<QTreeWidget>(page, "RadioNetDevListView");
    QCOMPARE(list->topLevelItemCount(), 250);
    QCOMPARE(list->headerItem()->text(0), QStringLiteral("Номер"));
    struct Row {
      int n;
      const char* status;
      const char* type;
    };
    for (const Row& r : {Row{1, "зарегистрирован", "ИК"}, Row{11, "зарегистрирован", "РПД"},
                         Row{17, "зарегистрирован", "РТМ"}, Row{20, "нет устройства", "-"},
                         Row{250, "нет устройства", "-"}}) {
      const auto* item = list->topLevelItem(r.n - 1);
      QCOMPARE(item->text(0), QString::number(r.n));
      QCOMPARE(item->text(1), QString::fromUtf8(r.status));
      QCOMPARE(item->text(2), QString::fromUtf8(r.type));
    }
    auto* menu = page->popup_menu();
    QCOMPARE(menu->objectName(), QStringLiteral("RadioNetDevPopupMenu"));
    QStringList entries;
    for (auto* a : menu->actions()) entries << a->text();
    QCOMPARE(entries, (QStringList{QStringLiteral("Редактировать устройство"), QStringLiteral("Удалить устройство"),
                                   QStringLiteral("Удалить все устройства")}));
  }

  // ИК 2 from "низкая" to "высокая", the refused levels on the way.
  void dialog_edit_reaches_the_panel() {
    vq::test::SettingsWindowRig rig;
    rig.connect_and_read();
    auto* page = rig.visit<RadioNetDevPage>(Node::radio_net_dev);
    select_row(page, 2);
    auto* ui = rig.ui.ui;
    bool checked = false;
    ui->dialog_scripts.push_back([&](QDialog* d) {
      QCOMPARE(d->windowTitle(), QStringLiteral("Параметры устройства"));
      QCOMPARE(child<QLabel>(d, "RadioDevNumLabel")->text(), QStringLiteral("2"));
      auto* save = child<QPushButton>(d, "SaveButton");
      QVERIFY(!save->isEnabled());
      QVERIFY(child<QRadioButton>(d, "ToSelectedRdB")->isChecked());
      for (const char* name : {"EnCh2CmB", "SensCh1CmB"}) QVERIFY2(child(d, name)->isEnabled(), name);
      for (const char* name : {"SensCh2CmB", "InvCh2CmB", "DevTypeCmB", "EnCh1CmB", "OPRVolumeCmB", "IPTGradCmB",
                               "VBRSensCmB", "VBRIntegTimeCmB"})
        QVERIFY2(!child(d, name)->isEnabled(), name);
      QCOMPARE(child(d, "InvCh2CmB")->currentText(), QStringLiteral("НЗ"));
      QCOMPARE(child(d, "EnCh2CmB")->currentText(), QStringLiteral("включен"));
      auto* sens = child(d, "SensCh1CmB");
      QCOMPARE(sens->currentText(), QStringLiteral("низкая"));
      choose(sens, 2);  // "хорошая": refused, "высокая" instead
      QCOMPARE(sens->currentText(), QStringLiteral("высокая"));
      choose(sens, 1);  // "нормальная": refused, "низкая" instead
      QCOMPARE(sens->currentText(), QStringLiteral("низкая"));
      choose(sens, 3);
      QVERIFY(save->isEnabled());
      save->click();
      checked = true;
    });
    page->RadioNetDevListViewDblClick();
    QVERIFY(checked);
    QCOMPARE(ui->dialogs, QStringList{QStringLiteral("TRadioNetDevForm")});
    QCOMPARE(ui->texts(), (QStringList{m(15024), m(15024)}));
    QCOMPARE(ui->boxes.front().caption, m(15021));
    QVERIFY(ui->boxes.front().icon == BoxIcon::information);
    rig.write_all();
    COMPARE_CHANGES(rig.changes(), (Changes{{kParams + 2, {0x40, 0x43}}, {kParams + 3, {0x00, 0x80}}}));
  }

  void to_all_of_type_reaches_every_device_of_the_type() {
    vq::test::SettingsWindowRig rig;
    rig.connect_and_read();
    auto* page = rig.visit<RadioNetDevPage>(Node::radio_net_dev);
    select_row(page, 1);
    rig.ui.ui->dialog_scripts.push_back([](QDialog* d) {
      choose(child(d, "SensCh1CmB"), 0);
      child<QRadioButton>(d, "ToAllRdB")->click();
      child<QPushButton>(d, "SaveButton")->click();
    });
    page->RadioNetDevListViewDblClick();
    rig.write_all();
    // ИК 1, 2 and 10 take every list of the dialog shown for ИК 1 ("низкая", auxiliary
    // input off) and the mark; АК 4 stays as it was.
    COMPARE_CHANGES(rig.changes(), (Changes{{kParams + 0, {0x03, 0x00}},
                                            {kParams + 1, {0x00, 0x80}},
                                            {kParams + 2, {0x40, 0x00}},
                                            {kParams + 3, {0x00, 0x80}},
                                            {kParams + 18, {0x03, 0x00}},
                                            {kParams + 19, {0x00, 0x80}}}));
  }

  void cancel_and_an_empty_slot_change_nothing() {
    vq::test::SettingsWindowRig rig;
    rig.connect_and_read();
    auto* page = rig.visit<RadioNetDevPage>(Node::radio_net_dev);
    auto* ui = rig.ui.ui;
    page->RadioNetDevListViewDblClick();  // no row selected: nothing
    QVERIFY(ui->dialogs.isEmpty());
    select_row(page, 5);
    ui->dialog_scripts.push_back([](QDialog* d) {
      choose(child(d, "VBRIntegTimeCmB"), 3);
      child<QPushButton>(d, "CancelButton")->click();
    });
    page->RadioNetDevListViewDblClick();
    QCOMPARE(ui->dialogs.size(), 1);
    select_row(page, 20);
    page->RadioNetDevListViewDblClick();
    QCOMPARE(ui->dialogs.size(), 1);
    QCOMPARE(ui->texts(), QStringList{QStringLiteral("Радиоустройство 20: нет устройства — изменять нечего.")});
    rig.write_all();
    COMPARE_CHANGES(rig.changes(), Changes{});
  }

  void deleting_a_device_frees_its_outputs_on_the_panel() {
    vq::test::SettingsWindowRig rig;
    rig.connect_and_read();
    auto* page = rig.visit<RadioNetDevPage>(Node::radio_net_dev);
    auto* ui = rig.ui.ui;
    select_row(page, 20);
    page->N9Click();  // an empty slot: said, not asked
    QCOMPARE(ui->texts(), QStringList{m(15131)});
    QVERIFY(!ui->boxes.back().question);
    select_row(page, 17);
    ui->answers = {false};
    page->N9Click();
    QCOMPARE(ui->boxes.back().text, m(15132));
    QCOMPARE(ui->boxes.back().caption, m(15004));
    QVERIFY(ui->boxes.back().question);
    QCOMPARE(page->list()->topLevelItem(16)->text(1), m(15122));
    ui->answers = {true};
    page->N9Click();
    QCOMPARE(page->list()->topLevelItem(16)->text(1), m(15121));
    QCOMPARE(page->list()->topLevelItem(16)->text(2), QStringLiteral("-"));
    QVERIFY(page->list()->topLevelItem(16)->isSelected());
    rig.write_all();
    // РТМ 17 drives outputs 6 and 7; РТМ 18's output 8 stays bound; the parameters stay.
    COMPARE_CHANGES(rig.changes(), (Changes{{kDevices + 6 + 32, {226, 0}},
                                            {kDevices + 7 + 32, {6, 0}},
                                            {kOutputs + 100, {0x20, 0}},
                                            {kOutputs + 101, {17, 0}},
                                            {kOutputs + 120, {0x21, 0}},
                                            {kOutputs + 121, {17, 0}}}));
  }

  void deleting_all_devices_empties_every_row() {
    vq::test::SettingsWindowRig rig;
    rig.connect_and_read();
    auto* page = rig.visit<RadioNetDevPage>(Node::radio_net_dev);
    rig.ui.ui->answers = {true};
    child<QAction>(page, "N10")->trigger();
    QCOMPARE(rig.ui.ui->boxes.back().text, m(15133));
    for (int r = 0; r < 250; ++r) {
      QCOMPARE(page->list()->topLevelItem(r)->text(1), m(15121));
      QCOMPARE(page->list()->topLevelItem(r)->text(2), QStringLiteral("-"));
    }
    // Radio outputs are free; the sounder СЗО 14 (class 4) keeps its outputs 4 and 5.
    auto& c = rig.config();
    for (int k : {6, 7, 8, 12}) QCOMPARE(c.image(ImageId::system_outputs).byte_at(20 * (k - 1) + 1), std::uint8_t{0});
    for (int k : {4, 5}) QCOMPARE(c.image(ImageId::system_outputs).byte_at(20 * (k - 1) + 1), std::uint8_t{14});
  }

  // ---- the dialog's own rules ---------------------------------------------------------

  void dialog_device_kind_brings_its_lists_along() {
    vq::test::ScopedRecordingUi ui;
    settings::RadioDeviceParams stored;
    stored[RadioParam::main_channel] = 1;
    stored[RadioParam::aux_input] = 1;
    stored[RadioParam::aux_input_type] = 1;
    stored[RadioParam::device_kind] = 0;
    TRadioNetDevForm d(3, 1, stored);
    QCOMPARE(child(&d, "InvCh2CmB")->currentText(), QStringLiteral("НЗ"));  // an СМК shows НЗ
    choose(child(&d, "DevTypeCmB"), 1);
    struct State {
      const char* name;
      const char* text;
      bool enabled;
    };
    for (const State& s : {State{"DevTypeCmB", "РПД", true}, State{"EnCh2CmB", "включен", false},
                           State{"InvCh2CmB", "НР", true}, State{"EnCh1CmB", "выключен", false},
                           State{"SensCh1CmB", "", false}}) {
      QCOMPARE(child(&d, s.name)->currentText(), QString::fromUtf8(s.text));
      QCOMPARE(child(&d, s.name)->isEnabled(), s.enabled);
    }
    QVERIFY(child<QPushButton>(&d, "SaveButton")->isEnabled());
    choose(child(&d, "DevTypeCmB"), 0);
    for (const State& s : {State{"EnCh2CmB", "выключен", true}, State{"InvCh2CmB", "НЗ", false},
                           State{"EnCh1CmB", "включен", true}}) {
      QCOMPARE(child(&d, s.name)->currentText(), QString::fromUtf8(s.text));
      QCOMPARE(child(&d, s.name)->isEnabled(), s.enabled);
    }
    const auto v = d.value();
    QCOMPARE(v.params[RadioParam::device_kind], std::optional<int>(0));
    QCOMPARE(v.params[RadioParam::aux_input_type], std::optional<int>(0));
    QCOMPARE(v.params[RadioParam::main_channel], std::optional<int>(1));
    QVERIFY(!v.to_all_of_type);
  }

  void dialog_refuses_a_bad_threshold_and_no_volume() {
    vq::test::ScopedRecordingUi ui;
    settings::RadioDeviceParams ipt;
    ipt[RadioParam::threshold_temp] = 8;  // off the list: shown as typed
    TRadioNetDevForm d(9, 35, ipt);
    auto* grad = child(&d, "IPTGradCmB");
    QCOMPARE(grad->currentText(), QStringLiteral("8"));
    QVERIFY(grad->isEnabled());
    for (const char* typed : {"70", "x", ""}) {
      grad->setEditText(QString::fromLatin1(typed));
      d.setResult(QDialog::Rejected);
      d.accept();
      QCOMPARE(d.result(), int(QDialog::Rejected));
    }
    QCOMPARE(ui.ui->boxes.size(), std::size_t{3});
    QCOMPARE(ui.ui->boxes.back().text,
             QStringLiteral("Пороговая температура сработки (для ИПТ): введите целое число от 54 до 65"));
    grad->setEditText(QStringLiteral("55"));
    d.accept();
    QCOMPARE(d.result(), int(QDialog::Accepted));
    QCOMPARE(d.value().params[RadioParam::threshold_temp], std::optional<int>(55));

    settings::RadioDeviceParams opr;
    opr[RadioParam::volume] = 0;
    TRadioNetDevForm o(15, 66, opr);
    QCOMPARE(child(&o, "OPRVolumeCmB")->currentIndex(), -1);
    o.accept();
    QCOMPARE(o.result(), int(QDialog::Rejected));
    choose(child(&o, "OPRVolumeCmB"), 3);
    o.accept();
    QCOMPARE(o.result(), int(QDialog::Accepted));
    QCOMPARE(o.value().params[RadioParam::volume], std::optional<int>(4));

    TRadioNetDevForm fob(12, 18, {});
    for (auto* list : fob.findChildren<QComboBox*>()) QVERIFY2(!list->isEnabled(), qPrintable(list->objectName()));
  }

  // ---- "Назначение в разделы" ---------------------------------------------------------

  void rpdi_shows_devices_and_loops() {
    vq::test::SettingsWindowRig rig;
    rig.connect_and_read();
    auto* page = rig.visit<RPDIPage>(Node::rpdi);
    QVERIFY(page);
    auto* grid = child<QTableWidget>(page, "RPDIStrGrid");
    auto* loops = child<QTableWidget>(page, "ShsStrGrid");
    QCOMPARE(grid->columnCount(), 5);
    QCOMPARE(grid->rowCount(), 100);
    QCOMPARE(grid->item(0, 0)->text(), QStringLiteral("ИК 1"));
    QCOMPARE(grid->item(1, 0)->text(), QStringLiteral("1"));
    QCOMPARE(grid->item(2, 3)->text(), QStringLiteral("ИПТ 9"));
    QCOMPARE(grid->item(3, 3)->text(), QStringLiteral("10"));
    QCOMPARE(grid->item(6, 4)->text(), QStringLiteral(" 20"));
    QCOMPARE(grid->item(7, 4)->text(), QStringLiteral("0"));
    QCOMPARE(grid->item(98, 4)->text(), QStringLiteral(" 250"));
    QCOMPARE(loops->item(0, 0)->text(), QStringLiteral("ШС1"));
    QCOMPARE(loops->item(0, 2)->text(), QStringLiteral("SOS"));
    QCOMPARE(loops->item(1, 0)->text(), QStringLiteral("7"));
    QCOMPARE(loops->item(1, 1)->text(), QStringLiteral("3"));
    QCOMPARE(loops->item(1, 2)->text(), QStringLiteral("1"));
  }

  void rpdi_in_cell_list_assigns_and_reaches_the_panel() {
    vq::test::SettingsWindowRig rig;
    rig.connect_and_read();
    auto* page = rig.visit<RPDIPage>(Node::rpdi);
    auto* grid = page->device_grid();
    auto* loops = page->loop_grid();
    auto* ui = rig.ui.ui;

    grid->setCurrentCell(0, 1);  // a label row: no list
    QVERIFY(!page->cell_list());
    grid->setCurrentCell(1, 0);
    QComboBox* list = page->cell_list();
    QVERIFY(list);
    QCOMPARE(list->count(), 97);
    QCOMPARE(list->itemText(96), QStringLiteral("96"));
    QCOMPARE(list->currentText(), QStringLiteral("1"));
    QVERIFY(list->isVisible());
    choose(list, 5);
    QCOMPARE(grid->item(1, 0)->text(), QStringLiteral("5"));
    QVERIFY(!page->cell_list());

    grid->setCurrentCell(7, 4);  // device 20: no device, no list
    QCOMPARE(ui->texts(), QStringList{m(15129)});
    QVERIFY(ui->boxes.back().icon == BoxIcon::warning);
    QVERIFY(!page->cell_list());
    QCOMPARE(grid->currentRow(), 7);

    loops->setCurrentCell(1, 1);
    QVERIFY(page->cell_list());
    QCOMPARE(page->cell_list()->currentText(), QStringLiteral("3"));
    choose(page->cell_list(), 7);
    QCOMPARE(loops->item(1, 1)->text(), QStringLiteral("7"));
    QVERIFY(rig.navigator().has_pending_edits(Node::rpdi));

    rig.save_page();
    QCOMPARE(ui->boxes.back().text, m(15128));
    rig.write_all();
    // Device 1 to partition 5; ШС2 to partition 7 ("Пожарный 2"): its type nibble and its
    // double-activation bit follow.
    COMPARE_CHANGES(rig.changes(), (Changes{{kDevices + 7, {1, 5}},
                                            {kLoops + 1, {3, 7}},
                                            {kLoops + 3, {0x32, 0x33}},
                                            {kLoops + 5, {0x01, 0x11}}}));
  }

  void rpdi_refused_apply_changes_nothing() {
    vq::test::ScopedRecordingUi ui;
    vq::test::TestPageHost host;
    put_device(host.config, 1, 2, 0);
    RPDIPage page(host);
    page.show_from(host.config);
    // A number for an empty slot can only come from outside the list's own checks.
    page.device_grid()->item(1, 1)->setText(QStringLiteral("4"));
    const auto before = std::vector<std::uint8_t>(host.config.image(ImageId::radio_devices).data().begin(),
                                                  host.config.image(ImageId::radio_devices).data().end());
    const auto r = page.apply_to(host.config);
    QVERIFY(!r);
    QCOMPARE(r.error().message_id, 15129);
    QVERIFY(std::equal(before.begin(), before.end(), host.config.image(ImageId::radio_devices).data().begin()));
  }
};

QTEST_MAIN(RadioPagesTest)
#include "radio_pages_test.moc"
