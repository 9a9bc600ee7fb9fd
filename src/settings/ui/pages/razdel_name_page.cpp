#include "settings/ui/pages/razdel_name_page.hpp"

#include <QVBoxLayout>
#include <string>
#include <utility>
#include <vector>

#include "memory/configuration.hpp"
#include "settings/ui/dialogs/name_rzd_dialog.hpp"
#include "settings/ui/widgets/numbered_list.hpp"
#include "shell/ui/qt_text.hpp"

namespace vq::gui {

RazdelNamePage::RazdelNamePage(PageHost& host, QWidget* parent) : SettingsPage(host, parent) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  list_ = new NumberedList(QStringLiteral("RazdelNameListView"),
                           {QStringLiteral("Номер"), QStringLiteral("Наименование")}, settings::kPartitionCount, this);
  list_->setToolTip(QStringLiteral("Двойной щелчок или Enter — выбрать наименование раздела; "
                                   "в прибор его заносит «Сохранить изменения»"));
  layout->addWidget(list_);
  connect(list_, &NumberedList::row_activated, this, &RazdelNamePage::RazdelNameListViewDblClick);
}

void RazdelNamePage::show_from(const memory::Configuration& config) {
  Filling f(*this);
  changed_.fill(false);
  for (int p = 1; p <= settings::kPartitionCount; ++p)
    list_->row(p)->setText(1, qs(settings::partition_name(config, p)));
}

Result<> RazdelNamePage::apply_to(memory::Configuration& config) {
  // Only the rows the dialog changed: an untouched typed name is kept byte for byte (its
  // index, zero bytes inside it, bytes the code page has no character for).
  std::vector<std::pair<int, std::string>> names;
  for (int p = 1; p <= settings::kPartitionCount; ++p) {
    const QString text = list_->row(p)->text(1);
    if (changed_[static_cast<std::size_t>(p - 1)] && !text.isEmpty()) names.emplace_back(p, to_std(text));
  }
  if (auto r = settings::set_partition_names(config, names); !r) return r;
  changed_.fill(false);
  return {};
}

void RazdelNamePage::RazdelNameListViewDblClick() {
  const int p = list_->selected_number();
  if (p == 0) return;
  QTreeWidgetItem* row = list_->row(p);
  const auto name = edit_partition_name(this, p, row->text(1));
  if (!name) return;
  row->setText(1, *name);
  changed_[static_cast<std::size_t>(p - 1)] = true;
  note_edit();
}

}  // namespace vq::gui
