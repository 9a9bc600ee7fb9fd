// "Назначение в системе" and "Настройка выходов": both pages and their three dialogs,
// driven by objectName; edits written to the virtual panel change exactly their bytes.
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QtTest>

#include "settings/system_outputs.hpp"
#include "settings/ui/pages/sys_out_set_page.hpp"
#include "settings/ui/pages/sys_out_sign_page.hpp"
#include "settings/ui/widgets/mark_grid.hpp"
#include "shell/ui/qt_text.hpp"
#include "support/page_host.hpp"
#include "support/settings_window_rig.hpp"

using namespace vq;
using namespace vq::gui;
using memory::ImageId;

namespace {

std::size_t rec(int n) { return static_cast<std::size_t>(n - 1) * 20; }

void radio(memory::Configuration& c, int device, std::uint8_t type) {
  c.image(ImageId::radio_devices).set_byte(6 + 2 * static_cast<std::size_t>(device - 1), type);
}
void bind(memory::Configuration& c, int n, int cls, int device, int output, int mode = 0) {
  auto& t = c.image(ImageId::system_outputs);
  t.set_byte(rec(n), static_cast<std::uint8_t>(cls << 4 | (output - 1)));
  t.set_byte(rec(n) + 1, static_cast<std::uint8_t>(device));
  t.set_byte(rec(n) + 2, static_cast<std::uint8_t>(mode));
}
// One relay module, device 3 (or none).
void relay_module(memory::Configuration& c, bool present) {
  auto& t = c.image(ImageId::registered_devices);
  t.set_byte(0, present ? 1 : 0);
  t.set_byte(33, 2);
  t.set_byte(33 + 5, 0x0E);
  t.set_byte(33 + 6, 0x02);  // 526
}
QByteArray outputs_table(const memory::Configuration& c) {
  const auto d = c.image(ImageId::system_outputs).data();
  QByteArray out(reinterpret_cast<const char*>(d.data()), static_cast<qsizetype>(d.size()));
  const auto t = c.image(ImageId::control_times).data();
  out.append(reinterpret_cast<const char*>(t.data()), static_cast<qsizetype>(t.size()));
  return out;
}

template <class W>
W* child(QObject* parent, const char* name) {
  auto* w = parent->findChild<W*>(QString::fromLatin1(name));
  if (!w) qWarning("no %s", name);
  return w;
}
QStringList texts(QListWidget* list) {
  QStringList out;
  for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
  return out;
}
void choose(QListWidget* list, const QString& text) {
  const auto found = list->findItems(text, Qt::MatchExactly);
  QVERIFY2(!found.isEmpty(), qPrintable(text + " not in " + texts(list).join(",")));
  list->setCurrentItem(found.front());
}
void press(QDialog* d, const char* button = "SaveButton") { child<QPushButton>(d, button)->click(); }

// The assignment dialog: class, device, output by their texts, then "Сохранить".
std::function<void(QDialog*)> assign(const QString& cls, const QString& device = {}, const QString& output = {}) {
  return [=](QDialog* d) {
    choose(child<QListWidget>(d, "DevTypeListB"), cls);
    if (!device.isEmpty()) choose(child<QListWidget>(d, "DevNumListB"), device);
    if (!output.isEmpty()) choose(child<QListWidget>(d, "PhysOutNumListB"), output);
    press(d);
  };
}

void select_row(QTreeWidget* list, int n, QItemSelectionModel::SelectionFlags how = QItemSelectionModel::ClearAndSelect) {
  list->setCurrentItem(list->topLevelItem(n - 1), 0, how | QItemSelectionModel::Rows);
}
void toggle(PartitionMarkGrid* grid, int partition) {
  grid->setCurrentCell(((partition - 1) / 4) * 2 + 1, (partition - 1) % 4);
  grid->oldPartitionStrGridMouseUp();
}

}  // namespace

class SysOutPagesTest : public QObject {
  Q_OBJECT

