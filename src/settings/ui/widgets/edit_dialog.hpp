#pragma once
// What the small editing dialogs of the settings window share: "Сохранить" and "Отмена"
// (Enter confirms, Escape cancels), the translucency rule — opaque while the pointer is
// over the dialog, alpha 75 once it leaves it — and the controls several of them (and
// some pages) build alike. The rule is approximated with the window's opacity
// (QWidget::setWindowOpacity), which needs a compositing window manager; without one the
// dialog simply stays opaque.
#include <QRect>
#include <QString>

class QBoxLayout;
class QComboBox;
class QDialog;
class QLabel;
class QPushButton;
class QWidget;

namespace vq::gui {

// The opacity of an editing dialog away from the pointer.
inline constexpr double kDialogAwayOpacity = 75.0 / 255.0;

// True while the pointer is inside the dialog's bounds and at least 6 pixels away from
// each of its edges; the 6-pixel band along the edges counts as outside.
bool pointer_keeps_dialog_opaque(const QRect& bounds, const QPoint& pointer);

// Makes the dialog follow the translucency rule while it is shown, with a title and a close
// button only (no minimise or maximise).
void make_translucent_when_left(QDialog* dialog);

// Adds "Сохранить" (objectName SaveButton, the default button: Enter) and "Отмена"
// (CancelButton) to the layout, wired to accept and reject; returns the save button.
QPushButton* add_save_cancel(QDialog* dialog, QBoxLayout* layout, const char* save_text = "Сохранить");

// The line that names the item a dialog edits: "caption" and the number beside it (the
// number's label gets objectName `name`); returns that label.
QLabel* add_number_row(QWidget* parent, QBoxLayout* layout, const QString& caption, int number, const QString& name);

// A drop-down list of the whole numbers lo..hi, in order, with objectName `name`.
QComboBox* number_list(QWidget* parent, const QString& name, int lo, int hi, const QString& tip);

}  // namespace vq::gui
