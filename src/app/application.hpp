#pragma once
// Program entry of the desktop program: options, preferences, the message table and the
// long-lived windows, of which only the start window is shown.
#include <QElapsedTimer>

namespace vq::gui {

// Runs the program; `since_main` was started at the top of main().
int run_application(int argc, char** argv, const QElapsedTimer& since_main);

}  // namespace vq::gui
