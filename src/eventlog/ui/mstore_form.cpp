#include "eventlog/ui/mstore_form.hpp"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>
#include <QStatusBar>
#include <QTableView>
#include <QToolBar>
#include <QUrlQuery>
#include <QVBoxLayout>
#include <algorithm>
#include <ctime>

#include "eventlog/decoder.hpp"
#include "eventlog/event_database.hpp"
#include "eventlog/export.hpp"
#include "eventlog/html_export.hpp"
#include "shell/ui/panel_link.hpp"
#include "eventlog/journal_reader.hpp"
#include "eventlog/log_file.hpp"
#include "eventlog/ui/event_day_chart.hpp"
#include "eventlog/ui/mstore_report_form.hpp"
#include "eventlog/xlsx_export.hpp"
#include "link/pacing.hpp"
#include "link/session.hpp"
#include "link/system_search.hpp"
#include "link/trace.hpp"
#include "link/device_link.hpp"
#include "settings/ui/frame/status_strip.hpp"
#include "settings/ui/frame/transfer_runner.hpp"
#include "shell/file_kind.hpp"
#include "shell/ui/qt_text.hpp"
#include "shell/ui/service_chord.hpp"
#include "shell/ui/ui_services.hpp"
#include "sim/demo_panel.hpp"
#include "sim/devices.hpp"

