#pragma once
// The firmware window's two lists: the catalogue (`ListView1`), whose rows can be dragged,
// and the device list (`ListView2`), onto which a catalogue row is dropped to write it.
// Files dragged from the desktop pass through both to the window.
#include <QTreeWidget>
#include <functional>

namespace vq::gui {

// The drag's payload: which catalogue row travels.
inline constexpr const char* kCatalogueRowMime = "application/x-vantorq-firmware-row";

class CatalogueListView : public QTreeWidget {
  Q_OBJECT
 public:
  explicit CatalogueListView(QWidget* parent);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;

 private:
  QPoint press_{};
  bool pressed_ = false;
};

class DeviceListView : public QTreeWidget {
  Q_OBJECT
 public:
  // `accepts(source)` decides a drag over the list; `dropped(source)` runs on a drop.
  DeviceListView(QWidget* parent, std::function<bool(QObject*)> accepts, std::function<void(QObject*)> dropped);

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  std::function<bool(QObject*)> accepts_;
  std::function<void(QObject*)> dropped_;
};

// Report view, whole rows, read-only, the given headers and widths.
void set_report_columns(QTreeWidget* list, const QStringList& headers, const QList<int>& widths);

}  // namespace vq::gui
