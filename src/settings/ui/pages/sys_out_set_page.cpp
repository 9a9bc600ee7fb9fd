#include "settings/ui/pages/sys_out_set_page.hpp"

namespace vq::gui {

SysOutSetPage::SysOutSetPage(PageHost& host, QWidget* parent) : SettingsPage(host, parent) {}

void SysOutSetPage::show_from(const memory::Configuration&) {}

}  // namespace vq::gui
