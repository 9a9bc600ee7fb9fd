// Placeholder being replaced by the full window.
#include "settings/ui/dev_settings_form.hpp"

#include <QCloseEvent>
#include <QKeyEvent>

#include "memory/configuration.hpp"
#include "shell/ui/qt_text.hpp"

namespace vq::gui {

class TQDevSettingsForm::Impl {};

TQDevSettingsForm::TQDevSettingsForm(AppContext& context, QWidget* parent)
    : QDialog(parent), impl_(std::make_unique<Impl>()), context_(context) {
  setObjectName("TQDevSettingsForm");
  setWindowTitle(QStringLiteral("Изменение настроек системы"));
  resize(800, 600);
}
TQDevSettingsForm::~TQDevSettingsForm() = default;
bool TQDevSettingsForm::transfer_running() const { return false; }
QString TQDevSettingsForm::status_text(int) const { return {}; }
int TQDevSettingsForm::gauge() const { return 0; }
void TQDevSettingsForm::MenuConnectActionExecute() {}
void TQDevSettingsForm::MenuDisonnectActionExecute() {}
void TQDevSettingsForm::MenuReadActionExecute() {}
void TQDevSettingsForm::MenuWriteActionExecute() {}
void TQDevSettingsForm::MenuDemoActionExecute() {}
void TQDevSettingsForm::MenuOnlineActionExecute() {}
void TQDevSettingsForm::FileOpenActionExecute() {}
void TQDevSettingsForm::FileSaveActionExecute() {}
void TQDevSettingsForm::ReadServiceDataAction() {}
void TQDevSettingsForm::device_arrived() {}
void TQDevSettingsForm::device_removed() {}
void TQDevSettingsForm::cancel_transfer() {}
void TQDevSettingsForm::wait_for_transfer() {}
QString TQDevSettingsForm::device() const { return qs(context_.device); }
void TQDevSettingsForm::set_device(const QString& uri) { context_.device = to_std(uri); }
void TQDevSettingsForm::showEvent(QShowEvent* e) { QDialog::showEvent(e); }
void TQDevSettingsForm::closeEvent(QCloseEvent* e) { QDialog::closeEvent(e); }
void TQDevSettingsForm::keyPressEvent(QKeyEvent* e) { QDialog::keyPressEvent(e); }
void TQDevSettingsForm::reject() { QDialog::reject(); }

}  // namespace vq::gui
