#pragma once
// The service controls beside the navigator, shown and hidden by the service chord: the
// exchange log `logMemo`, the scratch list, a text dump of the speech notice list and the
// journal buttons that need a connected panel.
#include <QWidget>
#include <functional>

#include "util/result.hpp"

class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace vq::link {
class Progress;
struct Session;
}  // namespace vq::link

namespace vq::gui {

class ServicePanel : public QWidget {
 public:
  explicit ServicePanel(QWidget* window);

  // One or more lines to the log (trace batches come several lines at once).
  void log(const QString& lines);
  // The buttons that talk to the panel are offered only while connected and idle.
  void set_panel_buttons_enabled(bool enabled);

  // How the panel's journal jobs reach the worker thread: the window starts the job on its
  // connection and runs `done` on the GUI thread once it ended; false when it could not.
  using PanelJob = std::function<Result<>(link::Session& s, link::Progress& progress)>;
  using JobRunner = std::function<bool(PanelJob job, std::function<void(const Result<>&)> done)>;
  void set_job_runner(JobRunner run) { run_job_ = std::move(run); }

  // "Write 9K9 events": 9,900 test events into the panel's journal, after the code word.
  void Write9K9ButtonClick();
  // "Стереть  весь журнал событий": after a confirmation and the code word.
  void EraseEventLogButtonClick();

 private:
  void dump_speech_notices();

  QWidget* window_;
  QPlainTextEdit* log_memo_ = nullptr;
  QListWidget* tmp_list_ = nullptr;
  QPushButton* save_set_tree_ = nullptr;
  QPushButton* erase_log_ = nullptr;
  QPushButton* write_9k9_ = nullptr;
  JobRunner run_job_;
};

}  // namespace vq::gui
