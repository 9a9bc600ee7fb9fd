#include "settings/ui/widgets/edit_dialog.hpp"

#include <QBoxLayout>
#include <QComboBox>
#include <QCursor>
#include <QDialog>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStringList>
#include <QTimer>

namespace vq::gui {
namespace {

constexpr int kEdgeBand = 6;

// Polls the pointer: child controls take the mouse events, so the dialog itself would
// not see every move.
class OpacityFollower : public QObject {
 public:
  explicit OpacityFollower(QDialog* dialog) : QObject(dialog), dialog_(dialog) {
    timer_.setInterval(100);
    connect(&timer_, &QTimer::timeout, this, [this] { update(); });
    dialog->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == dialog_) {
      if (event->type() == QEvent::Show) {
        update();
        timer_.start();
      } else if (event->type() == QEvent::Hide) {
        timer_.stop();
      } else if (event->type() == QEvent::Enter || event->type() == QEvent::Leave) {
        update();
      }
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  void update() {
    const bool opaque = pointer_keeps_dialog_opaque(dialog_->frameGeometry(), QCursor::pos());
    const double wanted = opaque ? 1.0 : kDialogAwayOpacity;
    if (dialog_->windowOpacity() != wanted) dialog_->setWindowOpacity(wanted);
  }

  QDialog* dialog_;
  QTimer timer_;
};

}  // namespace

bool pointer_keeps_dialog_opaque(const QRect& bounds, const QPoint& pointer) {
  return pointer.x() >= bounds.left() + kEdgeBand && pointer.x() <= bounds.right() - kEdgeBand &&
         pointer.y() >= bounds.top() + kEdgeBand && pointer.y() <= bounds.bottom() - kEdgeBand;
}

void make_translucent_when_left(QDialog* dialog) {
  // A small fixed editing dialog: a title and a close button, nothing to minimise or
  // maximise.
  dialog->setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  new OpacityFollower(dialog);
}

QPushButton* add_save_cancel(QDialog* dialog, QBoxLayout* layout, const char* save_text) {
  auto* row = new QHBoxLayout;
  row->addStretch(1);
  auto* save = new QPushButton(QString::fromUtf8(save_text), dialog);
  save->setObjectName(QStringLiteral("SaveButton"));
  save->setDefault(true);
  save->setAutoDefault(true);
  auto* cancel = new QPushButton(QStringLiteral("Отмена"), dialog);
  cancel->setObjectName(QStringLiteral("CancelButton"));
  cancel->setAutoDefault(false);
  row->addWidget(save);
  row->addWidget(cancel);
  layout->addLayout(row);
  QObject::connect(save, &QPushButton::clicked, dialog, &QDialog::accept);
  QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
  return save;
}

QLabel* add_number_row(QWidget* parent, QBoxLayout* layout, const QString& caption, int number, const QString& name) {
  auto* row = new QHBoxLayout;
  row->addWidget(new QLabel(caption, parent));
  auto* label = new QLabel(QString::number(number), parent);
  label->setObjectName(name);
  row->addWidget(label);
  row->addStretch(1);
  layout->addLayout(row);
  return label;
}

QComboBox* number_list(QWidget* parent, const QString& name, int lo, int hi, const QString& tip) {
  auto* list = new QComboBox(parent);
  list->setObjectName(name);
  QStringList items;
  items.reserve(hi >= lo ? hi - lo + 1 : 0);
  for (int v = lo; v <= hi; ++v) items << QString::number(v);
  list->addItems(items);
  list->setToolTip(tip);
  return list;
}

}  // namespace vq::gui
