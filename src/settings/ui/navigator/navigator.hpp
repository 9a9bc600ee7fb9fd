#pragma once
// The settings window's navigator: the fixed 29-node tree `DevSettingsTV`, the page stack
// `PageControl1` (one page visible, no tabs), "Сохранить изменения" and the dispatch that
// runs a page's show operation on every visit and its apply operation on that button.
// Pages plug in through register_page() (pages/register_pages.cpp is the one caller).
#include <QWidget>
#include <functional>
#include <vector>

#include "util/result.hpp"

class QTreeWidget;
class QTreeWidgetItem;
class QStackedWidget;
class QPushButton;
class QGroupBox;
class QLabel;
class QTimer;

namespace vq::gui {

class PageHost;
class SettingsPage;

enum class PageAction { none, show, apply };

// The nodes of the tree by their absolute index (depth-first pre-order).
enum class Node : int {
  equipment = 0,
  dev_set_change = 1,
  gsm_comm = 2,
  service = 3,
  pstn_settings = 4,
  radio_net_title = 5,
  radio_net_set = 6,
  radio_net_dev = 7,
  razdel_title = 8,
  razdel_cfg = 9,
  rpdi = 10,
  razdel_name = 11,
  razdel_integ_time = 12,
  razdel_mr = 13,
  ctrl_title = 14,
  ctrl_id = 15,
  ctrl_pwd = 16,
  remote_ctrl = 17,
  notice_title = 18,
  sys_out_title = 19,
  sys_out_sign = 20,
  sys_out_set = 21,
  remote_notice_title = 22,
  tel_rcpnts = 23,
  speech_notice = 24,
  in_work = 25,
  device_title = 26,
  device_gsettings = 27,
  device_vmodule = 28,
};

// What a page does when its node is visited (show: images to controls) and on
// "Сохранить изменения" (apply: controls to images; a refusal keeps the success message
// back and is shown instead). Either may be empty.
struct PageOps {
  std::function<void()> show;
  std::function<Result<>()> apply;
};

// One node of the tree, by its absolute index (depth-first pre-order from 0).
struct NavigatorNode {
  int index;
  int level;
  const char* caption;
  const char* page;     // objectName of the page in PageControl1
  const char* heading;  // heading text of a heading page, or nullptr
};
// The 29 nodes in tree order.
const std::vector<NavigatorNode>& navigator_nodes();

class SettingsNavigator : public QWidget {
  Q_OBJECT
 public:
  explicit SettingsNavigator(QWidget* parent = nullptr);

  // Installs (or replaces) the operations of the page of `node`.
  void register_page(int node, PageOps ops);
  // Puts a page widget into its node's page body and dispatches to it: show_from on every
  // visit, apply_to on "Сохранить изменения", both on the host's configuration; its
  // edits mark the node until they are saved.
  void register_page(Node node, SettingsPage* page, PageHost& host);
  // The page widget registered for a node, if any.
  SettingsPage* settings_page(Node node) const;
  // Whether a node's page holds edits "Сохранить изменения" has not stored yet.
  bool has_pending_edits(Node node) const;
  // The page widget by its objectName ("RazdelCfgTS", ...): what PageControl1 shows.
  QWidget* page(const QString& name) const;
  // Where page code puts its controls: the scrolled area under the page's small heading
  // (objectName = page name + "Body"), so a page taller than the window scrolls. For a
  // heading page, the page itself.
  QWidget* page_body(const QString& name) const;

  QTreeWidget* tree() const { return tree_; }
  QStackedWidget* pages() const { return pages_; }
  QTreeWidgetItem* node_item(int index) const;
  QTreeWidgetItem* node_item(Node node) const { return node_item(static_cast<int>(node)); }
  PageAction pending_action() const { return pending_; }

  // Back to the state of a fresh show: EquipmentTS active, nothing pending, no selection,
  // and "Сохранить изменения" disabled until a node is visited (there is nothing to save).
  void reset();
  // The window switched between "Демо" and "Онлайн": every page hears of it.
  void mode_changed(bool demo);
  // The service chord: GroupBox1 ("Дополнительная информация:") shown or hidden.
  void set_service_visible(bool visible);

  // The handlers under their own names.
  void DevSettingsTVChanging();
  void DevSettingsTVChange(QTreeWidgetItem* node);
  void SaveSettingsButtonClick();

 signals:
  // A page changed the configuration, or holds edits to be saved.
  void edited();
  // "Сохранить изменения" stored a page's edits into the configuration.
  void changes_applied();

 private:
  void mark_pending(int node, bool pending);

  QTreeWidget* tree_ = nullptr;
  QStackedWidget* pages_ = nullptr;
  QPushButton* save_button_ = nullptr;
  QGroupBox* info_box_ = nullptr;
  QLabel* info_labels_[3] = {};
  QTimer* change_timer_ = nullptr;
  PageAction pending_ = PageAction::none;
  std::vector<PageOps> ops_;
  std::vector<SettingsPage*> widgets_;
  std::vector<bool> pending_edits_;
};

}  // namespace vq::gui
