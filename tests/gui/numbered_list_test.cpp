// The numbered list of the settings pages: rows made once and kept across resizing, the
// row Enter and a double click report, the keys it takes and the ones it leaves.
#include <QMenu>
#include <QSignalSpy>
#include <QtTest>

#include "settings/ui/widgets/numbered_list.hpp"

using namespace vq::gui;

namespace {

// A parent that notes the keys its list left to it.
class KeyWitness : public QWidget {
 public:
  QList<int> keys;

 protected:
  void keyPressEvent(QKeyEvent* event) override { keys << event->key(); }
};

QStringList column(const NumberedList& list, int c) {
  QStringList out;
  for (int n = 1; n <= list.topLevelItemCount(); ++n) out << list.row(n)->text(c);
  return out;
}

QList<int> reported(const QSignalSpy& spy) {
  QList<int> out;
  for (const auto& args : spy) out << args.at(0).toInt();
  return out;
}

}  // namespace

class NumberedListTest : public QObject {
  Q_OBJECT

 private slots:
  void rows_are_numbered_and_the_rows_that_stay_are_kept() {
    NumberedList list(QStringLiteral("SomeListView"), {QStringLiteral("Номер"), QStringLiteral("Тип")}, 3);
    QCOMPARE(list.objectName(), QStringLiteral("SomeListView"));
    QCOMPARE(list.columnCount(), 2);
    QCOMPARE(column(list, 0), (QStringList{"1", "2", "3"}));
    QCOMPARE(column(list, 1), (QStringList{"", "", ""}));
    QVERIFY(!list.row(0) && !list.row(4));
    QCOMPARE(list.number_of(nullptr), 0);

    QTreeWidgetItem* third = list.row(3);
    third->setText(1, QStringLiteral("Охранный"));
    list.setCurrentItem(third);
    list.set_row_count(5);
    QCOMPARE(list.row(3), third);  // the same row, its text and selection
    QCOMPARE(column(list, 0), (QStringList{"1", "2", "3", "4", "5"}));
    QCOMPARE(column(list, 1), (QStringList{"", "", "Охранный", "", ""}));
    QCOMPARE(list.selected_number(), 3);

    list.set_row_count(2);  // the selected row goes, and the selection with it
    QCOMPARE(column(list, 0), (QStringList{"1", "2"}));
    QCOMPARE(list.selected_number(), 0);
    list.set_row_count(-1);
    QCOMPARE(list.topLevelItemCount(), 0);

    NumberedList centred(QStringLiteral("L"), {QStringLiteral("Номер")}, 1);
    centred.set_number_alignment(Qt::AlignCenter);
    centred.set_row_count(2);
    QCOMPARE(centred.row(1)->textAlignment(0), int(Qt::AlignCenter));
    QCOMPARE(centred.row(2)->textAlignment(0), int(Qt::AlignCenter));
  }

  void enter_and_double_click_report_the_row() {
    struct Case {
      const char* what;
      bool multi;
      QList<int> selected;  // in the order they are selected
      int current;          // 0: the last selected row
      bool clear_selection;
      QList<int> enter;     // what Enter reports
    };
    const Case cases[] = {
        {"single: the selected row", false, {4}, 0, false, {4}},
        {"single: nothing selected, the current row alone does not count", false, {4}, 0, true, {}},
        {"multi: the row with the focus, not the first selected", true, {5, 2}, 5, false, {5}},
        {"multi: the focus row even while not selected", true, {2}, 3, false, {3}},
        {"nothing at all", false, {}, 0, false, {}},
    };
    for (const auto& c : cases) {
      NumberedList list(QStringLiteral("L"), {QStringLiteral("Номер"), QStringLiteral("Режим")}, 6);
      if (c.multi) list.setSelectionMode(QAbstractItemView::ExtendedSelection);
      for (int n : c.selected) list.row(n)->setSelected(true);
      if (!c.selected.isEmpty() || c.current)
        list.setCurrentItem(list.row(c.current ? c.current : c.selected.back()), 0, QItemSelectionModel::NoUpdate);
      if (c.clear_selection) list.clearSelection();
      QSignalSpy spy(&list, &NumberedList::row_activated);
      QTest::keyClick(&list, Qt::Key_Return);
      QTest::keyClick(&list, Qt::Key_Enter);
      QList<int> twice = c.enter + c.enter;
      QVERIFY2(reported(spy) == twice, c.what);
    }

    NumberedList multi(QStringLiteral("L"), {QStringLiteral("Номер")}, 6);
    multi.setSelectionMode(QAbstractItemView::ExtendedSelection);
    multi.row(5)->setSelected(true);
    multi.row(2)->setSelected(true);
    QCOMPARE(multi.selected_numbers(), (std::vector<int>{2, 5}));
    QCOMPARE(multi.selected_number(), 2);

    // A double click reports the row under the pointer.
    NumberedList list(QStringLiteral("L"), {QStringLiteral("Номер"), QStringLiteral("Тип")}, 6);
    list.resize(300, 300);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    QSignalSpy spy(&list, &NumberedList::row_activated);
    const QPoint at = list.visualItemRect(list.row(2)).center();
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(reported(spy), QList<int>{2});
    QCOMPARE(list.selected_number(), 2);
  }

  void enter_stays_in_the_list_and_delete_goes_to_whoever_listens() {
    KeyWitness parent;
    auto* list = new NumberedList(QStringLiteral("L"), {QStringLiteral("Номер")}, 3, &parent);
    list->setCurrentItem(list->row(1));
    QTest::keyClick(list, Qt::Key_Return);
    QTest::keyClick(list, Qt::Key_Delete);  // nobody listens: the key goes on
    QCOMPARE(parent.keys, QList<int>{Qt::Key_Delete});

    int deletes = 0;
    connect(list, &NumberedList::delete_pressed, this, [&] { ++deletes; });
    QTest::keyClick(list, Qt::Key_Delete);
    QCOMPARE(deletes, 1);
    QCOMPARE(parent.keys, QList<int>{Qt::Key_Delete});
  }

  void the_popup_menu_runs_its_items() {
    NumberedList list(QStringLiteral("L"), {QStringLiteral("Номер")}, 3);
    QMenu* menu = list.add_popup_menu(QStringLiteral("SomePopupMenu"));
    QCOMPARE(list.contextMenuPolicy(), Qt::CustomContextMenu);
    QCOMPARE(list.findChild<QMenu*>(QStringLiteral("SomePopupMenu")), menu);
    int runs = 0;
    QObject counter;
    add_menu_item(menu, QStringLiteral("Удалить"), QStringLiteral("DeleteItem"), &counter, [&] { ++runs; });
    auto* item = list.findChild<QAction*>(QStringLiteral("DeleteItem"));
    QVERIFY(item);
    QCOMPARE(item->text(), QStringLiteral("Удалить"));
    item->trigger();
    QCOMPARE(runs, 1);
  }
};

QTEST_MAIN(NumberedListTest)
#include "numbered_list_test.moc"
