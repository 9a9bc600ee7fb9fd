// Partition mark grids and the other paired grids: labels, toggling, refusal, bit mapping.
#include <QtTest>

#include "settings/ui/widgets/mark_grid.hpp"
#include "shell/ui/qt_text.hpp"
#include "support/recording_ui.hpp"

using namespace vq;
using namespace vq::gui;

class MarkGridTest : public QObject {
  Q_OBJECT

 private:
  static void click(QTableWidget& grid, int row, int column) {
    grid.scrollToItem(grid.item(row, column));
    const QRect r = grid.visualItemRect(grid.item(row, column));
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, r.center());
  }

 private slots:
  void labels_number_the_partitions_row_pair_by_row_pair_data() {
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("label");
    QTest::newRow("16x12 first") << 16 << 12 << 0 << 0 << "P1";
    QTest::newRow("16x12 end of first pair") << 16 << 12 << 0 << 15 << "P16";
    QTest::newRow("16x12 second pair") << 16 << 12 << 2 << 0 << "P17";
    QTest::newRow("16x12 last") << 16 << 12 << 10 << 15 << "P96";
    QTest::newRow("4x48 second pair") << 4 << 48 << 2 << 1 << "P6";
    QTest::newRow("4x48 last") << 4 << 48 << 46 << 3 << "P96";
    QTest::newRow("mark row is empty") << 4 << 48 << 1 << 0 << "";
  }
  void labels_number_the_partitions_row_pair_by_row_pair() {
    QFETCH(int, columns);
    QFETCH(int, rows);
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(QString, label);
    PartitionMarkGrid grid(columns, rows);
    QCOMPARE(grid.columnCount(), columns);
    QCOMPARE(grid.rowCount(), rows);
    QCOMPARE(grid.item(row, column)->text(), label);
    QVERIFY(grid.font().bold());
  }

  void a_click_toggles_the_current_mark_cell_only() {
    PartitionMarkGrid grid(4, 48);
    grid.resize(400, 300);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));

    click(grid, 1, 2);  // partition 3
    QCOMPARE(grid.item(1, 2)->text(), QStringLiteral("X"));
    QVERIFY(grid.marked(3));
    click(grid, 1, 2);
    QCOMPARE(grid.item(1, 2)->text(), QString());
    QVERIFY(!grid.marked(3));

    // A label row changes nothing, neither its label nor a mark.
    click(grid, 2, 1);
    QCOMPARE(grid.item(2, 1)->text(), QStringLiteral("P6"));
    QVERIFY(grid.marks().none());

    // The current cell counts, not where the pointer is.
    grid.setCurrentCell(3, 0);  // partition 5
    grid.oldPartitionStrGridMouseUp();
    QVERIFY(grid.marked(5));
  }

  void a_refusal_stops_the_toggle() {
    test::ScopedRecordingUi ui;
    PartitionMarkGrid grid(4, 48);
    int mode = 8;
    grid.set_refusal([&] { return refuse_for_work_mode(&grid, mode); });
    grid.setCurrentCell(1, 0);
    grid.oldPartitionStrGridMouseUp();
    QVERIFY(!grid.marked(1));
    QCOMPARE(ui.ui->boxes.size(), std::size_t{1});
    QCOMPARE(ui.ui->boxes.front().text, m(15331));
    QCOMPARE(ui.ui->boxes.front().caption, m(15021));
    QCOMPARE(ui.ui->boxes.front().icon, BoxIcon::warning);

    mode = 3;
    grid.oldPartitionStrGridMouseUp();
    QVERIFY(grid.marked(1));
    QCOMPARE(ui.ui->boxes.size(), std::size_t{1});

    // Only mode 8 refuses; every other work mode (seven bits) passes silently.
    for (int other = 0; other < 128; ++other)
      if (other != 8) QVERIFY2(!refuse_for_work_mode(nullptr, other), qPrintable(QString::number(other)));
    QCOMPARE(ui.ui->boxes.size(), std::size_t{1});
  }

  void marks_map_partition_p_to_bit_p_minus_1() {
    for (auto [columns, rows] : {std::pair{16, 12}, std::pair{4, 48}}) {
      PartitionMarkGrid grid(columns, rows);
      std::bitset<96> set;
      for (int p : {1, 8, 9, 17, 48, 95, 96}) set.set(static_cast<std::size_t>(p - 1));
      grid.set_marks(set);
      QCOMPARE(grid.marks(), set);
      // Partition 17 sits in the second pair of rows when there are 16 columns.
      const int row17 = ((17 - 1) / columns) * 2 + 1;
      QCOMPARE(grid.item(row17, (17 - 1) % columns)->text(), QStringLiteral("X"));
      QCOMPARE(grid.item(row17 - 1, (17 - 1) % columns)->text(), QStringLiteral("P17"));
      grid.set_marks({});
      QVERIFY(grid.marks().none());
    }
    PartitionMarkGrid grid(16, 12);
    grid.set_marked(0, true);  // outside 1..96: ignored
    grid.set_marked(97, true);
    QVERIFY(grid.marks().none());
  }

  void cells_are_drawn_centred_with_label_rows_on_the_button_face() {
    PartitionMarkGrid grid(4, 48);
    grid.resize(400, 200);
    grid.set_marked(2, true);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    const QImage image = grid.viewport()->grab().toImage();
    for (auto [row, column] : {std::pair{0, 0}, std::pair{1, 1}}) {
      const QRect cell = grid.visualItemRect(grid.item(row, column)).adjusted(1, 1, -1, -1);
      const QColor background = image.pixelColor(cell.topLeft() + QPoint(1, 1));
      if (row == 0) QCOMPARE(background, grid.palette().color(QPalette::Button));
      // The bounding box of the text's pixels sits in the middle of the cell.
      int left = cell.right(), right = cell.left(), top = cell.bottom(), bottom = cell.top();
      for (int y = cell.top(); y <= cell.bottom(); ++y)
        for (int x = cell.left(); x <= cell.right(); ++x)
          if (image.pixelColor(x, y) != background) {
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
          }
      QVERIFY2(left < right, "no text drawn");
      QVERIFY(std::abs((left + right) / 2 - cell.center().x()) <= 2);
      QVERIFY(std::abs((top + bottom) / 2 - cell.center().y()) <= 3);
    }
  }

  void the_number_grids_use_their_own_labels() {
    PairedGrid rpdi(5, 100, [](int r, int c) { return QString::number((r / 2) * 5 + c + 1); });
    QCOMPARE(rpdi.item(0, 0)->text(), QStringLiteral("1"));
    QCOMPARE(rpdi.item(2, 4)->text(), QStringLiteral("10"));
    QCOMPARE(rpdi.item(98, 4)->text(), QStringLiteral("250"));
    QCOMPARE(rpdi.item(99, 4)->text(), QString());
    PairedGrid shs(3, 2, [](int, int c) { return m(15112 + c); });
    QCOMPARE(shs.item(0, 0)->text(), m(15112));
    QCOMPARE(shs.item(0, 2)->text(), m(15114));
  }
};

QTEST_MAIN(MarkGridTest)
#include "mark_grid_test.moc"
