#pragma once
// The help file every window opens with F1: Help/<program>_ru-help.hlp in the data folder
// when a site put one there, else the HTML user guide beside it, written there from the
// program's own copy when missing.
#include <filesystem>

#include "shell/ui/app_context.hpp"
#include "util/result.hpp"

class QWidget;

namespace vq::gui {

Result<std::filesystem::path> prepare_help_file(const AppContext& context);

// Opens the help file on the desktop; a failure is shown in a box.
void open_help(QWidget* parent, const AppContext& context);

}  // namespace vq::gui
