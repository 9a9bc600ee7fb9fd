#include "eventlog/ui/mstore_report_form.hpp"

#include <QButtonGroup>
#include <QCalendarWidget>
#include <QComboBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "shell/ui/qt_text.hpp"
#include "shell/ui/ui_services.hpp"

namespace vq::gui {
namespace {

const char* const kFilterNames[] = {"последние ххх событий", "за период", "по разделам", "по адресу источника",
                                    "по категориям"};
const char* const kCategoryButtons[] = {"failureRdB", "criticalRdB", "notcriticalRdB", "infoRdB"};
constexpr int kCodeRole = Qt::UserRole + 1;

// A click anywhere on an entry toggles its mark (the list toggles, not the check box, so a
// click on the box itself does not count twice).
void add_entry(QListWidget* list, const QString& text) {
  auto* item = new QListWidgetItem(text, list);
  item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
  item->setCheckState(Qt::Unchecked);
}

QListWidget* check_list(const QString& name, const QStringList& entries, QWidget* parent) {
  auto* list = new QListWidget(parent);
  list->setObjectName(name);
  for (const auto& e : entries) add_entry(list, e);
  QObject::connect(list, &QListWidget::itemClicked, list, [](QListWidgetItem* item) {
    item->setCheckState(item->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
  });
  return list;
}

QWidget* page(const char* name, QStackedWidget* stack) {
  auto* w = new QWidget(stack);
  w->setObjectName(QString::fromLatin1(name));
  stack->addWidget(w);
  return w;
}

std::chrono::year_month_day ymd(const QDate& d) {
  return std::chrono::year{d.year()} / std::chrono::month{static_cast<unsigned>(d.month())} /
         std::chrono::day{static_cast<unsigned>(d.day())};
}

}  // namespace

TQMStoreReportForm::TQMStoreReportForm(const FilterChoices& choices, QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("TQMStoreReportForm"));
  setWindowTitle(QStringLiteral("Настройка фильтров"));
  resize(670, 300);

  filters_ = new QListWidget(this);
  filters_->setObjectName(QStringLiteral("ListView1"));
  filters_->setFixedWidth(170);
  for (const char* name : kFilterNames) {
    auto* item = new QListWidgetItem(qs(name), filters_);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
    item->setCheckState(Qt::Unchecked);
  }

  pages_ = new QStackedWidget(this);
  pages_->setObjectName(QStringLiteral("PageControl1"));

