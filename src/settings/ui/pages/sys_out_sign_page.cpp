#include "settings/ui/pages/sys_out_sign_page.hpp"

namespace vq::gui {

SysOutSignPage::SysOutSignPage(PageHost& host, QWidget* parent) : SettingsPage(host, parent) {}

void SysOutSignPage::show_from(const memory::Configuration&) {}

}  // namespace vq::gui
