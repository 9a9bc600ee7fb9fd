#include "firmware/ui/change_soft_form.hpp"

#include <QLabel>
#include <QVBoxLayout>

#include "shell/ui/qt_text.hpp"
#include "shell/ui/start_mode.hpp"

namespace vq::gui {

TQChangeSoftForm::TQChangeSoftForm(AppContext& context, QWidget* parent) : QDialog(parent), context_(context) {
  setObjectName(QStringLiteral("TQChangeSoftForm"));
  resize(800, 600);
  auto* layout = new QVBoxLayout(this);
  auto* note = new QLabel(QStringLiteral("Окно обновления ПО появится в следующей версии программы."), this);
  note->setObjectName(QStringLiteral("PlaceholderLabel"));
  note->setAlignment(Qt::AlignCenter);
  note->setWordWrap(true);
  layout->addWidget(note);
  update_caption();
}

void TQChangeSoftForm::update_caption() {
  setWindowTitle(m(start_mode() == 2 ? 15030 : 15029));
}

void TQChangeSoftForm::showEvent(QShowEvent* event) {
  update_caption();
  QDialog::showEvent(event);
}

}  // namespace vq::gui