  {  // 0: the last n events
    auto* w = page("LastEventTabSheet", pages_);
    auto* l = new QVBoxLayout(w);
    l->addWidget(new QLabel(QStringLiteral("Выберите количество событий:"), w));
    last_count_ = new QComboBox(w);
    last_count_->setObjectName(QStringLiteral("LastEventCmB"));
    last_count_->setEditable(true);  // any count can be typed; a bad one is refused
    QStringList counts;
    for (int n = 1; n < choices.row_count; ++n) counts << QString::number(n);
    last_count_->addItems(counts);
    l->addWidget(last_count_);
    l->addStretch();
  }
  {  // 1: a period
    auto* w = page("ByDateTabSheet", pages_);
    auto* l = new QFormLayout(w);
    const QDate fallback(2010, 3, 9);
    start_ = new QDateEdit(choices.first.isValid() ? choices.first : fallback, w);
    start_->setObjectName(QStringLiteral("DateTimePicker1"));
    end_ = new QDateEdit(choices.last.isValid() ? choices.last : fallback, w);
    end_->setObjectName(QStringLiteral("DateTimePicker2"));
    for (auto* e : {start_, end_}) {
      e->setCalendarPopup(true);
      e->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    }
    l->addRow(QStringLiteral("Начало периода:"), start_);
    l->addRow(QStringLiteral("Конец периода:"), end_);
    // Checked when a date is typed and when a calendar closes with a pick.
    for (auto* e : {start_, end_}) {
      connect(e, &QDateEdit::editingFinished, this, [this] { check_dates(); });
      connect(e->calendarWidget(), &QCalendarWidget::clicked, this,
              [this] { QTimer::singleShot(0, this, [this] { check_dates(); }); });
    }
  }
  {  // 2: a partition
    auto* w = page("ByRazdelTabSheet", pages_);
    auto* l = new QVBoxLayout(w);
    l->addWidget(new QLabel(QStringLiteral("Выберите раздел:"), w));
    partition_ = new QComboBox(w);
    partition_->setObjectName(QStringLiteral("RazdNameCmB"));
    partition_->addItems(choices.partitions);
    l->addWidget(partition_);
    l->addStretch();
  }
  {  // 3: source addresses
    auto* w = page("ByIIAddrTabSheet", pages_);
    auto* l = new QVBoxLayout(w);
    auto* box = new QGroupBox(QStringLiteral("Выберите адрес источника:"), w);
    auto* bl = new QGridLayout(box);
    radio_rdb_ = new QRadioButton(QStringLiteral("радиоустройства"), box);
    radio_rdb_->setObjectName(QStringLiteral("IIRadioRdB"));
    wire_rdb_ = new QRadioButton(QStringLiteral("проводные устройства"), box);
    wire_rdb_->setObjectName(QStringLiteral("IIWireRdB"));
    radio_list_ = check_list(QStringLiteral("IIRadioAddrChListB"), choices.radio_sources, box);
    wire_list_ = check_list(QStringLiteral("IIWireAddrChListB"), choices.wire_sources, box);
    radio_list_->setEnabled(false);
    wire_list_->setEnabled(false);
    bl->addWidget(radio_rdb_, 0, 0);
    bl->addWidget(wire_rdb_, 0, 1);
    bl->addWidget(radio_list_, 1, 0);
    bl->addWidget(wire_list_, 1, 1);
    l->addWidget(box);
    // Only the chosen kind's list can be ticked.
    for (auto* b : {radio_rdb_, wire_rdb_})
      connect(b, &QRadioButton::toggled, this, [this] {
        radio_list_->setEnabled(radio_rdb_->isChecked());
        wire_list_->setEnabled(wire_rdb_->isChecked());
      });
  }
  {  // 4: categories
    auto* w = page("ByCategoryTabSheet", pages_);
    auto* l = new QHBoxLayout(w);
    auto* box = new QGroupBox(QStringLiteral("Выберите категорию:"), w);
    auto* bl = new QVBoxLayout(box);
    categories_ = new QButtonGroup(this);
    const auto lists = eventlog::category_lists();
    for (std::size_t i = 0; i < lists.size(); ++i) {
      auto* b = new QRadioButton(qs(lists[i].title), box);
      b->setObjectName(QString::fromLatin1(kCategoryButtons[i]));
      categories_->addButton(b, static_cast<int>(i));
      bl->addWidget(b);
    }
    bl->addStretch();
    category_list_ = check_list(QStringLiteral("CatChListB"), {}, w);
    box->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Preferred);
    l->addWidget(box);
    l->addWidget(category_list_, 1);  // the entries' names are long
    connect(categories_, &QButtonGroup::idClicked, this, [this](int id) { show_category(id); });
  }

  connect(filters_, &QListWidget::currentRowChanged, this, [this](int row) {
    pages_->setCurrentIndex(row);
    pages_->setVisible(row >= 0);
  });
  pages_->setVisible(false);  // a page shows once its filter is picked

  auto* apply_button = new QPushButton(QStringLiteral("Применить"), this);
  apply_button->setObjectName(QStringLiteral("Button1"));
  apply_button->setDefault(true);
  auto* cancel_button = new QPushButton(QStringLiteral("Отмена"), this);
  cancel_button->setObjectName(QStringLiteral("Button2"));
  connect(apply_button, &QPushButton::clicked, this, &TQMStoreReportForm::apply);
  connect(cancel_button, &QPushButton::clicked, this, &QDialog::reject);

