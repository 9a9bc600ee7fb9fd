#pragma once
// "Выбор прибора USB": the attached devices that could be the panel, one to pick for the
// USB ids of the application settings. A list in, an id out.
#include <QDialog>
#include <optional>
#include <vector>

#include "link/usb_device_list.hpp"

class QTreeWidget;

namespace vq::gui {

class UsbDeviceDialog : public QDialog {
  Q_OBJECT
 public:
  explicit UsbDeviceDialog(const std::vector<link::UsbCandidate>& devices, QWidget* parent = nullptr);

  // The id of the selected row, if one is selected.
  std::optional<link::UsbId> selected() const;

 private:
  std::vector<link::UsbCandidate> devices_;
  QTreeWidget* list_ = nullptr;  // UsbDevicesLV
};

// Runs the dialog; the chosen device's id on "Выбрать".
std::optional<link::UsbId> choose_usb_device(QWidget* parent, const std::vector<link::UsbCandidate>& devices);

}  // namespace vq::gui
