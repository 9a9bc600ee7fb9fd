// "Идентификаторы" and "Пароли": both pages and their two dialogs, driven by objectName;
// edits written to the virtual panel change exactly their bytes.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

#include "settings/identifiers.hpp"
#include "settings/passwords.hpp"
#include "settings/ui/dialogs/ctrl_id_set_dialog.hpp"
#include "settings/ui/dialogs/password_dialog.hpp"
#include "settings/ui/pages/ctrl_id_page.hpp"
#include "settings/ui/pages/ctrl_pwd_page.hpp"
#include "settings/ui/widgets/mark_grid.hpp"
#include "shell/ui/qt_text.hpp"
#include "support/page_host.hpp"
#include "support/settings_window_rig.hpp"

using namespace vq;
using namespace vq::gui;
using memory::ImageId;
using settings::kKindFob;
using settings::kKindKey;
using settings::kKindPin;

namespace {

template <class W>
W* child(QObject* parent, const char* name) {
  auto* w = parent->findChild<W*>(QString::fromLatin1(name));
  if (!w) qWarning("no %s", name);
  return w;
}

void add(memory::Configuration& c, int slot, int user, int kind, const char* value, bool quick = false) {
  const auto code = settings::encode_identifier_value(kind, value);
  QVERIFY(code);
  QVERIFY(settings::set_identifier(c, slot, {kind, *code, user, 0, quick}));
}

QByteArray tables(const memory::Configuration& c) {
  QByteArray out;
  for (auto id : {ImageId::identifier_records, ImageId::identifier_codes, ImageId::identifier_partitions,
                  ImageId::identifier_settings, ImageId::first_password, ImageId::second_password,
                  ImageId::password_reset}) {
    const auto d = c.image(id).data();
    out.append(reinterpret_cast<const char*>(d.data()), static_cast<qsizetype>(d.size()));
  }
  return out;
}

QStringList row(QTreeWidget* list, int slot) {
  QStringList out;
  for (int column = 1; column <= 5; ++column) out << list->topLevelItem(slot - 1)->text(column);
  return out;
}
void select_row(QTreeWidget* list, int n, QItemSelectionModel::SelectionFlags how = QItemSelectionModel::ClearAndSelect) {
  list->setCurrentItem(list->topLevelItem(n - 1), 0, how | QItemSelectionModel::Rows);
}
void toggle(PartitionMarkGrid* grid, int partition) {
  grid->setCurrentCell(((partition - 1) / 4) * 2 + 1, (partition - 1) % 4);
  grid->oldPartitionStrGridMouseUp();
}

// The identifier dialog's controls.
struct IdForm {
  QDialog* d;
  QComboBox* kind() const { return child<QComboBox>(d, "IDTypeSetCmB"); }
  QComboBox* user() const { return child<QComboBox>(d, "IDUserSetCmB"); }
  QLineEdit* ordinal() const { return child<QLineEdit>(d, "IDUserNumEdit"); }
  QComboBox* tactic() const { return child<QComboBox>(d, "IDTacticSetCmB"); }
  QLineEdit* value() const { return child<QLineEdit>(d, "IDValueSetEdit"); }
  QCheckBox* quick() const { return child<QCheckBox>(d, "IDFastGetChB"); }
  QLineEdit* count() const { return child<QLineEdit>(d, "IDUserCountEdit"); }
  QPushButton* save() const { return child<QPushButton>(d, "Button1"); }
  TCtrlIDSetForm* form() const { return qobject_cast<TCtrlIDSetForm*>(d); }
  // A user chosen from the list, as a click does it.
  void choose_user(int u) const {
    user()->setCurrentIndex(u - 1);
    emit user()->activated(u - 1);
  }
  void type_value(const QString& text) const {
    value()->setText(text);
    emit value()->editingFinished();
  }
  void type_user(const QString& text) const {
    user()->setEditText(text);
    emit user()->lineEdit()->editingFinished();
  }
};

// The password dialog's controls.
struct PwdForm {
  QDialog* d;
  QLineEdit* password() const { return child<QLineEdit>(d, "Password"); }
  QLineEdit* confirm() const { return child<QLineEdit>(d, "ConfirmPassword"); }
  void ok() const { child<QPushButton>(d, "OKBtn")->click(); }
};

}  // namespace

