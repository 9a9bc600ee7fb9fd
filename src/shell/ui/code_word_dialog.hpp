#pragma once
// The code word question of the service functions ("Проверка доступа"): a line to type the
// word in, OK and Cancel. Run through ui(), so tests answer it.
#include <QString>
#include <optional>

class QWidget;

namespace vq::gui {

// The word typed; nothing when the user cancelled.
std::optional<QString> ask_code_word(QWidget* parent);

}  // namespace vq::gui