namespace vq::gui {

struct TQMStoreForm::Loaded {
  eventlog::Journal journal;
  eventlog::Companions companions;
  memory::IdentifiedDevice device{};
  link::SystemInfo found{};
  std::vector<eventlog::EventRow> rows;
  // The list's texts and the chart's days, made on the worker too.
  EventListModel::Prepared prepared;
  std::vector<eventlog::DayCount> days;
  std::vector<std::string> warnings;
  std::optional<Error> store_error;  // the rows could not replace the database's log
};

namespace {

constexpr int kLogLines = 20000;
const QString kMakerSite = QStringLiteral("www.example.com");
const QString kSupportEmail = QStringLiteral("support@example.com");

QString error_text(const Error& e) {
  QString text = qs(e.text);
  if (!e.detail.empty()) text += QStringLiteral("\n\n") + qs(e.detail);
  return text;
}

// Decoding and storing belong to the job: 9,900 rows never hold the window up.
void decode_and_store(TQMStoreForm::Loaded& out, const std::filesystem::path& data_dir) {
  out.rows = eventlog::decode_journal(out.journal, out.companions);
  auto db = eventlog::EventDatabase::open(data_dir);
  if (!db) {
    out.store_error = db.error();
    return;
  }
  if (auto r = db->store_rows(out.rows); !r) out.store_error = r.error();
}

void prepare_view(TQMStoreForm::Loaded& out) {
  out.days = eventlog::events_per_day(out.rows);
  out.prepared = EventListModel::prepare(std::move(out.rows));
}

}  // namespace

TQMStoreForm::TQMStoreForm(AppContext& context, QWidget* parent) : QDialog(parent), context_(context) {
  setObjectName(QStringLiteral("TQMStoreForm"));
  setWindowTitle(QStringLiteral("Журнал событий"));
  setWindowFlags(Qt::Window | Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
  resize(800, 600);

  status_ = std::make_unique<StatusStrip>(this);
  runner_ = new TransferRunner(this);
  model_ = new EventListModel(this);
  build_actions();
  lay_out();

  connect(runner_, &TransferRunner::percent, this, [this](int value) { status_->set_gauge(value); });
  connect(runner_, &TransferRunner::status, this, [this](const QString& text) { status_->set_activity_text(text); });
  connect(runner_, &TransferRunner::trace_lines, this, [this](const QString& lines) { add_trace(lines); });
  connect(search_, &QLineEdit::textChanged, this, [this](const QString& text) {
    model_->set_search(text);
    update_shown_count();
  });
  connect(chart_, &EventDayChart::day_clicked, this, [this](const QDate& day) {
    model_->set_day(day);
    update_shown_count();
  });
  connect(model_, &QAbstractItemModel::modelReset, this, [this] { update_shown_count(); });

  online_->setChecked(true);
  MenuOnlineActionExecute();
}

TQMStoreForm::~TQMStoreForm() {
  runner_->request_cancel();
  runner_->wait();
}

void TQMStoreForm::build_actions() {
  const auto action = [this](const char* name, const QString& text, auto handler) {
    auto* a = new QAction(text, this);
    a->setObjectName(QString::fromLatin1(name));
    connect(a, &QAction::triggered, this, handler);
    return a;
  };
  connect_ = action("MenuConnectAction", QStringLiteral("Считать журнал"), [this] { MenuConnectActionExecute(); });
  connect_->setToolTip(QStringLiteral("Считать журнал событий"));
  // Kept for its name: the window has no disconnect of its own.
  disconnect_ = new QAction(QStringLiteral("Отключиться"), this);
  disconnect_->setObjectName(QStringLiteral("MenuDisonnectAction"));
  disconnect_->setEnabled(false);
  online_ = action("MenuOnlineAction", QStringLiteral("Онлайн"), [this] { MenuOnlineActionExecute(); });
  demo_action_ = action("MenuDemoAction", QStringLiteral("Демо"), [this] { MenuDemoActionExecute(); });
  auto* modes = new QActionGroup(this);
  for (auto* a : {online_, demo_action_}) {
    a->setCheckable(true);
    modes->addAction(a);
  }
  file_open_ = action("FileOpenAction", QStringLiteral("Открыть"), [this] { FileOpenActionExecute(); });
  file_open_->setToolTip(QStringLiteral("Открыть файл"));
  file_save_ = action("FileSaveAction", QStringLiteral("Сохранить"), [this] { FileSaveActionExecute(); });
  file_save_->setToolTip(QStringLiteral("Сохранить журнал в файл"));
  html_ = action("HtmlExportAction", QStringLiteral("Экспорт в HTML"), [this] { ToolButton6Click(); });
  html_->setToolTip(QStringLiteral("Экспортировать ввиде html-страницы"));
  excel_ = action("ToExcelAction", QStringLiteral("Экспорт в Excel"), [this] { ToExcelActionExecute(); });
  excel_->setToolTip(QStringLiteral("Экспортировать в Excel"));
  show_all_ = action("ShowAllCurrentAction", QStringLiteral("показать все"), [this] { ShowAllCurrentActionExecute(); });
  report_ = action("ReportAction", QStringLiteral("фильтровать по ..."), [this] { ReportActionExecute(); });
  cancel_ = action("CancelAction", QStringLiteral("Прервать"), [this] { cancel_job(); });
  cancel_->setToolTip(QStringLiteral("Прервать чтение"));
  copy_ = action("CopyRowsAction", QStringLiteral("Копировать"), [this] { copy_rows(); });
  copy_->setShortcut(QKeySequence::Copy);
  copy_->setShortcutContext(Qt::WidgetWithChildrenShortcut);
  close_form_ = action("CloseFormAction", QStringLiteral("Выход"), [this] { close(); });
  www_ = action("wwwAction", QStringLiteral("Посетить наш сайт"), [this] {
    const QUrl url(QStringLiteral("http://") + findChild<QLabel*>(QStringLiteral("wwwLabel"))->text());
    if (!ui().open_url(url))
      ui().show_message(this, BoxIcon::error, caption_system(), QStringLiteral("Не удалось открыть ") + url.toDisplayString());
  });
  email_ = action("EmailAction", QStringLiteral("Написать письмо"), [this] {
    QUrl url(QStringLiteral("mailto:") + findChild<QLabel*>(QStringLiteral("EmailLabel"))->text());
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("subject"), m(15316));
    url.setQuery(query);
    if (!ui().open_url(url))
      ui().show_message(this, BoxIcon::error, caption_system(), QStringLiteral("Не удалось открыть ") + url.toDisplayString());
  });
  help_ = new QAction(QStringLiteral("Вызов справки"), this);
  help_->setObjectName(QStringLiteral("ShowHelpAction"));
  help_->setEnabled(false);
  about_ = new QAction(QStringLiteral("О программе"), this);
  about_->setObjectName(QStringLiteral("AboutAction"));
  about_->setEnabled(false);
}

void TQMStoreForm::lay_out() {
  auto* menu_bar = new QMenuBar(this);
  auto* file = menu_bar->addMenu(QStringLiteral("Файл"));
  file->addAction(file_open_);
  file->addAction(file_save_);
  file->addSeparator();
  file->addAction(html_);
  file->addAction(excel_);
  file->addSeparator();
  file->addAction(close_form_);
  auto* device = menu_bar->addMenu(QStringLiteral("Прибор"));
  device->addAction(connect_);
  device->addAction(cancel_);
  auto* filter = menu_bar->addMenu(QStringLiteral("Фильтр"));
  filter->addAction(show_all_);
  filter->addAction(report_);
  auto* settings = menu_bar->addMenu(QStringLiteral("Настройки"));
  auto* mode = settings->addMenu(QStringLiteral("Режим работы"));
  mode->addAction(online_);
  mode->addAction(demo_action_);
  // The window always talks over USB: the port items only say so.
  auto* port = settings->addMenu(QStringLiteral("Порт связи"));
  auto* ports = new QActionGroup(this);
  const char* const port_names[] = {"PortComAction", "PortUsbAction", "PortUsbAmBmAction"};
  const QString port_texts[] = {QStringLiteral("COM"), QStringLiteral("USB интерфейс"), QStringLiteral("USB AM/BM")};
  for (int i = 0; i < 3; ++i) {
    auto* a = port->addAction(port_texts[i]);
    a->setObjectName(QString::fromLatin1(port_names[i]));
    a->setCheckable(true);
    a->setChecked(i == 2);
    a->setEnabled(false);
    ports->addAction(a);
  }
  auto* help = menu_bar->addMenu(QStringLiteral("Помощь"));
  help->addAction(help_);
  help->addAction(www_);
  help->addAction(email_);
  help->addSeparator();
  help->addAction(about_);

  auto* toolbar = new QToolBar(this);
  toolbar->setObjectName(QStringLiteral("ToolBar1"));
  toolbar->setToolButtonStyle(Qt::ToolButtonTextOnly);
  toolbar->addAction(connect_);
  toolbar->addAction(cancel_);
  toolbar->addSeparator();
  toolbar->addAction(file_open_);
  toolbar->addAction(file_save_);
  toolbar->addSeparator();
  toolbar->addAction(html_);
  if (auto* b = toolbar->widgetForAction(html_)) b->setObjectName(QStringLiteral("ToolButton6"));
  toolbar->addAction(excel_);
  toolbar->addSeparator();
  toolbar->addAction(report_);
  toolbar->addAction(show_all_);
  // The toolbar is full: the gauge sits at the status bar's right end.
  status_->status_bar()->addPermanentWidget(status_->gauge_bar());

  status_->device_line()->hide();
  auto* www_label = new QLabel(kMakerSite, this);
  www_label->setObjectName(QStringLiteral("wwwLabel"));
  www_label->hide();
  auto* email_label = new QLabel(kSupportEmail, this);
  email_label->setObjectName(QStringLiteral("EmailLabel"));
  email_label->hide();

  chart_ = new EventDayChart(this);

  search_ = new QLineEdit(this);
  search_->setObjectName(QStringLiteral("SearchEdit"));
  search_->setPlaceholderText(QStringLiteral("Поиск по всем столбцам"));
  search_->setClearButtonEnabled(true);
  shown_count_ = new QLabel(this);
  shown_count_->setObjectName(QStringLiteral("ShownCountLabel"));
  auto* search_row = new QHBoxLayout;
  search_row->setContentsMargins(4, 2, 4, 2);
  search_row->addWidget(new QLabel(QStringLiteral("Поиск:"), this));
  search_row->addWidget(search_, 1);
  search_row->addWidget(shown_count_);

  view_ = new QTableView(this);
  view_->setObjectName(QStringLiteral("ListView1"));
  view_->setModel(model_);
  view_->setSelectionBehavior(QAbstractItemView::SelectRows);
  view_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  view_->setWordWrap(false);
  view_->setAlternatingRowColors(true);
  view_->verticalHeader()->hide();
  view_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  view_->verticalHeader()->setDefaultSectionSize(view_->fontMetrics().height() + 6);
  view_->horizontalHeader()->setStretchLastSection(true);
  view_->horizontalHeader()->setSortIndicator(0, Qt::AscendingOrder);
  view_->setSortingEnabled(true);
  for (std::size_t c = 0; c < eventlog::kListColumnCount; ++c)
    view_->setColumnWidth(static_cast<int>(c), eventlog::kDefaultListColumnWidths[c]);
  view_->setColumnHidden(1, true);  // EventID
  view_->addAction(copy_);
  view_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(view_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    QMenu menu(this);
    menu.addAction(show_all_);
    menu.addAction(report_);
    menu.addSeparator();
    menu.addAction(copy_);
    menu.exec(view_->viewport()->mapToGlobal(at));
  });

