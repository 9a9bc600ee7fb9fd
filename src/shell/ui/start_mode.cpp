#include "shell/ui/start_mode.hpp"

namespace vq::gui {
namespace {
// Only the GUI thread touches it.
int g_start_mode = 0;
}  // namespace

int start_mode() { return g_start_mode; }
void set_start_mode(int mode) { g_start_mode = mode; }

}  // namespace vq::gui
