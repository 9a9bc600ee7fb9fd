#pragma once
// "Настройки типа оповещения" (TQTelRcpntFormatSetForm): dialling attempts, ring wait,
// confirmation, pauses, language and the SMS options of one channel; only the lists the
// notice type uses are enabled. A value in, a value out.
#include <QDialog>
#include <array>
#include <optional>

#include "settings/recipients.hpp"

class QComboBox;

namespace vq::gui {

class TQTelRcpntFormatSetForm : public QDialog {
  Q_OBJECT
 public:
  TQTelRcpntFormatSetForm(int notice, const settings::FormatChoice& choice, QWidget* parent = nullptr);
  settings::FormatChoice value() const;

 private:
  // DialTry, WaitTime, ConfirmMes, PhrasePause, SMSLng, MergeSMS, SpecObjNum, NameOrNum
  std::array<QComboBox*, 8> boxes_{};
  QComboBox* box(settings::FormatBox b) const { return boxes_[static_cast<std::size_t>(b)]; }
};

std::optional<settings::FormatChoice> edit_format(QWidget* parent, int notice, const settings::FormatChoice& choice);

}  // namespace vq::gui