  // Radio: a two-output РТМ (3), a siren (7), two sounders (8, 9). Outputs: 1 panel 3
  // stored with device 0, 2 ОПС kept as class 2, 3 the РТМ's output 2 in mode 8, 4 free.
  static void network(memory::Configuration& c) {
    radio(c, 3, 226);
    radio(c, 7, 65);
    radio(c, 8, 70);
    radio(c, 9, 70);
    bind(c, 1, 1, 0, 3, 5);
    bind(c, 2, 2, 8, 1, 7);
    bind(c, 3, 2, 3, 2, 8);
    c.image(ImageId::system_outputs).set_byte(rec(2) + 8, 0x05);  // partitions 1 and 3
    c.image(ImageId::control_times).set_byte(2, 60);
  }

 private slots:
  void the_list_shows_bindings_as_presented() {
    test::TestPageHost host;
    network(host.config);
    bind(host.config, 5, 9, 4, 2);  // a class without a name
    SysOutSignPage page(host);
    page.show_from(host.config);
    auto* list = child<QTreeWidget>(&page, "SysOutSignListView");
    QCOMPARE(list->topLevelItemCount(), 250);
    QCOMPARE(list->headerItem()->text(3), QStringLiteral("Номер физического выхода"));
    QCOMPARE(list->topLevelItem(249)->text(0), QStringLiteral("250"));
    QCOMPARE(list->topLevelItem(0)->textAlignment(0), int(Qt::AlignCenter));
    auto row = [&](int n) {
      auto* r = list->topLevelItem(n - 1);
      return QStringList{r->text(1), r->text(2), r->text(3)};
    };
    QCOMPARE(row(1), (QStringList{"ППКОП", "1", "3"}));
    QCOMPARE(row(2), (QStringList{"ОПС", "8", "1"}));
    QCOMPARE(row(3), (QStringList{"РТМ", "3", "2"}));
    QCOMPARE(row(4), (QStringList{"нет устройства", "", ""}));
    QCOMPARE(row(5), (QStringList{"класс 9", "4", "2"}));
  }

