#include "settings/ui/pages/settings_page.hpp"

namespace vq::gui {

SettingsPage::~SettingsPage() = default;

}  // namespace vq::gui
