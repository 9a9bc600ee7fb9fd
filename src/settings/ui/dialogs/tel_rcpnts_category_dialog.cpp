#include "settings/ui/dialogs/tel_rcpnts_category_dialog.hpp"

#include <QComboBox>
#include <QFormLayout>
#include <QVBoxLayout>

#include "settings/ui/widgets/edit_dialog.hpp"
#include "shell/ui/qt_text.hpp"
#include "shell/ui/ui_services.hpp"

namespace vq::gui {
namespace {

QComboBox* names_list(QWidget* parent, const char* name, const std::vector<std::string>& names) {
  auto* box = new QComboBox(parent);
  box->setObjectName(QString::fromLatin1(name));
  for (const auto& n : names) box->addItem(qs(n));
  return box;
}

}  // namespace

TQTelRcpntsCategoryForm::TQTelRcpntsCategoryForm(const settings::CategoryOptions& options, QWidget* parent)
    : QDialog(parent) {
  setObjectName(QStringLiteral("TQTelRcpntsCategoryForm"));
  setWindowTitle(QStringLiteral("Настройки категории"));
  setModal(true);
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  urgent_ = names_list(this, "UrgentCatCmB", {"срочно", "не срочно"});
  urgent_->setToolTip(QStringLiteral("Срочные события передаются раньше несрочных"));
  delay_ = names_list(this, "InfoDelayCmB", settings::delay_names());
  delay_->setToolTip(QStringLiteral("Сколько ждать перед передачей события этой категории"));
  period_ = names_list(this, "InfoPeriodCmB", settings::period_names());
  period_->setVisible(false);
  form->addRow(QStringLiteral("Срочность доставки: "), urgent_);
  form->addRow(QStringLiteral("Задержка до передачи:"), delay_);
  layout->addLayout(form);
  add_save_cancel(this, layout);
  make_translucent_when_left(this);

  urgent_->setCurrentIndex(options.urgent ? 0 : 1);
  delay_->setCurrentIndex(options.delay >= 0 && options.delay < settings::kDelayChoices ? options.delay : 0);
  period_->setCurrentIndex(0);
}

settings::CategoryOptions TQTelRcpntsCategoryForm::value() const {
  return {urgent_->currentIndex() != 1, period_->currentIndex(), delay_->currentIndex()};
}

std::optional<settings::CategoryOptions> edit_category(QWidget* parent, const settings::CategoryOptions& options) {
  TQTelRcpntsCategoryForm dialog(options, parent);
  if (!ui().run_dialog(&dialog)) return std::nullopt;
  return dialog.value();
}

}  // namespace vq::gui