  void the_assignment_dialog_offers_what_is_free_and_stores_it() {
    test::ScopedRecordingUi ui;
    test::TestPageHost host;
    network(host.config);
    SysOutSignPage page(host);
    page.show_from(host.config);
    auto* list = child<QTreeWidget>(&page, "SysOutSignListView");
    int edits = 0;
    connect(&page, &SettingsPage::edited, this, [&] { ++edits; });

    // Output 5 to panel output 4: the lists as offered on the way.
    QStringList classes, devices, outputs, shown;
    ui.ui->dialog_scripts.push_back([&](QDialog* d) {
      QCOMPARE(d->objectName(), QStringLiteral("TSysOutSignForm"));
      QCOMPARE(child<QLabel>(d, "SysOutNumLabel")->text(), QStringLiteral("Номер системного выхода: 5"));
      QCOMPARE(child<QLineEdit>(d, "DevTypeEdit")->text(), QStringLiteral("нет устройства"));
      QVERIFY(!child<QPushButton>(d, "SaveButton")->isEnabled());
      classes = texts(child<QListWidget>(d, "DevTypeListB"));
      choose(child<QListWidget>(d, "DevTypeListB"), "РТМ");
      devices = texts(child<QListWidget>(d, "DevNumListB"));
      choose(child<QListWidget>(d, "DevTypeListB"), "ППКОП");
      choose(child<QListWidget>(d, "DevNumListB"), "1");
      outputs = texts(child<QListWidget>(d, "PhysOutNumListB"));
      QVERIFY(!child<QPushButton>(d, "SaveButton")->isEnabled());
      choose(child<QListWidget>(d, "PhysOutNumListB"), "4");
      shown = {child<QLineEdit>(d, "DevTypeEdit")->text(), child<QLineEdit>(d, "DevNumEdit")->text(),
               child<QLineEdit>(d, "PhysOutNumEdit")->text()};
      press(d);
    });
    select_row(list, 5);
    page.SysOutSignListViewDblClick();
    QCOMPARE(classes, (QStringList{"нет устройства", "ППКОП", "РТМ", "МР", "СЗО", "ОПС"}));
    QCOMPARE(devices, QStringList{"3"});
    QCOMPARE(outputs, (QStringList{"1", "2", "4", "5"}));  // 3 is output 1's
    QCOMPARE(shown, (QStringList{"ППКОП", "1", "4"}));
    QCOMPARE(host.config.image(ImageId::system_outputs).byte_at(rec(5)), 0x13);
    QCOMPARE(host.config.image(ImageId::system_outputs).byte_at(rec(5) + 1), 1);
    QCOMPARE(list->topLevelItem(4)->text(1), QStringLiteral("ППКОП"));
    QCOMPARE(edits, 1);

    // Now 3 and 4 are taken; the РТМ's output 2 is output 3's.
    ui.ui->dialog_scripts.push_back([&](QDialog* d) {
      choose(child<QListWidget>(d, "DevTypeListB"), "ППКОП");
      choose(child<QListWidget>(d, "DevNumListB"), "1");
      outputs = texts(child<QListWidget>(d, "PhysOutNumListB"));
      choose(child<QListWidget>(d, "DevTypeListB"), "РТМ");
      choose(child<QListWidget>(d, "DevNumListB"), "3");
      devices = texts(child<QListWidget>(d, "PhysOutNumListB"));
    });
    select_row(list, 6);
    page.SysOutSignListViewDblClick();
    QCOMPARE(outputs, (QStringList{"1", "2", "5"}));
    QCOMPARE(devices, QStringList{"1"});

    // "нет устройства" frees at once: "-" in both edits, "Сохранить" enabled.
    ui.ui->dialog_scripts.push_back([&](QDialog* d) {
      choose(child<QListWidget>(d, "DevTypeListB"), "нет устройства");
      QVERIFY(!child<QListWidget>(d, "DevNumListB")->isEnabled());
      QCOMPARE(child<QLineEdit>(d, "PhysOutNumEdit")->text(), QStringLiteral("-"));
      press(d);
    });
    select_row(list, 3);
    const auto mode_and_links = host.config.image(ImageId::system_outputs).byte_at(rec(3) + 2);
    page.SysOutSignListViewDblClick();
    QCOMPARE(host.config.image(ImageId::system_outputs).byte_at(rec(3)), 0);
    QCOMPARE(host.config.image(ImageId::system_outputs).byte_at(rec(3) + 2), mode_and_links);
  }

  void choosing_another_device_takes_back_the_save() {
    test::ScopedRecordingUi ui;
    test::TestPageHost host;
    network(host.config);
    radio(host.config, 10, 229);
    SysOutSignPage page(host);
    page.show_from(host.config);
    bool enabled_after_device = true;
    ui.ui->dialog_scripts.push_back([&](QDialog* d) {
      choose(child<QListWidget>(d, "DevTypeListB"), "РТМ");
      choose(child<QListWidget>(d, "DevNumListB"), "10");
      choose(child<QListWidget>(d, "PhysOutNumListB"), "2");
      choose(child<QListWidget>(d, "DevNumListB"), "3");  // its output 2 is taken
      enabled_after_device = child<QPushButton>(d, "SaveButton")->isEnabled();
      press(d);
    });
    select_row(child<QTreeWidget>(&page, "SysOutSignListView"), 4);
    const auto before = outputs_table(host.config);
    page.SysOutSignListViewDblClick();
    QVERIFY(!enabled_after_device);
    QCOMPARE(outputs_table(host.config), before);
  }

