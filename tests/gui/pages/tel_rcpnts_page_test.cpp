// The telephone recipients page and its three dialogs, driven by objectName: what the
// recipient dialog opens with, its filters, refusals and sub-dialogs; "Отмена" changes no
// byte; and on the settings window over the virtual panel's demo contents, a recipient
// added through the page and written to the panel changes exactly the bytes it should.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

#include "memory/configuration.hpp"
#include "memory/phone_numbers.hpp"
#include "memory/registered_devices.hpp"
#include "settings/recipients.hpp"
#include "settings/ui/dialogs/tel_rcpnt_format_dialog.hpp"
#include "settings/ui/dialogs/tel_rcpnt_set_dialog.hpp"
#include "settings/ui/dialogs/tel_rcpnts_category_dialog.hpp"
#include "settings/ui/pages/tel_rcpnts_page.hpp"
#include "settings/ui/widgets/mark_grid.hpp"
#include "settings/ui/widgets/numbered_list.hpp"
#include "shell/ui/qt_text.hpp"
#include "support/page_host.hpp"
#include "support/settings_window_rig.hpp"
#include "util/bytes.hpp"

using namespace vq;
using namespace vq::gui;
using memory::PageId;
using Changes = vq::test::SettingsWindowRig::Changes;

namespace {

template <class T>
T* child(QObject* parent, const char* name) {
  auto* w = parent->findChild<T*>(QString::fromLatin1(name));
  if (!w) qWarning("no %s", name);
  return w;
}
QComboBox* combo(QObject* p, const char* name) { return child<QComboBox>(p, name); }
QLineEdit* edit(QObject* p, const char* name) { return child<QLineEdit>(p, name); }
QCheckBox* box(QObject* p, const char* name) { return child<QCheckBox>(p, name); }
// A choice as the user makes it: the list's activation runs the handler.
void pick(QComboBox* c, const QString& text) {
  const int i = c->findText(text);
  QVERIFY2(i >= 0, qPrintable(text));
  c->setCurrentIndex(i);
  emit c->activated(i);
}
void press(QDialog* d, const char* button) { child<QPushButton>(d, button)->click(); }
QTreeWidgetItem* category(QDialog* d, int k) { return child<QTreeWidget>(d, "EventCatListView")->topLevelItem(k - 1); }
QStringList row_texts(QTreeWidgetItem* item) {
  QStringList out;
  for (int c = 0; c < item->treeWidget()->columnCount(); ++c) out << item->text(c);
  return out;
}

QString describe(const Changes& changes) {
  QStringList out;
  for (const auto& [at, v] : changes) out << QStringLiteral("0x%1: %2->%3").arg(at, 0, 16).arg(v.first).arg(v.second);
  return out.join(QStringLiteral(", "));
}

// Recipient 1: PSTN Contact ID main (channel 1, number 1), GSM SMS reserve (channel 2,
// number 2), categories 1, 3, 6; recipients 2..8 empty.
void one_recipient(memory::Configuration& c) {
  auto& ch = c.page(PageId::channels);
  ch.set_byte(0, 2);
  const std::uint8_t records[2][11] = {{1, 0, 1, 0x00, 0x04, 4, 1, 0, 0x4C, 0, 0},
                                       {2, 0, 0, 0x00, 0x08, 2, 2, 0, 0x00, 0, 0x38}};
  for (int r = 0; r < 2; ++r)
    for (int i = 0; i < 11; ++i) ch.set_byte(1 + 11 * static_cast<std::size_t>(r) + static_cast<std::size_t>(i), records[r][i]);
  auto& phones = c.page(PageId::phone_numbers);
  phones.set_byte(0, 2);
  phones.set_byte(2, 12);
  QVERIFY(memory::parse_phone_number(phones, 0, "8W4951234567").has_value());
  QVERIFY(memory::parse_phone_number(phones, 1, "79161234567").has_value());
  auto& rc = c.page(PageId::recipients);
  rc.set_byte(0, 1);
  const std::uint8_t rec[11] = {1, 2, 0x25, 0, 6, 0x8C, 0, 0x8C, 0, 0, 0x00};
  for (int i = 0; i < 11; ++i) rc.set_byte(2 + static_cast<std::size_t>(i), rec[i]);
  auto& g = c.page(PageId::delivery_groups);
  g.set_byte(0, 1);
  g.set_byte(2, 1);
  g.set_byte(4, 1);
  g.set_byte(6, 1);
  c.page(PageId::service).set_byte(40, 0x01);
  auto& served = c.page(PageId::recipient_partitions);
  served.set_byte(0, 96);
  served.set_byte(2, 8);
  served.set_byte(3 + 5, 0x01);
}

RecipientDialogInput input_for(const memory::Configuration& c, int r, bool demo) {
  const auto plan = settings::plan_recipient_edit(c, r);
  return {settings::read_recipient(c, r), *plan, settings::registered_communicators(c, demo),
          settings::channel_format(c, plan->main_channel.value_or(-1)),
          settings::channel_format(c, plan->reserve_channel.value_or(-1))};
}

std::vector<Bytes> recipient_tables(const memory::Configuration& c) {
  std::vector<Bytes> out;
  for (auto id : {PageId::phone_numbers, PageId::recipient_partitions, PageId::recipients, PageId::channels,
                  PageId::delivery_groups, PageId::service}) {
    const auto d = c.page(id).data();
    out.emplace_back(d.begin(), d.end());
  }
  return out;
}

}  // namespace

