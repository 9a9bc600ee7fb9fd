// The service, PSTN, general, voice-module and speech-notice pages, driven by objectName on
// the settings window over the virtual panel's demo contents: what each shows, what its
// controls enable, and that each edit written to the panel changes exactly its bytes.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSlider>
#include <QTimeEdit>
#include <QTreeWidget>
#include <QtTest>

#include "memory/configuration.hpp"
#include "settings/ui/pages/device_gsettings_page.hpp"
#include "settings/ui/pages/device_vmodule_page.hpp"
#include "settings/ui/pages/pstn_settings_page.hpp"
#include "settings/ui/pages/service_page.hpp"
#include "settings/ui/pages/speech_notice_page.hpp"
#include "support/settings_window_rig.hpp"

using namespace vq;
using namespace vq::gui;
using Changes = vq::test::SettingsWindowRig::Changes;

namespace {

constexpr std::uint32_t kService = 0x10D400, kDevices = 0x10D800, kIndication = 0x23, kVoice = 0x13,
                        kSpeech = 0x146000, kSpeechPartitions = 0x143C00;

template <class T>
T* child(QObject* parent, const char* name) {
  auto* w = parent->findChild<T*>(QString::fromLatin1(name));
  if (!w) qWarning("no %s", name);
  return w;
}
QComboBox* list(QObject* p, const char* name) { return child<QComboBox>(p, name); }
QLineEdit* edit(QObject* p, const char* name) { return child<QLineEdit>(p, name); }

QString describe(const Changes& changes) {
  QStringList out;
  for (const auto& [at, v] : changes) out << QStringLiteral("0x%1: %2->%3").arg(at, 0, 16).arg(v.first).arg(v.second);
  return out.join(QStringLiteral(", "));
}

#define COMPARE_CHANGES(actual, expected)                                                                      \
  QVERIFY2((actual) == (expected),                                                                             \
           qPrintable(QStringLiteral("got {%1}, want {%2}").arg(describe(actual)).arg(describe(expected))))

// Types over a masked time edit as a person does, from its first position.
void type_time(QLineEdit* e, const QString& text) {
  e->setFocus();
  e->setCursorPosition(0);
  QTest::keyClicks(e, text);
}

QStringList checked_items(const QListWidget* l) {
  QStringList out;
  for (int i = 0; i < l->count(); ++i)
    if (l->item(i)->checkState() == Qt::Checked) out << l->item(i)->text();
  return out;
}

}  // namespace

class ServicePagesTest : public QObject {
  Q_OBJECT
 private slots:
  // ---- "Телефоны сервисных центров/PIN-коды" -------------------------------------------

