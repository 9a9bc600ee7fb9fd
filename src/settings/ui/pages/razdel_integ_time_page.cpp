#include "settings/ui/pages/razdel_integ_time_page.hpp"

#include <QButtonGroup>
#include <QGroupBox>
#include <QRadioButton>
#include <QVBoxLayout>

#include "memory/configuration.hpp"
#include "settings/partitions.hpp"

namespace vq::gui {
namespace {

constexpr int kTimes[2] = {500, 70};  // item 0, item 1

}  // namespace

RazdelIntegTimePage::RazdelIntegTimePage(PageHost& host, QWidget* parent) : SettingsPage(host, parent) {
  auto* layout = new QVBoxLayout(this);
  for (int loop = 1; loop <= 2; ++loop) {
    auto* box = new QGroupBox(QStringLiteral("Время интегрирования ШС%1, мс:").arg(loop), this);
    box->setObjectName(QStringLiteral("RazdelIntegTime%1RdG").arg(loop));
    box->setToolTip(QStringLiteral("Сколько длится нарушение шлейфа ШС%1, прежде чем прибор его заметит").arg(loop));
    auto* rows = new QVBoxLayout(box);
    auto* group = new QButtonGroup(box);
    for (int item = 0; item < 2; ++item) {
      auto* radio = new QRadioButton(QString::number(kTimes[item]), box);
      radio->setObjectName(QStringLiteral("RazdelIntegTime%1_%2").arg(loop).arg(kTimes[item]));
      group->addButton(radio, item);
      rows->addWidget(radio);
    }
    connect(group, &QButtonGroup::idToggled, this, [this](int, bool on) {
      if (on) note_edit();
    });
    groups_[loop - 1] = group;
    layout->addWidget(box);
  }
  layout->addStretch(1);
}

void RazdelIntegTimePage::show_from(const memory::Configuration& config) {
  Filling f(*this);
  for (int loop = 1; loop <= 2; ++loop)
    groups_[loop - 1]->button(settings::loop_integration_ms(config, loop) == 70 ? 1 : 0)->setChecked(true);
}

Result<> RazdelIntegTimePage::apply_to(memory::Configuration& config) {
  for (int loop = 1; loop <= 2; ++loop) {
    const int item = groups_[loop - 1]->checkedId();
    if (item < 0) continue;  // no item chosen: the bit stays
    if (auto r = settings::set_loop_integration_ms(config, loop, kTimes[item]); !r) return r;
  }
  return {};
}

}  // namespace vq::gui