class TelRcpntsPageTest : public QObject {
  Q_OBJECT
 private slots:
  void dialog_opens_with_the_recipient_as_stored() {
    memory::Configuration c;
    one_recipient(c);
    TQTelRcpntSetForm d(input_for(c, 1, true));
    d.show();
    QVERIFY(box(&d, "EnableMainChB")->isChecked());
    QCOMPARE(combo(&d, "MainChNoticeDevTypeCmB")->currentText(), QStringLiteral("PSTN"));
    QCOMPARE(edit(&d, "MainChTelMaskEdit")->text(), QStringLiteral("8W4951234567"));
    QCOMPARE(combo(&d, "MainChNoticeTypeCmB")->currentText(), QStringLiteral("ContactID"));
    QVERIFY(box(&d, "EnableResChB")->isChecked() && box(&d, "EnableResChB")->isEnabled());
    QCOMPARE(combo(&d, "ResChNoticeDevTypeCmB")->currentText(), QStringLiteral("GSM"));
    QCOMPARE(edit(&d, "ResChTelMaskEdit")->text(), QStringLiteral("+79161234567"));
    QCOMPARE(combo(&d, "ResChNoticeTypeCmB")->currentText(), QStringLiteral("SMS"));
    auto* notices = child<QListWidget>(&d, "NoticeChListB");
    QCOMPARE(notices->item(0)->checkState(), Qt::Unchecked);
    QVERIFY(!(notices->item(0)->flags() & Qt::ItemIsEnabled));  // SIM account: GSM SMS main only
    QCOMPARE(notices->item(1)->checkState(), Qt::Checked);
    QCOMPARE(row_texts(category(&d, 1)),
             (QStringList{"Информационная", "не срочно", "всегда или 0", "60 сек"}));
    QCOMPARE(row_texts(category(&d, 2)), (QStringList{"Обходы, исключения", "-", "-", "-"}));
    QCOMPARE(category(&d, 6)->checkState(0), Qt::Checked);
    QVERIFY(child<QPushButton>(&d, "OKBtn")->isEnabled());
    // Confirming as it opened keeps the recipient as stored.
    QCOMPARE(d.value(), settings::current_edit(c, 1));

    // An empty recipient: nothing checked, the reserve box waits for a main number.
    TQTelRcpntSetForm e(input_for(c, 2, true));
    e.show();
    QVERIFY(!box(&e, "EnableMainChB")->isChecked());
    QVERIFY(!combo(&e, "MainChNoticeDevTypeCmB")->isEnabled());
    QVERIFY(!box(&e, "EnableResChB")->isEnabled());
    QVERIFY(!child<QPushButton>(&e, "OKBtn")->isEnabled());
    QCOMPARE(row_texts(category(&e, 1)), (QStringList{"Информационная", "", "", ""}));
  }

