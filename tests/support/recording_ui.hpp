#pragma once
// A stand-in for the desktop: records every box, answers questions and file dialogs from
// a script, never blocks. Install with ScopedRecordingUi.
#include <QDialog>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

#include "shell/ui/ui_services.hpp"

namespace vq::test {

struct ShownBox {
  gui::BoxIcon icon;
  QString caption;
  QString text;
  bool question = false;
};

class RecordingUi : public gui::UiServices {
 public:
  std::vector<ShownBox> boxes;
  std::deque<bool> answers;       // next answers to ask(); No when empty
  std::deque<QString> file_names; // next file dialog results; cancelled when empty
  std::vector<QUrl> opened;
  QStringList dialog_folders;     // the folder each file dialog started in
  bool open_url_result = true;
  // Scripts for the next dialogs, one each: it works the dialog's controls (found by
  // objectName) and presses its buttons; the dialog counts as confirmed when it ends
  // accepted. With no script left a dialog is cancelled.
  std::deque<std::function<void(QDialog*)>> dialog_scripts;
  QStringList dialogs;            // objectName of every dialog run, in order

  void show_message(QWidget*, gui::BoxIcon icon, const QString& caption, const QString& text) override {
    boxes.push_back({icon, caption, text, false});
  }
  bool ask(QWidget*, gui::BoxIcon icon, const QString& caption, const QString& text) override {
    boxes.push_back({icon, caption, text, true});
    if (answers.empty()) return false;
    const bool a = answers.front();
    answers.pop_front();
    return a;
  }
  QString open_file_name(QWidget*, const QString&, const QString& folder, const QString&) override {
    return next_file(folder);
  }
  QString save_file_name(QWidget*, const QString&, const QString& folder, const QString&, const QString&) override {
    return next_file(folder);
  }
  bool open_url(const QUrl& url) override {
    opened.push_back(url);
    return open_url_result;
  }
  bool run_dialog(QDialog* dialog) override {
    dialogs << dialog->objectName();
    if (dialog_scripts.empty()) return false;
    auto script = std::move(dialog_scripts.front());
    dialog_scripts.pop_front();
    dialog->setResult(QDialog::Rejected);
    dialog->show();
    script(dialog);
    const bool accepted = dialog->result() == QDialog::Accepted;
    dialog->hide();
    return accepted;
  }
  QStringList texts() const {
    QStringList out;
    for (const auto& b : boxes) out << b.text;
    return out;
  }

 private:
  QString next_file(const QString& folder) {
    dialog_folders << folder;
    if (file_names.empty()) return {};
    QString f = file_names.front();
    file_names.pop_front();
    return f;
  }
};

// Installs a RecordingUi for the scope and gives it back as `ui`.
class ScopedRecordingUi {
 public:
  ScopedRecordingUi() {
    auto r = std::make_unique<RecordingUi>();
    ui = r.get();
    previous_ = gui::set_ui(std::move(r));
  }
  ~ScopedRecordingUi() { gui::set_ui(std::move(previous_)); }
  ScopedRecordingUi(const ScopedRecordingUi&) = delete;
  ScopedRecordingUi& operator=(const ScopedRecordingUi&) = delete;
  RecordingUi* ui;

 private:
  std::unique_ptr<gui::UiServices> previous_;
};

}  // namespace vq::test
