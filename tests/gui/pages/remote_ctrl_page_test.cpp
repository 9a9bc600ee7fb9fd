// "Дистанционное" and "Настройки дистанционного управления", driven by objectName: the list
// after a read from the virtual panel, the check rules, the dialog's rules, and edits
// written to the virtual panel changing exactly their bytes.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

#include "settings/remote_control.hpp"
#include "settings/ui/dialogs/remote_ctrl_dialog.hpp"
#include "settings/ui/pages/remote_ctrl_page.hpp"
#include "shell/ui/qt_text.hpp"
#include "support/page_host.hpp"
#include "support/settings_window_rig.hpp"

using namespace vq;
using namespace vq::gui;
using Changes = vq::test::SettingsWindowRig::Changes;

namespace {

constexpr std::uint32_t kTable = 0x10D200, kUsers = 0x10D000;
std::uint32_t rec(int i) { return kTable + 3 + 32 * static_cast<std::uint32_t>(i); }
std::uint32_t user_at(int i) { return kUsers + 2 + 2 * static_cast<std::uint32_t>(i); }

template <class T>
T* child(QObject* parent, const char* name) {
  auto* w = parent->findChild<T*>(QString::fromLatin1(name));
  if (!w) qWarning("no %s", name);
  return w;
}

QString describe(const Changes& changes) {
  QStringList out;
  for (const auto& [at, v] : changes) out << QStringLiteral("0x%1: %2->%3").arg(at, 0, 16).arg(v.first).arg(v.second);
  return out.join(QStringLiteral(", "));
}

#define COMPARE_CHANGES(actual, expected)                                                                      \
  QVERIFY2((actual) == (expected),                                                                             \
           qPrintable(QStringLiteral("got {%1}, want {%2}").arg(describe(actual)).arg(describe(expected))))

QStringList row_texts(QTreeWidget* list, int n) {
  auto* r = list->topLevelItem(n - 1);
  return {r->checkState(0) == Qt::Checked ? QStringLiteral("x") : QStringLiteral(" "), r->text(1), r->text(2),
          r->text(3), r->text(4)};
}
void set_check(QTreeWidget* list, int n, bool on) {
  list->topLevelItem(n - 1)->setCheckState(0, on ? Qt::Checked : Qt::Unchecked);
}
void open_row(QTreeWidget* list, int n) {
  list->setCurrentItem(list->topLevelItem(n - 1));
  QTest::keyClick(list, Qt::Key_Return);
}
QStringList checked_commands(QDialog* d) {
  QStringList out;
  auto* cmds = child<QTreeWidget>(d, "CmdListView");
  for (int i = 0; i < cmds->topLevelItemCount(); ++i)
    if (cmds->topLevelItem(i)->checkState(0) == Qt::Checked) out << cmds->topLevelItem(i)->text(0);
  return out;
}
void tick_command(QDialog* d, int n, bool on = true) {
  child<QTreeWidget>(d, "CmdListView")->topLevelItem(n)->setCheckState(0, on ? Qt::Checked : Qt::Unchecked);
}
void save(QDialog* d) { child<QPushButton>(d, "SaveButton")->click(); }

// Bytes of a record the page leaves cleared: from `before`, password 0xFF, commands 0,
// telephone 0xFF, user 0xFFFF.
Changes cleared(const vq::test::SettingsWindowRig& rig, int i) {
  Changes out;
  auto note = [&](std::uint32_t at, std::uint8_t v) {
    if (rig.before[at] != v) out[at] = {rig.before[at], v};
  };
  for (std::uint32_t k = 0; k < 8; ++k) note(rec(i) + k, 0xFF);
  note(rec(i) + 8, 0);
  note(rec(i) + 9, 0);
  for (std::uint32_t k = 16; k < 32; ++k) note(rec(i) + k, 0xFF);
  note(user_at(i), 0xFF);
  note(user_at(i) + 1, 0xFF);
  return out;
}

}  // namespace

class RemoteCtrlPageTest : public QObject {
  Q_OBJECT