class CtrlPagesTest : public QObject {
  Q_OBJECT

 private slots:
  void the_identifier_list_shows_every_kind() {
    test::TestPageHost host;
    add(host.config, 1, 7, kKindPin, "123");
    add(host.config, 2, 7, kKindKey, "1A2B3C", true);
    add(host.config, 3, 250, kKindFob, "012");
    add(host.config, 4, 9, kKindPin, "555");
    auto& r = host.config.image(ImageId::identifier_records);
    r.set_byte(4 + 11 * 3 + 9, 7);  // slot 4: a kind without a name
    r.set_byte(4 + 11 * 3 + 8, 9);  // and a tactic without one
    CtrlIDPage page(host);
    page.show_from(host.config);
    auto* list = child<QTreeWidget>(&page, "CtrlIDListView");
    QCOMPARE(list->topLevelItemCount(), 1000);
    QCOMPARE(list->topLevelItem(999)->text(0), QStringLiteral("1000"));
    QCOMPARE(list->headerItem()->text(5), QStringLiteral("Быстрое взятие"));
    QCOMPARE(list->selectionMode(), QAbstractItemView::ExtendedSelection);
    QCOMPARE(row(list, 1), (QStringList{"ПИН", "123", "7", "взятие/снятие", "Нет"}));
    QCOMPARE(row(list, 2), (QStringList{"ТМ", "0000001A2B3C", "7", "взятие/снятие", "Да"}));
    QCOMPARE(row(list, 3), (QStringList{"БР", "12", "250", "взятие/снятие", "Нет"}));
    QCOMPARE(row(list, 4), (QStringList{"Unknown ID", "Unknown ID", "9", "тактика 9", "Нет"}));
    QCOMPARE(row(list, 5), (QStringList{"-", "-", "-", "-", "-"}));
    // Deleted in the table: the next visit shows the slot empty.
    QVERIFY(settings::delete_identifier(host.config, 1));
    page.show_from(host.config);
    QCOMPARE(row(list, 1), (QStringList{"-", "-", "-", "-", "-"}));
  }

