#pragma once
// The start window `TQModeSelectForm` ("Выбор режима работы"): the user picks a working mode
// and "Продолжить" opens its window modally; also the maker's site, e-mail, the application
// settings dialog and help (F1, at most once in 30 s).
#include <QString>
#include <QUrl>
#include <QWidget>
#include <functional>

#include "shell/ui/app_context.hpp"

class QAbstractButton;
class QDialog;
class QLabel;
class QPushButton;
class QTextBrowser;
class QTimer;

namespace vq::gui {

class TQChangeSoftForm;

// A description page: the data folder's Help copy when a site ships its own, else the
// built-in one.
QUrl help_page_url(const std::filesystem::path& data_dir, const QString& file_name);

class TQModeSelectForm : public QWidget {
  Q_OBJECT
 public:
  // Shows a window modally; the default runs dialog->exec(). Tests replace it to see which
  // window would open without blocking.
  using ModalOpener = std::function<void(QDialog*)>;

  explicit TQModeSelectForm(AppContext& context, QWidget* parent = nullptr);
  ~TQModeSelectForm() override;

  // The long-lived mode windows, made after this one.
  void set_mode_windows(TQChangeSoftForm* firmware, QDialog* settings, QDialog* event_log);
  void set_modal_opener(ModalOpener opener);

  bool help_allowed() const { return help_allowed_; }

  // The handlers under their own names.
  void ModeClick(int mode);
  void ContinueBitBtnClick();
  void WWWSpdBtnClick();
  void EmailSpdBtnClick();
  void HelpSpdBtnClick();
  void HelpBtnClick();  // F1

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void show_page(const QString& file_name);
  void open_modal(QDialog* dialog);
  void open_outside(const QUrl& url);

  AppContext& context_;
  ModalOpener opener_;
  TQChangeSoftForm* firmware_ = nullptr;
  QDialog* settings_ = nullptr;
  QDialog* event_log_ = nullptr;
  QAbstractButton* modes_[4] = {};
  QPushButton* continue_ = nullptr;
  QTextBrowser* description_ = nullptr;
  QLabel* www_label_ = nullptr;
  QLabel* email_label_ = nullptr;
  QTimer* help_timer_ = nullptr;
  bool help_allowed_ = true;
};

}  // namespace vq::gui