 private slots:
  void the_list_after_a_read_and_a_new_record_reaching_the_panel() {
    vq::test::SettingsWindowRig rig;
    rig.connect_and_read();
    auto* page = rig.visit<RemoteCtrlPage>(Node::remote_ctrl);
    QVERIFY(page);
    auto* list = child<QTreeWidget>(page, "RemoteCtrlListView");
    QCOMPARE(list->topLevelItemCount(), 8);
    QCOMPARE(list->headerItem()->text(0), QStringLiteral("#"));
    QCOMPARE(list->headerItem()->text(4), QStringLiteral("Пользователь"));
    QCOMPARE(row_texts(list, 1), (QStringList{"x", "5917", "0,1,2,3,4,5", "+79035551122", "1"}));
    QCOMPARE(row_texts(list, 2), (QStringList{"x", "4406", "0,5,9", "+", ""}));
    QCOMPARE(row_texts(list, 3), (QStringList{"x", "7731", "6,7,11", "+79267770044", "5"}));
    QCOMPARE(row_texts(list, 4), (QStringList{" ", "", "", "", ""}));
    QCOMPARE(list->topLevelItem(7)->text(0), QStringLiteral("8"));

    // An unchecked row opens nothing.
    open_row(list, 6);
    QVERIFY(rig.ui.ui->dialogs.isEmpty());

    // Checking row 6 moves the check to row 4, the first free one; the table is not changed.
    set_check(list, 6, true);
    QCOMPARE(row_texts(list, 6)[0], QStringLiteral(" "));
    QCOMPARE(row_texts(list, 4)[0], QStringLiteral("x"));
    QCOMPARE(list->currentItem(), list->topLevelItem(3));
    rig.write_all();
    COMPARE_CHANGES(rig.changes(), Changes{});

    // Row 4 gets password 2025, commands 0, 2 and 11 for user 3 from +12345.
    QStringList offered;
    QString user_text, phone_text;
    bool phone_enabled = true, save_enabled = true;
    rig.ui.ui->dialog_scripts.push_back([&](QDialog* d) {
      QCOMPARE(d->objectName(), QStringLiteral("TQRemoteCtrlForm"));
      QCOMPARE(d->windowTitle(), QStringLiteral("Настройки дистанционного управления"));
      auto* users = child<QComboBox>(d, "UserNumCmB");
      for (int k = 0; k < users->count(); ++k) offered << users->itemText(k);
      user_text = users->currentText();
      phone_text = child<QLineEdit>(d, "TelNumMaskEdit")->text();
      phone_enabled = child<QLineEdit>(d, "TelNumMaskEdit")->isEnabled();
      save_enabled = child<QPushButton>(d, "SaveButton")->isEnabled();
      child<QLineEdit>(d, "PwdMaskEdit")->setText(QStringLiteral("2025"));
      child<QCheckBox>(d, "TelNumChB")->click();
      auto* phone = child<QLineEdit>(d, "TelNumMaskEdit");
      phone->setText(QStringLiteral("12 345"));
      emit phone->editingFinished();  // TelNumMaskEditExit: "+" put in front, blanks out
      QCOMPARE(phone->text(), QStringLiteral("+12345"));
      for (int n : {0, 2, 11}) tick_command(d, n);
      users->setEditText(QStringLiteral("3"));
      save(d);
    });
    open_row(list, 4);
    QCOMPARE(offered, (QStringList{"1", "2", "3", "4", "5"}));
    QCOMPARE(user_text, QString());
    QCOMPARE(phone_text, QStringLiteral("+"));
    QVERIFY(!phone_enabled);
    QVERIFY(!save_enabled);
    QVERIFY(rig.ui.ui->boxes.empty());
    QCOMPARE(row_texts(list, 4), (QStringList{"x", "2025", "0,2,11", "+12345", "3"}));
    rig.write_all();
    Changes want{{rec(3) + 0, {0xFF, '2'}}, {rec(3) + 1, {0xFF, '0'}}, {rec(3) + 2, {0xFF, '2'}},
                 {rec(3) + 3, {0xFF, '5'}}, {rec(3) + 8, {0, 0x05}},    {rec(3) + 9, {0, 0x08}},
                 {rec(3) + 16, {0xFF, 0x12}}, {rec(3) + 17, {0xFF, 0x34}}, {rec(3) + 18, {0xFF, 0x5F}},
                 {user_at(3), {0xFF, 3}},   {user_at(3) + 1, {0xFF, 0}}, {kTable, {3, 4}}};
    COMPARE_CHANGES(rig.changes(), want);
  }

  void unchecking_clears_at_once_and_the_rows_below_stay() {
    vq::test::SettingsWindowRig rig;
    rig.connect_and_read();
    auto* list = child<QTreeWidget>(rig.visit<RemoteCtrlPage>(Node::remote_ctrl), "RemoteCtrlListView");
    // A checked row never saved keeps its check while another row is unchecked.
    set_check(list, 8, true);
    set_check(list, 2, false);
    QCOMPARE(row_texts(list, 2), (QStringList{" ", "", "", "", ""}));
    QCOMPARE(row_texts(list, 3)[1], QStringLiteral("7731"));
    QCOMPARE(row_texts(list, 4)[0], QStringLiteral("x"));
    rig.write_all();
    Changes want = cleared(rig, 1);
    want[kTable] = {3, 2};
    COMPARE_CHANGES(rig.changes(), want);
    // The next visit shows what is stored: row 4 was never saved.
    rig.visit(Node::ctrl_pwd);
    rig.visit(Node::remote_ctrl);
    QCOMPARE(row_texts(list, 4)[0], QStringLiteral(" "));
    QCOMPARE(row_texts(list, 3)[0], QStringLiteral("x"));
  }

