#include "settings/ui/pages/radio_net_set_page.hpp"

namespace vq::gui {

RadioNetSetPage::RadioNetSetPage(PageHost& host, QWidget* parent) : SettingsPage(host, parent) {}

void RadioNetSetPage::show_from(const memory::Configuration&) {}

}  // namespace vq::gui