  // The service controls, shown by the chord.
  log_memo_ = new QPlainTextEdit(this);
  log_memo_->setObjectName(QStringLiteral("logMemo"));
  log_memo_->setReadOnly(true);
  log_memo_->setMaximumBlockCount(kLogLines);
  tmp_list_ = new QListWidget(this);
  tmp_list_->setObjectName(QStringLiteral("tmpListB"));
  button1_ = new QPushButton(QStringLiteral("Button1"), this);
  button1_->setObjectName(QStringLiteral("Button1"));
  osj_button_ = new QPushButton(QStringLiteral("Old-Style Journal Open"), this);
  osj_button_->setObjectName(QStringLiteral("OSJButton"));
  connect(button1_, &QPushButton::clicked, this, [this] { Button1Click(); });
  connect(osj_button_, &QPushButton::clicked, this, [this] { OSJButtonClick(); });
  auto* service = new QVBoxLayout;
  service->addWidget(log_memo_);
  service->addWidget(tmp_list_);
  service->addWidget(button1_);
  service->addWidget(osj_button_);
  service->addStretch();
  set_service_visible(false);

  auto* list_side = new QVBoxLayout;
  list_side->setContentsMargins(0, 0, 0, 0);
  list_side->setSpacing(2);
  list_side->addWidget(chart_);
  list_side->addLayout(search_row);
  list_side->addWidget(view_, 1);
  auto* body = new QHBoxLayout;
  body->setContentsMargins(0, 0, 0, 0);
  body->addLayout(list_side, 1);
  body->addLayout(service);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->setMenuBar(menu_bar);
  layout->addWidget(toolbar);
  layout->addWidget(status_->device_line());
  layout->addLayout(body, 1);
  layout->addWidget(status_->status_bar());
  update_shown_count();
}

