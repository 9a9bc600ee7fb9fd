#pragma once
// The three states of the settings window: demo data, online without a link, and
// connected to the panel. Which actions are offered follows from it.

namespace vq::gui {

enum class WindowMode { demo, online_disconnected, connected };

}  // namespace vq::gui
