#pragma once
// The settings window's navigator: the fixed 29-node tree `DevSettingsTV`, the page stack
// `PageControl1` (one page visible, no tabs), "Сохранить изменения" and the dispatch that
// runs a page's show operation on every visit and its apply operation on that button.
// Pages plug in through register_page(): adding a page touches one place.
#include <QWidget>
#include <functional>
#include <vector>

class QTreeWidget;
class QTreeWidgetItem;
class QStackedWidget;
class QPushButton;
class QGroupBox;
class QLabel;
class QTimer;

namespace vq::gui {

class PartitionMarkGrid;

enum class PageAction { none, show, apply };

// What a page does when its node is visited (show: images to controls) and on
// "Сохранить изменения" (apply: controls to images). Either may be empty.
struct PageOps {
  std::function<void()> show;
  std::function<void()> apply;
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
  // The page widget by its objectName ("RazdelCfgTS", ...): what PageControl1 shows.
  QWidget* page(const QString& name) const;
  // Where page code puts its controls: the scrolled area under the page's small heading
  // (objectName = page name + "Body"), so a page taller than the window scrolls. For a
  // heading page, the page itself.
  QWidget* page_body(const QString& name) const;

  QTreeWidget* tree() const { return tree_; }
  QStackedWidget* pages() const { return pages_; }
  QTreeWidgetItem* node_item(int index) const;
  PageAction pending_action() const { return pending_; }

  // The three partition mark grids: PartitionStrGrid, SysOutSetStrGrid, CtrlIDRazdStrGrid.
  PartitionMarkGrid* mark_grid(const QString& name) const;

  // Back to the state of a fresh show: EquipmentTS active, nothing pending, no selection,
  // and "Сохранить изменения" disabled until a node is visited (there is nothing to save).
  void reset();
  // The service chord: GroupBox1 ("Дополнительная информация:") shown or hidden.
  void set_service_visible(bool visible);

  // The handlers under their own names.
  void DevSettingsTVChanging();
  void DevSettingsTVChange(QTreeWidgetItem* node);
  void SaveSettingsButtonClick();

 private:
  QTreeWidget* tree_ = nullptr;
  QStackedWidget* pages_ = nullptr;
  QPushButton* save_button_ = nullptr;
  QGroupBox* info_box_ = nullptr;
  QLabel* info_labels_[3] = {};
  QTimer* change_timer_ = nullptr;
  PageAction pending_ = PageAction::none;
  std::vector<PageOps> ops_;
};

}  // namespace vq::gui
