// The settings navigator: the fixed tree, the page stack, and the show/apply dispatch.
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QStackedWidget>
#include <QTreeWidget>
#include <QtTest>

#include "memory/configuration.hpp"
#include "settings/ui/pages/settings_page.hpp"
#include "settings/ui/navigator/navigator.hpp"
#include "shell/ui/qt_text.hpp"
#include "support/recording_ui.hpp"

using namespace vq;
using namespace vq::gui;

namespace {

struct ExpectedNode {
  int level;
  const char* caption;
  const char* page;
  const char* heading;  // the heading page's text, or nullptr for a working page
};

// The tree as a user sees it, in pre-order.
const ExpectedNode kTree[] = {
    {0, "Оборудование", "EquipmentTS", "Оборудование"},
    {1, "Изменение параметров устройств", "DevSetChangeTS", "Изменение параметров устройств"},
    {2, "GSM-коммуникатор", "GSMCommTS", "GSM-коммуникатор"},
    {3, "Телефоны сервисных центров/PIN-коды", "ServiceTS", nullptr},
    {2, "Модуль PSTN", "PSTNSettingsTS", nullptr},
    {0, "Радиосеть", "RadioNetTitleTS", "Радиосеть"},
    {1, "Текущие параметры сети", "RadioNetSetTS", nullptr},
    {1, "Изменение параметров устройств", "RadioNetDevTS", nullptr},
    {0, "Разделы", "RazdelCfgTitleTS", "Разделы"},
    {1, "Настройка разделов", "RazdelCfgTS", nullptr},
    {1, "Назначение в разделы", "RPDITS", nullptr},
    {1, "Наименование разделов", "RazdelNameTS", nullptr},
    {1, "Время интегрирования", "RazdelIntegTimeTS", nullptr},
    {1, "Контроль цепи МР", "RazdelMRTS", nullptr},
    {0, "Управление", "CtrlTitleTS", "Управление"},
    {1, "Идентификаторы", "CtrlIDTS", nullptr},
    {1, "Пароли", "CtrlPwdTS", nullptr},
    {1, "Дистанционное", "RemoteCtrlTS", nullptr},
    {0, "Оповещение", "NoticeTitleTS", "Оповещение"},
    {1, "Системные выходы", "SysOutTitleTS", "Системные выходы"},
    {2, "Назначение в системе", "SysOutSignTS", nullptr},
    {2, "Настройка выходов", "SysOutSetTS", nullptr},
    {1, "Удаленное оповещение", "RemoteNoticeTitleTS", "Удаленное оповещение"},
    {2, "Телефоны получателей", "TelRcpntsTS", nullptr},
    {1, "Речевое оповещение", "SpeechNoticeTS", nullptr},
    {1, "Индивидуальное оповещение", "InWorkTS", "Находится в стадии разработки"},
    {0, "Прибор", "DeviceTitleTS", "Прибор"},
    {1, "Общие настройки", "DeviceGSettingsTS", nullptr},
    {1, "Голосовой модуль", "DeviceVModuleTS", nullptr},
};
constexpr int kNodes = static_cast<int>(std::size(kTree));

int depth(const QTreeWidgetItem* item) {
  int d = 0;
  for (auto* p = item->parent(); p; p = p->parent()) ++d;
  return d;
}

}  // namespace

class NavigatorTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<test::ScopedRecordingUi> ui_;
  std::unique_ptr<SettingsNavigator> nav_;
  QStringList calls_;  // "show 6", "apply 6", "box" in the order they happened
  std::size_t boxes_noted_ = 0;

  QString current_page() const { return nav_->pages()->currentWidget()->objectName(); }
  // Boxes shown since the last note go into the call list, so their place among the
  // operations shows.
  void note_boxes() {
    for (; boxes_noted_ < ui_->ui->boxes.size(); ++boxes_noted_) calls_ << QStringLiteral("box");
  }
  void register_all() {
    for (int i = 0; i < kNodes; ++i)
      nav_->register_page(i, {[this, i] {
                                note_boxes();
                                calls_ << QStringLiteral("show %1").arg(i);
                              },
                              [this, i]() -> Result<> {
                                note_boxes();
                                calls_ << QStringLiteral("apply %1").arg(i);
                                return {};
                              }});
  }
  // A visit as the tree makes it: the changing notice, then the change.
  void visit(int index) {
    nav_->tree()->setCurrentItem(nav_->node_item(index));
    QTRY_COMPARE(nav_->pending_action(), PageAction::none);
  }

 private slots:
  void init() {
    ui_ = std::make_unique<test::ScopedRecordingUi>();
    nav_ = std::make_unique<SettingsNavigator>();
    nav_->resize(800, 600);
    nav_->show();
    calls_.clear();
    boxes_noted_ = 0;
  }
  void cleanup() {
    nav_.reset();
    ui_.reset();
  }

  void the_tree_holds_the_29_nodes_in_order() {
    QCOMPARE(int(navigator_nodes().size()), kNodes);
    QTreeWidgetItemIterator it(nav_->tree());
    int index = 0;
    std::vector<QTreeWidgetItem*> last_at_level;
    for (; *it; ++it, ++index) {
      QVERIFY(index < kNodes);
      const auto& e = kTree[index];
      QCOMPARE((*it)->text(0), QString::fromUtf8(e.caption));
      QCOMPARE(depth(*it), e.level);
      // The parent is the nearest node above with a lower level.
      if (e.level > 0) QCOMPARE((*it)->parent(), last_at_level[static_cast<std::size_t>(e.level - 1)]);
      last_at_level.resize(static_cast<std::size_t>(e.level));
      last_at_level.push_back(*it);
      QCOMPARE(nav_->node_item(index), *it);
    }
    QCOMPARE(index, kNodes);
    QCOMPARE(nav_->tree()->topLevelItemCount(), 6);
  }

  void every_node_brings_up_its_page_and_runs_its_show_once() {
    register_all();
    for (int i = 0; i < kNodes; ++i) {
      calls_.clear();
      visit(i);
      QCOMPARE(current_page(), QString::fromLatin1(kTree[i].page));
      QVERIFY(nav_->pages()->currentWidget()->isEnabled());
      QCOMPARE(calls_, QStringList{QStringLiteral("show %1").arg(i)});
    }
  }

  void save_applies_the_page_of_every_node_then_says_saved() {
    register_all();
    for (int i = 0; i < kNodes; ++i) {
      visit(i);
      calls_.clear();
      nav_->findChild<QPushButton*>("SaveSettingsButton")->click();
      note_boxes();
      QCOMPARE(calls_, (QStringList{QStringLiteral("apply %1").arg(i), QStringLiteral("box")}));
      QCOMPARE(ui_->ui->boxes.back().text, m(15128));
      QCOMPARE(current_page(), QString::fromLatin1(kTree[i].page));
      QCOMPARE(nav_->pending_action(), PageAction::none);
    }
    // The apply was consumed: a later timer tick or dispatch does not run it again.
    calls_.clear();
    QTest::qWait(30);
    QVERIFY(calls_.isEmpty());
  }

  void a_burst_of_selection_changes_dispatches_the_last_node_once() {
    register_all();
    nav_->tree()->setCurrentItem(nav_->node_item(6));
    nav_->tree()->setCurrentItem(nav_->node_item(9));
    nav_->tree()->setCurrentItem(nav_->node_item(15));
    QTRY_COMPARE(current_page(), QStringLiteral("CtrlIDTS"));
    QTest::qWait(30);
    QCOMPARE(calls_, QStringList{QStringLiteral("show 15")});
  }

  void working_pages_have_a_caption_and_a_scrolled_body() {
    for (const auto& e : kTree) {
      if (e.heading) {
        QCOMPARE(nav_->page_body(QString::fromLatin1(e.page)), nav_->page(QString::fromLatin1(e.page)));
        continue;
      }
      auto* page = nav_->page(QString::fromLatin1(e.page));
      auto* body = nav_->page_body(QString::fromLatin1(e.page));
      QVERIFY2(body && body != page, e.page);
      QCOMPARE(body->objectName(), QString::fromLatin1(e.page) + "Body");
      auto* scroll = page->findChild<QScrollArea*>();
      QVERIFY2(scroll && scroll->widget() == body, e.page);
      QCOMPARE(page->findChildren<QLabel*>().first()->text(), QString::fromUtf8(e.caption));
    }
    QVERIFY(!nav_->page("NoSuchTS"));
    QVERIFY(!nav_->page_body("NoSuchTS"));
  }

  void heading_pages_show_their_heading() {
    for (const auto& e : kTree) {
      if (!e.heading) continue;
      auto* page = nav_->page(QString::fromLatin1(e.page));
      QVERIFY2(page, e.page);
      const auto labels = page->findChildren<QLabel*>();
      QVERIFY(!labels.isEmpty());
      QCOMPARE(labels.first()->text(), QString::fromUtf8(e.heading));
      QCOMPARE(labels.first()->font().pixelSize(), 19);
    }
    // Pages that no node brings up are there too.
    for (const char* extra : {"RcpntInfoTabSheet", "TonalSettingsTS", "CIDSirvalTS"})
      QVERIFY2(nav_->page(QString::fromLatin1(extra)), extra);
  }

  void save_applies_the_selected_page_only_and_says_saved_after_it() {
    register_all();
    visit(11);
    calls_.clear();
    nav_->register_page(11, {nullptr, [this]() -> Result<> {
                               // No box yet: "saved" comes after the apply.
                               calls_ << QStringLiteral("apply 11 after %1 boxes").arg(ui_->ui->boxes.size());
                               return {};
                             }});
    QSignalSpy applied(nav_.get(), &SettingsNavigator::changes_applied);
    nav_->findChild<QPushButton*>("SaveSettingsButton")->click();
    QCOMPARE(calls_, QStringList{QStringLiteral("apply 11 after 0 boxes")});
    QCOMPARE(applied.count(), 1);
    QCOMPARE(ui_->ui->boxes.size(), std::size_t{1});
    QCOMPARE(ui_->ui->boxes.front().text, m(15128));
    QCOMPARE(ui_->ui->boxes.front().caption, m(15021));
    QCOMPARE(ui_->ui->boxes.front().icon, BoxIcon::information);
    QCOMPARE(nav_->pending_action(), PageAction::none);
    QCOMPARE(current_page(), QStringLiteral("RazdelNameTS"));
  }

  void a_refused_apply_shows_its_reason_and_never_says_saved() {
    visit(12);
    nav_->register_page(12, {nullptr, []() -> Result<> { return fail("Время интегрирования: выберите значение"); }});
    QSignalSpy applied(nav_.get(), &SettingsNavigator::changes_applied);
    nav_->SaveSettingsButtonClick();
    QCOMPARE(applied.count(), 0);
    QCOMPARE(ui_->ui->texts(), QStringList{QStringLiteral("Время интегрирования: выберите значение")});
    QCOMPARE(ui_->ui->boxes.front().icon, BoxIcon::error);
  }

  void a_page_widget_is_shown_applied_and_marks_its_node_until_saved() {
    struct Host : PageHost {
      memory::Configuration config;
      memory::Configuration* configuration() override { return &config; }
      bool demo_mode() const override { return true; }
    } host;
    struct Page : SettingsPage {
      using SettingsPage::SettingsPage;
      int shown = 0, applied = 0;
      void show_from(const memory::Configuration&) override { ++shown; }
      Result<> apply_to(memory::Configuration&) override {
        ++applied;
        return {};
      }
      bool has_apply() const override { return true; }
      void touch() { note_edit(); }
    };
    auto* page = new Page(host);
    nav_->register_page(Node::razdel_name, page, host);
    QVERIFY(nav_->page_body(QStringLiteral("RazdelNameTS"))->isAncestorOf(page));
    QCOMPARE(nav_->settings_page(Node::razdel_name), page);
    visit(static_cast<int>(Node::razdel_name));
    QCOMPARE(page->shown, 1);
    QSignalSpy edited(nav_.get(), &SettingsNavigator::edited);
    page->touch();
    QCOMPARE(edited.count(), 1);
    QVERIFY(nav_->has_pending_edits(Node::razdel_name));
    QVERIFY(nav_->node_item(Node::razdel_name)->font(0).bold());
    nav_->SaveSettingsButtonClick();
    QCOMPARE(page->applied, 1);
    QVERIFY(!nav_->has_pending_edits(Node::razdel_name));
    QVERIFY(!nav_->node_item(Node::razdel_name)->font(0).bold());
  }

  void pages_without_an_apply_say_saved_and_run_nothing() {
    // Heading nodes and "Индивидуальное оповещение": their tables hold everything already.
    for (int i : {0, 5, 18, 25}) {
      visit(i);
      calls_.clear();
      ui_->ui->boxes.clear();
      nav_->SaveSettingsButtonClick();
      QCOMPARE(ui_->ui->boxes.size(), std::size_t{1});
      QCOMPARE(ui_->ui->boxes.front().text, m(15128));
      QVERIFY(calls_.isEmpty());
    }
    visit(25);
    const auto labels = nav_->pages()->currentWidget()->findChildren<QLabel*>();
    QCOMPARE(labels.first()->text(), QStringLiteral("Находится в стадии разработки"));
  }

  void with_no_node_selected_save_only_shows_the_message() {
    register_all();
    nav_->SaveSettingsButtonClick();
    QCOMPARE(ui_->ui->boxes.size(), std::size_t{1});
    QVERIFY(calls_.isEmpty());
    QCOMPARE(current_page(), QStringLiteral("EquipmentTS"));
  }

  void revisiting_a_page_shows_it_again() {
    register_all();
    visit(12);
    visit(27);
    visit(12);
    QCOMPARE(calls_, (QStringList{"show 12", "show 27", "show 12"}));
  }

  void the_node_information_lines() {
    visit(23);
    QCOMPARE(nav_->findChild<QLabel*>("Label1")->text(), QStringLiteral("Node global index - 23"));
    QCOMPARE(nav_->findChild<QLabel*>("Label2")->text(), QStringLiteral("Node index - 0"));
    QCOMPARE(nav_->findChild<QLabel*>("Label3")->text(),
             QStringLiteral("The Node Телефоны получателей has as parent the Node Удаленное оповещение"));
    visit(21);
    QCOMPARE(nav_->findChild<QLabel*>("Label2")->text(), QStringLiteral("Node index - 1"));
    visit(3);
    QCOMPARE(nav_->findChild<QLabel*>("Label3")->text(),
             QStringLiteral("The Node Телефоны сервисных центров/PIN-коды has as parent the Node GSM-коммуникатор"));
    // A root node: its place among the roots, and no parent line left over from before.
    visit(26);
    QCOMPARE(nav_->findChild<QLabel*>("Label1")->text(), QStringLiteral("Node global index - 26"));
    QCOMPARE(nav_->findChild<QLabel*>("Label2")->text(), QStringLiteral("Node index - 5"));
    QCOMPARE(nav_->findChild<QLabel*>("Label3")->text(), QString());
    // The box shows only with the service chord.
    auto* box = nav_->findChild<QGroupBox*>("GroupBox1");
    QVERIFY(!box->isVisible());
    nav_->set_service_visible(true);
    QVERIFY(box->isVisible());
  }

  void an_unknown_node_falls_back_to_the_work_in_progress_page() {
    visit(3);
    auto* stray = new QTreeWidgetItem(nav_->tree());
    stray->setData(0, Qt::UserRole, 99);
    nav_->DevSettingsTVChanging();
    nav_->DevSettingsTVChange(stray);
    QCOMPARE(current_page(), QStringLiteral("InWorkTS"));
    QCOMPARE(nav_->pending_action(), PageAction::none);
  }

  void reset_returns_to_the_first_page_with_nothing_selected() {
    register_all();
    auto* save = nav_->findChild<QPushButton*>("SaveSettingsButton");
    QVERIFY(!save->isEnabled());  // nothing to save before a page was visited
    visit(15);
    QVERIFY(save->isEnabled());
    nav_->reset();
    QVERIFY(!save->isEnabled());
    QCOMPARE(current_page(), QStringLiteral("EquipmentTS"));
    QVERIFY(nav_->tree()->selectedItems().isEmpty());
    QCOMPARE(nav_->pending_action(), PageAction::none);
    calls_.clear();
    nav_->SaveSettingsButtonClick();
    QVERIFY(calls_.isEmpty());

    // A change still waiting for its tick when the window starts over is dropped.
    nav_->tree()->setCurrentItem(nav_->node_item(20));
    nav_->reset();
    QTest::qWait(30);
    QVERIFY(calls_.isEmpty());
    QCOMPARE(current_page(), QStringLiteral("EquipmentTS"));
  }

};

QTEST_MAIN(NavigatorTest)
#include "navigator_test.moc"