  void service_page_is_filled_by_the_read_and_written_by_the_write() {
    test::SettingsWindowRig rig;
    rig.connect_and_read();
    auto* page = rig.visit<ServicePage>(Node::service);
    QVERIFY(page);
    QCOMPARE(list(page, "DialDelaylCmB")->currentText(), QStringLiteral("3  гудка"));
    QCOMPARE(list(page, "SIM1GSMLostCmB")->currentText(), QStringLiteral("5 мин"));
    QCOMPARE(list(page, "SIM1AccountCmB")->currentText(), QStringLiteral("1 раз/7 дней"));
    QCOMPARE(list(page, "TestMsgCmB")->currentText(), QStringLiteral("1 раз/сутки"));
    QCOMPARE(list(page, "CheckConnCmB")->currentText(), QStringLiteral("40 сек"));
    QVERIFY(list(page, "CheckConnCmB")->isHidden());
    QCOMPARE(edit(page, "SilenceStart")->text(), QStringLiteral("22:00"));
    QCOMPARE(edit(page, "SilenceStop")->text(), QStringLiteral("07:00"));
    QCOMPARE(edit(page, "ServiceMsgSendTimeMaskEdit")->text(), QStringLiteral("09:30"));
    QCOMPARE(edit(page, "ObjNameEdit")->text(), QStringLiteral("ТЦ Меридиан"));
    QCOMPARE(edit(page, "SIM1SMSCenterMaskEdit")->text(), QStringLiteral("79168999100"));
    QCOMPARE(edit(page, "SIM2PINMaskEdit")->text(), QStringLiteral("0000"));
    QCOMPARE(edit(page, "SIM1RequestBalanceEdit")->text(), QStringLiteral("*100#"));

    edit(page, "SIM1PINMaskEdit")->setText(QStringLiteral("4321"));
    type_time(edit(page, "ServiceMsgSendTimeMaskEdit"), QStringLiteral("08"));
    list(page, "SIM1AccountCmB")->setCurrentIndex(0);  // "никогда"
    // Visiting another node and coming back keeps what was typed.
    rig.visit(Node::pstn_settings);
    page = rig.visit<ServicePage>(Node::service);
    QCOMPARE(edit(page, "SIM1PINMaskEdit")->text(), QStringLiteral("4321"));
    rig.write_all();
    QVERIFY2(rig.ui.ui->boxes.empty(), qPrintable(rig.ui.ui->texts().join("|")));
    COMPARE_CHANGES(rig.changes(), (Changes{{kService + 25, {0x12, 0x43}},
                                            {kService + 26, {0x34, 0x21}},
                                            {kService + 37, {7, 0xFF}},
                                            {kService + 46, {9, 8}}}));
  }

  void a_service_page_it_cannot_store_stops_the_write_and_the_save() {
    test::SettingsWindowRig rig;
    rig.connect_and_read();
    auto* page = rig.visit<ServicePage>(Node::service);
    edit(page, "SIM2PINMaskEdit")->setText(QStringLiteral("123"));
    rig.write_all();
    QCOMPARE(rig.ui.ui->boxes.size(), std::size_t{1});
    QVERIFY2(rig.ui.ui->boxes.front().text.contains(QStringLiteral("SIM#2, PIN-код: введите 4 цифры")),
             qPrintable(rig.ui.ui->boxes.front().text));
    QVERIFY(rig.changes().empty());
    const QString file = rig.dir.path() + QStringLiteral("/site.cfg");
    rig.ui.ui->file_names.push_back(file);
    rig.action("FileSaveAction")->trigger();
    QCOMPARE(rig.ui.ui->boxes.size(), std::size_t{2});
    QVERIFY(!QFileInfo::exists(file));
    // Four digits, and the write goes through.
    edit(page, "SIM2PINMaskEdit")->setText(QStringLiteral("1230"));
    rig.write_all();
    COMPARE_CHANGES(rig.changes(), (Changes{{kService + 27, {0x00, 0x12}}, {kService + 28, {0x00, 0x30}}}));
  }

  void a_bad_time_is_told_and_the_default_put_back() {
    test::SettingsWindowRig rig;
    rig.connect_and_read();
    auto* page = rig.visit<ServicePage>(Node::service);
    struct Case {
      const char* edit;
      const char* typed;
      const char* reset_to;
    };
    for (const Case& c : {Case{"SilenceStart", "25", "20:00"}, Case{"SilenceStop", "0760", "08:00"},
                          Case{"ServiceMsgSendTimeMaskEdit", "99", "08:00"}}) {
      rig.ui.ui->boxes.clear();
      type_time(edit(page, c.edit), QString::fromLatin1(c.typed));
      QCOMPARE(rig.ui.ui->texts(), QStringList{QStringLiteral("Параметр введен неверно! Повторите ввод.")});
      QCOMPARE(rig.ui.ui->boxes.front().caption, QStringLiteral("Сообщение системы"));
      QCOMPARE(edit(page, c.edit)->text(), QString::fromLatin1(c.reset_to));
    }
    rig.ui.ui->boxes.clear();
    type_time(edit(page, "SilenceStart"), QStringLiteral("2330"));
    QVERIFY(rig.ui.ui->boxes.empty());
    QCOMPARE(edit(page, "SilenceStart")->text(), QStringLiteral("23:30"));
    auto* log = child<QPlainTextEdit>(rig.form.get(), "logMemo");
    QVERIFY(log && log->toPlainText().contains(QStringLiteral("ServiceMsgSendTimeMaskEdit->Text = 08:00")));
  }

