#include "shell/ui/ui_services.hpp"

#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

#include "shell/ui/qt_text.hpp"

namespace vq::gui {
namespace {

std::unique_ptr<UiServices>& current() {
  static std::unique_ptr<UiServices> services = std::make_unique<UiServices>();
  return services;
}

QMessageBox::Icon to_qt(BoxIcon icon) {
  switch (icon) {
    case BoxIcon::information: return QMessageBox::Information;
    case BoxIcon::warning: return QMessageBox::Warning;
    case BoxIcon::error: return QMessageBox::Critical;
    case BoxIcon::question: return QMessageBox::Question;
  }
  return QMessageBox::NoIcon;
}

}  // namespace

void UiServices::show_message(QWidget* parent, BoxIcon icon, const QString& caption, const QString& text) {
  QMessageBox box(to_qt(icon), caption, text, QMessageBox::Ok, parent);
  box.exec();
}

bool UiServices::ask(QWidget* parent, BoxIcon icon, const QString& caption, const QString& text) {
  QMessageBox box(to_qt(icon), caption, text, QMessageBox::NoButton, parent);
  auto* yes = box.addButton(QStringLiteral("Да"), QMessageBox::YesRole);
  auto* no = box.addButton(QStringLiteral("Нет"), QMessageBox::NoRole);
  box.setDefaultButton(no);
  box.setEscapeButton(no);
  box.exec();
  return box.clickedButton() == yes;
}

QString UiServices::open_file_name(QWidget* parent, const QString& title, const QString& folder,
                                   const QString& filter) {
  return QFileDialog::getOpenFileName(parent, title, folder, filter);
}

QString UiServices::save_file_name(QWidget* parent, const QString& title, const QString& folder,
                                   const QString& filter, const QString& default_suffix) {
  QFileDialog dialog(parent, title, folder, filter);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix(default_suffix);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().first();
}

bool UiServices::open_url(const QUrl& url) { return QDesktopServices::openUrl(url); }

bool UiServices::run_dialog(QDialog* dialog) { return dialog->exec() == QDialog::Accepted; }

UiServices& ui() { return *current(); }

std::unique_ptr<UiServices> set_ui(std::unique_ptr<UiServices> services) {
  auto old = std::move(current());
  current() = services ? std::move(services) : std::make_unique<UiServices>();
  return old;
}

QString caption_system() { return m(15004); }
QString caption_message() { return m(15021); }

}  // namespace vq::gui
