// The settings window's journal buttons: the test fill and the erase, on the worker thread,
// behind the code word (and, for the erase, a confirmation).
#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "settings/ui/dev_settings_form.hpp"
#include "shell/ui/qt_text.hpp"
#include "sim/demo_panel.hpp"
#include "sim/virtual_panel.hpp"
#include "support/recording_ui.hpp"
#include "support/sim_context.hpp"

using namespace vq;
using namespace vq::gui;

namespace {

constexpr std::size_t kJournal = 0x112E00;

}  // namespace

class JournalServiceTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<QTemporaryDir> dir_;
  AppContext ctx_;
  std::unique_ptr<test::ScopedRecordingUi> ui_;
  std::unique_ptr<TQDevSettingsForm> form_;

  sim::VirtualPanel& panel() { return *ctx_.sim_panel; }
  QPushButton* button(const char* name) const { return form_->findChild<QPushButton*>(QString::fromLatin1(name)); }
  void connect_panel() {
    form_->show();
    form_->findChild<QAction*>("MenuOnlineAction")->trigger();
    form_->findChild<QAction*>("MenuConnectAction")->trigger();
    form_->wait_for_transfer();
    QKeyEvent chord(QEvent::KeyPress, Qt::Key_F12, Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier);
    QApplication::sendEvent(form_.get(), &chord);
    ui_->ui->boxes.clear();
  }
  void code_word(const QString& word) {
    ui_->ui->dialog_scripts.push_back([word](QDialog* d) {
      d->findChild<QLineEdit*>("CodeWordEdit")->setText(word);
      d->accept();
    });
  }
  void press(const char* name) {
    button(name)->click();
    form_->wait_for_transfer();
  }

 private slots:
  void init() {
    dir_ = std::make_unique<QTemporaryDir>();
    ctx_ = test::sim_context(*dir_);
    ui_ = std::make_unique<test::ScopedRecordingUi>();
    form_ = std::make_unique<TQDevSettingsForm>(ctx_);
  }
  void cleanup() {
    if (form_) form_->wait_for_transfer();
    form_.reset();
    ui_.reset();
    dir_.reset();
  }

  void the_buttons_need_a_connected_panel() {
    form_->show();
    QVERIFY(!button("Write9K9Button")->isEnabled());
    QVERIFY(!button("EraseEventLogButton")->isEnabled());
    connect_panel();
    QVERIFY(button("Write9K9Button")->isEnabled());
    QVERIFY(button("EraseEventLogButton")->isEnabled());
  }

  void the_fill_writes_9900_events_after_the_code_word() {
    connect_panel();
    const Bytes before = panel().memory();
    const auto frames = panel().stats().frames;
    code_word(QStringLiteral("колокольчики"));
    press("Write9K9Button");
    QCOMPARE(ui_->ui->texts(), QStringList{m(15136)});
    QCOMPARE(ui_->ui->boxes[0].icon, BoxIcon::error);
    QCOMPARE(panel().stats().frames, frames);
    QVERIFY(panel().memory() == before);

    ui_->ui->boxes.clear();
    code_word(QStringLiteral("Колокольчики"));
    press("Write9K9Button");
    QCOMPARE(ui_->ui->texts(), QStringList{QStringLiteral("Запись журнала выполнена!")});
    QCOMPARE(ui_->ui->boxes[0].icon, BoxIcon::information);
    const auto& mem = panel().memory();
    QCOMPARE(int(mem[kJournal + 1]), 0x13);
    QCOMPARE(int(mem[kJournal + 9899 * 16 + 12]), 2);  // the last record at 2:44:59
    QCOMPARE(int(mem[0x44FC]), 0xAC);
    QVERIFY(button("Write9K9Button")->isEnabled());  // idle again
  }

  void the_fill_says_when_the_panel_refused() {
    connect_panel();
    panel().faults().block_status_at = 2;
    panel().faults().block_status = 3;
    code_word(QStringLiteral("Колокольчики"));
    press("Write9K9Button");
    QCOMPARE(ui_->ui->boxes.size(), std::size_t{1});
    QCOMPARE(ui_->ui->boxes[0].icon, BoxIcon::error);
    QVERIFY(ui_->ui->boxes[0].text.startsWith(QStringLiteral("Ошибка!  Журнал не записан!")));
  }

  void the_erase_asks_first() {
    connect_panel();
    code_word(QStringLiteral("Колокольчики"));
    press("Write9K9Button");
    const Bytes filled = panel().memory();
    ui_->ui->boxes.clear();

    ui_->ui->answers = {false};
    press("EraseEventLogButton");
    QCOMPARE(ui_->ui->boxes.size(), std::size_t{1});
    QVERIFY(ui_->ui->boxes[0].question);
    QVERIFY(ui_->ui->dialogs.count(QStringLiteral("CodeWordDialog")) == 1);  // only the fill's
    QVERIFY(panel().memory() == filled);

    ui_->ui->boxes.clear();
    ui_->ui->answers = {true};
    code_word(QStringLiteral("Колокольчики"));
    press("EraseEventLogButton");
    QCOMPARE(ui_->ui->boxes.size(), std::size_t{2});
    QCOMPARE(ui_->ui->boxes[1].icon, BoxIcon::information);
    const auto& mem = panel().memory();
    QCOMPARE(int(mem[kJournal + 1]), 0xFF);
    QCOMPARE(int(mem[kJournal + 9899 * 16 + 15]), 0xFF);
    QCOMPARE(int(mem[0x44FC]), 0);
    QCOMPARE(int(mem[0x44FE]), 0);
  }
};

QTEST_MAIN(JournalServiceTest)
#include "journal_service_test.moc"