void TQMStoreForm::add_trace(const QString& lines) {
  const qsizetype n = lines.count(QLatin1Char('\n')) + 1;
  trace_tail_.push_back({lines, n});
  trace_lines_ += n;
  while (trace_tail_.size() > 1 && trace_lines_ - trace_tail_.front().lines >= kLogLines) {
    trace_lines_ -= trace_tail_.front().lines;
    trace_tail_.pop_front();
  }
  if (service_visible_) log_memo_->appendPlainText(lines);  // the memo keeps its own limit
}

void TQMStoreForm::set_service_visible(bool visible) {
  if (visible && !service_visible_) {
    QStringList all;
    for (const auto& b : trace_tail_) all << b.text;
    log_memo_->setPlainText(all.join(QLatin1Char('\n')));
  }
  service_visible_ = visible;
  log_memo_->setFixedSize(240, visible ? 390 : 1);
  tmp_list_->setFixedSize(240, visible ? 190 : 1);
  for (QWidget* w : std::initializer_list<QWidget*>{log_memo_, tmp_list_, button1_, osj_button_}) w->setVisible(visible);
}

void TQMStoreForm::apply_states() {
  const bool busy = runner_->running();
  connect_->setEnabled(!busy && !demo_);
  cancel_->setEnabled(busy);
  online_->setEnabled(!busy);
  demo_action_->setEnabled(!busy);
  file_open_->setEnabled(!busy);
  file_save_->setEnabled(!busy && has_journal_);
  html_->setEnabled(!busy);
  excel_->setEnabled(!busy);
  show_all_->setEnabled(!busy && report_enabled_);
  report_->setEnabled(!busy && report_enabled_);
  button1_->setEnabled(!busy);
  osj_button_->setEnabled(!busy);
  disconnect_->setEnabled(false);
}

QString TQMStoreForm::report_folder() const { return QString::fromStdString(context_.folder("Report").string()); }

// ---- modes and the read ------------------------------------------------------------------

void TQMStoreForm::MenuOnlineActionExecute() {
  if (runner_->running()) return;
  demo_ = false;
  online_->setChecked(true);
  status_->set_demo_mode(false);
  apply_states();
}

