#include "shell/ui/code_word_dialog.hpp"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "shell/ui/qt_text.hpp"
#include "shell/ui/ui_services.hpp"

namespace vq::gui {

std::optional<QString> ask_code_word(QWidget* parent) {
  QDialog dialog(parent);
  dialog.setObjectName(QStringLiteral("CodeWordDialog"));
  dialog.setWindowTitle(m(15134));
  auto* layout = new QVBoxLayout(&dialog);
  layout->addWidget(new QLabel(m(15135), &dialog));
  auto* edit = new QLineEdit(&dialog);
  edit->setObjectName(QStringLiteral("CodeWordEdit"));
  layout->addWidget(edit);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  layout->addWidget(buttons);
  if (!ui().run_dialog(&dialog)) return std::nullopt;
  return edit->text();
}

}  // namespace vq::gui