  void the_dialog_shows_the_record_and_refuses_arming_without_a_user() {
    vq::test::SettingsWindowRig rig;
    rig.connect_and_read();
    auto* list = child<QTreeWidget>(rig.visit<RemoteCtrlPage>(Node::remote_ctrl), "RemoteCtrlListView");

    // Record 1 as stored; taking its user away while arming stays is refused, the dialog
    // stays open with the focus on the user; "Отмена" then leaves both tables.
    QString password, phone, user;
    QStringList commands;
    bool has_phone = false, still_open = false, user_focused = false;
    rig.ui.ui->dialog_scripts.push_back([&](QDialog* d) {
      password = child<QLineEdit>(d, "PwdMaskEdit")->text();
      phone = child<QLineEdit>(d, "TelNumMaskEdit")->text();
      has_phone = child<QCheckBox>(d, "TelNumChB")->isChecked();
      user = child<QComboBox>(d, "UserNumCmB")->currentText();
      commands = checked_commands(d);
      child<QComboBox>(d, "UserNumCmB")->setEditText(QString());
      save(d);
      still_open = d->isVisible() && d->result() != QDialog::Accepted;
      user_focused = d->focusWidget() == child<QComboBox>(d, "UserNumCmB") ||
                     child<QComboBox>(d, "UserNumCmB")->isAncestorOf(d->focusWidget());
      child<QPushButton>(d, "CancelButton")->click();
    });
    open_row(list, 1);
    QCOMPARE(password, QStringLiteral("5917"));
    QCOMPARE(phone, QStringLiteral("+79035551122"));
    QVERIFY(has_phone);
    QCOMPARE(user, QStringLiteral("1"));
    QCOMPARE(commands, (QStringList{"0", "1", "2", "3", "4", "5"}));
    QVERIFY(still_open);
    QVERIFY(user_focused);
    QCOMPARE(rig.ui.ui->boxes.size(), std::size_t{1});
    QCOMPARE(rig.ui.ui->boxes[0].text, m(15277));
    QCOMPARE(rig.ui.ui->boxes[0].caption, m(15021));
    QCOMPARE(rig.ui.ui->boxes[0].icon, BoxIcon::error);

    // Only "Запрос справки" needs no user; the telephone switched off goes back to 0xFF.
    rig.ui.ui->dialog_scripts.push_back([&](QDialog* d) {
      for (int n = 1; n <= 5; ++n) tick_command(d, n, false);
      child<QComboBox>(d, "UserNumCmB")->setEditText(QString());
      child<QCheckBox>(d, "TelNumChB")->click();
      QCOMPARE(child<QLineEdit>(d, "TelNumMaskEdit")->text(), QStringLiteral("+"));
      QVERIFY(!child<QLineEdit>(d, "TelNumMaskEdit")->isEnabled());
      save(d);
    });
    open_row(list, 1);
    QCOMPARE(rig.ui.ui->boxes.size(), std::size_t{1});
    QCOMPARE(row_texts(list, 1), (QStringList{"x", "5917", "0", "+", ""}));
    rig.write_all();
    Changes want{{rec(0) + 8, {0x3F, 0x01}}, {user_at(0), {1, 0xFF}}, {user_at(0) + 1, {0, 0xFF}}};
    for (std::uint32_t k = 16; k < 22; ++k)
      if (rig.before[rec(0) + k] != 0xFF) want[rec(0) + k] = {rig.before[rec(0) + k], 0xFF};
    COMPARE_CHANGES(rig.changes(), want);
  }