  void numbers_are_filtered_as_typed() {
    memory::Configuration c;
    TQTelRcpntSetForm d(input_for(c, 1, true));
    d.show();
    box(&d, "EnableMainChB")->click();
    QVERIFY(child<QPushButton>(&d, "OKBtn")->isEnabled());
    auto* phone = edit(&d, "MainChTelMaskEdit");
    pick(combo(&d, "MainChNoticeDevTypeCmB"), "PSTN");
    QCOMPARE(phone->text(), QString());
    QCOMPARE(phone->maxLength(), 24);
    QTest::keyClicks(phone, "8p12w+");
    QCOMPARE(phone->text(), QStringLiteral("8P12W"));
    QVERIFY(box(&d, "EnableResChB")->isEnabled());
    QVERIFY(combo(&d, "MainChNoticeTypeCmB")->isEnabled());
    pick(combo(&d, "MainChNoticeDevTypeCmB"), "GSM");
    QCOMPARE(phone->text(), QStringLiteral("+"));
    QCOMPARE(phone->maxLength(), 25);
    QVERIFY(!box(&d, "EnableResChB")->isEnabled());
    QTest::keyClicks(phone, "79+16P1");
    QCOMPARE(phone->text(), QStringLiteral("+79161"));
  }

  void refusals_keep_the_dialog_open() {
    test::ScopedRecordingUi ui;
    memory::Configuration c;
    memory::Configuration pstn_only;
    auto& t = pstn_only.image(memory::ImageId::registered_devices);
    t.set_byte(0, 1);
    t.set_byte(33 + 5, 518 & 0xFF);
    t.set_byte(33 + 6, 518 >> 8);
    TQTelRcpntSetForm d(input_for(pstn_only, 1, false));
    d.show();
    box(&d, "EnableMainChB")->click();
    pick(combo(&d, "MainChNoticeDevTypeCmB"), "GSM");
    QCOMPARE(combo(&d, "MainChNoticeDevTypeCmB")->currentIndex(), -1);
    QCOMPARE(ui.ui->boxes.back().text, m(15283));
    QCOMPARE(ui.ui->boxes.back().icon, BoxIcon::warning);
    press(&d, "OKBtn");
    QCOMPARE(ui.ui->boxes.back().text, m(15279));
    QCOMPARE(d.result(), int(QDialog::Rejected));
    // PSTN cannot carry speech: back to SIA, no options dialog.
    pick(combo(&d, "MainChNoticeDevTypeCmB"), "PSTN");
    QTest::keyClicks(edit(&d, "MainChTelMaskEdit"), "84951234567");
    pick(combo(&d, "MainChNoticeTypeCmB"), "Речевое");
    QCOMPARE(ui.ui->boxes.back().text, m(15138));
    QCOMPARE(combo(&d, "MainChNoticeTypeCmB")->currentText(), QStringLiteral("SIA"));
    QVERIFY(ui.ui->dialogs.isEmpty());

    // Seven channels in use: a new recipient has a main channel but no reserve index.
    memory::Configuration seven;
    for (int k = 0; k < 7; ++k) {
      seven.page(PageId::recipients).set_byte(2 + 11 * static_cast<std::size_t>(k), static_cast<std::uint8_t>(k + 1));
      seven.page(PageId::channels).set_byte(1 + 11 * static_cast<std::size_t>(k), static_cast<std::uint8_t>(k + 1));
      seven.page(PageId::channels).set_byte(1 + 11 * static_cast<std::size_t>(k) + 6, static_cast<std::uint8_t>(k + 1));
    }
    TQTelRcpntSetForm e(input_for(seven, 8, true));
    e.show();
    box(&e, "EnableMainChB")->click();
    pick(combo(&e, "MainChNoticeDevTypeCmB"), "GSM");
    QTest::keyClicks(edit(&e, "MainChTelMaskEdit"), "7916");
    box(&e, "EnableResChB")->click();
    QCOMPARE(ui.ui->boxes.back().text, m(15139));
    QCOMPARE(ui.ui->boxes.back().icon, BoxIcon::error);
    QVERIFY(!box(&e, "EnableResChB")->isChecked());
  }