  // ---- "Модуль PSTN" --------------------------------------------------------------------

  void pstn_priority_goes_into_the_module_entry() {
    test::SettingsWindowRig rig;
    rig.connect_and_read();
    auto* page = rig.visit<PSTNSettingsPage>(Node::pstn_settings);
    QCOMPARE(list(page, "PSTNPriorityCmB")->currentText(), QStringLiteral("Модуль PSTN"));
    QVERIFY(list(page, "PSTNPriorityCmB")->isEnabled());
    list(page, "PSTNPriorityCmB")->setCurrentIndex(0);
    rig.save_page();
    rig.write_all();
    COMPARE_CHANGES(rig.changes(), (Changes{{kDevices + 65 + 11, {1, 0}}}));
  }

  void pstn_priority_is_locked_where_the_module_says_so() {
    test::SettingsWindowRig rig;
    rig.connect_and_read();
    rig.config().image(memory::ImageId::registered_devices).set_byte(65 + 20, 2);
    auto* page = rig.visit<PSTNSettingsPage>(Node::pstn_settings);
    QVERIFY(!list(page, "PSTNPriorityCmB")->isEnabled());
  }

  // ---- "Общие настройки" ----------------------------------------------------------------

  void general_settings_enable_the_time_of_the_chosen_mode() {
    test::SettingsWindowRig rig;
    rig.connect_and_read();
    auto* page = rig.visit<DeviceGSettingsPage>(Node::device_gsettings);
    QVERIFY(child<QRadioButton>(page, "HighlightRdG2")->isChecked());
    QVERIFY(child<QRadioButton>(page, "InternalSoundRdG2")->isChecked());
    QCOMPARE(list(page, "HighlightTimeCmB")->currentText(), QStringLiteral("20"));
    QCOMPARE(list(page, "IntSoundAlarmTimeCmB")->currentText(), QStringLiteral("30"));
    QVERIFY(list(page, "HighlightTimeCmB")->isEnabled());
    QVERIFY(list(page, "IntSoundAlarmTimeCmB")->isEnabled());
    QVERIFY(!list(page, "InternalSoundTimeCmB")->isEnabled());
    QVERIFY(child<QWidget>(page, "DeviceLngRdG")->isHidden());

    child<QRadioButton>(page, "InternalSoundRdG0")->click();
    QVERIFY(list(page, "InternalSoundTimeCmB")->isEnabled());
    QVERIFY(!list(page, "IntSoundAlarmTimeCmB")->isEnabled());
    list(page, "InternalSoundTimeCmB")->setCurrentIndex(44);  // "45"
    child<QRadioButton>(page, "HighlightRdG1")->click();
    QVERIFY(!list(page, "HighlightTimeCmB")->isEnabled());
    list(page, "HighlightTimeCmB")->setCurrentIndex(0);  // disabled: not stored
    rig.save_page();
    rig.write_all();
    COMPARE_CHANGES(rig.changes(), (Changes{{kIndication + 0, {2, 0}}, {kIndication + 1, {30, 45}},
                                            {kIndication + 2, {2, 1}}}));
  }

  // ---- "Голосовой модуль" ---------------------------------------------------------------

