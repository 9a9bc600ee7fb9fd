#include "shell/ui/service_chord.hpp"

#include <QKeyEvent>

namespace vq::gui {

bool is_service_chord(const QKeyEvent* event) {
  if (!event || event->key() != Qt::Key_F12) return false;
  const auto mods = event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier | Qt::MetaModifier);
  return mods == (Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier);
}

}  // namespace vq::gui
