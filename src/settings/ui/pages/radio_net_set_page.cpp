#include "settings/ui/pages/radio_net_set_page.hpp"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "settings/field_input.hpp"
#include "settings/radio_network.hpp"
#include "settings/ui/widgets/edit_dialog.hpp"
#include "shell/ui/qt_text.hpp"

namespace vq::gui {

RadioNetSetPage::RadioNetSetPage(PageHost& host, QWidget* parent) : SettingsPage(host, parent) {
  auto* layout = new QVBoxLayout(this);
  auto* row = new QHBoxLayout;
  auto* label = new QLabel(QStringLiteral("Период контроля канала:"), this);
  period_ = number_list(this, QStringLiteral("ChCtrlPeriodCmB"), settings::kChannelControlMin,
                        settings::kChannelControlMax,
                        QStringLiteral("Как часто прибор проверяет связь с радиоустройствами, в минутах (от 4 до 42)"));
  period_->setEditable(true);
  period_->setInsertPolicy(QComboBox::NoInsert);
  label->setBuddy(period_);
  row->addWidget(label);
  row->addWidget(period_);
  row->addWidget(new QLabel(QStringLiteral("минут"), this));
  row->addStretch(1);
  layout->addLayout(row);
  layout->addStretch(1);
  connect(period_, &QComboBox::editTextChanged, this, [this] { note_edit(); });
}

void RadioNetSetPage::show_from(const memory::Configuration& config) {
  Filling f(*this);
  // A stored period the list does not offer shows no entry.
  const int index = period_->findText(QString::number(settings::channel_control_period(config)));
  period_->setCurrentIndex(index);
  if (index < 0) period_->clearEditText();
}

Result<> RadioNetSetPage::apply_to(memory::Configuration& config) {
  const QString text = period_->currentText().trimmed();
  // Nothing chosen and nothing typed: nothing to store.
  if (text.isEmpty()) return {};
  auto minutes = settings::parse_whole_number(to_std(text), settings::kChannelControlMin,
                                              settings::kChannelControlMax, "Период контроля канала");
  if (!minutes) return std::unexpected(minutes.error());
  return settings::set_channel_control_period(config, *minutes);
}

}  // namespace vq::gui
