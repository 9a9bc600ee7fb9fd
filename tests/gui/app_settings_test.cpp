// The application settings dialog: what it reads from the preferences file, what "ОК"
// writes there, "Отмена", the pages of its tree and the installed languages.
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QFile>
#include <QPushButton>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>
#include <fstream>
#include <sstream>

#include "shell/preferences.hpp"
#include "shell/ui/app_settings_form.hpp"
#include "shell/ui/usb_device_dialog.hpp"
#include "shell/ui/qt_text.hpp"
#include "support/recording_ui.hpp"

using namespace vq;
using namespace vq::gui;

namespace {
std::string read_file(const std::filesystem::path& p) {
  std::ifstream in(p);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}
}  // namespace

class AppSettingsTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<QTemporaryDir> dir_;
  AppContext ctx_;
  std::unique_ptr<test::ScopedRecordingUi> ui_;

  void write_preferences(const std::string& text) { std::ofstream(ctx_.preferences_file) << text; }
  void touch(const QString& name) { QFile(dir_->path() + "/" + name).open(QIODevice::WriteOnly); }
  template <class W>
  static W* child(QWidget& form, const char* name) {
    return form.findChild<W*>(QString::fromLatin1(name));
  }
  static QStringList items(QComboBox* box) {
    QStringList out;
    for (int i = 0; i < box->count(); ++i) out << box->itemText(i);
    return out;
  }

 private slots:
  void init() {
    dir_ = std::make_unique<QTemporaryDir>();
    ctx_ = AppContext{};
    ctx_.program_path = (dir_->path() + "/vantorq").toStdString();
    ctx_.data_dir = (dir_->path() + "/data").toStdString();
    ctx_.preferences_file = (dir_->path() + "/conf/vantorq.ini").toStdString();
    touch(QStringLiteral("vantorq"));
    ::unsetenv("VANTORQ_USB_IDS");
    ui_ = std::make_unique<test::ScopedRecordingUi>();
  }
  void cleanup() {
    ui_.reset();
    dir_.reset();
  }

  void reads_the_preferences_file_data() {
    QTest::addColumn<QString>("file");  // empty: no file at all
    QTest::addColumn<bool>("show_all_soft");
    QTest::addColumn<QString>("mode");
    QTest::newRow("no file") << QString() << true << "Демо";
    QTest::newRow("empty file") << "\n" << true << "Демо";
    QTest::newRow("online") << "[System]\nDefaultMode=1\n" << true << "Онлайн";
    QTest::newRow("any non-zero is online") << "[System]\nDefaultMode=7\n" << true << "Онлайн";
    QTest::newRow("no automatic list") << "[System]\nShowAllSoft=0\nDefaultMode=0\n" << false << "Демо";
    QTest::newRow("other section only") << "[Other]\nDefaultMode=1\n" << true << "Демо";
  }
  void reads_the_preferences_file() {
    QFETCH(QString, file);
    QFETCH(bool, show_all_soft);
    QFETCH(QString, mode);
    if (!file.isEmpty()) {
      std::filesystem::create_directories(ctx_.preferences_file.parent_path());
      write_preferences(file.toStdString());
    }
    TAppSettingsForm form(ctx_);
    QCOMPARE(form.windowTitle(), QStringLiteral("Настройки программы"));
    auto* mode_box = child<QComboBox>(form, "DefaultModeCmB");
    QCOMPARE(items(mode_box), (QStringList{QStringLiteral("Демо"), QStringLiteral("Онлайн")}));
    QCOMPARE(mode_box->currentText(), mode);
    auto* check = child<QCheckBox>(form, "ShowAllSoftChB");
    QCOMPARE(check->text(), QStringLiteral("Автоматически показывать список доступных файлов ПО"));
    QCOMPARE(check->isChecked(), show_all_soft);
  }

  void ok_writes_the_same_file_the_windows_read_and_stays_open() {
    std::filesystem::create_directories(ctx_.preferences_file.parent_path());
    write_preferences("; kept\n[System]\nFirstRun=0\nShowAllSoft=1\n[Window]\nLeft=10\n");
    TAppSettingsForm form(ctx_);
    form.show();
    child<QCheckBox>(form, "ShowAllSoftChB")->setChecked(false);
    child<QComboBox>(form, "DefaultModeCmB")->setCurrentIndex(1);
    auto* ok = child<QPushButton>(form, "OKBitBtn");
    QCOMPARE(ok->text(), QStringLiteral("ОК"));
    ok->click();
    QVERIFY(form.isVisible());
    QCOMPARE(form.result(), 0);
    const std::string first = read_file(ctx_.preferences_file);
    ok->click();
    QVERIFY(form.isVisible());
    QCOMPARE(read_file(ctx_.preferences_file), first);
    QVERIFY(ui_->ui->boxes.empty());

    const auto prefs = shell::load_preferences(ctx_.preferences_file);
    QCOMPARE(prefs.show_all_soft, false);
    QCOMPARE(prefs.default_mode, 1);
    QCOMPARE(prefs.default_system, 1);
    QCOMPARE(prefs.language, std::string("RU"));
    QCOMPARE(prefs.first_run, false);  // keys the dialog does not show are kept
    QVERIFY(first.find("[Window]") != std::string::npos && first.find("Left=10") != std::string::npos);
    QVERIFY(first.find("; kept") != std::string::npos);

    // A new dialog shows what was stored.
    TAppSettingsForm again(ctx_);
    QVERIFY(!child<QCheckBox>(again, "ShowAllSoftChB")->isChecked());
    QCOMPARE(child<QComboBox>(again, "DefaultModeCmB")->currentText(), QStringLiteral("Онлайн"));
  }

  void ok_creates_a_missing_file() {
    TAppSettingsForm form(ctx_);
    child<QPushButton>(form, "OKBitBtn")->click();
    QVERIFY(std::filesystem::exists(ctx_.preferences_file));
    const auto prefs = shell::load_preferences(ctx_.preferences_file);
    QCOMPARE(prefs.show_all_soft, true);
    QCOMPARE(prefs.default_mode, 0);
    QCOMPARE(prefs.default_system, 0);
  }

  void a_failed_write_is_reported() {
    // The preferences folder is a file, so nothing can be written under it.
    QFile(dir_->path() + "/conf").open(QIODevice::WriteOnly);
    TAppSettingsForm form(ctx_);
    form.show();
    child<QComboBox>(form, "DefaultModeCmB")->setCurrentIndex(1);
    child<QPushButton>(form, "OKBitBtn")->click();
    QVERIFY(form.isVisible());
    QCOMPARE(ui_->ui->boxes.size(), std::size_t{1});
    const auto& box = ui_->ui->boxes[0];
    QCOMPARE(box.icon, BoxIcon::error);
    QCOMPARE(box.caption, caption_system());
    QVERIFY(box.text.contains(QString::fromStdString(ctx_.preferences_file.string())));
  }

  void cancel_writes_nothing() {
    TAppSettingsForm form(ctx_);
    form.show();
    child<QCheckBox>(form, "ShowAllSoftChB")->setChecked(false);
    auto* cancel = child<QPushButton>(form, "CancelBitBtn");
    QCOMPARE(cancel->text(), QStringLiteral("Отмена"));
    cancel->click();
    QVERIFY(!form.isVisible());
    QCOMPARE(form.result(), int(QDialog::Rejected));
    QVERIFY(!std::filesystem::exists(ctx_.preferences_file));
  }

  void tree_shows_one_page_without_tabs() {
    TAppSettingsForm form(ctx_);
    form.show();
    auto* tree = child<QTreeWidget>(form, "TreeView1");
    QCOMPARE(tree->topLevelItemCount(), 2);
    QCOMPARE(tree->topLevelItem(0)->text(0), QStringLiteral("Язык"));
    QCOMPARE(tree->topLevelItem(1)->text(0), QStringLiteral("Система"));
    auto* lang = child<QComboBox>(form, "LangCmB");
    auto* check = child<QCheckBox>(form, "ShowAllSoftChB");

    tree->setCurrentItem(tree->topLevelItem(1));
    QVERIFY(check->isVisible() && check->isEnabled());
    QVERIFY(!lang->isVisible());
    tree->setCurrentItem(tree->topLevelItem(0));
    QVERIFY(lang->isVisible());
    QVERIFY(!check->isVisible() && !check->isEnabled());
  }

  void usb_ids_are_checked_then_stored_as_the_command_line_reads_them_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored");  // null: refused, nothing written
    QTest::newRow("one") << "0483:5740" << "0483:5740";
    QTest::newRow("short and upper case") << " 483:ABCD , 1234:1 " << "0483:abcd,1234:0001";
    QTest::newRow("none") << "" << "";
    QTest::newRow("dash") << "0483-5740" << QString();
    QTest::newRow("too long") << "10483:5740" << QString();
    QTest::newRow("empty item") << "0483:5740,," << QString();
  }
  void usb_ids_are_checked_then_stored_as_the_command_line_reads_them() {
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    TAppSettingsForm form(ctx_);
    form.show();
    child<QLineEdit>(form, "UsbIdsEdit")->setText(typed);
    child<QPushButton>(form, "OKBitBtn")->click();
    QVERIFY(form.isVisible());
    if (stored.isNull()) {
      QCOMPARE(ui_->ui->boxes.size(), std::size_t{1});
      QCOMPARE(ui_->ui->boxes[0].icon, BoxIcon::warning);
      QVERIFY2(ui_->ui->boxes[0].text.contains(QStringLiteral("VID:PID")), qPrintable(ui_->ui->boxes[0].text));
      QVERIFY(!std::filesystem::exists(ctx_.preferences_file));
      return;
    }
    QVERIFY(ui_->ui->boxes.empty());
    QCOMPARE(qs(shell::load_preferences(ctx_.preferences_file).usb_ids), stored);
    TAppSettingsForm again(ctx_);
    QCOMPARE(child<QLineEdit>(again, "UsbIdsEdit")->text(), stored);
  }

  void usb_ids_chosen_from_the_attached_devices() {
    link::UsbCandidate a;
    a.id = {0x0483, 0x5740};
    a.port_path = "1-2";
    a.manufacturer = "Maker";
    a.product = "Panel";
    a.accessible = true;
    link::UsbCandidate b = a;
    b.id = {0x1234, 0xABCD};
    b.port_path = "1-3.1";
    b.accessible = false;
    b.access_problem = "нет прав";
    TAppSettingsForm form(ctx_);
    form.show();
    auto* tree = child<QTreeWidget>(form, "TreeView1");
    tree->setCurrentItem(tree->topLevelItem(1));  // "Система"
    form.set_usb_lister([&] { return Result<std::vector<link::UsbCandidate>>(std::vector{a, b}); });
    auto* edit = child<QLineEdit>(form, "UsbIdsEdit");
    auto* choose = child<QPushButton>(form, "UsbIdsChooseBtn");
    edit->setText(QStringLiteral("0001:0001"));

    QStringList shown;
    ui_->ui->dialog_scripts.push_back([&](QDialog* d) {
      auto* list = d->findChild<QTreeWidget*>(QStringLiteral("UsbDevicesLV"));
      for (int i = 0; i < list->topLevelItemCount(); ++i)
        shown << list->topLevelItem(i)->text(0) + " " + list->topLevelItem(i)->text(1) + " " +
                     list->topLevelItem(i)->text(4);
      list->setCurrentItem(list->topLevelItem(1));
      d->findChild<QPushButton*>(QStringLiteral("UsbChooseOKBtn"))->click();
    });
    choose->click();
    QTRY_COMPARE(ui_->ui->dialogs, QStringList{QStringLiteral("UsbDeviceChooseForm")});
    QTRY_VERIFY(choose->isEnabled());
    QCOMPARE(shown, (QStringList{"0483:5740 1-2 есть", "1234:abcd 1-3.1 нет: нет прав"}));
    QCOMPARE(edit->text(), QStringLiteral("1234:abcd"));

    // Cancelled: the typed ids stay.
    choose->click();
    QTRY_COMPARE(ui_->ui->dialogs.size(), 2);
    QTRY_VERIFY(choose->isEnabled());
    QCOMPARE(edit->text(), QStringLiteral("1234:abcd"));

    // Nothing attached, and a search that failed: told, nothing changed.
    form.set_usb_lister([] { return Result<std::vector<link::UsbCandidate>>(std::vector<link::UsbCandidate>{}); });
    choose->click();
    QTRY_COMPARE(ui_->ui->boxes.size(), std::size_t{1});
    QCOMPARE(ui_->ui->boxes[0].icon, BoxIcon::information);
    QCOMPARE(ui_->ui->boxes[0].text, qs(std::string(link::kTextNoUsbCandidates)));
    QTRY_VERIFY(choose->isEnabled());
    form.set_usb_lister([] { return Result<std::vector<link::UsbCandidate>>(fail("libusb не запустился")); });
    choose->click();
    QTRY_COMPARE(ui_->ui->boxes.size(), std::size_t{2});
    QCOMPARE(ui_->ui->boxes[1].icon, BoxIcon::error);
    QCOMPARE(ui_->ui->dialogs.size(), 2);
    QCOMPARE(edit->text(), QStringLiteral("1234:abcd"));
    QVERIFY(!std::filesystem::exists(ctx_.preferences_file));
  }

  void ids_from_the_command_line_are_said_to_come_first() {
    std::filesystem::create_directories(ctx_.preferences_file.parent_path());
    write_preferences("[System]\nUsbIds=0001:0002\n");
    {
      TAppSettingsForm form(ctx_);
      QVERIFY(child<QLabel>(form, "UsbIdsNoteLabel")->text().isEmpty());
    }
    ctx_.usb_ids = {"0483:5740"};
    TAppSettingsForm form(ctx_);
    QCOMPARE(child<QLineEdit>(form, "UsbIdsEdit")->text(), QStringLiteral("0001:0002"));
    const QString note = child<QLabel>(form, "UsbIdsNoteLabel")->text();
    QVERIFY2(note.contains(QStringLiteral("0483:5740")) && note.contains(QStringLiteral("--usb-id")), qPrintable(note));
  }

  void language_list_data() {
    QTest::addColumn<QStringList>("files");  // beside the program
    QTest::addColumn<QString>("language");   // in the preferences; empty: none
    QTest::addColumn<QStringList>("codes");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<int>("selected");
    QTest::newRow("no modules") << QStringList{} << QString() << QStringList{"RU"} << QStringList{"Русский"} << 0;
    QTest::newRow("an English module") << QStringList{"vantorq.EN"} << QString() << QStringList{"RU", "EN"}
                                       << QStringList{"Русский", "English"} << 0;
    QTest::newRow("the preferred one selected") << QStringList{"vantorq.TR", "vantorq.EN"} << "EN"
                                                << QStringList{"RU", "EN", "TR"}
                                                << QStringList{"Русский", "English", "Türkçe"} << 1;
    QTest::newRow("a language that is not installed") << QStringList{} << "DE" << QStringList{"RU"}
                                                       << QStringList{"Русский"} << 0;
    QTest::newRow("not language modules") << QStringList{"vantorq.ini", "vantorq.en", "vantorq.ENGL", "other.EN",
                                                          "vantorq.RU"}
                                          << QString() << QStringList{"RU"} << QStringList{"Русский"} << 0;
  }
  void language_list() {
    QFETCH(QStringList, files);
    QFETCH(QString, language);
    QFETCH(QStringList, codes);
    QFETCH(QStringList, names);
    QFETCH(int, selected);
    for (const auto& f : files) touch(f);
    QDir(dir_->path()).mkdir(QStringLiteral("vantorq.DE"));  // a folder is no module
    if (!language.isEmpty()) {
      std::filesystem::create_directories(ctx_.preferences_file.parent_path());
      write_preferences("[System]\nLanguage=" + language.toStdString() + "\n");
    }
    TAppSettingsForm form(ctx_);
    QStringList got_codes;
    for (const auto& l : form.languages()) got_codes << l.code;
    QCOMPARE(got_codes, codes);
    auto* lang = child<QComboBox>(form, "LangCmB");
    QCOMPARE(items(lang), names);
    QCOMPARE(lang->currentIndex(), selected);
    QVERIFY(!lang->isEnabled());
  }
};

QTEST_MAIN(AppSettingsTest)
#include "app_settings_test.moc"
