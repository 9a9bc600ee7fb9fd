#include "settings/ui/pages/razdel_mr_page.hpp"

namespace vq::gui {

RazdelMRPage::RazdelMRPage(PageHost& host, QWidget* parent) : SettingsPage(host, parent) {}

void RazdelMRPage::show_from(const memory::Configuration&) {}

}  // namespace vq::gui