  void sub_dialogs_change_the_edit_only() {
    test::ScopedRecordingUi ui;
    memory::Configuration c;
    one_recipient(c);
    const auto before = recipient_tables(c);
    TQTelRcpntSetForm d(input_for(c, 1, true));
    d.show();
    // The reserve's SMS options: joined off, Turkish.
    ui.ui->dialog_scripts.push_back([](QDialog* f) {
      QCOMPARE(f->objectName(), QStringLiteral("TQTelRcpntFormatSetForm"));
      QCOMPARE(combo(f, "MergeSMS")->currentText(), QStringLiteral("да"));  // loaded from 0x38
      QVERIFY(!combo(f, "DialTry")->isEnabled());
      QVERIFY(combo(f, "SMSLng")->isEnabled());
      combo(f, "MergeSMS")->setCurrentIndex(1);
      combo(f, "SMSLng")->setCurrentIndex(2);
      press(f, "SaveButton");
    });
    pick(combo(&d, "ResChNoticeTypeCmB"), "SMS");
    // Category 2 checked: the defaults; category 1 edited: urgent after 20 s.
    category(&d, 2)->setCheckState(0, Qt::Checked);
    QCOMPARE(row_texts(category(&d, 2)), (QStringList{"Обходы, исключения", "не срочно", "всегда или 0", "60 сек"}));
    ui.ui->dialog_scripts.push_back([](QDialog* f) {
      QCOMPARE(f->objectName(), QStringLiteral("TQTelRcpntsCategoryForm"));
      QCOMPARE(combo(f, "InfoDelayCmB")->currentText(), QStringLiteral("60 сек"));
      QVERIFY(!combo(f, "InfoPeriodCmB")->isVisible());
      combo(f, "UrgentCatCmB")->setCurrentIndex(0);
      combo(f, "InfoDelayCmB")->setCurrentIndex(2);
      press(f, "SaveButton");
    });
    child<QTreeWidget>(&d, "EventCatListView")->setCurrentItem(category(&d, 1));
    d.EventCatListViewDblClick(category(&d, 1));
    QCOMPARE(row_texts(category(&d, 1)), (QStringList{"Информационная", "срочно", "всегда или 0", "20 сек"}));
    // An unchecked row opens nothing.
    d.EventCatListViewDblClick(category(&d, 4));
    QCOMPARE(ui.ui->dialogs.size(), 2);

    const auto v = d.value();
    QCOMPARE(v.reserve->format, (std::optional<settings::ChannelFormat>{{2, 0x00, 0x32}}));
    QCOMPARE(v.categories[0], (std::optional<settings::CategoryOptions>{{true, 0, 2}}));
    QCOMPARE(v.categories[1], std::optional<settings::CategoryOptions>{settings::default_category(2)});
    // Nothing reached the tables: "Отмена" would leave every byte as it was.
    QCOMPARE(recipient_tables(c), before);
  }

