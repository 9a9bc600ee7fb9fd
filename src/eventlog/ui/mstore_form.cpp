#include "eventlog/ui/mstore_form.hpp"

#include <QLabel>
#include <QVBoxLayout>

namespace vq::gui {

TQMStoreForm::TQMStoreForm(AppContext& context, QWidget* parent) : QDialog(parent), context_(context) {
  setObjectName(QStringLiteral("TQMStoreForm"));
  setWindowTitle(QStringLiteral("Журнал событий"));
  resize(800, 600);
  auto* layout = new QVBoxLayout(this);
  auto* note = new QLabel(QStringLiteral("Окно журнала событий появится в следующей версии программы."), this);
  note->setObjectName(QStringLiteral("PlaceholderLabel"));
  note->setAlignment(Qt::AlignCenter);
  note->setWordWrap(true);
  layout->addWidget(note);
}

}  // namespace vq::gui
