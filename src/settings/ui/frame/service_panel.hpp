#pragma once
// The service controls beside the navigator, shown and hidden by the service chord: the
// exchange log `logMemo`, the scratch list, a text dump of the speech notice list and the
// journal buttons that need a connected panel.
#include <QWidget>

class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace vq::gui {

class ServicePanel : public QWidget {
 public:
  explicit ServicePanel(QWidget* window);

  // One or more lines to the log (trace batches come several lines at once).
  void log(const QString& lines);
  // The buttons that talk to the panel are offered only while connected and idle.
  void set_panel_buttons_enabled(bool enabled);

 private:
  void dump_speech_notices();

  QWidget* window_;
  QPlainTextEdit* log_memo_ = nullptr;
  QListWidget* tmp_list_ = nullptr;
  QPushButton* save_set_tree_ = nullptr;
  QPushButton* erase_log_ = nullptr;
  QPushButton* write_9k9_ = nullptr;
};

}  // namespace vq::gui