void TQMStoreForm::MenuDemoActionExecute() {
  if (runner_->running()) return;
  demo_ = true;
  demo_action_->setChecked(true);
  status_->set_demo_mode(true);
  apply_states();
}

Result<> TQMStoreForm::ensure_link() {
  const std::string device = context_.device;
  if (link_ && link_device_ == panel_link_key(context_, device)) return {};
  link_.reset();
  auto made = open_panel_link(context_, device);
  if (!made) return std::unexpected(made.error());
  pacing_ = std::move(made->pacing);
  link_ = std::move(made->link);
  link_device_ = made->key;
  if (!file_trace_) file_trace_ = open_trace_file(context_);
  return {};
}

void TQMStoreForm::MenuConnectActionExecute() {
  if (runner_->running() || demo_) return;
  if (auto r = ensure_link(); !r) {
    status_->set_activity_text(qs(r.error().text));
    ui().show_message(this, BoxIcon::error, caption_system(), error_text(r.error()));
    ui().show_message(this, BoxIcon::error, caption_system(), m(15084));
    MenuDemoActionExecute();
    return;
  }
  status_->set_gauge(0);
  start_job(Job::read);
}

void TQMStoreForm::start_job(Job job, const QString& file) {
  loaded_.reset();
  TransferRunner::Job work;
  const auto data_dir = context_.data_dir;
  if (job == Job::read) {
    work = [this, l = link_.get(), pc = pacing_.get(), ft = file_trace_.get(), data_dir](
               link::Progress& progress, link::Trace& trace) -> Result<> {
      link::TeeTrace tee(trace, ft);
      link::Session s{*l, *pc, &tee};
      s.link.close();  // a fresh search every time
      auto read = eventlog::read_journal(s, &progress);
      if (!read) return std::unexpected(read.error());
      auto out = std::make_unique<Loaded>();
      out->journal = std::move(read->journal);
      out->companions = std::move(read->companions);
      out->found = read->device;
      out->device = memory::IdentifiedDevice{
          read->device.device_type, read->device.platform,
          {read->device.version[0], read->device.version[1], read->device.version[2]}, 0};
      out->warnings = std::move(read->warnings);
      if (auto c = link::check_cancel(&progress); !c) return c;
      progress.status("Запись журнала в базу событий...");
      decode_and_store(*out, data_dir);
      prepare_view(*out);
      loaded_ = std::move(out);
      return {};
    };
  } else {
    const std::filesystem::path path = to_std(file);
    const bool old_only = job == Job::open_old;
    work = [this, path, old_only, data_dir](link::Progress& progress, link::Trace&) -> Result<> {
      auto opened = eventlog::open_journal_file(path, &progress);
      if (!opened) return std::unexpected(opened.error());
      if (old_only && opened->format != eventlog::JournalFileFormat::old_ini)
        return fail(shell::wrong_kind_error(shell::FileKind::event_log, shell::FileKind::old_journal, path));
      auto out = std::make_unique<Loaded>();
      out->journal = std::move(opened->journal);
      out->device = opened->device;
      out->companions = eventlog::parse_companions(out->journal);
      if (!out->companions.names_parsed) out->warnings.push_back(shell::msg(15188));
      if (auto c = link::check_cancel(&progress); !c) return c;
      decode_and_store(*out, data_dir);
      prepare_view(*out);
      loaded_ = std::move(out);
      return {};
    };
  }
  QApplication::setOverrideCursor(Qt::BusyCursor);
  runner_->start(std::move(work), [this, job](const Result<>& r) {
    QApplication::restoreOverrideCursor();
    apply_states();
    job_done(job, r);
    apply_states();
    emit job_finished();
  });
  apply_states();
}

void TQMStoreForm::cancel_job() {
  if (!runner_->running()) return;
  runner_->request_cancel();
  status_->set_activity_text(QStringLiteral("Прерывание..."));
  apply_states();
}

bool TQMStoreForm::job_running() const { return runner_->running(); }

void TQMStoreForm::wait_for_job() { runner_->wait(); }