  void an_ops_output_is_shown_as_ops_and_stored_as_class_2() {
    test::ScopedRecordingUi ui;
    test::TestPageHost host;
    network(host.config);
    SysOutSignPage page(host);
    page.show_from(host.config);
    auto* list = child<QTreeWidget>(&page, "SysOutSignListView");
    select_row(list, 2);
    QString type_shown;
    ui.ui->dialog_scripts.push_back([&](QDialog* d) {
      type_shown = child<QLineEdit>(d, "DevTypeEdit")->text();
      choose(child<QListWidget>(d, "DevTypeListB"), "ОПС");
      choose(child<QListWidget>(d, "DevNumListB"), "9");
      choose(child<QListWidget>(d, "PhysOutNumListB"), "1");
      press(d, "CancelButton");
    });
    const auto before = outputs_table(host.config);
    page.SysOutSignListViewDblClick();
    QCOMPARE(type_shown, QStringLiteral("ОПС"));
    QCOMPARE(outputs_table(host.config), before);  // cancelled: class 2 stays

    ui.ui->dialog_scripts.push_back(assign("ОПС", "9", "1"));
    page.SysOutSignListViewDblClick();
    QCOMPARE(host.config.image(ImageId::system_outputs).byte_at(rec(2)), 0x20);
    QCOMPARE(host.config.image(ImageId::system_outputs).byte_at(rec(2) + 1), 9);
    QCOMPARE(list->topLevelItem(1)->text(1), QStringLiteral("ОПС"));
  }

  void demo_mode_leaves_out_siren_relay_module_and_radio_relay_until_a_relay_module_is_met() {
    test::ScopedRecordingUi ui;
    test::TestPageHost host;
    network(host.config);
    host.demo = true;
    SysOutSignPage page(host);
    page.mode_changed(true);
    page.show_from(host.config);
    select_row(child<QTreeWidget>(&page, "SysOutSignListView"), 4);
    QStringList classes;
    auto look = [&] {
      ui.ui->dialog_scripts.push_back([&](QDialog* d) { classes = texts(child<QListWidget>(d, "DevTypeListB")); });
      page.SysOutSignListViewDblClick();
      return classes;
    };
    const QStringList restricted{"нет устройства", "ППКОП", "ОПС"};
    const QStringList all{"нет устройства", "ППКОП", "РТМ", "МР", "СЗО", "ОПС"};
    QCOMPARE(look(), restricted);
    relay_module(host.config, true);
    QCOMPARE(look(), all);
    relay_module(host.config, false);
    QCOMPARE(look(), all);  // met once: until demo mode is chosen again
    page.mode_changed(false);
    page.mode_changed(true);
    QCOMPARE(look(), restricted);
    host.demo = false;
    QCOMPARE(look(), all);
  }

