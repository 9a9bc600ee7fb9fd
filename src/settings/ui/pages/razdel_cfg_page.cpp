#include "settings/ui/pages/razdel_cfg_page.hpp"

namespace vq::gui {

RazdelCfgPage::RazdelCfgPage(PageHost& host, QWidget* parent) : SettingsPage(host, parent) {}

void RazdelCfgPage::show_from(const memory::Configuration&) {}

}  // namespace vq::gui
