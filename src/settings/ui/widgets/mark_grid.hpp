#pragma once
// Paired grids: even rows are label rows (button-face background), the odd row under each
// holds the values. A partition mark grid labels its cells "P1".."P96" and holds "X" or
// nothing; a release of the mouse toggles the grid's current cell, unless a refusal hook
// stops it (system outputs in work mode 8). Every cell's text is drawn centred.
#include <QTableWidget>
#include <bitset>
#include <functional>

namespace vq::gui {

class PairedGrid : public QTableWidget {
  Q_OBJECT
 public:
  // `label(row, column)` gives the text of a cell of an even row.
  PairedGrid(int columns, int rows, std::function<QString(int row, int column)> label, QWidget* parent = nullptr);
};

class PartitionMarkGrid : public PairedGrid {
  Q_OBJECT
 public:
  // `columns` × `rows` cells, rows in label/mark pairs.
  PartitionMarkGrid(int columns, int rows, QWidget* parent = nullptr);

  // Returns true to refuse the toggle (the hook shows its own message).
  void set_refusal(std::function<bool()> refuse) { refuse_ = std::move(refuse); }

  // Partition p (1-based) marked?
  bool marked(int partition) const;
  void set_marked(int partition, bool on);
  // Partitions 1..96 as the 96-bit set, partition p in bit p − 1.
  std::bitset<96> marks() const;
  void set_marks(const std::bitset<96>& marks);

  // The toggle as a release of the mouse does it.
  void oldPartitionStrGridMouseUp();

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  QTableWidgetItem* mark_item(int partition) const;
  std::function<bool()> refuse_;
};

// The refusal of system outputs in work mode 8: shows message 15331 and returns true for
// that mode, false for any other.
bool refuse_for_work_mode(QWidget* parent, int work_mode);

}  // namespace vq::gui
