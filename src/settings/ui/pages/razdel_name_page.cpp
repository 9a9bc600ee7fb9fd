#include "settings/ui/pages/razdel_name_page.hpp"

namespace vq::gui {

RazdelNamePage::RazdelNamePage(PageHost& host, QWidget* parent) : SettingsPage(host, parent) {}

void RazdelNamePage::show_from(const memory::Configuration&) {}

}  // namespace vq::gui
