#pragma once
// "Настройки категории" (TQTelRcpntsCategoryForm): the urgency and the delay of one event
// category of a recipient; the delivery period stays "всегда или 0". A value in, a value out.
#include <QDialog>
#include <optional>

#include "settings/recipients.hpp"

class QComboBox;

namespace vq::gui {

class TQTelRcpntsCategoryForm : public QDialog {
  Q_OBJECT
 public:
  explicit TQTelRcpntsCategoryForm(const settings::CategoryOptions& options, QWidget* parent = nullptr);
  settings::CategoryOptions value() const;

 private:
  QComboBox* urgent_ = nullptr;  // UrgentCatCmB
  QComboBox* delay_ = nullptr;   // InfoDelayCmB
  QComboBox* period_ = nullptr;  // InfoPeriodCmB, hidden
};

// Runs the dialog; the options when "Сохранить" closed it.
std::optional<settings::CategoryOptions> edit_category(QWidget* parent, const settings::CategoryOptions& options);

}  // namespace vq::gui
