#include "shell/ui/usb_device_dialog.hpp"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "shell/ui/qt_text.hpp"
#include "shell/ui/ui_services.hpp"

namespace vq::gui {

UsbDeviceDialog::UsbDeviceDialog(const std::vector<link::UsbCandidate>& devices, QWidget* parent)
    : QDialog(parent), devices_(devices) {
  setObjectName(QStringLiteral("UsbDeviceChooseForm"));
  setWindowTitle(QStringLiteral("Выбор прибора USB"));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  resize(760, 260);

  auto* hint = new QLabel(QStringLiteral("Устройства USB с интерфейсом изготовителя и каналами bulk OUT и bulk IN:"), this);
  list_ = new QTreeWidget(this);
  list_->setObjectName(QStringLiteral("UsbDevicesLV"));
  list_->setRootIsDecorated(false);
  list_->setHeaderLabels({QStringLiteral("VID:PID"), QStringLiteral("Порт"), QStringLiteral("Изготовитель"),
                          QStringLiteral("Изделие"), QStringLiteral("Доступ")});
  for (const auto& d : devices_) {
    auto* row = new QTreeWidgetItem(list_);
    row->setText(0, qs(d.id.text()));
    row->setText(1, qs(d.port_path));
    row->setText(2, qs(d.manufacturer));
    row->setText(3, qs(d.product));
    row->setText(4, d.accessible ? QStringLiteral("есть") : QStringLiteral("нет: ") + qs(d.access_problem));
    row->setToolTip(4, row->text(4));
  }
  list_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  if (!devices_.empty()) list_->setCurrentItem(list_->topLevelItem(0));

  auto* ok = new QPushButton(QStringLiteral("Выбрать"), this);
  ok->setObjectName(QStringLiteral("UsbChooseOKBtn"));
  auto* cancel = new QPushButton(QStringLiteral("Отмена"), this);
  cancel->setObjectName(QStringLiteral("UsbChooseCancelBtn"));
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(hint);
  layout->addWidget(list_, 1);
  layout->addLayout(buttons);

  connect(ok, &QPushButton::clicked, this, [this] {
    if (selected()) accept();
  });
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(list_, &QTreeWidget::itemActivated, this, [this] {
    if (selected()) accept();
  });
}

std::optional<link::UsbId> UsbDeviceDialog::selected() const {
  const int row = list_->indexOfTopLevelItem(list_->currentItem());
  if (row < 0 || static_cast<std::size_t>(row) >= devices_.size()) return std::nullopt;
  return devices_[static_cast<std::size_t>(row)].id;
}

std::optional<link::UsbId> choose_usb_device(QWidget* parent, const std::vector<link::UsbCandidate>& devices) {
  UsbDeviceDialog dialog(devices, parent);
  if (!ui().run_dialog(&dialog)) return std::nullopt;
  return dialog.selected();
}

}  // namespace vq::gui
