#include "settings/ui/pages/pstn_settings_page.hpp"

#include <QComboBox>
#include <QFormLayout>
#include <QVBoxLayout>

#include "memory/configuration.hpp"
#include "settings/pstn_settings.hpp"
#include "shell/ui/qt_text.hpp"

namespace vq::gui {

PSTNSettingsPage::PSTNSettingsPage(PageHost& host, QWidget* parent) : SettingsPage(host, parent) {
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  priority_ = new QComboBox(this);
  priority_->setObjectName(QStringLiteral("PSTNPriorityCmB"));
  for (const auto& name : settings::pstn_priority_names()) priority_->addItem(qs(name));
  priority_->setCurrentIndex(0);
  priority_->setToolTip(QStringLiteral("Какой линией прибор звонит в первую очередь: своей телефонной или через модуль PSTN"));
  form->addRow(QStringLiteral("Приоритет телефонной линии:"), priority_);
  layout->addLayout(form);
  layout->addStretch(1);
  connect(priority_, &QComboBox::activated, this, [this] { note_edit(); });
}

void PSTNSettingsPage::show_from(const memory::Configuration& config) {
  Filling f(*this);
  const auto p = settings::read_pstn(config);
  if (!p.registered) return;  // no module: the box stays as it was
  priority_->setCurrentIndex(p.priority < priority_->count() ? p.priority : -1);
  priority_->setEnabled(p.changeable);
}

Result<> PSTNSettingsPage::apply_to(memory::Configuration& config) {
  // Without a module there is no entry to write into.
  if (!settings::read_pstn(config).registered || priority_->currentIndex() < 0) return {};
  return settings::set_pstn_priority(config, priority_->currentIndex());
}

}  // namespace vq::gui
