#pragma once
// The list view the settings pages show their tables in: one row per item, its number
// ("1".."N") in the first column, the page's texts in the others. The rows are made once
// (or grown and shrunk with set_row_count) and a visit only rewrites their texts, so a
// page of 250 rows opens fast and keeps its selection and scroll position.
//
// A double click or Enter on a row reports it as row_activated: the page opens its
// editing dialog for it. Enter acts on the selected row of a single-selection list, and
// on the row with the focus of a list where several rows may be selected.
#include <QAction>
#include <QTreeWidget>
#include <initializer_list>
#include <vector>

class QMenu;

namespace vq::gui {

class NumberedList : public QTreeWidget {
  Q_OBJECT
 public:
  // One column per header; `rows` rows numbered 1..rows; single selection.
  NumberedList(const QString& object_name, const QStringList& headers, int rows, QWidget* parent = nullptr);

  // Row `number` (1-based); nullptr outside the list.
  QTreeWidgetItem* row(int number) const;
  // The row's number; 0 for none.
  int number_of(QTreeWidgetItem* item) const;
  // The selected row's number (the first one's with several); 0 with none.
  int selected_number() const;
  // Every selected row's number, increasing.
  std::vector<int> selected_numbers() const;

  // Grows or shrinks the list to `count` rows. Rows that stay keep their texts and their
  // selection, rows that go take theirs along; new rows are numbered and empty elsewhere.
  void set_row_count(int count);

  // Widths of the first columns, in order.
  void set_column_widths(std::initializer_list<int> widths);
  // Alignment of the number column, for the rows made so far and later ones.
  void set_number_alignment(Qt::Alignment alignment);

  // The right button's pop-up menu (objectName `name`); made once by the page.
  QMenu* add_popup_menu(const QString& name);

 signals:
  // Double click or Enter on row `number`.
  void row_activated(int number);
  // The Delete key; the key is left to the view while nothing listens.
  void delete_pressed();

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QTreeWidgetItem* make_row(int number) const;

  Qt::Alignment number_alignment_;
  bool aligned_ = false;
};

// Appends an item with its own objectName to a menu.
QAction* add_menu_item(QMenu* menu, const QString& text, const QString& name);
// ... and runs the receiver's handler when it is chosen.
template <class Receiver, class Handler>
QAction* add_menu_item(QMenu* menu, const QString& text, const QString& name, Receiver* receiver, Handler handler) {
  QAction* action = add_menu_item(menu, text, name);
  QObject::connect(action, &QAction::triggered, receiver, handler);
  return action;
}

}  // namespace vq::gui