  void the_swap_dialog_and_freeing_an_output() {
    test::ScopedRecordingUi ui;
    test::TestPageHost host;
    network(host.config);
    SysOutSignPage page(host);
    page.show_from(host.config);
    auto* list = child<QTreeWidget>(&page, "SysOutSignListView");
    select_row(list, 2);
    const auto before = outputs_table(host.config);

    // The same output: refused, "Поменять" stays off.
    bool enabled = true;
    QString placeholder;
    int from = 0;
    ui.ui->dialog_scripts.push_back([&](QDialog* d) {
      QCOMPARE(d->objectName(), QStringLiteral("TSysOutChangeForm"));
      from = child<QComboBox>(d, "SysOutFromCmB")->currentText().toInt();
      placeholder = child<QComboBox>(d, "SysOutToCmB")->placeholderText();
      QVERIFY(!child<QPushButton>(d, "SaveButton")->isEnabled());
      child<QComboBox>(d, "SysOutToCmB")->setCurrentIndex(1);
      enabled = child<QPushButton>(d, "SaveButton")->isEnabled();
      press(d);
    });
    page.findChild<QAction*>(QStringLiteral("ChangeSysOutItem"))->trigger();
    QCOMPARE(from, 2);
    QCOMPARE(placeholder, QStringLiteral("Выберите"));
    QVERIFY(!enabled);
    QCOMPARE(ui.ui->boxes.size(), std::size_t{1});
    QCOMPARE(ui.ui->boxes[0].text, m(15268));
    QCOMPARE(ui.ui->boxes[0].icon, BoxIcon::error);
    QCOMPARE(outputs_table(host.config), before);

    // 2 and 200: whole records exchanged, control times not.
    ui.ui->dialog_scripts.push_back([&](QDialog* d) {
      child<QComboBox>(d, "SysOutToCmB")->setCurrentIndex(199);
      press(d);
    });
    page.findChild<QAction*>(QStringLiteral("ChangeSysOutItem"))->trigger();
    auto after = before;
    for (std::size_t i = 0; i < 20; ++i) std::swap(after[qsizetype(rec(2) + i)], after[qsizetype(rec(200) + i)]);
    QCOMPARE(outputs_table(host.config), after);
    QCOMPARE(list->topLevelItem(199)->text(1), QStringLiteral("ОПС"));
    QCOMPARE(list->topLevelItem(1)->text(1), QStringLiteral("нет устройства"));

    // Freeing output 1: asked first; No keeps it, Yes clears bytes 0 and 1 only.
    select_row(list, 1);
    const auto bound = outputs_table(host.config);
    ui.ui->answers = {false};
    page.findChild<QAction*>(QStringLiteral("FreeSysOutItem"))->trigger();
    QCOMPARE(ui.ui->boxes.back().text, m(15130));
    QVERIFY(ui.ui->boxes.back().question);
    QCOMPARE(outputs_table(host.config), bound);
    ui.ui->answers = {true};
    page.findChild<QAction*>(QStringLiteral("FreeSysOutItem"))->trigger();
    auto freed = bound;
    freed[0] = 0;
    freed[1] = 0;
    QCOMPARE(outputs_table(host.config), freed);
    QCOMPARE(list->topLevelItem(0)->text(1), QStringLiteral("нет устройства"));

    // Nothing selected: nothing runs.
    list->clearSelection();
    page.findChild<QAction*>(QStringLiteral("FreeSysOutItem"))->trigger();
    page.findChild<QAction*>(QStringLiteral("EditSysOutItem"))->trigger();
    QVERIFY(ui.ui->dialogs.size() == 2);
  }

