#include "settings/ui/pages/radio_net_dev_page.hpp"

namespace vq::gui {

RadioNetDevPage::RadioNetDevPage(PageHost& host, QWidget* parent) : SettingsPage(host, parent) {}

void RadioNetDevPage::show_from(const memory::Configuration&) {}

}  // namespace vq::gui
