#pragma once
// A partition mark grid: label rows "P1".."P96" (even rows, button-face background) above
// mark rows holding "X" or nothing. A release of the mouse toggles the grid's current
// cell; a refusal hook may stop it first (system outputs in work mode 8). Cells are drawn
// centred.
#include <QTableWidget>
#include <bitset>
#include <functional>

namespace vq::gui {

class PartitionMarkGrid : public QTableWidget {
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
  std::function<bool()> refuse_;
};

}  // namespace vq::gui