  void a_new_identifier_goes_through_every_dialog_rule() {
    test::ScopedRecordingUi ui;
    test::TestPageHost host;
    for (int s = 11; s <= 18; ++s) add(host.config, s, 8, kKindPin, qPrintable(QString::number(100 + s)));
    add(host.config, 20, 3, kKindKey, "ABC");
    CtrlIDPage page(host);
    page.show_from(host.config);
    auto* list = child<QTreeWidget>(&page, "CtrlIDListView");
    int edits = 0;
    connect(&page, &SettingsPage::edited, this, [&] { ++edits; });

    const auto before = tables(host.config);
    bool checked = false;
    ui.ui->dialog_scripts.push_back([&](QDialog* d) {
      const IdForm f{d};
      QCOMPARE(d->windowTitle(), QStringLiteral("Настройка идентификатора"));
      QCOMPARE(d->size(), QSize(430, 395));
      // The defaults of an empty slot.
      QCOMPARE(f.kind()->currentText(), QStringLiteral("ПИН"));
      QCOMPARE(f.user()->currentText(), QString());
      QCOMPARE(f.tactic()->currentText(), QStringLiteral("взятие/снятие"));
      QVERIFY(!f.quick()->isChecked());
      QVERIFY(f.ordinal()->text().isEmpty() && f.count()->text().isEmpty());
      QVERIFY(!f.save()->isEnabled());
      QCOMPARE(f.value()->maxLength(), 6);
      f.kind()->setCurrentIndex(1);
      QCOMPARE(f.value()->maxLength(), 12);
      f.kind()->setCurrentIndex(0);

      // Two characters: message 15286 on leaving the field.
      f.type_value(QStringLiteral("12"));
      QCOMPARE(ui.ui->boxes.back().text, m(15286));
      QCOMPARE(ui.ui->boxes.back().caption, m(15021));
      QVERIFY(ui.ui->boxes.back().icon == BoxIcon::warning);
      QVERIFY(f.save()->isEnabled());
      // Saved anyway: refused, still open.
      f.save()->click();
      QCOMPARE(ui.ui->boxes.back().text, m(15282));
      f.type_value(QStringLiteral("4242"));
      // User 8 holds eight: refused when chosen, the choice cleared.
      f.choose_user(8);
      QCOMPARE(ui.ui->boxes.back().text, m(15057));
      QCOMPARE(f.user()->currentText(), QString());
      // Typed users: not a number, out of range.
      f.type_user(QStringLiteral("x1"));
      QCOMPARE(ui.ui->boxes.back().text, m(15281));
      f.type_user(QStringLiteral("300"));
      QCOMPARE(ui.ui->boxes.back().text, m(15273));
      QCOMPARE(f.user()->currentText(), QString());
      f.type_user(QStringLiteral("3"));
      QCOMPARE(f.count()->text(), QStringLiteral("1"));
      QCOMPARE(f.ordinal()->text(), QStringLiteral("2"));
      // The key of slot 20, as another key: in use (15058). As a PIN it would not be.
      f.kind()->setCurrentIndex(1);
      f.type_value(QStringLiteral("000000000ABC"));
      f.save()->click();
      QCOMPARE(ui.ui->boxes.back().text, m(15058));
      QVERIFY(d->result() != QDialog::Accepted);
      // Non-hexadecimal digits are refused, not read as 0.
      f.type_value(QStringLiteral("12XZ"));
      f.save()->click();
      QVERIFY(ui.ui->boxes.back().text.contains(QStringLiteral("шестнадцатеричные")));
      QVERIFY(d->result() != QDialog::Accepted);
      QCOMPARE(tables(host.config), before);
      f.type_value(QStringLiteral("77abc"));
      f.tactic()->setCurrentIndex(3);
      f.quick()->setChecked(true);
      f.save()->click();
      checked = true;
    });
    select_row(list, 5);
    page.CtrlIDListViewDblClick();
    QVERIFY(checked);
    QCOMPARE(edits, 1);
    const auto id = settings::read_identifier(host.config, 5);
    QCOMPARE(id.kind, kKindKey);
    QCOMPARE(id.user, 3);
    QCOMPARE(id.ordinal, 2);
    QCOMPARE(id.tactic, 3);
    QVERIFY(id.quick_arm);
    QCOMPARE(row(list, 5), (QStringList{"ТМ", "000000077ABC", "3", "перевзятие", "Да"}));

    // A cancelled dialog stores nothing; no row selected opens none.
    const auto stored = tables(host.config);
    ui.ui->dialog_scripts.push_back([](QDialog* d) { child<QPushButton>(d, "Button2")->click(); });
    page.CtrlIDListViewDblClick();
    QCOMPARE(tables(host.config), stored);
    list->clearSelection();
    const auto runs = ui.ui->dialogs.size();
    page.CtrlIDListViewDblClick();
    QCOMPARE(ui.ui->dialogs.size(), runs);
  }

  void an_occupied_slot_opens_with_its_values_and_quick_arming_unticks() {
    test::ScopedRecordingUi ui;
    test::TestPageHost host;
    for (int s = 1; s <= 8; ++s) add(host.config, s, 4, kKindPin, qPrintable(QString::number(200 + s)), s == 8);
    CtrlIDPage page(host);
    page.show_from(host.config);
    auto* list = child<QTreeWidget>(&page, "CtrlIDListView");
    ui.ui->dialog_scripts.push_back([&](QDialog* d) {
      const IdForm f{d};
      QCOMPARE(f.value()->text(), QStringLiteral("208"));
      QCOMPARE(f.user()->currentText(), QStringLiteral("4"));
      QCOMPARE(f.ordinal()->text(), QStringLiteral("8"));
      QCOMPARE(f.count()->text(), QStringLiteral("8"));
      QVERIFY(f.quick()->isChecked());
      // The user's own eighth may choose its user again.
      f.choose_user(4);
      QCOMPARE(f.ordinal()->text(), QStringLiteral("8"));
      f.quick()->setChecked(false);
      f.save()->click();
    });
    select_row(list, 8);
    page.CtrlIDListViewDblClick();
    QCOMPARE(int(host.config.image(ImageId::identifier_settings).byte_at(0)), 0);
    QCOMPARE(int(host.config.image(ImageId::identifier_settings).byte_at(1)), 0);
    QVERIFY(ui.ui->boxes.empty());
  }