  auto* body = new QHBoxLayout;
  body->addWidget(filters_);
  body->addWidget(pages_, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(apply_button);
  buttons->addWidget(cancel_button);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(body, 1);
  layout->addLayout(buttons);
}

void TQMStoreReportForm::show_category(int category) {
  category_ = category;
  category_list_->clear();
  const auto lists = eventlog::category_lists();
  if (category < 0 || static_cast<std::size_t>(category) >= lists.size()) return;
  for (const auto& entry : lists[static_cast<std::size_t>(category)].entries) {
    add_entry(category_list_, qs(eventlog::category_entry_name(entry)));
    category_list_->item(category_list_->count() - 1)->setData(kCodeRole, entry.code);
  }
}

void TQMStoreReportForm::check_dates() {
  if (start_->date() <= end_->date()) return;
  ui().show_message(this, BoxIcon::warning, caption_message(), m(15140));
  start_->setDate(end_->date());
}

std::vector<std::string> TQMStoreReportForm::checked_texts(const QListWidget* list) const {
  std::vector<std::string> out;
  for (int i = 0; i < list->count(); ++i)
    if (list->item(i)->checkState() == Qt::Checked) out.push_back(to_std(list->item(i)->text()));
  return out;
}

bool TQMStoreReportForm::nested() const {
  int n = 0;
  for (int i = 0; i < filters_->count(); ++i) n += filters_->item(i)->checkState() == Qt::Checked;
  return n > 1;
}

Result<eventlog::EventFilter> TQMStoreReportForm::filter() const {
  eventlog::EventFilter f;
  const auto checked = [this](int i) { return filters_->item(i)->checkState() == Qt::Checked; };
  if (checked(0)) {
    auto n = eventlog::parse_event_count(to_std(last_count_->currentText().trimmed()));
    if (!n) return std::unexpected(n.error());
    f.last_events = *n;
  }
  if (checked(1)) {
    if (start_->date() > end_->date()) return fail(Error{0, 15140, shell::msg(15140), {}});
    f.period = eventlog::DatePeriod{ymd(start_->date()), ymd(end_->date())};
  }
  if (checked(2)) {
    if (partition_->currentText().isEmpty()) return fail("Не выбран раздел");
    f.partition = to_std(partition_->currentText());
  }
  if (checked(3)) {
    if (!radio_rdb_->isChecked() && !wire_rdb_->isChecked())
      return fail("Выберите радиоустройства или проводные устройства");
    auto sources = checked_texts(radio_rdb_->isChecked() ? radio_list_ : wire_list_);
    if (sources.empty()) return fail("Не выбран ни один адрес источника");
    f.sources = std::move(sources);
  }
  if (checked(4)) {
    if (category_ < 0) return fail("Выберите категорию событий");
    std::vector<std::uint32_t> codes;
    for (int i = 0; i < category_list_->count(); ++i)
      if (category_list_->item(i)->checkState() == Qt::Checked)
        codes.push_back(category_list_->item(i)->data(kCodeRole).toUInt());
    if (codes.empty()) return fail("Не выбрано ни одно событие категории");
    f.event_ids = std::move(codes);
  }
  return f;
}

void TQMStoreReportForm::apply() {
  auto f = filter();
  if (!f) {
    ui().show_message(this, BoxIcon::warning, caption_message(), qs(f.error().text));
    return;
  }
  accept();
}

std::optional<eventlog::EventFilter> ask_event_filter(QWidget* parent, const FilterChoices& choices) {
  TQMStoreReportForm dialog(choices, parent);
  if (!ui().run_dialog(&dialog)) return std::nullopt;
  auto f = dialog.filter();
  if (!f) return std::nullopt;
  return *f;
}

}  // namespace vq::gui
