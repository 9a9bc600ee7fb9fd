#pragma once
// The service key chord, the same in every window: Ctrl+Alt+Shift+F12. It shows and hides
// the service controls (the exchange log and its companions).
class QKeyEvent;

namespace vq::gui {

bool is_service_chord(const QKeyEvent* event);

}  // namespace vq::gui
