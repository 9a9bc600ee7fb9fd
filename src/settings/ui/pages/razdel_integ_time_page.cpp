#include "settings/ui/pages/razdel_integ_time_page.hpp"

namespace vq::gui {

RazdelIntegTimePage::RazdelIntegTimePage(PageHost& host, QWidget* parent) : SettingsPage(host, parent) {}

void RazdelIntegTimePage::show_from(const memory::Configuration&) {}

}  // namespace vq::gui