  void voice_module_page_shows_enables_and_stores() {
    test::SettingsWindowRig rig;
    rig.connect_and_read();
    auto* page = rig.visit<DeviceVModulePage>(Node::device_vmodule);
    auto* enable = child<QCheckBox>(page, "EnableVMChB");
    auto* volume = child<QSlider>(page, "VModuleVolumeTrackBar");
    QVERIFY(enable->isChecked());
    QCOMPARE(volume->value(), 5);
    QCOMPARE(child<QLabel>(page, "VModuleVolumeLabel")->text(), QStringLiteral("5"));
    QCOMPARE(checked_items(child<QListWidget>(page, "IzvStatusCheckListBox")),
             (QStringList{"Тревога", "Пожар", "Пожарная опасность", "Взят/Снят", "Неисправность в системе",
                          "Раздел не готов"}));
    QCOMPARE(checked_items(child<QListWidget>(page, "RemindersCheckListBox")),
             (QStringList{"Неисправность в системе", "Неисправность в разделе", "Напоминание по снятию"}));
    QCOMPARE(child<QTimeEdit>(page, "AutoRemL2DTP")->time(), QTime(18, 30));
    QVERIFY(child<QCheckBox>(page, "EnableAutoRemChB")->isChecked());
    QVERIFY(child<QTimeEdit>(page, "AutoRemL1DTP")->isEnabled());

    // Auto-reminders off: their pickers follow.
    child<QCheckBox>(page, "EnableAutoRemChB")->click();
    QVERIFY(!child<QTimeEdit>(page, "AutoRemL1DTP")->isEnabled());
    QVERIFY(child<QTimeEdit>(page, "SilenceStartDTP")->isEnabled());
    // The module off: everything but the switch follows.
    enable->click();
    for (const char* name : {"VModuleVolumeTrackBar", "EnableAutoRemChB", "IzvStatusCheckListBox",
                             "RemindersCheckListBox", "SilenceStartDTP", "SilenceEndDTP", "AutoRemL1DTP"})
      QVERIFY2(!child<QWidget>(page, name)->isEnabled(), name);
    enable->click();
    volume->setValue(8);
    QCOMPARE(child<QLabel>(page, "VModuleVolumeLabel")->text(), QStringLiteral("8"));
    child<QTimeEdit>(page, "SilenceEndDTP")->setTime(QTime(6, 15));
    child<QListWidget>(page, "RemindersCheckListBox")->item(2)->setCheckState(Qt::Checked);
    rig.save_page();
    rig.write_all();
    COMPARE_CHANGES(rig.changes(), (Changes{{kVoice + 9, {7, 6}},
                                            {kVoice + 10, {0, 15}},
                                            {kVoice + 12, {1, 0}},
                                            {kVoice + 13, {58, 64}},
                                            {kVoice + 14, {0x03, 0x07}}}));
  }

  // ---- "Речевое оповещение" -------------------------------------------------------------

  void speech_list_holds_96_zones_of_8_messages() {
    test::SettingsWindowRig rig;
    rig.connect_and_read();
    auto* page = rig.visit<SpeechNoticePage>(Node::speech_notice);
    auto* lv = child<QTreeWidget>(page, "SpeechNoticeLV");
    QCOMPARE(lv->topLevelItemCount(), 96);
    QCOMPARE(lv->topLevelItem(95)->text(0), QStringLiteral("Зона 96"));
    QCOMPARE(lv->topLevelItem(95)->childCount(), 8);
    QCOMPARE(page->row_item(17)->text(0), QStringLiteral("Сообщение 2"));
    QCOMPARE(page->row_item(17)->parent()->text(0), QStringLiteral("Зона 3"));
    // The first message is selected and loaded.
    QCOMPARE(page->selected_row(), 0);
    QVERIFY(child<QCheckBox>(page, "SpeechNoticeMsgActiveChB")->isChecked());
    QCOMPARE(list(page, "SpeechNoticePartStateCmB")->currentText(), QStringLiteral("Пожар"));
    QCOMPARE(list(page, "SpeechNoticeDelayCmB")->currentText(), QStringLiteral("30"));
    QCOMPARE(list(page, "SpeechNoticeDurationCmB")->currentText(), QStringLiteral("бесконечно"));
    QCOMPARE(checked_items(child<QListWidget>(page, "SpeechNoticeMsgToPartLinkChListB")),
             (QStringList{"Раздел 3", "Раздел 7", "Раздел 10"}));
    page->select_row(17);  // an inactive message: its parameters disabled
    QVERIFY(!child<QCheckBox>(page, "SpeechNoticeMsgActiveChB")->isChecked());
    QVERIFY(!list(page, "SpeechNoticeDelayCmB")->isEnabled());
    QVERIFY(!child<QWidget>(page, "SpeechNoticeMsgToPartLinkChListB")->isEnabled());
    // Revisiting keeps the selection.
    rig.visit(Node::device_vmodule);
    page = rig.visit<SpeechNoticePage>(Node::speech_notice);
    QCOMPARE(page->selected_row(), 17);
  }

