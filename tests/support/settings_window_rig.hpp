#pragma once
// The settings window on the built-in virtual panel (demo contents), for page tests: read
// everything, edit through a page, write everything back, and see which panel bytes
// changed. Boxes and dialogs go to a RecordingUi, so nothing blocks.
#include <QAction>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>
#include <cstdint>
#include <map>
#include <memory>

#include "memory/configuration.hpp"
#include "settings/ui/dev_settings_form.hpp"
#include "settings/ui/navigator/navigator.hpp"
#include "sim/demo_panel.hpp"
#include "sim/virtual_panel.hpp"
#include "support/recording_ui.hpp"
#include "support/sim_context.hpp"

namespace vq::test {

class SettingsWindowRig {
 public:
  // Panel address -> {byte before, byte after}.
  using Changes = std::map<std::uint32_t, std::pair<std::uint8_t, std::uint8_t>>;

  explicit SettingsWindowRig(bool demo_contents = true) : ctx(sim_context(dir, 1000, demo_contents)) {
    form = std::make_unique<gui::TQDevSettingsForm>(ctx);
    form->resize(1000, 700);
  }
  ~SettingsWindowRig() {
    if (form) form->wait_for_transfer();
  }

  QAction* action(const char* name) const { return form->findChild<QAction*>(QString::fromLatin1(name)); }
  sim::VirtualPanel& panel() { return *ctx.sim_panel; }
  memory::Configuration& config() { return *form->configuration(); }
  gui::SettingsNavigator& navigator() { return *form->navigator(); }

  // Shows the window online, connects (which reads everything) and notes the panel's
  // memory as it was then.
  void connect_and_read() {
    form->show();
    action("MenuOnlineAction")->trigger();
    action("MenuConnectAction")->trigger();
    form->wait_for_transfer();
    before = panel().memory();
  }
  // The node's page as the tree brings it up (its show operation has run).
  template <class PageT = gui::SettingsPage>
  PageT* visit(gui::Node node) {
    navigator().tree()->setCurrentItem(navigator().node_item(node));
    QTest::qWait(30);
    [&] { QTRY_COMPARE(navigator().pending_action(), gui::PageAction::none); }();
    return qobject_cast<PageT*>(navigator().settings_page(node));
  }
  // "Сохранить изменения" on the page shown now.
  void save_page() { navigator().SaveSettingsButtonClick(); }
  // "Записать в": the whole configuration to the panel.
  void write_all() {
    action("MenuWriteAction")->trigger();
    form->wait_for_transfer();
  }
  // Every panel byte that differs from the memory noted after the read.
  Changes changes() const {
    Changes out;
    const auto& now = ctx.sim_panel->memory();
    for (std::size_t i = 0; i < now.size() && i < before.size(); ++i)
      if (now[i] != before[i]) out[static_cast<std::uint32_t>(i)] = {before[i], now[i]};
    return out;
  }

  QTemporaryDir dir;
  gui::AppContext ctx;
  ScopedRecordingUi ui;
  std::unique_ptr<gui::TQDevSettingsForm> form;
  Bytes before;
};

}  // namespace vq::test