  void deletion_and_partition_links() {
    test::ScopedRecordingUi ui;
    test::TestPageHost host;
    add(host.config, 1, 2, kKindPin, "111");
    add(host.config, 2, 2, kKindPin, "222", true);
    add(host.config, 3, 6, kKindFob, "100");
    QVERIFY(settings::set_identifier_partitions(host.config, {1}, std::bitset<96>(0x5)));
    CtrlIDPage page(host);
    page.show_from(host.config);
    auto* list = child<QTreeWidget>(&page, "CtrlIDListView");
    auto* grid = child<PartitionMarkGrid>(&page, "CtrlIDRazdStrGrid");
    QVERIFY(page.has_apply());
    QCOMPARE(grid->rowCount(), 48);
    QCOMPARE(grid->columnCount(), 4);

    // Selecting loads the links; an empty slot shows none.
    select_row(list, 1);
    QCOMPARE(grid->marks().to_ulong(), 0x5ul);
    select_row(list, 9);
    QVERIFY(grid->marks().none());

    // Slots 1, 3 and the empty 9 selected: 1 and 3 get partitions 2 and 96.
    select_row(list, 1);
    select_row(list, 3, QItemSelectionModel::Select);
    select_row(list, 9, QItemSelectionModel::Select);
    grid->set_marks({});
    toggle(grid, 2);
    toggle(grid, 96);
    QVERIFY(page.apply_to(host.config));
    for (int s : {1, 3}) {
      QCOMPARE(settings::identifier_partitions(host.config, s).count(), std::size_t{2});
      QVERIFY(settings::identifier_partitions(host.config, s).test(95));
    }
    QVERIFY(settings::identifier_partitions(host.config, 9).none());
    // Nothing selected: nothing changes.
    list->clearSelection();
    const auto before = tables(host.config);
    toggle(grid, 50);
    QVERIFY(page.apply_to(host.config));
    QCOMPARE(tables(host.config), before);

    // "Удалить идентификатор" from the pop-up menu: no question; user 2's second moves up
    // and quick arming follows it.
    select_row(list, 1);
    auto* action = child<QAction>(page.popup_menu(), "DeleteCtrlIDAction");
    QVERIFY(action);
    QCOMPARE(action->text(), QStringLiteral("Удалить идентификатор"));
    action->trigger();
    QVERIFY(ui.ui->boxes.empty());
    QCOMPARE(row(list, 1), (QStringList{"-", "-", "-", "-", "-"}));
    QCOMPARE(settings::read_identifier(host.config, 2).ordinal, 1);
    QVERIFY(settings::read_identifier(host.config, 2).quick_arm);
    // The Delete key on the quick-arm identifier: FF FF.
    select_row(list, 2);
    QTest::keyClick(list, Qt::Key_Delete);
    QCOMPARE(int(host.config.image(ImageId::identifier_settings).byte_at(0)), 0xFF);
    QCOMPARE(settings::identifier_counter(host.config), 1);
  }