  void the_work_mode_dialog_and_its_targets() {
    test::ScopedRecordingUi ui;
    test::TestPageHost host;
    network(host.config);
    SysOutSetPage page(host);
    page.show_from(host.config);
    auto* list = child<QTreeWidget>(&page, "SysOutSetListView");
    QCOMPARE(list->topLevelItem(0)->text(1), QStringLiteral("Звуковой"));
    QCOMPARE(list->topLevelItem(2)->text(1), QStringLiteral("Дистанционное управление"));

    // Output 3 (mode 8, 60 s) opens with its mode and time; mode 2 to "1,3,5,7-10".
    QString label, time, mode8_text, range;
    bool time_enabled_for_5 = true;
    bool to_selected = false;
    ui.ui->dialog_scripts.push_back([&](QDialog* d) {
      QCOMPARE(d->objectName(), QStringLiteral("TSysOutSetForm"));
      label = child<QLabel>(d, "SysOutNumLabel")->text();
      QVERIFY(child<QRadioButton>(d, "SysOutWorkModeRdB8")->isChecked());
      mode8_text = child<QRadioButton>(d, "SysOutWorkModeRdB8")->text();
      time = child<QComboBox>(d, "SysoutCtrlTimeCmB")->currentText();
      to_selected = child<QRadioButton>(d, "ToSelectedRdB")->isChecked();
      range = child<QLineEdit>(d, "RangeEdit")->text();
      child<QRadioButton>(d, "SysOutWorkModeRdB5")->click();
      time_enabled_for_5 = child<QComboBox>(d, "SysoutCtrlTimeCmB")->isEnabled();
      child<QRadioButton>(d, "SysOutWorkModeRdB2")->click();
      QCOMPARE(child<QComboBox>(d, "SysoutCtrlTimeCmB")->currentText(), QStringLiteral("10"));
      child<QComboBox>(d, "SysoutCtrlTimeCmB")->setCurrentIndex(24);
      child<QRadioButton>(d, "ToRangeRdB")->click();
      press(d);
    });
    page.SysOutSetListViewDblClick(3);
    QCOMPARE(label, QStringLiteral("Номер системного выхода: 3"));
    QCOMPARE(mode8_text, QStringLiteral("Дистанционное управление,c"));
    QCOMPARE(time, QStringLiteral("60"));
    QVERIFY(to_selected);
    QCOMPARE(range, QStringLiteral("1,3,5,7-10"));
    QVERIFY(!time_enabled_for_5);
    const auto& t = host.config.image(ImageId::system_outputs);
    for (int n = 1; n <= 12; ++n) {
      const bool target = n == 1 || n == 3 || n == 5 || (n >= 7 && n <= 10);
      QCOMPARE(int(t.byte_at(rec(n) + 2)), target ? 2 : (n == 2 ? 7 : 0));
      QCOMPARE(settings::control_time(host.config, n), target ? 25 : (n == 3 ? 60 : 0));
    }
    QCOMPARE(list->topLevelItem(6)->text(1), QStringLiteral("Исполнительный"));

    // The "Применить:" choice and the list are kept; a bad list is refused, the dialog
    // stays open and nothing changes.
    const auto before = outputs_table(host.config);
    bool kept = false, still_open = false;
    ui.ui->dialog_scripts.push_back([&](QDialog* d) {
      kept = child<QRadioButton>(d, "ToRangeRdB")->isChecked();
      child<QLineEdit>(d, "RangeEdit")->setText(QStringLiteral("1,300"));
      press(d);
      still_open = d->isVisible() && d->result() != QDialog::Accepted;
      press(d, "CancelButton");
    });
    page.SysOutSetListViewDblClick(1);
    QVERIFY(kept);
    QVERIFY(still_open);
    QVERIFY2(ui.ui->texts().join("|").contains(QStringLiteral("от 1 до 250")), qPrintable(ui.ui->texts().join("|")));
    QCOMPARE(outputs_table(host.config), before);
    QString remembered;
    ui.ui->dialog_scripts.push_back([&](QDialog* d) { remembered = child<QLineEdit>(d, "RangeEdit")->text(); });
    page.SysOutSetListViewDblClick(1);
    QCOMPARE(remembered, QStringLiteral("1,300"));

    // Mode 8 to all: every link cleared; the grid reloads from the double-clicked output.
    ui.ui->dialog_scripts.push_back([&](QDialog* d) {
      child<QRadioButton>(d, "SysOutWorkModeRdB8")->click();
      child<QRadioButton>(d, "ToAllRdB")->click();
      press(d);
    });
    page.SysOutSetListViewDblClick(2);
    for (int n = 1; n <= 250; ++n) QVERIFY(settings::partition_links(host.config, n).none());
    QVERIFY(child<PartitionMarkGrid>(&page, "SysOutSetStrGrid")->marks().none());
    QCOMPARE(settings::control_time(host.config, 250), 10);
  }