  void refusals_for_what_the_tables_cannot_hold() {
    test::ScopedRecordingUi ui;
    settings::RemoteRecord stored;
    stored.active = true;
    stored.password = "12";
    TQRemoteCtrlForm d(stored, {4, 9});
    d.show();
    auto* password = child<QLineEdit>(&d, "PwdMaskEdit");
    auto* save_button = child<QPushButton>(&d, "SaveButton");
    QVERIFY(save_button->isEnabled());  // a password shown counts as a change
    QCOMPARE(password->maxLength(), 8);
    QCOMPARE(child<QLineEdit>(&d, "TelNumMaskEdit")->maxLength(), 32);
    password->setText(QStringLiteral("        "));
    QVERIFY(!save_button->isEnabled());
    password->setText(QStringLiteral("12"));

    struct Refused {
      const char* password;
      const char* phone;
      const char* user;
      QString text;
      const char* focus;
    };
    const Refused cases[] = {
        {"12ab", "+", "", m(15020), "PwdMaskEdit"},
        {"12", "+7903x", "", QStringLiteral("знак «x»"), "TelNumMaskEdit"},
        {"12", "+", "4a", m(15281), "UserNumCmB"},
        {"12", "+", "251", QStringLiteral("от 1 до 250"), "UserNumCmB"},
    };
    for (const auto& k : cases) {
      ui.ui->boxes.clear();
      password->setText(QString::fromUtf8(k.password));
      if (QString::fromUtf8(k.phone) != QStringLiteral("+")) {
        child<QCheckBox>(&d, "TelNumChB")->setChecked(true);
        child<QLineEdit>(&d, "TelNumMaskEdit")->setEnabled(true);
      }
      child<QLineEdit>(&d, "TelNumMaskEdit")->setText(QString::fromUtf8(k.phone));
      child<QComboBox>(&d, "UserNumCmB")->setEditText(QString::fromUtf8(k.user));
      d.setResult(QDialog::Rejected);
      save_button->click();
      QCOMPARE(d.result(), int(QDialog::Rejected));
      QCOMPARE(ui.ui->boxes.size(), std::size_t{1});
      QVERIFY2(ui.ui->boxes[0].text.contains(k.text), qPrintable(ui.ui->boxes[0].text));
      QVERIFY(!ui.ui->boxes[0].text.contains(QStringLiteral("12ab")));
      auto* at = child<QWidget>(&d, k.focus);
      QVERIFY2(d.focusWidget() == at || at->isAncestorOf(d.focusWidget()), k.focus);
    }
    // Emptied, the telephone edit goes back to "+".
    child<QLineEdit>(&d, "TelNumMaskEdit")->setText(QString());
    QCOMPARE(child<QLineEdit>(&d, "TelNumMaskEdit")->text(), QStringLiteral("+"));
    QCOMPARE(d.size(), QSize(505, 305));
  }

  void cancel_changes_nothing_and_an_empty_password_leaves_the_row_unchecked() {
    test::ScopedRecordingUi ui;
    test::TestPageHost host;
    RemoteCtrlPage page(host);
    page.show_from(host.config);
    auto* list = child<QTreeWidget>(&page, "RemoteCtrlListView");
    int edits = 0;
    connect(&page, &SettingsPage::edited, this, [&] { ++edits; });
    set_check(list, 1, true);
    const auto table = [&] {
      const auto d = host.config.page(memory::PageId::remote_control).data();
      const auto u = host.config.page(memory::PageId::remote_control_users).data();
      return QByteArray(reinterpret_cast<const char*>(d.data()), qsizetype(d.size())) +
             QByteArray(reinterpret_cast<const char*>(u.data()), qsizetype(u.size()));
    };
    const auto before = table();
    ui.ui->dialog_scripts.push_back([](QDialog* d) {
      tick_command(d, 4);
      child<QPushButton>(d, "CancelButton")->click();
    });
    open_row(list, 1);
    QCOMPARE(table(), before);
    QCOMPARE(edits, 0);
    QCOMPARE(row_texts(list, 1)[0], QStringLiteral(" "));  // shown again: nothing stored

    // Saved with an empty password: stored, and the row shows unchecked.
    set_check(list, 1, true);
    ui.ui->dialog_scripts.push_back([](QDialog* d) {
      child<QLineEdit>(d, "PwdMaskEdit")->setText(QStringLiteral("1"));
      child<QLineEdit>(d, "PwdMaskEdit")->clear();
      tick_command(d, 4);
      save(d);
    });
    open_row(list, 1);
    QCOMPARE(edits, 1);
    QCOMPARE(host.config.page(memory::PageId::remote_control).byte_at(3 + 8), 0x10);
    QCOMPARE(host.config.page(memory::PageId::remote_control).byte_at(0), 0);
    QCOMPARE(row_texts(list, 1)[0], QStringLiteral(" "));
  }

  // Not a check: with VQ_SCREENSHOT_DIR set (under a real display) it saves the page after
  // a read, as the README shows it.
  void screenshot_after_read() {
    const QString out = qEnvironmentVariable("VQ_SCREENSHOT_DIR");
    if (out.isEmpty()) QSKIP("VQ_SCREENSHOT_DIR not set");
    vq::test::SettingsWindowRig rig;
    rig.connect_and_read();
    auto* list = child<QTreeWidget>(rig.visit<RemoteCtrlPage>(Node::remote_ctrl), "RemoteCtrlListView");
    list->setCurrentItem(list->topLevelItem(0));
    rig.form->raise();
    rig.form->activateWindow();
    QTest::qWait(300);
    QVERIFY(rig.form->grab().save(out + "/remote_control.png"));
  }
};

QTEST_MAIN(RemoteCtrlPageTest)
#include "remote_ctrl_page_test.moc"
