// The start window: modes and the window each opens, the description pages, help with its
// 30-second lock, the closing question, the service chord, the site and e-mail links; and
// the start-up command line.
#include <QAbstractButton>
#include <QDialog>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTimer>
#include <QUrlQuery>
#include <QtTest>
#include <fstream>

#include "app/mode_select_form.hpp"
#include "app/start_options.hpp"
#include "eventlog/ui/mstore_form.hpp"
#include "firmware/ui/change_soft_form.hpp"
#include "shell/data_folders.hpp"
#include "shell/ui/qt_text.hpp"
#include "shell/ui/start_mode.hpp"
#include "support/recording_ui.hpp"

using namespace vq;
using namespace vq::gui;

class ModeSelectTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<QTemporaryDir> dir_;
  AppContext ctx_;
  std::unique_ptr<test::ScopedRecordingUi> ui_;
  std::unique_ptr<TQModeSelectForm> form_;
  TQChangeSoftForm* firmware_ = nullptr;
  QDialog* settings_ = nullptr;
  TQMStoreForm* event_log_ = nullptr;
  // What "Продолжить" and the settings button opened, with the window's caption then.
  std::vector<QDialog*> opened_;
  QStringList opened_captions_;

  QAbstractButton* button(const QString& name) const { return form_->findChild<QAbstractButton*>(name); }
  QTextBrowser* browser() const { return form_->findChild<QTextBrowser*>(QStringLiteral("DescriptionBrowser")); }
  test::RecordingUi& rec() { return *ui_->ui; }
  QString help_dir() const { return QString::fromStdString((ctx_.data_dir / "Help").string()); }

 private slots:
  void init() {
    dir_ = std::make_unique<QTemporaryDir>();
    ctx_ = AppContext{};
    ctx_.program_path = (dir_->path() + "/vantorq").toStdString();
    ctx_.data_dir = (dir_->path() + "/data").toStdString();
    ctx_.preferences_file = (dir_->path() + "/vantorq.ini").toStdString();
    QVERIFY(shell::ensure_data_dir(ctx_.data_dir).has_value());
    set_start_mode(0);
    ui_ = std::make_unique<test::ScopedRecordingUi>();
    form_ = std::make_unique<TQModeSelectForm>(ctx_);
    firmware_ = new TQChangeSoftForm(ctx_, form_.get());
    settings_ = new QDialog(form_.get());  // stands in for the settings window
    settings_->setObjectName(QStringLiteral("TQDevSettingsForm"));
    event_log_ = new TQMStoreForm(ctx_, form_.get());
    form_->set_mode_windows(firmware_, settings_, event_log_);
    opened_.clear();
    opened_captions_.clear();
    form_->set_modal_opener([this](QDialog* d) {
      opened_.push_back(d);
      opened_captions_ << d->windowTitle();
    });
    form_->show();
  }
  void cleanup() {
    form_.reset();
    ui_.reset();
    dir_.reset();
  }

  void window_layout() {
    QCOMPARE(form_->windowTitle(), QStringLiteral("Выбор режима работы"));
    QCOMPARE(form_->size(), QSize(655, 490));
    QCOMPARE(form_->minimumSize(), form_->maximumSize());
    QVERIFY(!(form_->windowFlags() & Qt::WindowMaximizeButtonHint));
    const struct {
      const char* name;
      const char* caption;
    } captions[] = {{"Mode1", "Обновление ПО ППКОП и других устройств системы"},
                    {"Mode2", "Обновление ПО встроенных модулей (ВМ)"},
                    {"Mode3", "Настройка системы"},
                    {"Mode4", "Журнал событий"},
                    {"WWWSpdBtn", "Посетите наш сайт"},
                    {"EmailSpdBtn", "Пишите нам"},
                    {"HelpSpdBtn", "Настройки программы"},
                    {"ContinueBitBtn", "Продолжить"},
                    {"ExitBitBtn", "Выход"}};
    for (const auto& c : captions) {
      auto* b = button(QString::fromLatin1(c.name));
      QVERIFY2(b, c.name);
      QCOMPARE(b->text(), QString::fromUtf8(c.caption));
    }
    QVERIFY(!button("Mode2")->isVisible());
    QVERIFY(!button("Mode2")->isEnabled());
  }

  void continue_disabled_until_a_mode() {
    auto* cont = button("ContinueBitBtn");
    QVERIFY(!cont->isEnabled());
    cont->click();
    QVERIFY(opened_.empty());
    button("Mode4")->click();
    QVERIFY(cont->isEnabled());
  }

  void continue_opens_the_window_of_the_mode_data() {
    QTest::addColumn<QStringList>("presses");
    QTest::addColumn<QString>("window");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("caption");
    QTest::newRow("firmware") << QStringList{"Mode1"} << "TQChangeSoftForm" << 1 << m(15029);
    QTest::newRow("built-in modules") << QStringList{"Mode2"} << "TQChangeSoftForm" << 2 << m(15030);
    QTest::newRow("settings") << QStringList{"Mode3"} << "TQDevSettingsForm" << 4 << QString();
    QTest::newRow("event log keeps the mode") << QStringList{"Mode1", "Mode4"} << "TQMStoreForm" << 1
                                              << QStringLiteral("Журнал событий");
    QTest::newRow("event log alone") << QStringList{"Mode4"} << "TQMStoreForm" << 0 << QStringLiteral("Журнал событий");
    QTest::newRow("last press wins") << QStringList{"Mode3", "Mode2", "Mode1"} << "TQChangeSoftForm" << 1 << m(15029);
  }
  void continue_opens_the_window_of_the_mode() {
    QFETCH(QStringList, presses);
    QFETCH(QString, window);
    QFETCH(int, mode);
    QFETCH(QString, caption);
    button("Mode2")->setEnabled(true);  // hidden and disabled in use; pressed here for its mode
    for (const auto& name : presses) button(name)->click();
    QCOMPARE(start_mode(), mode);
    button("ContinueBitBtn")->click();
    QCOMPARE(opened_.size(), std::size_t{1});
    QCOMPARE(opened_[0]->objectName(), window);
    if (!caption.isEmpty()) QCOMPARE(opened_captions_[0], caption);
    // The same long-lived window every visit.
    button("ContinueBitBtn")->click();
    QCOMPARE(opened_.size(), std::size_t{2});
    QCOMPARE(opened_[1], opened_[0]);
  }

  void description_page_per_mode_data() {
    QTest::addColumn<QString>("press");
    QTest::addColumn<QString>("page");
    QTest::newRow("start") << QString() << "startpage_RU.html";
    QTest::newRow("Mode1") << "Mode1" << "mode1descr_RU.html";
    QTest::newRow("Mode3") << "Mode3" << "mode3descr_RU.html";
    QTest::newRow("Mode4") << "Mode4" << "mode4descr_RU.html";
  }
  void description_page_per_mode() {
    QFETCH(QString, press);
    QFETCH(QString, page);
    if (!press.isEmpty()) button(press)->click();
    QCOMPARE(browser()->source(), QUrl(QStringLiteral("qrc:/help/") + page));
    // A real page in Russian, not an empty pane.
    QVERIFY(browser()->toPlainText().size() > 100);
    QVERIFY(browser()->toPlainText().contains(QStringLiteral("прибор")));
  }

  void mode2_leaves_the_description() {
    button("Mode3")->click();
    const QUrl before = browser()->source();
    button("Mode2")->setEnabled(true);
    button("Mode2")->click();
    QCOMPARE(browser()->source(), before);
  }

  void a_site_page_in_the_data_folder_wins() {
    QFile own(help_dir() + "/mode3descr_RU.html");
    QVERIFY(own.open(QIODevice::WriteOnly));
    own.write("<html><body>Своя страница настройки</body></html>");
    own.close();
    button("Mode3")->click();
    QCOMPARE(browser()->source(), QUrl::fromLocalFile(own.fileName()));
    QVERIFY(browser()->toPlainText().contains(QStringLiteral("Своя страница")));
    button("Mode1")->click();  // no own copy: the built-in one
    QCOMPARE(browser()->source(), QUrl(QStringLiteral("qrc:/help/mode1descr_RU.html")));
  }

  void f1_opens_help_once_within_the_lock() {
    QTest::keyClick(browser(), Qt::Key_F1);  // from the pane as from the window
    QTest::keyClick(form_.get(), Qt::Key_F1);
    QCOMPARE(rec().opened.size(), std::size_t{1});
    const QString guide = help_dir() + "/vantorq_ru-help.html";
    QCOMPARE(rec().opened[0], QUrl::fromLocalFile(guide));
    QFile written(guide);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QVERIFY(QString::fromUtf8(written.readAll()).contains(QStringLiteral("Выбор режима работы")));
    QVERIFY(rec().boxes.empty());

    auto* timer = form_->findChild<QTimer*>(QStringLiteral("HelpTimer"));
    QVERIFY(timer);
    QVERIFY(timer->isActive());
    QVERIFY(timer->isSingleShot());
    QCOMPARE(timer->interval(), 30000);
    timer->start(0);  // let the lock run out now
    QTRY_VERIFY(form_->help_allowed());
    QTest::keyClick(form_.get(), Qt::Key_F1);
    QCOMPARE(rec().opened.size(), std::size_t{2});
  }

  void f1_prefers_the_sites_help_file_and_keeps_an_edited_guide() {
    // A guide the site edited is opened as it is, not overwritten.
    const QString guide = help_dir() + "/vantorq_ru-help.html";
    {
      QFile f(guide);
      QVERIFY(f.open(QIODevice::WriteOnly));
      f.write("<html><body>edited</body></html>");
    }
    form_->HelpBtnClick();
    QCOMPARE(rec().opened.back(), QUrl::fromLocalFile(guide));
    QFile f(guide);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("<html><body>edited</body></html>"));

    // The help file of the program's own name comes first.
    const QString hlp = help_dir() + "/vantorq_ru-help.hlp";
    QFile(hlp).open(QIODevice::WriteOnly);
    form_->findChild<QTimer*>(QStringLiteral("HelpTimer"))->start(0);
    QTRY_VERIFY(form_->help_allowed());
    form_->HelpBtnClick();
    QCOMPARE(rec().opened.back(), QUrl::fromLocalFile(hlp));
  }

  void help_that_cannot_be_written_is_reported() {
    // The Help folder is a file: the guide cannot be written, and the user is told.
    QDir(help_dir()).removeRecursively();
    QFile(help_dir()).open(QIODevice::WriteOnly);
    form_->HelpBtnClick();
    QVERIFY(rec().opened.empty());
    QCOMPARE(rec().boxes.size(), std::size_t{1});
    QCOMPARE(rec().boxes[0].icon, BoxIcon::error);
    QVERIFY(rec().boxes[0].text.contains(QStringLiteral("vantorq_ru-help.html")));
  }

  void closing_asks_first_data() {
    QTest::addColumn<bool>("by_button");
    QTest::addColumn<bool>("answer");
    QTest::newRow("Выход, No") << true << false;
    QTest::newRow("Выход, Yes") << true << true;
    QTest::newRow("close box, No") << false << false;
    QTest::newRow("close box, Yes") << false << true;
  }
  void closing_asks_first() {
    QFETCH(bool, by_button);
    QFETCH(bool, answer);
    rec().answers.push_back(answer);
    if (by_button)
      button("ExitBitBtn")->click();
    else
      form_->close();
    QCOMPARE(rec().boxes.size(), std::size_t{1});
    const auto& box = rec().boxes[0];
    QVERIFY(box.question);
    QCOMPARE(box.icon, BoxIcon::question);
    QCOMPARE(box.caption, m(15004));
    QCOMPARE(box.text, m(15266));
    QCOMPARE(box.text, QStringLiteral("Вы уверены что хотите выйти из программы?"));
    QCOMPARE(form_->isVisible(), !answer);
  }

  void service_chord_toggles_mode3() {
    auto* mode3 = button("Mode3");
    QVERIFY(mode3->isEnabled());
    const auto chord = Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier;
    QTest::keyClick(form_.get(), Qt::Key_F12, chord);
    QVERIFY(!mode3->isEnabled());
    QTest::keyClick(form_.get(), Qt::Key_F12, Qt::ControlModifier | Qt::AltModifier);  // not the chord
    QVERIFY(!mode3->isEnabled());
    QTest::keyClick(button("Mode1"), Qt::Key_F12, chord);  // from a child as from the window
    QVERIFY(mode3->isEnabled());
    QVERIFY(rec().opened.empty());
  }

  void site_and_mail_links() {
    button("WWWSpdBtn")->click();
    const auto* www = form_->findChild<QLabel*>(QStringLiteral("wwwLabel"));
    const auto* mail = form_->findChild<QLabel*>(QStringLiteral("EmailLabel"));
    QVERIFY(www && mail && !www->isVisible() && !mail->isVisible());
    QCOMPARE(rec().opened.size(), std::size_t{1});
    QCOMPARE(rec().opened[0], QUrl(QStringLiteral("http://") + www->text()));

    button("EmailSpdBtn")->click();
    QCOMPARE(rec().opened.size(), std::size_t{2});
    const QUrl url = rec().opened[1];
    QCOMPARE(url.scheme(), QStringLiteral("mailto"));
    QCOMPARE(url.path(), mail->text());
    QCOMPARE(QUrlQuery(url).queryItemValue(QStringLiteral("subject"), QUrl::FullyDecoded), m(15316));
    QVERIFY(rec().boxes.empty());

    rec().open_url_result = false;  // no browser on this desktop: said, not swallowed
    button("WWWSpdBtn")->click();
    QCOMPARE(rec().boxes.size(), std::size_t{1});
    QCOMPARE(rec().boxes[0].icon, BoxIcon::error);
  }

  void settings_button_opens_a_fresh_dialog_and_destroys_it() {
    QPointer<QDialog> seen;
    form_->set_modal_opener([&](QDialog* d) {
      seen = d;
      opened_captions_ << d->windowTitle();
    });
    button("HelpSpdBtn")->click();
    QCOMPARE(opened_captions_, QStringList{QStringLiteral("Настройки программы")});
    QVERIFY(seen.isNull());  // destroyed once closed
  }

  // --- start-up command line ---

  void gentranstable_only_exactly_first_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<bool>("shown");
    QTest::newRow("lower case") << QStringList{"vantorq", "/gentranstable"} << true;
    QTest::newRow("with more after it") << QStringList{"vantorq", "/gentranstable", "--device", "sim"} << true;
    QTest::newRow("upper case") << QStringList{"vantorq", "/GENTRANSTABLE"} << false;
    QTest::newRow("mixed case") << QStringList{"vantorq", "/GenTransTable"} << false;
    QTest::newRow("not first") << QStringList{"vantorq", "--portable", "/gentranstable"} << false;
    QTest::newRow("trailing space") << QStringList{"vantorq", "/gentranstable "} << false;
    QTest::newRow("no arguments") << QStringList{"vantorq"} << false;
  }
  void gentranstable_only_exactly_first() {
    QFETCH(QStringList, args);
    QFETCH(bool, shown);
    QCOMPARE(announce_program_path(args, QStringLiteral("/opt/vq/bin/vantorq")), shown);
    QCOMPARE(rec().boxes.size(), std::size_t{shown ? 1u : 0u});
    if (shown) {
      QCOMPARE(rec().boxes[0].icon, BoxIcon::information);
      QCOMPARE(rec().boxes[0].caption, QStringLiteral("/gentranstable"));
      QCOMPARE(rec().boxes[0].text, QStringLiteral("/opt/vq/bin/vantorq"));
    }
  }

  void command_line_options() {
    auto o = parse_start_options({"vantorq", "/gentranstable", "--device", "tcp:localhost:5020", "--data-dir", "/tmp/d",
                                  "--pacing", "none", "--timeout", "500", "--trace", "/tmp/t.log", "--usb-id",
                                  "1234:abcd", "--usb-id", "0483:5740", "--rs485", "serial:/dev/ttyUSB0", "--portable",
                                  "--exit-when-shown"});
    QVERIFY2(o.has_value(), o ? "" : o.error().full().c_str());
    QCOMPARE(o->device, std::string("tcp:localhost:5020"));
    QVERIFY(o->data_dir.has_value());
    QCOMPARE(o->data_dir->string(), std::string("/tmp/d"));
    QCOMPARE(o->pacing, std::string("none"));
    QCOMPARE(o->timeout_ms, 500);
    QCOMPARE(o->trace_file, std::string("/tmp/t.log"));
    QCOMPARE(o->usb_ids, (std::vector<std::string>{"1234:abcd", "0483:5740"}));
    QCOMPARE(o->rs485, std::string("serial:/dev/ttyUSB0"));
    QVERIFY(o->portable && o->exit_when_shown);

    auto d = parse_start_options({"vantorq"});
    QVERIFY(d.has_value());
    QCOMPARE(d->device, std::string("usb"));
    QVERIFY(!d->data_dir && d->pacing.empty() && d->rs485.empty() && !d->portable && !d->exit_when_shown);
    auto v = parse_start_options({"vantorq", "--rs485", "sim"});
    QVERIFY(v.has_value());
    QCOMPARE(v->rs485, std::string("sim"));
    QVERIFY(!start_options_help().contains(QStringLiteral("exit-when-shown")));
  }

  void bad_command_lines_are_refused_data() {
    QTest::addColumn<QStringList>("args");
    QTest::newRow("unknown option") << QStringList{"vantorq", "--colour"};
    QTest::newRow("unknown device") << QStringList{"vantorq", "--device", "com1"};
    QTest::newRow("tcp without port") << QStringList{"vantorq", "--device", "tcp:host"};
    QTest::newRow("tcp port out of range") << QStringList{"vantorq", "--device", "tcp:host:70000"};
    QTest::newRow("unix without path") << QStringList{"vantorq", "--device", "unix:"};
    QTest::newRow("pacing") << QStringList{"vantorq", "--pacing", "fast"};
    QTest::newRow("timeout zero") << QStringList{"vantorq", "--timeout", "0"};
    QTest::newRow("timeout text") << QStringList{"vantorq", "--timeout", "soon"};
    QTest::newRow("usb id") << QStringList{"vantorq", "--usb-id", "xyz"};
    QTest::newRow("missing value") << QStringList{"vantorq", "--device"};
    QTest::newRow("rs485 adapter") << QStringList{"vantorq", "--rs485", "com1"};
    QTest::newRow("rs485 adapter number") << QStringList{"vantorq", "--rs485", "ftdi:x"};
  }
  void bad_command_lines_are_refused() {
    QFETCH(QStringList, args);
    auto o = parse_start_options(args);
    QVERIFY(!o.has_value());
    QVERIFY(!o.error().text.empty());
  }
};

QTEST_MAIN(ModeSelectTest)
#include "mode_select_test.moc"