  void page_lists_recipients_and_edits_partitions_and_account() {
    test::ScopedRecordingUi ui;
    test::TestPageHost host;
    host.demo = true;
    one_recipient(host.config);
    TelRcpntsPage page(host);
    page.show_from(host.config);
    // The account a fresh configuration holds (0) is shown and, untouched, not refused.
    QCOMPARE(page.account()->text(), QStringLiteral("0"));
    QVERIFY(page.apply_to(host.config).has_value());
    QCOMPARE(row_texts(page.list()->row(1)),
             (QStringList{"1", "PSTN", "8W4951234567", "ContactID", "+79161234567", "SMS", "1,3,6"}));
    QCOMPARE(row_texts(page.list()->row(2)), (QStringList{"2", "-", "-", "-", "-", "-", "-"}));
    page.list()->setCurrentItem(page.list()->row(1));
    QVERIFY(page.grid()->marked(5));
    page.grid()->set_marked(5, false);
    page.grid()->set_marked(96, true);
    page.account()->setText(QStringLiteral("4821"));
    QVERIFY(page.apply_to(host.config).has_value());
    QCOMPARE(host.config.page(PageId::recipient_partitions).byte_at(3 + 5), 0);
    QCOMPARE(host.config.page(PageId::recipient_partitions).byte_at(3 + 96), 1);
    QCOMPARE(settings::contact_id_account(host.config), 4821);

    // A wrong account is refused as typed and the edit emptied.
    page.account()->setFocus();
    page.account()->selectAll();
    QTest::keyClicks(page.account(), "0");
    QCOMPARE(ui.ui->boxes.back().text, m(15270));
    QCOMPARE(page.account()->text(), QString());

    // Recipient 2 has no main channel: its marks are not stored.
    page.list()->setCurrentItem(page.list()->row(2));
    page.grid()->set_marked(7, true);
    const auto before = recipient_tables(host.config);
    QVERIFY(page.apply_to(host.config).has_value());
    QCOMPARE(recipient_tables(host.config), before);

    // Cancelling the recipient dialog after its sub-dialogs stores nothing.
    page.list()->setCurrentItem(page.list()->row(1));
    ui.ui->dialog_scripts.push_back([](QDialog* d) {
      category(d, 2)->setCheckState(0, Qt::Checked);
      press(d, "CancelButton");
    });
    page.TelRcpntsListViewDblClick();
    QCOMPARE(recipient_tables(host.config), before);
  }

