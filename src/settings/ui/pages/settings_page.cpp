#include "settings/ui/pages/settings_page.hpp"

#include "shell/ui/qt_text.hpp"
#include "shell/ui/ui_services.hpp"

namespace vq::gui {

SettingsPage::~SettingsPage() = default;

bool SettingsPage::stored(const Result<>& outcome) {
  if (!outcome) {
    ui().show_message(this, BoxIcon::error, caption_system(), qs(outcome.error().text));
    return false;
  }
  note_edit();
  reshow();
  return true;
}

}  // namespace vq::gui