  void the_password_dialog_rules() {
    test::ScopedRecordingUi ui;
    TPasswordDlg dialog(QStringLiteral("2468"), 4);
    dialog.show();
    const PwdForm f{&dialog};
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Ввод пароля"));
    QCOMPARE(f.password()->text(), QStringLiteral("2468"));
    QVERIFY(f.confirm()->text().isEmpty());
    QCOMPARE(f.password()->maxLength(), 6);
    // A letter typed: removed, message 15020 (error icon).
    f.password()->clear();
    QTest::keyClicks(f.password(), QStringLiteral("12a"));
    QCOMPARE(f.password()->text(), QStringLiteral("12"));
    QCOMPARE(ui.ui->boxes.back().text, m(15020));
    QVERIFY(ui.ui->boxes.back().icon == BoxIcon::error);
    // Enter with fewer than 4 digits: message 15022 with the minimum.
    QTest::keyClick(f.password(), Qt::Key_Return);
    QCOMPARE(ui.ui->boxes.back().text, QStringLiteral("Минимальная длина пароля должна быть 4 знака!"));
    QVERIFY(dialog.isVisible());
    // ... and "Сохранить" without Enter is refused too.
    f.confirm()->setText(QStringLiteral("12"));
    f.ok();
    QCOMPARE(ui.ui->boxes.back().text, QStringLiteral("Минимальная длина пароля должна быть 4 знака!"));
    QVERIFY(dialog.result() != QDialog::Accepted);
    QTest::keyClicks(f.password(), QStringLiteral("34"));
    QTest::keyClick(f.password(), Qt::Key_Return);
    QVERIFY(f.confirm()->hasFocus() || !dialog.isActiveWindow());
    f.confirm()->setText(QStringLiteral("1243"));
    f.ok();
    QCOMPARE(ui.ui->boxes.back().text, m(15023));
    QVERIFY(dialog.result() != QDialog::Accepted);
    f.confirm()->setText(QStringLiteral("1234"));
    f.ok();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.value(), QStringLiteral("1234"));
  }

  void the_password_page_stores_at_once() {
    test::ScopedRecordingUi ui;
    test::TestPageHost host;
    QVERIFY(settings::set_password(host.config, settings::PasswordKind::user, "123"));
    QVERIFY(settings::set_password_reset(host.config, false));
    CtrlPwdPage page(host);
    page.show_from(host.config);
    auto* user = child<QLineEdit>(&page, "CtrlUserPwdEdit");
    auto* engineer = child<QLineEdit>(&page, "CtrlAdminPwdEdit");
    auto* reset = child<QComboBox>(&page, "CtrlAllowResetPwdCmB");
    QVERIFY(user->isReadOnly());
    QCOMPARE(user->text(), QStringLiteral("123"));
    QCOMPARE(engineer->text(), QString());
    QCOMPARE(reset->currentText(), QStringLiteral("Нет"));
    int edits = 0;
    connect(&page, &SettingsPage::edited, this, [&] { ++edits; });

    auto answer = [](const char* digits) {
      return [=](QDialog* d) {
        const PwdForm f{d};
        QCOMPARE(f.password()->text().isEmpty(), true);
        f.password()->setText(QString::fromLatin1(digits));
        f.confirm()->setText(QString::fromLatin1(digits));
        f.ok();
      };
    };
    const auto before = tables(host.config);
    ui.ui->dialog_scripts.push_back(answer("1230"));
    QTest::mouseDClick(engineer, Qt::LeftButton);
    QCOMPARE(edits, 1);
    QCOMPARE(engineer->text(), QStringLiteral("1230"));
    QCOMPARE(int(host.config.image(ImageId::second_password).byte_at(3)), 0x80);
    // The user password as the engineer's: refused (15284), the table keeps its bytes.
    ui.ui->dialog_scripts.push_back([](QDialog* d) {
      const PwdForm f{d};
      QCOMPARE(f.password()->text(), QStringLiteral("123"));
      f.password()->setText(QStringLiteral("1230"));
      f.confirm()->setText(QStringLiteral("1230"));
      f.ok();
    });
    const auto stored = tables(host.config);
    QVERIFY(stored != before);
    // Enter on the field opens the dialog too.
    user->setFocus();
    QTest::keyClick(user, Qt::Key_Return);
    QCOMPARE(ui.ui->boxes.back().text, m(15284));
    QCOMPARE(ui.ui->boxes.back().caption, m(15021));
    QCOMPARE(tables(host.config), stored);
    QCOMPARE(user->text(), QStringLiteral("123"));

    // The reset switch is stored at once.
    reset->setCurrentIndex(0);
    emit reset->activated(0);
    QCOMPARE(int(host.config.image(ImageId::password_reset).byte_at(0)), 0);
    QCOMPARE(edits, 2);
  }

  // The virtual panel's demo contents: slot 8 user 5's PIN with tactic 3, slot 5 user 3's
  // PIN on partitions 1 and 4, counter 8; user password 2468, no reset.
  void edits_reach_exactly_their_panel_bytes() {
    test::SettingsWindowRig rig;
    rig.connect_and_read();
    auto* page = rig.visit<CtrlIDPage>(Node::ctrl_id);
    QVERIFY(page);
    auto* list = child<QTreeWidget>(page, "CtrlIDListView");
    QCOMPARE(row(list, 7), (QStringList{"БР", "13", "4", "взятие/снятие", "Да"}));
    select_row(list, 8);
    rig.ui.ui->dialog_scripts.push_back([](QDialog* d) {
      const IdForm f{d};
      f.tactic()->setCurrentIndex(1);
      f.save()->click();
    });
    page->CtrlIDListViewDblClick();
    select_row(list, 5);
    toggle(child<PartitionMarkGrid>(page, "CtrlIDRazdStrGrid"), 3);
    rig.save_page();

    auto* pwd = rig.visit<CtrlPwdPage>(Node::ctrl_pwd);
    QVERIFY(pwd);
    rig.ui.ui->dialog_scripts.push_back([](QDialog* d) {
      const PwdForm f{d};
      f.password()->setText(QStringLiteral("1357"));
      f.confirm()->setText(QStringLiteral("1357"));
      f.ok();
    });
    pwd->CtrlUserPwdEditDblClick(settings::PasswordKind::user);
    pwd->CtrlAllowResetPwdCmBSelect(0);
    rig.write_all();
    const std::uint32_t rec8 = 0x101C00 + 4 + 11 * 7;
    const test::SettingsWindowRig::Changes expected = {
        {0x101C00, {8, 9}},     {0x101C02, {9, 10}},    {0x104A00, {8, 9}},     {0x104A02, {9, 10}},
        {rec8 + 8, {3, 1}},     {0x107A00 + 4 + 12 * 4, {0x09, 0x0D}},
        {0x2C, {0x82, 0x81}},   {0x2D, {0x84, 0x83}},   {0x2E, {0x86, 0x85}},   {0x2F, {0x88, 0x87}},
        {0x28, {1, 0}},
    };
    QCOMPARE(rig.changes(), expected);
  }

  // Not a check: with VQ_SCREENSHOT_DIR set (under a real display) it saves both pages after
  // a read, as the README shows them.
  void screenshots_after_read() {
    const QString out = qEnvironmentVariable("VQ_SCREENSHOT_DIR");
    if (out.isEmpty()) QSKIP("VQ_SCREENSHOT_DIR not set");
    test::SettingsWindowRig rig;
    rig.connect_and_read();
    auto* page = rig.visit<CtrlIDPage>(Node::ctrl_id);
    select_row(child<QTreeWidget>(page, "CtrlIDListView"), 2);
    rig.form->raise();
    rig.form->activateWindow();
    QTest::qWait(300);
    QVERIFY(rig.form->grab().save(out + "/identifiers.png"));
    rig.ui.ui->dialog_scripts.push_back([&](QDialog* d) {
      QTest::qWait(200);
      QVERIFY(d->grab().save(out + "/identifier-dialog.png"));
    });
    page->CtrlIDListViewDblClick();
    rig.visit<CtrlPwdPage>(Node::ctrl_pwd);
    QTest::qWait(300);
    QVERIFY(rig.form->grab().save(out + "/passwords.png"));
  }
};

QTEST_MAIN(CtrlPagesTest)
#include "ctrl_pages_test.moc"
