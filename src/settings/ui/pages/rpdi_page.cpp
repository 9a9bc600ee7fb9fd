#include "settings/ui/pages/rpdi_page.hpp"

namespace vq::gui {

RPDIPage::RPDIPage(PageHost& host, QWidget* parent) : SettingsPage(host, parent) {}

void RPDIPage::show_from(const memory::Configuration&) {}

}  // namespace vq::gui