  // The virtual panel's demo contents: recipients 1..3 on channels 1..5; recipient 4 gets
  // a GSM SMS main channel with category 6 (channel 6, number 6, group record 4).
  void a_recipient_added_reaches_exactly_its_panel_bytes() {
    test::SettingsWindowRig rig;
    rig.connect_and_read();
    auto* page = rig.visit<TelRcpntsPage>(Node::tel_rcpnts);
    QVERIFY(page);
    QCOMPARE(page->list()->row(2)->text(6), QStringLiteral("4,5,6"));
    const auto gsm_device =
        memory::device_index_of_model_517(rig.config().image(memory::ImageId::registered_devices));
    rig.ui.ui->dialog_scripts.push_back([&](QDialog* d) {
      box(d, "EnableMainChB")->click();
      pick(combo(d, "MainChNoticeDevTypeCmB"), "GSM");
      QTest::keyClicks(edit(d, "MainChTelMaskEdit"), "79991234567");
      pick(combo(d, "MainChNoticeTypeCmB"), "SMS");  // the options dialog: saved as it opens
      category(d, 6)->setCheckState(0, Qt::Checked);
      press(d, "OKBtn");
    });
    rig.ui.ui->dialog_scripts.push_back([](QDialog* f) { press(f, "SaveButton"); });
    page->list()->setCurrentItem(page->list()->row(4));
    QTest::keyClick(page->list(), Qt::Key_Return);
    QCOMPARE(rig.ui.ui->dialogs, (QStringList{"TQTelRcpntSetForm", "TQTelRcpntFormatSetForm"}));
    QCOMPARE(page->list()->row(4)->text(2), QStringLiteral("+79991234567"));
    rig.write_all();

    Changes expected = {
        {0x10B600 + 0, {3, 4}},      {0x10B600 + 35, {0, 6}},    {0x10B600 + 37, {0, 0x20}},
        {0x10B600 + 39, {0, 6}},     {0x10AE00 + 0, {5, 6}},     {0x10B800 + 0, {5, 6}},
        {0x10B800 + 56, {0, 6}},     {0x10B800 + 60, {0, 0x08}}, {0x10B800 + 61, {0, 2}},
        {0x10B800 + 62, {0, 6}},     {0x10B800 + 66, {0, 0x38}}, {0x10BC00 + 0, {3, 4}},
        {0x10BC00 + 20, {0, 4}},     {0x10BC00 + 22, {0, 1}},    {0x10BC00 + 24, {0, 4}},
    };
    if (gsm_device) expected[0x10B800 + 58] = {0, gsm_device};
    const std::uint8_t number[12] = {0x79, 0x99, 0x12, 0x34, 0x56, 0x7F, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    for (int i = 0; i < 12; ++i) expected[0x10AE00 + 63 + static_cast<std::uint32_t>(i)] = {0, number[i]};
    const auto got = rig.changes();
    QVERIFY2(got == expected, qPrintable(QStringLiteral("got {%1}, want {%2}").arg(describe(got)).arg(describe(expected))));
  }

  // Recipient 1 of the demo contents goes: the others' channels and numbers move down in
  // the panel, and nothing outside the recipient tables and service bytes 38, 40 changes.
  void a_recipient_removed_renumbers_the_others_in_the_panel() {
    test::SettingsWindowRig rig;
    rig.connect_and_read();
    auto* page = rig.visit<TelRcpntsPage>(Node::tel_rcpnts);
    QVERIFY(page);
    rig.ui.ui->dialog_scripts.push_back([](QDialog* d) {
      box(d, "EnableMainChB")->click();
      QVERIFY(!box(d, "EnableResChB")->isChecked());
      press(d, "OKBtn");
    });
    page->list()->setCurrentItem(page->list()->row(1));
    page->TelRcpntsListViewDblClick();
    QCOMPARE(page->list()->row(1)->text(2), QStringLiteral("-"));
    QCOMPARE(page->list()->row(2)->text(2), QStringLiteral("+79035551122"));
    rig.write_all();
    const auto& mem = rig.panel().memory();
    QCOMPARE(int(mem[0x10B600 + 2 + 11]), 1);      // recipient 2: main 3 -> 1
    QCOMPARE(int(mem[0x10B600 + 2 + 11 + 1]), 2);  // reserve 4 -> 2
    QCOMPARE(int(mem[0x10B600 + 2 + 22]), 3);      // recipient 3: main 5 -> 3
    QCOMPARE(int(mem[0x10B800]), 3);
    QCOMPARE(int(mem[0x10AE00]), 3);
    QCOMPARE(int(mem[0x10BC00]), 2);
    QCOMPARE(int(mem[0x10B800 + 1 + 6]), 1);       // channel 1 now names number 1 ...
    QCOMPARE(int(mem[0x10AE00 + 3]), 0x79);        // ... which is recipient 2's +7903...
    QCOMPARE(int(mem[0x10AE00 + 4]), 0x03);
    for (const auto& [at, v] : rig.changes()) {
      const bool inside = (at >= 0x10AE00 && at < 0x10AE00 + 512) || (at >= 0x10B400 && at < 0x10B400 + 512) ||
                          (at >= 0x10B600 && at < 0x10B600 + 512) || (at >= 0x10B800 && at < 0x10B800 + 512) ||
                          (at >= 0x10BC00 && at < 0x10BC00 + 512) || at == 0x10D400 + 38 || at == 0x10D400 + 40;
      QVERIFY2(inside, qPrintable(QStringLiteral("0x%1 changed").arg(at, 0, 16)));
    }
  }
};

QTEST_MAIN(TelRcpntsPageTest)
#include "tel_rcpnts_page_test.moc"
