#pragma once
// The working mode picked in the start window, shared with the firmware window:
// 0 none yet, 1 firmware of the panel and other devices, 2 built-in modules, 4 settings.
// The event-log button leaves it as it was.
namespace vq::gui {

int start_mode();
void set_start_mode(int mode);

}  // namespace vq::gui
