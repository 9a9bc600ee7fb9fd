// The firmware window against the virtual panel and the virtual relay module: the catalogue
// and its start rules, connect over either link, the write with every refusal and failure,
// files dropped from the desktop, a catalogue row dragged onto the device list, and closing
// the window while a write runs.
#include <QAction>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTreeWidget>
#include <QUrlQuery>
#include <QtTest>
#include <fstream>

#include "firmware/ui/change_soft_form.hpp"
#include "shell/data_folders.hpp"
#include "shell/ui/qt_text.hpp"
#include "shell/ui/start_mode.hpp"
#include "sim/demo_panel.hpp"
#include "sim/relay_module.hpp"
#include "sim/virtual_panel.hpp"
#include "support/recording_ui.hpp"
#include "support/sim_context.hpp"

using namespace vq;
using namespace vq::gui;

namespace {

struct Header {
  std::uint16_t type;
  std::uint16_t platform;
  std::uint8_t v0, v1, v2;
};

// A firmware file: the 7-byte header, then bytes counting up to `size`.
Bytes firmware_bytes(const Header& h, std::size_t size) {
  Bytes b(size);
  for (std::size_t i = 0; i < size; ++i) b[i] = static_cast<std::uint8_t>(i * 7 + 3);
  const std::uint8_t head[7] = {static_cast<std::uint8_t>(h.type & 0xFF), static_cast<std::uint8_t>(h.type >> 8),
                                static_cast<std::uint8_t>(h.platform & 0xFF), static_cast<std::uint8_t>(h.platform >> 8),
                                h.v0, h.v1, h.v2};
  std::copy(head, head + std::min<std::size_t>(7, size), b.begin());
  return b;
}

void write_file(const std::filesystem::path& path, const Bytes& b) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

const Header kPanelFile{630, 0x61, 2, 5, 0};
const Header kGsmFile{517, 0x61, 1, 4, 7};
const Header kRelayFile{526, 0x0105, 1, 2, 4};

}  // namespace

class ChangeSoftFormTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<QTemporaryDir> dir_;
  AppContext ctx_;
  std::unique_ptr<test::ScopedRecordingUi> ui_;
  std::unique_ptr<TQChangeSoftForm> form_;

  test::RecordingUi& rec() { return *ui_->ui; }
  std::filesystem::path base() const { return ctx_.data_dir / "Base"; }
  std::filesystem::path other() const { return std::filesystem::path(dir_->path().toStdString()) / "other"; }
  QAction* action(const char* name) const { return form_->findChild<QAction*>(QString::fromLatin1(name)); }
  QTreeWidget* list(const char* name) const { return form_->findChild<QTreeWidget*>(QString::fromLatin1(name)); }
  sim::VirtualPanel& panel() { return *ctx_.sim_panel; }
  sim::RelayModule& relay() { return *ctx_.sim_relay; }

  void set_preferences(bool show_all, int default_mode) {
    std::ofstream(ctx_.preferences_file) << "[System]\nShowAllSoft=" << (show_all ? "1" : "0")
                                         << "\nDefaultMode=" << default_mode << "\n";
  }
  QStringList column(const char* list_name, int c) const {
    QStringList out;
    auto* l = list(list_name);
    for (int i = 0; i < l->topLevelItemCount(); ++i) out << l->topLevelItem(i)->text(c);
    return out;
  }
  QStringList catalogue_names() const { return column("ListView1", 0); }
  void select(const QString& name) {
    auto* l = list("ListView1");
    for (int i = 0; i < l->topLevelItemCount(); ++i)
      if (l->topLevelItem(i)->text(0) == name) {
        l->setCurrentItem(l->topLevelItem(i));
        return;
      }
    QFAIL(qPrintable("no catalogue row " + name));
  }
  struct States {
    bool connect, disconnect, write;
    bool operator==(const States&) const = default;
  };
  States states() const {
    return {action("MenuConnectAction")->isEnabled(), action("MenuDisonnectAction")->isEnabled(),
            action("MenuWriteAction")->isEnabled()};
  }
  void show_online() {
    set_preferences(true, 1);
    form_->show();
  }
  void connect_now() {
    form_->MenuConnectActionExecute();
    form_->wait_for_transfer();
  }
  void connect_relay() {
    show_online();
    form_->set_link_choice(TQChangeSoftForm::Link::rs485);
    connect_now();
  }
  void drop(const QStringList& paths) {
    auto* mime = new QMimeData;
    QList<QUrl> urls;
    for (const auto& p : paths) urls << QUrl::fromLocalFile(p);
    mime->setUrls(urls);
    QDragEnterEvent enter(QPoint(400, 300), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form_.get(), &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent ev(QPointF(400, 300), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form_.get(), &ev);
    QCoreApplication::processEvents();
    delete mime;
  }
  QString p(const std::filesystem::path& f) const { return QString::fromStdString(f.string()); }

 private slots:
  void init() {
    dir_ = std::make_unique<QTemporaryDir>();
    ctx_ = test::sim_context(*dir_);
    ctx_.rs485 = "sim";
    ctx_.sim_relay = std::make_shared<sim::RelayModule>();
    QVERIFY(shell::ensure_data_dir(ctx_.data_dir).has_value());
    write_file(base() / "630M_2_5_0.tsk", firmware_bytes(kPanelFile, 505));
    write_file(base() / "630M_notes.txt", firmware_bytes(kPanelFile, 40));
    write_file(base() / "517_1_4_7.tsk", firmware_bytes(kGsmFile, 300));
    write_file(base() / "526_1_2_4.tsk", firmware_bytes(kRelayFile, 203));
    write_file(base() / "999_other.tsk", firmware_bytes(kPanelFile, 300));
    set_start_mode(1);
    ui_ = std::make_unique<test::ScopedRecordingUi>();
    form_ = std::make_unique<TQChangeSoftForm>(ctx_);
  }
  void cleanup() {
    if (form_) form_->wait_for_transfer();
    form_.reset();
    ui_.reset();
    dir_.reset();
  }

  void shows_every_known_file_in_demo_mode() {
    form_->show();
    QCOMPARE(form_->windowTitle(), m(15029));
    QCOMPARE(form_->size(), QSize(800, 600));
    QCOMPARE(catalogue_names(), (QStringList{"630M_2_5_0.tsk", "630M_notes.txt", "517_1_4_7.tsk", "526_1_2_4.tsk"}));
    // By model from the folder: three numbers for the panel, two for the others.
    QCOMPARE(column("ListView1", 1), (QStringList{"2.5.0", "2.5.0", "4.7", "2.4"}));
    QCOMPARE(column("ListView1", 2)[0], QStringLiteral("505 байт"));
    QCOMPARE(column("ListView1", 4)[0], p(base()));
    QCOMPARE(form_->mode(), TQChangeSoftForm::Mode::demo);
    QCOMPARE(form_->panel_text(2), QStringLiteral("Демо"));
    QCOMPARE(form_->panel_text(5), m(15032));
    QCOMPARE(states(), (States{false, false, false}));
    QVERIFY(!action("FileSaveAction")->isEnabled());
    QVERIFY(!action("MenuReadAction")->isEnabled());
    QVERIFY(!action("ShowHelpAction")->isEnabled());
    QVERIFY(action("UsbAmBmAction")->isChecked());
    QVERIFY(!action("ComPortAction")->isEnabled());
    QVERIFY(!form_->findChild<QTextBrowser*>("WebBrowser1")->source().isEmpty());
  }

  void start_rules_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("show_all");
    QTest::addColumn<int>("rows");
    QTest::addColumn<QString>("caption");
    QTest::newRow("ShowAllSoft off") << 1 << false << 0 << m(15029);
    QTest::newRow("built-in modules list nothing") << 2 << true << 0 << m(15030);
    QTest::newRow("device firmware") << 1 << true << 4 << m(15029);
  }
  void start_rules() {
    QFETCH(int, mode);
    QFETCH(bool, show_all);
    QFETCH(int, rows);
    QFETCH(QString, caption);
    set_start_mode(mode);
    set_preferences(show_all, 0);
    form_->show();
    QCOMPARE(list("ListView1")->topLevelItemCount(), rows);
    QCOMPARE(form_->windowTitle(), caption);
    QCOMPARE(form_->findChild<QTextBrowser*>("WebBrowser1")->source().isEmpty(), mode != 1);
    // The open dialog adds whatever the mode.
    rec().file_names.push_back(p(base() / "517_1_4_7.tsk"));
    form_->FileOpenActionExecute();
    QCOMPARE(list("ListView1")->topLevelItemCount(), rows == 0 ? 1 : rows);
  }

  void online_start_is_not_connected() {
    show_online();
    QCOMPARE(form_->mode(), TQChangeSoftForm::Mode::online);
    QCOMPARE(form_->panel_text(0), m(15033));
    QCOMPARE(form_->panel_text(2), QStringLiteral("Онлайн"));
    QCOMPARE(form_->panel_text(5), m(15032));
    QCOMPARE(form_->panel_text(4), QStringLiteral("off"));
    QCOMPARE(states(), (States{true, false, false}));
  }

  void connect_usb_names_the_panel_data() {
    QTest::addColumn<int>("first");
    QTest::addColumn<QString>("name");
    QTest::newRow("version 1 is the RTS model") << 1 << m(15038);
    QTest::newRow("version 2") << 2 << m(15039);
  }
  void connect_usb_names_the_panel() {
    QFETCH(int, first);
    QFETCH(QString, name);
    panel().identity().version = {static_cast<std::uint8_t>(first), 5, 0};
    show_online();
    connect_now();
    QVERIFY(rec().boxes.empty());
    QCOMPARE(column("ListView2", 0), QStringList{name});
    QCOMPARE(column("ListView2", 2), QStringList{QStringLiteral("%1.5.0").arg(first)});
    QCOMPARE(column("ListView2", 1), QStringList{"-"});
    QCOMPARE(form_->panel_text(0), m(15040));
    QCOMPARE(form_->panel_text(5), m(15041));
    QCOMPARE(form_->panel_text(4), QStringLiteral("on"));
    QCOMPARE(states(), (States{false, true, true}));
    // Only the panel's .tsk files now: the .txt listed at the start is gone.
    QCOMPARE(catalogue_names(), QStringList{"630M_2_5_0.tsk"});
  }

  void connect_usb_failures_data() {
    QTest::addColumn<int>("discovered");
    QTest::addColumn<bool>("silent");
    QTest::addColumn<int>("id");
    QTest::addColumn<bool>("box");
    QTest::addColumn<bool>("disconnect");
    QTest::newRow("no device") << 0 << false << 15034 << true << false;
    QTest::newRow("two devices") << 2 << false << 15035 << true << false;
    QTest::newRow("no answer to the search") << 1 << true << 15043 << false << true;
  }
  void connect_usb_failures() {
    QFETCH(int, discovered);
    QFETCH(bool, silent);
    QFETCH(int, id);
    QFETCH(bool, box);
    QFETCH(bool, disconnect);
    panel().faults().discover_count = discovered;
    panel().faults().silent = silent;
    show_online();
    connect_now();
    QCOMPARE(form_->panel_text(0), m(id));
    QCOMPARE(form_->panel_text(5), m(15032));
    QCOMPARE(rec().boxes.size(), box ? std::size_t{1} : std::size_t{0});
    if (box) {
      QCOMPARE(rec().boxes[0].text, m(id));
      QCOMPARE(rec().boxes[0].caption, m(15004));
      QVERIFY(rec().boxes[0].icon == BoxIcon::error);
    }
    QCOMPARE(states(), (States{true, disconnect, false}));
    QCOMPARE(list("ListView2")->topLevelItemCount(), 0);
  }

  void built_in_modules_mode_never_completes_a_connection() {
    set_start_mode(2);
    show_online();
    connect_now();
    QCOMPARE(form_->panel_text(0), m(15037));
    QCOMPARE(states(), (States{false, false, false}));
    QCOMPARE(list("ListView2")->topLevelItemCount(), 0);
    action("MenuOnlineAction")->trigger();
    QVERIFY(action("MenuConnectAction")->isEnabled());
  }

  void writes_the_panel_firmware_and_disconnects() {
    show_online();
    connect_now();
    select("630M_2_5_0.tsk");
    rec().answers.push_back(true);
    form_->MenuWriteActionExecute();
    QCOMPARE(states(), (States{false, false, false}));
    form_->wait_for_transfer();
    QCOMPARE(panel().last_scenario(), std::uint8_t{4});
    // 505 bytes go as three 252-byte blocks, the header included, zeros after the file.
    Bytes expected = firmware_bytes(kPanelFile, 505);
    expected.resize(756, 0);
    QVERIFY(panel().firmware() == expected);
    QCOMPARE(rec().texts(), (QStringList{m(15047), m(15053)}));
    QCOMPARE(rec().boxes[0].caption, m(15021));
    QVERIFY(rec().boxes[0].question);
    QCOMPARE(rec().boxes[1].caption, m(15004));
    QVERIFY(rec().boxes[1].icon == BoxIcon::information);
    QCOMPARE(form_->panel_text(0), m(15033));
    QCOMPARE(form_->panel_text(5), m(15032));
    QCOMPARE(list("ListView2")->topLevelItemCount(), 0);
    QCOMPARE(states(), (States{true, false, false}));
    QCOMPARE(form_->gauge(), 0);
    // The exchange was logged.
    QVERIFY(form_->log_text().contains("0x"));
  }

  void answering_no_changes_nothing() {
    show_online();
    connect_now();
    select("630M_2_5_0.tsk");
    form_->MenuWriteActionExecute();  // no answer scripted: No
    QVERIFY(!form_->transfer_running());
    QVERIFY(panel().firmware().empty());
    QCOMPARE(states(), (States{false, true, true}));
    QCOMPARE(list("ListView2")->topLevelItemCount(), 1);
  }

  void file_checks_refuse_data() {
    QTest::addColumn<int>("device_type");
    QTest::addColumn<int>("device_minor");
    QTest::addColumn<QString>("file");   // added by the open dialog from another folder; empty: none selected
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("platform");
    QTest::addColumn<int>("minor");
    QTest::addColumn<int>("patch");
    QTest::addColumn<QString>("text");   // empty: passes to the question
    QTest::addColumn<bool>("warning");
    QTest::newRow("nothing selected") << 630 << 4 << "" << 0 << 0 << 0 << 0 << m(15045) << true;
    QTest::newRow("another device type") << 630 << 4 << "630M_x.tsk" << 517 << 0x61 << 4 << 7 << m(15046) << false;
    QTest::newRow("another platform") << 630 << 4 << "630M_x.tsk" << 630 << 0x62 << 4 << 7 << m(15317) << false;
    QTest::newRow("517 back below x.1.3") << 517 << 3 << "517_x.tsk" << 517 << 0x61 << 1 << 2 << m(15324) << false;
    QTest::newRow("517 same x.1.3") << 517 << 3 << "517_x.tsk" << 517 << 0x61 << 1 << 3 << "" << false;
    QTest::newRow("517 up to x.2.0") << 517 << 3 << "517_x.tsk" << 517 << 0x61 << 2 << 0 << "" << false;
    QTest::newRow("517 x.0.1") << 517 << 3 << "517_x.tsk" << 517 << 0x61 << 0 << 1 << "" << false;
    QTest::newRow("header only: no image")
        << 630 << 4 << "630M_x.tsk" << 630 << 0x61 << 4 << 7 << "short" << false;
  }
  void file_checks_refuse() {
    QFETCH(int, device_type);
    QFETCH(int, device_minor);
    QFETCH(QString, file);
    QFETCH(int, type);
    QFETCH(int, platform);
    QFETCH(int, minor);
    QFETCH(int, patch);
    QFETCH(QString, text);
    QFETCH(bool, warning);
    panel().identity().device_type = static_cast<std::uint16_t>(device_type);
    panel().identity().version = {1, 1, static_cast<std::uint8_t>(device_minor)};
    show_online();
    connect_now();
    QCOMPARE(states(), (States{false, true, true}));
    if (!file.isEmpty()) {
      const auto path = other() / file.toStdString();
      const Header h{static_cast<std::uint16_t>(type), static_cast<std::uint16_t>(platform), 9,
                     static_cast<std::uint8_t>(minor), static_cast<std::uint8_t>(patch)};
      write_file(path, firmware_bytes(h, text == "short" ? 7 : 300));
      rec().file_names.push_back(p(path));
      form_->FileOpenActionExecute();
      QVERIFY(rec().boxes.empty());
      select(file);
    } else {
      list("ListView1")->clearSelection();
    }
    form_->MenuWriteActionExecute();
    QVERIFY(!form_->transfer_running());
    QCOMPARE(rec().boxes.size(), std::size_t{1});
    const auto& box = rec().boxes[0];
    if (text.isEmpty()) {
      QVERIFY(box.question);
      QCOMPARE(box.text, m(15047));
    } else {
      QVERIFY(!box.question);
      if (text == "short")
        QVERIFY2(box.text.contains("не может быть файлом ПО"), qPrintable(box.text));
      else
        QCOMPARE(box.text, text);
      QCOMPARE(box.caption, m(15021));
      QVERIFY(box.icon == (warning ? BoxIcon::warning : BoxIcon::error));
    }
    // A refusal leaves the connection and the commands as they were.
    QCOMPARE(states(), (States{false, true, true}));
    QCOMPARE(list("ListView2")->topLevelItemCount(), 1);
    QVERIFY(panel().firmware().empty());
  }

  void vanished_file_is_refused() {
    show_online();
    connect_now();
    select("630M_2_5_0.tsk");
    std::filesystem::remove(base() / "630M_2_5_0.tsk");
    form_->MenuWriteActionExecute();
    QCOMPARE(rec().boxes.size(), std::size_t{1});
    QVERIFY(rec().boxes[0].icon == BoxIcon::error);
    QVERIFY2(rec().boxes[0].text.contains("больше не существует"), qPrintable(rec().boxes[0].text));
    QCOMPARE(states(), (States{false, true, true}));
  }

  void failed_block_is_reported_and_disconnects() {
    show_online();
    connect_now();
    select("630M_2_5_0.tsk");
    panel().faults().block_status_at = 2;
    panel().faults().block_status = 0x05;
    rec().answers.push_back(true);
    form_->MenuWriteActionExecute();
    form_->wait_for_transfer();
    QCOMPARE(rec().boxes.size(), std::size_t{2});
    QVERIFY(rec().boxes[1].text.startsWith(m(15054)));
    QCOMPARE(rec().boxes[1].caption, m(15004));
    QVERIFY(rec().boxes[1].icon == BoxIcon::error);
    QCOMPARE(form_->panel_text(0), m(15033));
    QCOMPARE(states(), (States{true, false, false}));
  }

  void writes_the_relay_module_firmware() {
    connect_relay();
    QCOMPARE(column("ListView2", 0), QStringList{m(15044)});
    QCOMPARE(column("ListView2", 2), QStringList{"2.3"});
    QCOMPARE(catalogue_names(), QStringList{"526_1_2_4.tsk"});
    QCOMPARE(states(), (States{false, true, true}));
    select("526_1_2_4.tsk");
    rec().answers.push_back(true);
    form_->MenuWriteActionExecute();
    form_->wait_for_transfer();
    QCOMPARE(rec().texts(), (QStringList{m(15047), m(15053)}));
    // 203 bytes: two blocks, the second all zeros; the announce counts three.
    QVERIFY(relay().announce().has_value());
    QCOMPARE(relay().announce()->blocks_plus_one, std::uint16_t{3});
    const Bytes file = firmware_bytes(kRelayFile, 203);
    Bytes expected(file.begin() + 11, file.end());
    expected.resize(2 * 192, 0);
    QVERIFY(relay().image() == expected);
    const QString log = form_->log_text();
    QVERIFY(log.contains("numTable - 0x0040"));
    QVERIFY(log.contains("addr - 0x00010000"));
    QCOMPARE(form_->panel_text(0), m(15033));
    QCOMPARE(states(), (States{true, false, false}));
    QCOMPARE(list("ListView2")->topLevelItemCount(), 0);
  }

  void relay_module_failures() {
    // No answer to the search: box, then disconnected.
    relay().faults().silent = true;
    connect_relay();
    QCOMPARE(rec().texts(), QStringList{m(15043)});
    QCOMPARE(rec().boxes[0].caption, m(15021));
    QCOMPARE(form_->panel_text(0), m(15033));
    QCOMPARE(states(), (States{true, false, false}));

    // Every attempt of a block refused: 15055 and disconnected.
    relay().faults().silent = false;
    connect_now();
    QCOMPARE(states(), (States{false, true, true}));
    select("526_1_2_4.tsk");
    relay().faults().refuse_next = 1000;
    rec().boxes.clear();
    rec().answers.push_back(true);
    form_->MenuWriteActionExecute();
    form_->wait_for_transfer();
    QCOMPARE(rec().boxes.size(), std::size_t{2});
    QVERIFY(rec().boxes[1].text.startsWith(m(15055)));
    QCOMPARE(rec().boxes[1].caption, m(15021));
    QCOMPARE(states(), (States{true, false, false}));
  }

  void adapter_that_cannot_be_opened() {
    ctx_.rs485 = "serial:" + (std::filesystem::path(dir_->path().toStdString()) / "no-such-tty").string();
    connect_relay();
    QCOMPARE(rec().texts(), QStringList{m(15034)});
    QCOMPARE(rec().boxes[0].caption, m(15004));
    QCOMPARE(form_->panel_text(0), m(15034));
    QCOMPARE(form_->panel_text(5), m(15032));
    QCOMPARE(states(), (States{true, false, false}));
    // The reason goes to the log.
    QVERIFY(form_->log_text().contains("no-such-tty"));
  }

  void relay_link_with_a_panel_on_the_bus() {
    relay().identity().device_type = 630;
    connect_relay();
    // Named and listed as the relay module whatever it reports; its files are then refused.
    QCOMPARE(column("ListView2", 0), QStringList{m(15044)});
    QCOMPARE(catalogue_names(), QStringList{"526_1_2_4.tsk"});
    select("526_1_2_4.tsk");
    form_->MenuWriteActionExecute();
    QCOMPARE(rec().texts(), QStringList{m(15046)});
  }

  void virtual_devices_whatever_the_command_line_names() {
    ctx_.device = "usb";
    ctx_.rs485 = "ftdi";
    QVERIFY(action("VirtualPanelAction") && action("VirtualRelayAction"));
    show_online();
    form_->set_link_choice(TQChangeSoftForm::Link::virtual_panel);
    connect_now();
    QCOMPARE(column("ListView2", 0), QStringList{m(15039)});
    form_->MenuDisonnectActionExecute();
    form_->set_link_choice(TQChangeSoftForm::Link::virtual_relay);
    connect_now();
    QCOMPARE(column("ListView2", 0), QStringList{m(15044)});
    QCOMPARE(relay().searches(), 1);
    QVERIFY(rec().boxes.empty());
  }

  void dropped_files_data() {
    QTest::addColumn<QStringList>("files");  // under the other folder; "dir/" is a folder
    QTest::addColumn<QStringList>("added");
    QTest::addColumn<QString>("box");        // empty: none
    QTest::newRow("all .tsk") << QStringList{"630M_a.tsk", "517_b.tsk"} << QStringList{"630M_a.tsk", "517_b.tsk"} << "";
    QTest::newRow("upper-case extension stops the drop")
        << QStringList{"630M_a.tsk", "630M_b.TSK", "630M_c.tsk"} << QStringList{"630M_a.tsk"} << m(15269);
    QTest::newRow("not firmware") << QStringList{"notes.txt"} << QStringList{} << m(15269);
    QTest::newRow("name already listed from another folder")
        << QStringList{"630M_2_5_0.tsk"} << QStringList{} << m(15031);
    QTest::newRow("twice in one drop") << QStringList{"630M_a.tsk", "630M_a.tsk"} << QStringList{"630M_a.tsk"} << m(15031);
    QTest::newRow("a folder") << QStringList{"dir.tsk/"} << QStringList{} << "папка";
    QTest::newRow("shorter than the header") << QStringList{"630M_short.tsk"} << QStringList{} << "короче заголовка";
  }
  void dropped_files() {
    QFETCH(QStringList, files);
    QFETCH(QStringList, added);
    QFETCH(QString, box);
    form_->show();
    const QStringList before = catalogue_names();
    QStringList paths;
    for (const QString& f : files) {
      const auto path = other() / f.toStdString();
      if (f.endsWith('/'))
        std::filesystem::create_directories(path);
      else if (f.contains("short"))
        write_file(path, Bytes{0x76, 0x02});
      else
        write_file(path, firmware_bytes(kPanelFile, 100));
      paths << p(path).remove(QRegularExpression("/$"));
    }
    drop(paths);
    QCOMPARE(catalogue_names(), before + added);
    if (box.isEmpty()) {
      QVERIFY(rec().boxes.empty());
    } else {
      QCOMPARE(rec().boxes.size(), std::size_t{1});
      QVERIFY2(rec().boxes[0].text.contains(box), qPrintable(rec().boxes[0].text));
      QVERIFY(rec().boxes[0].icon == BoxIcon::error);
      QCOMPARE(rec().boxes[0].caption, m(15004));
    }
    // Added by hand: three numbers whatever the model, the file's own folder.
    if (!added.isEmpty()) {
      QCOMPARE(column("ListView1", 1).last(), QStringLiteral("2.5.0"));
      QCOMPARE(column("ListView1", 4).last(), p(other()));
    }
  }

  void hand_added_files_are_forgotten_and_drops_still_work_after_reopening() {
    form_->show();
    rec().file_names.push_back(p(base() / "517_1_4_7.tsk"));
    form_->FileOpenActionExecute();  // already listed
    QCOMPARE(rec().texts(), QStringList{m(15031)});
    QVERIFY(rec().boxes[0].icon == BoxIcon::warning);
    QCOMPARE(rec().dialog_folders, QStringList{p(base())});
    write_file(other() / "517_z.tsk", firmware_bytes(kGsmFile, 100));
    rec().file_names.push_back(p(other() / "517_z.tsk"));
    form_->FileOpenActionExecute();
    QCOMPARE(column("ListView1", 1).last(), QStringLiteral("1.4.7"));
    form_->close();
    QVERIFY(!form_->isVisible());
    QCOMPARE(list("ListView1")->topLevelItemCount(), 0);
    form_->show();
    QVERIFY(!catalogue_names().contains("517_z.tsk"));
    drop({p(other() / "517_z.tsk")});
    QVERIFY(catalogue_names().contains("517_z.tsk"));
  }

  void catalogue_row_dragged_onto_the_device_list() {
    auto* from = list("ListView1");
    auto* to = list("ListView2");
    QVERIFY(to->acceptDrops());
    QVERIFY(form_->ListView2DragOver(from));
    QVERIFY(!form_->ListView2DragOver(to));
    QVERIFY(!form_->ListView2DragOver(nullptr));
    QVERIFY(!form_->ListView2DragOver(form_.get()));
    // Demo: the write command is disabled, so a drop does nothing.
    form_->show();
    select("630M_2_5_0.tsk");
    form_->ListView2DragDrop(from);
    QVERIFY(rec().boxes.empty());
    form_->close();
    show_online();
    connect_now();
    select("630M_2_5_0.tsk");
    rec().answers.push_back(true);
    form_->ListView2DragDrop(from);
    form_->wait_for_transfer();
    QCOMPARE(rec().texts(), (QStringList{m(15047), m(15053)}));
    QVERIFY(!panel().firmware().empty());
  }

  void closing_during_a_write_waits_for_its_end() {
    show_online();
    connect_now();
    select("630M_2_5_0.tsk");
    rec().answers = {true, false, true};  // write: yes; close: no, then yes
    form_->MenuWriteActionExecute();
    QVERIFY(form_->transfer_running());
    // Nothing may change the link under the running write.
    QVERIFY(!action("MenuDemoAction")->isEnabled());
    QVERIFY(!action("UsbInterfaceAction")->isEnabled());
    form_->close();
    QVERIFY(form_->isVisible());
    QCOMPARE(rec().boxes.size(), std::size_t{2});
    QVERIFY(rec().boxes[1].question);
    form_->close();
    QVERIFY(form_->isVisible());
    form_->wait_for_transfer();
    // The whole image went, the result was told, then the window closed.
    Bytes expected = firmware_bytes(kPanelFile, 505);
    expected.resize(756, 0);
    QVERIFY(panel().firmware() == expected);
    QCOMPARE(rec().boxes.back().text, m(15053));
    QVERIFY(!form_->isVisible());
    QVERIFY(action("MenuDemoAction")->isEnabled());
  }

  void service_chord_shows_the_log() {
    connect_relay();
    auto* memo = form_->findChild<QPlainTextEdit*>("logMemo");
    QVERIFY(!memo->isVisible());
    QKeyEvent chord(QEvent::KeyPress, Qt::Key_F12, Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier);
    QApplication::sendEvent(form_.get(), &chord);
    QVERIFY(memo->isVisible());
    // What was logged while hidden is there once shown.
    QVERIFY(memo->toPlainText().contains("Send query:"));
    QCOMPARE(memo->toPlainText(), form_->log_text());
    QApplication::sendEvent(form_.get(), &chord);
    QVERIFY(!memo->isVisible());
  }

  void minimising_takes_the_start_window_along() {
    QWidget start;
    start.show();
    auto* form = new TQChangeSoftForm(ctx_, &start);
    form->show();
    form->showMinimized();
    QTRY_VERIFY(start.isMinimized());
  }

  void site_and_mail() {
    form_->show();
    action("EmailAction")->trigger();
    action("wwwAction")->trigger();
    QCOMPARE(rec().opened.size(), std::size_t{2});
    QCOMPARE(rec().opened[0].scheme(), QStringLiteral("mailto"));
    QCOMPARE(QUrlQuery(rec().opened[0]).queryItemValue("subject", QUrl::FullyDecoded), m(15316));
    QCOMPARE(rec().opened[1].scheme(), QStringLiteral("http"));
  }

  // Not a check: with VQ_SCREENSHOT_DIR set (under a real display) it saves the window
  // connected to the virtual panel, as the README shows it.
  void screenshot_connected() {
    const QString out = qEnvironmentVariable("VQ_SCREENSHOT_DIR");
    if (out.isEmpty()) QSKIP("VQ_SCREENSHOT_DIR not set");
    write_file(base() / "630M_2_4_9.tsk", firmware_bytes(Header{630, 0x61, 2, 4, 9}, 61740));
    write_file(base() / "630M_2_5_1.tsk", firmware_bytes(Header{630, 0x61, 2, 5, 1}, 62496));
    show_online();
    connect_now();
    select("630M_2_5_1.tsk");
    form_->activateWindow();
    QTest::qWait(400);
    QVERIFY(form_->grab().save(out + "/firmware.png"));
  }
};

QTEST_MAIN(ChangeSoftFormTest)
#include "change_soft_form_test.moc"