void TQMStoreForm::job_done(Job job, const Result<>& result) {
  if (!result) {
    status_->set_gauge(0);
    const Error& e = result.error();
    if (!e.detail.empty()) add_trace(qs(e.detail));
    if (link::is_cancel(e)) {
      status_->set_activity_text(qs(e.text));
      return;
    }
    if (job == Job::read) {
      read_failed(e);
      return;
    }
    status_->set_activity_text(qs(e.text));
    ui().show_message(this, BoxIcon::error, caption_system(), error_text(e));
    return;
  }
  auto loaded = std::move(loaded_);
  if (!loaded) return;
  if (job == Job::read) {
    status_->set_device_text(qs(link::identification_line(loaded->found)));
    status_->device_line()->show();
    status_->set_connected(true);
  }
  take_loaded(*loaded);
  status_->set_gauge(100);
  status_->set_activity_text(m(job == Job::open_old ? 15079 : 15187));
  for (const auto& w : loaded->warnings) ui().show_message(this, BoxIcon::error, caption_message(), qs(w));
  if (loaded->store_error) {
    const Error& e = *loaded->store_error;
    status_->set_activity_text(QStringLiteral("Журнал не записан в базу событий"));
    ui().show_message(this, BoxIcon::error, caption_system(),
                      QStringLiteral("Журнал показан, но не записан в базу событий; фильтры работают с прежним "
                                     "журналом базы.\n\n") +
                          error_text(e));
  }
  report_enabled_ = true;
  status_->set_gauge(0);
}

void TQMStoreForm::read_failed(const Error& e) {
  switch (e.message_id) {
    case 15034:
    case 15035:
      status_->set_activity_text(m(e.message_id));
      ui().show_message(this, BoxIcon::error, caption_system(), m(e.message_id));
      ui().show_message(this, BoxIcon::error, caption_system(), m(15084));
      MenuDemoActionExecute();
      return;
    case 15083:
      status_->set_activity_text(m(15083));
      status_->set_connected(false);
      ui().show_message(this, BoxIcon::error, caption_system(), m(15084));
      MenuDemoActionExecute();
      return;
    case 15186:  // the panel answered the search: the link is up, the journal did not come
      status_->set_connected(true);
      status_->set_activity_text(m(15186));
      return;
    default:
      status_->set_activity_text(qs(e.text));
      ui().show_message(this, BoxIcon::error, caption_system(), error_text(e));
      return;
  }
}

void TQMStoreForm::take_loaded(Loaded& loaded) {
  journal_ = std::move(loaded.journal);
  companions_ = std::move(loaded.companions);
  device_ = loaded.device;
  has_journal_ = true;
  show_prepared(std::move(loaded.days), std::move(loaded.prepared));
}

void TQMStoreForm::show_prepared(std::vector<eventlog::DayCount> days, EventListModel::Prepared prepared) {
  chart_->set_days(std::move(days));
  chart_->set_selected_day({});
  model_->set_day({});
  model_->set_prepared(std::move(prepared));
  update_shown_count();
}

void TQMStoreForm::show_rows(std::vector<eventlog::EventRow> rows) {
  auto days = eventlog::events_per_day(rows);
  show_prepared(std::move(days), EventListModel::prepare(std::move(rows)));
}

void TQMStoreForm::update_shown_count() {
  const auto total = model_->rows().size();
  const int shown = model_->rowCount();
  shown_count_->setText(static_cast<std::size_t>(shown) == total
                            ? QStringLiteral("Событий: %1").arg(total)
                            : QStringLiteral("Показано %1 из %2").arg(shown).arg(total));
}

// ---- files -------------------------------------------------------------------------------

void TQMStoreForm::FileOpenActionExecute() {
  if (runner_->running()) return;
  status_->set_gauge(0);
  status_->set_activity_text(m(15183));
  const QString file = ui().open_file_name(this, QStringLiteral("Открыть"), report_folder(),
                                           QStringLiteral("Журнал событий (*.rpt);;Все файлы (*)"));
  if (file.isEmpty()) {
    status_->set_activity_text({});
    return;
  }
  start_job(Job::open, file);
}

void TQMStoreForm::OSJButtonClick() {
  if (runner_->running()) return;
  status_->set_gauge(0);
  status_->set_activity_text(m(15183));
  const QString file = ui().open_file_name(this, QStringLiteral("Открыть"), report_folder(),
                                           QStringLiteral("Журнал событий старого формата (*.ini *.txt);;Все файлы (*)"));
  if (file.isEmpty()) {
    status_->set_activity_text({});
    return;
  }
  start_job(Job::open_old, file);
}

