#pragma once
// The event-log window `TQMStoreForm` ("Журнал событий"): reads the journal from the panel
// on a worker thread (progress, Cancel), shows it in a sortable list with a search box and
// a chart of events per day, keeps it in the event database, filters it there, opens and
// saves log files (.rpt and the older INI journal) and exports the list as HTML or xlsx.
#include <QDialog>
#include <QString>
#include <deque>
#include <memory>
#include <vector>

#include "eventlog/event_days.hpp"
#include "eventlog/event_row.hpp"
#include "eventlog/ui/event_list_model.hpp"
#include "eventlog/journal.hpp"
#include "memory/configuration.hpp"
#include "shell/ui/app_context.hpp"
#include "util/result.hpp"

class QAction;
class QActionGroup;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QTableView;

namespace vq::link {
class FileTrace;
class Pacing;
class DeviceLink;
}  // namespace vq::link

namespace vq::gui {

class EventDayChart;
class StatusStrip;
class TransferRunner;
struct FilterChoices;

class TQMStoreForm : public QDialog {
  Q_OBJECT
 public:
  explicit TQMStoreForm(AppContext& context, QWidget* parent = nullptr);
  ~TQMStoreForm() override;

  // The handlers under their own names.
  void MenuConnectActionExecute();
  void MenuOnlineActionExecute();
  void MenuDemoActionExecute();
  void FileOpenActionExecute();
  void FileSaveActionExecute();
  void OSJButtonClick();
  void Button1Click();
  void ShowAllCurrentActionExecute();
  void ReportActionExecute();
  void ToolButton6Click();
  void ToExcelActionExecute();
  // Asks the running read or file job to stop; the list and the database stay as they were.
  void cancel_job();

  bool job_running() const;
  // Blocks until the running job has finished and its outcome was shown (tests, closing).
  void wait_for_job();
  bool demo_mode() const { return demo_; }
  bool service_visible() const { return service_visible_; }
  // A status panel's text by position 0..5 (the indicator, 4, reads "on" / "off").
  QString status_text(int panel) const;
  int gauge() const;
  EventListModel* model() const { return model_; }
  EventDayChart* chart() const { return chart_; }
  QTableView* list() const { return view_; }
  const eventlog::Journal& journal() const { return journal_; }
  bool has_journal() const { return has_journal_; }
  // What the filter dialog offers for the log held now.
  FilterChoices filter_choices() const;
  // The list shows these rows now; the chart follows and a picked day is let go.
  void show_rows(std::vector<eventlog::EventRow> rows);

 signals:
  void job_finished();

 protected:
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void changeEvent(QEvent* event) override;
  void done(int result) override;

 public:
  // What a read or file job hands back once it finished.
  struct Loaded;

 private:
  enum class Job { read, open, open_old };

  void build_actions();
  void lay_out();
  void apply_states();
  Result<> ensure_link();
  void start_job(Job job, const QString& file = {});
  void job_done(Job job, const Result<>& result);
  void read_failed(const Error& e);
  void take_loaded(Loaded& loaded);
  void show_prepared(std::vector<eventlog::DayCount> days, EventListModel::Prepared prepared);
  void update_shown_count();
  void copy_rows();
  void open_written(const std::filesystem::path& file);
  void set_service_visible(bool visible);
  void add_trace(const QString& lines);
  QString report_folder() const;

  AppContext& context_;
  std::unique_ptr<StatusStrip> status_;
  TransferRunner* runner_ = nullptr;
  std::unique_ptr<link::DeviceLink> link_;
  std::unique_ptr<link::Pacing> pacing_;
  std::unique_ptr<link::FileTrace> file_trace_;  // --trace: the exchange log also to a file
  std::string link_device_;
  std::unique_ptr<Loaded> loaded_;  // written by a job that completed, taken once it finished

  eventlog::Journal journal_;
  eventlog::Companions companions_;
  memory::IdentifiedDevice device_{};
  bool has_journal_ = false;
  bool demo_ = false;
  bool service_visible_ = false;

  EventListModel* model_ = nullptr;
  QTableView* view_ = nullptr;
  EventDayChart* chart_ = nullptr;
  QLineEdit* search_ = nullptr;
  QLabel* shown_count_ = nullptr;
  QPlainTextEdit* log_memo_ = nullptr;
  // The latest exchange lines; the hidden log is filled from them only when it is shown, so a
  // read's byte-wise trace never holds the window up.
  // Kept as the batches came (never split line by line while hidden), the oldest dropped once
  // the rest hold enough lines.
  struct TraceBatch {
    QString text;
    qsizetype lines;
  };
  std::deque<TraceBatch> trace_tail_;
  qsizetype trace_lines_ = 0;
  QListWidget* tmp_list_ = nullptr;
  QPushButton* button1_ = nullptr;
  QPushButton* osj_button_ = nullptr;

  QAction* connect_ = nullptr;
  QAction* disconnect_ = nullptr;
  QAction* online_ = nullptr;
  QAction* demo_action_ = nullptr;
  QAction* file_open_ = nullptr;
  QAction* file_save_ = nullptr;
  QAction* html_ = nullptr;
  QAction* excel_ = nullptr;
  QAction* show_all_ = nullptr;
  QAction* report_ = nullptr;
  QAction* cancel_ = nullptr;
  QAction* copy_ = nullptr;
  QAction* close_form_ = nullptr;
  QAction* www_ = nullptr;
  QAction* email_ = nullptr;
  QAction* help_ = nullptr;
  QAction* about_ = nullptr;
  bool report_enabled_ = false;  // ReportAction and ShowAllCurrentAction offered
};

}  // namespace vq::gui