  void partition_links_go_to_every_selected_output_on_save() {
    test::ScopedRecordingUi ui;
    test::TestPageHost host;
    network(host.config);
    SysOutSetPage page(host);
    page.show_from(host.config);
    auto* list = child<QTreeWidget>(&page, "SysOutSetListView");
    auto* grid = child<PartitionMarkGrid>(&page, "SysOutSetStrGrid");
    QVERIFY(page.has_apply());

    // Selecting output 2 loads its links (1 and 3).
    select_row(list, 2);
    QCOMPARE(grid->marks().to_ulong(), 0x5ul);
    QCOMPARE(grid->item(1, 0)->text(), QStringLiteral("X"));

    // Nothing selected: marks toggle freely and saving changes nothing.
    list->clearSelection();
    const auto before = outputs_table(host.config);
    toggle(grid, 96);
    QVERIFY(grid->marked(96));
    QVERIFY(ui.ui->boxes.empty());
    QVERIFY(page.apply_to(host.config));
    QCOMPARE(outputs_table(host.config), before);

    // Outputs 1 and 5 selected: both get partitions 2 and 96.
    select_row(list, 1);
    select_row(list, 5, QItemSelectionModel::Select);
    grid->set_marks({});
    toggle(grid, 2);
    toggle(grid, 96);
    QVERIFY(page.apply_to(host.config));
    for (int n : {1, 5}) {
      QCOMPARE(int(host.config.image(ImageId::system_outputs).byte_at(rec(n) + 8)), 0x02);
      QCOMPARE(int(host.config.image(ImageId::system_outputs).byte_at(rec(n) + 19)), 0x80);
    }

    // With an output in mode 8 selected a mark is refused (message 15331)...
    select_row(list, 3);
    select_row(list, 1, QItemSelectionModel::Select);  // the grid shows output 1's links
    const auto marks = grid->marks();
    QCOMPARE(marks.count(), std::size_t{2});
    toggle(grid, 7);
    QCOMPARE(grid->marks(), marks);
    QCOMPARE(ui.ui->boxes.back().text, m(15331));
    // ...and so is saving marks to it.
    const auto stored = outputs_table(host.config);
    const auto r = page.apply_to(host.config);
    QVERIFY(!r);
    QCOMPARE(outputs_table(host.config), stored);

    // A visit drops marks not saved.
    select_row(list, 1);
    toggle(grid, 50);
    page.show_from(host.config);
    QVERIFY(!grid->marked(50));
    QVERIFY(grid->marked(96));
  }

  // The virtual panel's demo contents: output 13 is free, output 2 is panel output 2.
  void sign_page_edits_reach_exactly_their_panel_bytes() {
    test::SettingsWindowRig rig;
    rig.connect_and_read();
    auto* page = rig.visit<SysOutSignPage>(Node::sys_out_sign);
    QVERIFY(page);
    auto* list = child<QTreeWidget>(page, "SysOutSignListView");
    select_row(list, 13);
    rig.ui.ui->dialog_scripts.push_back(assign("ППКОП", "1", "4"));
    page->SysOutSignListViewDblClick();
    select_row(list, 2);
    rig.ui.ui->answers = {true};
    page->FreeSysOutItemClick();
    rig.write_all();
    const test::SettingsWindowRig::Changes expected = {
        {0x100 + 20 * 12, {0x00, 0x13}},
        {0x100 + 20 * 12 + 1, {0x00, 0x01}},
        {0x100 + 20 * 1, {0x11, 0x00}},
        {0x100 + 20 * 1 + 1, {0x01, 0x00}},
    };
    QCOMPARE(rig.changes(), expected);
  }

  void set_page_edits_reach_exactly_their_panel_bytes() {
    test::SettingsWindowRig rig;
    rig.connect_and_read();
    auto* page = rig.visit<SysOutSetPage>(Node::sys_out_set);
    QVERIFY(page);
    // Output 1 (mode 5) to mode 2 with 30 s.
    rig.ui.ui->dialog_scripts.push_back([](QDialog* d) {
      child<QRadioButton>(d, "SysOutWorkModeRdB2")->click();
      child<QComboBox>(d, "SysoutCtrlTimeCmB")->setCurrentIndex(29);
      press(d);
    });
    page->SysOutSetListViewDblClick(1);
    // Output 2 (partition 1) gets partition 3 as well.
    auto* list = child<QTreeWidget>(page, "SysOutSetListView");
    select_row(list, 2);
    toggle(child<PartitionMarkGrid>(page, "SysOutSetStrGrid"), 3);
    rig.save_page();
    rig.write_all();
    const test::SettingsWindowRig::Changes expected = {
        {0x100 + 2, {0x05, 0x02}},
        {0x149400, {0x00, 30}},
        {0x100 + 20 + 8, {0x01, 0x05}},
    };
    QCOMPARE(rig.changes(), expected);
  }
};

QTEST_MAIN(SysOutPagesTest)
#include "sys_out_pages_test.moc"
