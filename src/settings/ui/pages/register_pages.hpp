#pragma once
// The one place that puts the working pages into the navigator.
namespace vq::gui {

class PageHost;
class SettingsNavigator;

void register_pages(SettingsNavigator& nav, PageHost& host);

}  // namespace vq::gui