void TQMStoreForm::Button1Click() {
  if (runner_->running()) return;
  const QString file = ui().open_file_name(this, QStringLiteral("Открыть"), report_folder(),
                                           QStringLiteral("Журнал событий (*.rpt);;Все файлы (*)"));
  if (file.isEmpty()) return;
  auto opened = eventlog::open_journal_file(to_std(file));
  if (!opened) {
    ui().show_message(this, BoxIcon::error, caption_system(), error_text(opened.error()));
    return;
  }
  journal_ = std::move(opened->journal);
  device_ = opened->device;
  companions_ = eventlog::parse_companions(journal_);
  has_journal_ = true;
  show_rows(eventlog::decode_journal(journal_, companions_));
  apply_states();
}

void TQMStoreForm::FileSaveActionExecute() {
  if (runner_->running()) return;
  if (!has_journal_) {
    ui().show_message(this, BoxIcon::warning, caption_system(),
                      QStringLiteral("Нечего сохранять: журнал ещё не считан из прибора и не открыт из файла."));
    return;
  }
  status_->set_gauge(0);
  status_->set_activity_text(m(15261));
  QString file = ui().save_file_name(this, QStringLiteral("Сохранить"), report_folder(),
                                     QStringLiteral("Журнал событий (*.rpt)"), QStringLiteral("rpt"));
  if (file.isEmpty()) {
    status_->set_activity_text({});
    return;
  }
  if (QFileInfo(file).suffix().isEmpty()) file += QStringLiteral(".rpt");
  const std::filesystem::path path = to_std(file);
  std::error_code ec;
  if (std::filesystem::exists(path, ec) && !ui().ask(this, BoxIcon::warning, caption_system(), m(15262))) {
    status_->set_activity_text({});
    return;
  }
  QApplication::setOverrideCursor(Qt::BusyCursor);
  struct Gauge final : link::Progress {
    StatusStrip& s;
    explicit Gauge(StatusStrip& strip) : s(strip) {}
    void percent(int v) override { s.set_gauge(v); }
  } gauge(*status_);
  auto saved = eventlog::save_log_file(journal_, device_, path, &gauge);
  QApplication::restoreOverrideCursor();
  status_->set_gauge(0);
  if (!saved) {
    status_->set_activity_text(qs(saved.error().text));
    ui().show_message(this, BoxIcon::error, caption_system(), error_text(saved.error()));
    return;
  }
  status_->set_activity_text(m(15263));
}

// ---- the database ------------------------------------------------------------------------

FilterChoices TQMStoreForm::filter_choices() const {
  FilterChoices c;
  const auto names = std::min<std::size_t>(companions_.partition_names.size(), 96);
  // The labels the rows carry, so that picking a partition finds its rows.
  for (std::size_t k = 0; k < names; ++k)
    c.partitions << qs(eventlog::partition_label(static_cast<std::uint32_t>(k + 1), companions_));
  for (std::size_t k = 0; k < companions_.radio_types.size(); ++k)
    c.radio_sources << qs(eventlog::radio_abbreviation(companions_.radio_types[k]) + "#" + eventlog::pad(k + 1, 3));
  for (const auto& module : companions_.modules)
    c.wire_sources << qs(eventlog::module_name(module.type) + "#" + eventlog::pad(std::uint64_t{module.address} + 1u, 3));
  c.row_count = static_cast<int>(model_->rows().size());
  for (const auto& r : model_->rows()) {
    if (r.when.is_zero()) continue;
    const QDate d(r.when.year, r.when.month, r.when.day);
    if (!d.isValid()) continue;
    if (!c.first.isValid() || d < c.first) c.first = d;
    if (!c.last.isValid() || d > c.last) c.last = d;
  }
  return c;
}

void TQMStoreForm::ShowAllCurrentActionExecute() {
  if (runner_->running()) return;
  auto db = eventlog::EventDatabase::open_for_reading(eventlog::EventDatabase::file_in(context_.data_dir));
  auto rows = db ? db->show_all() : Result<std::vector<eventlog::EventRow>>(std::unexpected(db.error()));
  if (!rows) {
    ui().show_message(this, BoxIcon::error, caption_system(), error_text(rows.error()));
    return;
  }
  show_rows(std::move(*rows));
}

