#include "settings/ui/dialogs/mr_integ_dialog.hpp"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "settings/ui/widgets/edit_dialog.hpp"
#include "shell/ui/qt_text.hpp"
#include "shell/ui/ui_services.hpp"

namespace vq::gui {
namespace {

constexpr int kShownRelays = 2;

}  // namespace

TQMRIntegForm::TQMRIntegForm(int module, const RelayBindings& stored, const std::vector<int>& technical,
                             QWidget* parent)
    : QDialog(parent), stored_(stored) {
  setObjectName(QStringLiteral("TQMRIntegForm"));
  setWindowTitle(QStringLiteral("Привязки реле"));
  resize(245, 285);

  auto* layout = new QVBoxLayout(this);
  auto* grid = new QGridLayout;
  grid->addWidget(new QLabel(QStringLiteral("Номер модуля МР:"), this), 0, 0);
  number_label_ = new QLabel(QString::number(module), this);
  number_label_->setObjectName(QStringLiteral("MRNumLabel"));
  grid->addWidget(number_label_, 0, 1);

  QStringList items{QStringLiteral("-")};
  for (int p : technical) items << QString::number(p);
  for (int k = 0; k < settings::kRelaysPerModule; ++k) {
    const QString n = QString::number(k + 1);
    auto* label = new QLabel(QStringLiteral("Привязка реле %1:").arg(n), this);
    label->setObjectName(QStringLiteral("Rele%1Label").arg(n));
    auto* list = new QComboBox(this);
    list->setObjectName(QStringLiteral("Rele%1CmB").arg(n));
    list->setEditable(true);
    list->setInsertPolicy(QComboBox::NoInsert);
    list->addItems(items);
    list->setToolTip(QStringLiteral("Технологический раздел, за которым следит реле %1: выберите из списка "
                                    "или введите номер раздела (0–96); «-» — без привязки")
                         .arg(n));
    // A stored partition shows as its number, listed or not.
    if (stored[static_cast<std::size_t>(k)] == 0)
      list->setCurrentIndex(0);
    else
      list->setEditText(QString::number(stored[static_cast<std::size_t>(k)]));
    grid->addWidget(label, k + 1, 0);
    grid->addWidget(list, k + 1, 1);
    if (k >= kShownRelays) {
      label->hide();
      list->hide();
    }
    lists_[static_cast<std::size_t>(k)] = list;
  }
  layout->addLayout(grid);
  layout->addStretch(1);
  add_save_cancel(this, layout);
  make_translucent_when_left(this);
}

std::optional<RelayBindings> TQMRIntegForm::value(QString* error) const {
  RelayBindings out = stored_;
  for (int k = 0; k < kShownRelays; ++k) {
    const auto v = settings::parse_relay_partition(to_std(lists_[static_cast<std::size_t>(k)]->currentText()), k + 1);
    if (!v) {
      if (error) *error = qs(v.error().text);
      return std::nullopt;
    }
    out[static_cast<std::size_t>(k)] = *v;
  }
  return out;
}

void TQMRIntegForm::accept() {
  QString error;
  if (!value(&error)) {
    ui().show_message(this, BoxIcon::warning, caption_system(), error);
    return;
  }
  QDialog::accept();
}

std::optional<RelayBindings> edit_relay_bindings(QWidget* parent, int module, const RelayBindings& stored,
                                                 const std::vector<int>& technical) {
  TQMRIntegForm dialog(module, stored, technical, parent);
  if (!ui().run_dialog(&dialog)) return std::nullopt;
  return dialog.value();
}

}  // namespace vq::gui
