#include "settings/ui/pages/rpdi_page.hpp"

#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QScrollBar>
#include <QVBoxLayout>

#include "memory/configuration.hpp"
#include "settings/radio_network.hpp"
#include "settings/ui/widgets/edit_dialog.hpp"
#include "settings/ui/widgets/mark_grid.hpp"
#include "shell/ui/qt_text.hpp"
#include "shell/ui/ui_services.hpp"

namespace vq::gui {
namespace {

constexpr int kDeviceColumns = 5;
constexpr int kDeviceRows = 100;  // 50 pairs of 5: devices 1..250

// Device of a cell of RPDIStrGrid (either row of its pair).
int device_of(int row, int column) { return column + kDeviceColumns * (row / 2) + 1; }

QLabel* heading(const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  QFont f = label->font();
  f.setBold(true);
  label->setFont(f);
  return label;
}

}  // namespace

RPDIPage::RPDIPage(PageHost& host, QWidget* parent) : SettingsPage(host, parent) {
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(heading(QStringLiteral("ИИ радиосети (источники радиосети)"), this));
  devices_ = new PairedGrid(
      kDeviceColumns, kDeviceRows, [](int r, int c) { return QString::number(device_of(r, c)); }, this);
  devices_->setObjectName(QStringLiteral("RPDIStrGrid"));
  devices_->setToolTip(QStringLiteral("Под названием и номером радиоустройства — номер его раздела (0 — без "
                                      "раздела); выберите ячейку, чтобы назначить раздел"));
  devices_->setMinimumHeight(240);
  devices_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  layout->addWidget(devices_, 1);

  layout->addWidget(heading(QStringLiteral("ШС (шлейфы сигнализации)"), this));
  loops_ = new PairedGrid(3, 2, [](int, int c) { return m(15112 + c); }, this);
  loops_->setObjectName(QStringLiteral("ShsStrGrid"));
  loops_->setToolTip(QStringLiteral("Разделы проводных шлейфов ШС1, ШС2 и входа SOS (0 — без раздела)"));
  loops_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  loops_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  loops_->setFixedHeight(2 * loops_->verticalHeader()->defaultSectionSize() + 2 * loops_->frameWidth());
  layout->addWidget(loops_);

  for (PairedGrid* grid : {devices_, loops_}) {
    connect(grid, &QTableWidget::currentCellChanged, this,
            [this, grid](int row, int column, int, int) { RPDIStrGridSelectCell(grid, row, column); });
    // The list sits over its cell: it follows the grid's scrolling and column widths.
    connect(grid->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { place_cell_list(); });
    connect(grid->horizontalHeader(), &QHeaderView::sectionResized, this, [this] { place_cell_list(); });
    grid->installEventFilter(this);
  }
}

void RPDIPage::show_from(const memory::Configuration& config) {
  Filling f(*this);
  destroy_cell_list();
  const auto a = settings::read_rpdi(config);
  for (int n = 1; n <= settings::kRadioDeviceCount; ++n) {
    const int row = 2 * ((n - 1) / kDeviceColumns) + 1;
    const int column = (n - 1) % kDeviceColumns;
    const int type = settings::radio_device_type(config, n);
    devices_->item(row - 1, column)->setText(qs(type ? settings::radio_type_name(type) : std::string()) +
                                             QLatin1Char(' ') + QString::number(n));
    devices_->item(row, column)->setText(QString::number(a.device[static_cast<std::size_t>(n - 1)]));
  }
  loops_->item(1, 0)->setText(QString::number(a.shs1));
  loops_->item(1, 1)->setText(QString::number(a.shs2));
  loops_->item(1, 2)->setText(QString::number(a.sos));
}

Result<> RPDIPage::apply_to(memory::Configuration& config) {
  // Cells left empty keep what the table holds.
  auto a = settings::read_rpdi(config);
  auto take = [](const QTableWidgetItem* item, int& into) {
    if (!item || item->text().isEmpty()) return;
    bool ok = false;
    const int v = item->text().toInt(&ok);
    if (ok) into = v;
  };
  for (int n = 1; n <= settings::kRadioDeviceCount; ++n)
    take(devices_->item(2 * ((n - 1) / kDeviceColumns) + 1, (n - 1) % kDeviceColumns),
         a.device[static_cast<std::size_t>(n - 1)]);
  take(loops_->item(1, 0), a.shs1);
  take(loops_->item(1, 1), a.shs2);
  take(loops_->item(1, 2), a.sos);
  return settings::apply_rpdi(config, a);
}

void RPDIPage::RPDIStrGridSelectCell(QTableWidget* grid, int row, int column) {
  if (filling() || row < 0 || column < 0) return;
  if (grid == devices_ && row % 2 == 1) {
    auto* c = host().configuration();
    if (c && !settings::radio_device_registered(*c, device_of(row, column))) {
      ui().show_message(this, BoxIcon::warning, caption_system(), m(15129));
      return;
    }
  }
  destroy_cell_list();
  if (row % 2 == 0) return;

  auto* list = number_list(grid->viewport(), QStringLiteral("RPDICellCmB"), 0, settings::kMaxAssignablePartition,
                           QStringLiteral("Номер раздела, 0 — без раздела"));
  QFont f = list->font();
  f.setBold(true);
  list->setFont(f);
  list->setMaxVisibleItems(10);
  list->setCurrentIndex(list->findText(grid->item(row, column)->text()));
  list->installEventFilter(this);
  connect(list, &QComboBox::activated, this, &RPDIPage::cell_list_chosen);
  cell_list_ = list;
  list_grid_ = grid;
  list_row_ = row;
  list_column_ = column;
  place_cell_list();
  list->show();
}

void RPDIPage::place_cell_list() {
  if (!cell_list_ || !list_grid_) return;
  const QRect cell = list_grid_->visualRect(list_grid_->model()->index(list_row_, list_column_));
  cell_list_->setGeometry(cell.x(), cell.y(), cell.width(), std::max(cell.height(), cell_list_->sizeHint().height()));
  cell_list_->raise();
}

void RPDIPage::cell_list_chosen(int index) {
  if (!cell_list_ || !list_grid_ || index < 0) return;
  if (auto* item = list_grid_->currentItem()) item->setText(cell_list_->itemText(index));
  QTableWidget* grid = list_grid_;
  destroy_cell_list();
  grid->setFocus();
  note_edit();
}

void RPDIPage::destroy_cell_list() {
  if (cell_list_) {
    cell_list_->hide();
    // It may be destroyed from inside its own signal.
    cell_list_->deleteLater();
  }
  cell_list_ = nullptr;
  list_grid_ = nullptr;
  list_row_ = list_column_ = -1;
}

bool RPDIPage::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && cell_list_) {
    auto* key = static_cast<QKeyEvent*>(event);
    // Typing in the list drops it down; so do Enter and F4 over its cell in the grid.
    if (watched == cell_list_.data() && !key->text().trimmed().isEmpty()) {
      cell_list_->showPopup();
    } else if (watched == list_grid_ && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter ||
                                         key->key() == Qt::Key_F4 || key->key() == Qt::Key_F2)) {
      cell_list_->setFocus();
      cell_list_->showPopup();
      return true;
    }
  }
  return SettingsPage::eventFilter(watched, event);
}

}  // namespace vq::gui