void TQMStoreForm::ReportActionExecute() {
  if (runner_->running()) return;
  const auto filter = ask_event_filter(this, filter_choices());
  if (!filter || filter->checked() == 0) return;
  auto db = eventlog::EventDatabase::open_for_reading(eventlog::EventDatabase::file_in(context_.data_dir));
  auto rows = db ? db->run_filter(*filter) : Result<std::vector<eventlog::EventRow>>(std::unexpected(db.error()));
  if (!rows) {
    ui().show_message(this, BoxIcon::error, caption_system(), error_text(rows.error()));
    return;
  }
  if (rows->empty()) {
    ui().show_message(this, BoxIcon::information, caption_message(), m(15264));
    return;
  }
  show_rows(std::move(*rows));
}

// ---- exports and copying -----------------------------------------------------------------

void TQMStoreForm::open_written(const std::filesystem::path& file) {
  const QString name = QString::fromStdString(file.string());
  status_->set_activity_text(QStringLiteral("Записан файл ") + name);
  if (!ui().open_url(QUrl::fromLocalFile(name)))
    ui().show_message(this, BoxIcon::error, caption_system(), QStringLiteral("Не удалось открыть ") + name);
}

void TQMStoreForm::ToolButton6Click() {
  if (runner_->running()) return;
  auto page = eventlog::write_html_report(model_->shown_rows(), context_.folder("Report"));
  if (!page) {
    ui().show_message(this, BoxIcon::error, caption_system(), error_text(page.error()));
    return;
  }
  open_written(*page);
}

void TQMStoreForm::ToExcelActionExecute() {
  if (runner_->running()) return;
  eventlog::ListColumnWidths widths = eventlog::kDefaultListColumnWidths;
  for (std::size_t c = 0; c < widths.size(); ++c)
    if (!view_->isColumnHidden(static_cast<int>(c))) widths[c] = view_->columnWidth(static_cast<int>(c));
  std::string stem = eventlog::html_report_file_name(eventlog::local_now());
  stem.resize(stem.size() - 4);
  const auto file = eventlog::unused_report_path(context_.folder("Report"), stem, ".xlsx");
  std::error_code ec;
  std::filesystem::create_directories(file.parent_path(), ec);
  if (auto r = eventlog::write_xlsx(model_->shown_rows(), file, widths); !r) {
    ui().show_message(this, BoxIcon::error, caption_system(), error_text(r.error()));
    return;
  }
  open_written(file);
}

void TQMStoreForm::copy_rows() {
  std::vector<int> rows;
  for (const auto& i : view_->selectionModel()->selectedRows()) rows.push_back(i.row());
  std::sort(rows.begin(), rows.end());
  if (rows.empty()) return;
  QApplication::clipboard()->setText(model_->rows_text(rows));
}

// ---- the window --------------------------------------------------------------------------

QString TQMStoreForm::status_text(int panel) const { return status_->panel_text(panel); }

int TQMStoreForm::gauge() const { return status_->gauge(); }

void TQMStoreForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (event->spontaneous()) return;
  std::error_code ec;
  std::filesystem::create_directories(context_.folder("Report"), ec);
  status_->device_line()->hide();
  report_enabled_ = false;
  online_->setChecked(true);
  MenuOnlineActionExecute();
}

void TQMStoreForm::keyPressEvent(QKeyEvent* event) {
  if (is_service_chord(event)) {
    set_service_visible(!service_visible_);
    report_enabled_ = true;
    apply_states();
    return;
  }
  QDialog::keyPressEvent(event);
}

void TQMStoreForm::changeEvent(QEvent* event) {
  // Minimising the window takes the start window along.
  if (event->type() == QEvent::WindowStateChange && isMinimized() && parentWidget())
    parentWidget()->window()->showMinimized();
  QDialog::changeEvent(event);
}

void TQMStoreForm::done(int result) {
  if (runner_->running()) {
    runner_->request_cancel();
    runner_->wait();
  }
  // Every visit starts over.
  search_->clear();
  show_rows({});
  journal_ = {};
  companions_ = {};
  device_ = {};
  has_journal_ = false;
  loaded_.reset();
  if (link_) link_->close();
  status_->set_connected(false);
  status_->set_activity_text({});
  apply_states();
  QDialog::done(result);
}

}  // namespace vq::gui
