#pragma once
// Core texts (UTF-8) as Qt strings.
#include <QString>
#include <string>
#include <string_view>

#include "shell/messages.hpp"

namespace vq::gui {

inline QString qs(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }
inline std::string to_std(const QString& text) { return text.toStdString(); }
// A message table text by id.
inline QString m(int id) { return qs(shell::msg(id)); }

}  // namespace vq::gui