  void speech_edits_of_several_messages_are_all_saved() {
    test::SettingsWindowRig rig;
    rig.connect_and_read();
    auto* page = rig.visit<SpeechNoticePage>(Node::speech_notice);
    page->select_row(17);
    child<QCheckBox>(page, "SpeechNoticeMsgActiveChB")->click();
    QVERIFY(list(page, "SpeechNoticeDelayCmB")->isEnabled());
    list(page, "SpeechNoticePartStateCmB")->setCurrentIndex(8);
    list(page, "SpeechNoticeDelayCmB")->setCurrentIndex(57);  // "600"
    list(page, "SpeechNoticeDurationCmB")->setCurrentIndex(240);
    child<QListWidget>(page, "SpeechNoticeMsgToPartLinkChListB")->item(0)->setCheckState(Qt::Checked);
    // On to another message: the first one's edits are kept, not dropped.
    page->select_row(1);
    list(page, "SpeechNoticeDurationCmB")->setCurrentIndex(6);
    page->select_row(17);
    QCOMPARE(list(page, "SpeechNoticeDelayCmB")->currentText(), QStringLiteral("600"));
    rig.save_page();
    rig.write_all();
    COMPARE_CHANGES(rig.changes(), (Changes{{kSpeech + 68, {0, 1}},
                                            {kSpeech + 69, {0, 8}},
                                            {kSpeech + 70, {0, 60}},
                                            {kSpeech + 71, {0, 240}},
                                            {kSpeech + 7, {5, 6}},
                                            {kSpeechPartitions + 2, {0, 0x02}}}));
  }

  void unticking_a_message_resets_it_and_stores_it_at_once() {
    test::SettingsWindowRig rig;
    rig.connect_and_read();
    auto* page = rig.visit<SpeechNoticePage>(Node::speech_notice);
    child<QCheckBox>(page, "SpeechNoticeMsgActiveChB")->click();
    QCOMPARE(list(page, "SpeechNoticePartStateCmB")->currentText(), QStringLiteral("Пожар"));
    QCOMPARE(list(page, "SpeechNoticeDurationCmB")->currentText(), QStringLiteral("бесконечно"));
    QVERIFY(checked_items(child<QListWidget>(page, "SpeechNoticeMsgToPartLinkChListB")).isEmpty());
    QVERIFY(!list(page, "SpeechNoticePartStateCmB")->isEnabled());
    QCOMPARE(rig.config().image(memory::ImageId::speech_notices).byte_at(0), 0);  // no "Сохранить" needed
    rig.write_all();
    // Zone 1 message 1 was partitions 3, 7 and 10 (bit 0 of byte 96p).
    COMPARE_CHANGES(rig.changes(), (Changes{{kSpeech + 0, {1, 0}},
                                            {kSpeechPartitions + 96 * 2, {1, 0}},
                                            {kSpeechPartitions + 96 * 6, {1, 0}},
                                            {kSpeechPartitions + 96 * 9, {1, 0}}}));
  }
};

QTEST_MAIN(ServicePagesTest)
#include "service_pages_test.moc"
