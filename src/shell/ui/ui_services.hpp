#pragma once
// Everything a window hands to the user or the desktop outside itself: message boxes,
// file dialogs, opening a page or a mail. Windows go through ui(); tests install a
// recording stand-in so that no modal box ever blocks them.
#include <QString>
#include <QUrl>
#include <memory>

class QDialog;
class QWidget;

namespace vq::gui {

enum class BoxIcon { information, warning, error, question };

class UiServices {
 public:
  virtual ~UiServices() = default;
  virtual void show_message(QWidget* parent, BoxIcon icon, const QString& caption, const QString& text);
  // Yes and No, No the default. True for Yes.
  virtual bool ask(QWidget* parent, BoxIcon icon, const QString& caption, const QString& text);
  // Empty when the user cancelled.
  virtual QString open_file_name(QWidget* parent, const QString& title, const QString& folder,
                                 const QString& filter);
  // The overwrite question is the caller's, so the dialog never asks its own.
  virtual QString save_file_name(QWidget* parent, const QString& title, const QString& folder,
                                 const QString& filter, const QString& default_suffix);
  virtual bool open_url(const QUrl& url);
  // Runs a modal dialog; true when it was confirmed (accepted). Tests answer dialogs here
  // as they answer message boxes.
  virtual bool run_dialog(QDialog* dialog);
};

UiServices& ui();
// Replaces the services (tests); returns the previous ones.
std::unique_ptr<UiServices> set_ui(std::unique_ptr<UiServices> services);

// The two system captions.
QString caption_system();   // 15004 "Системное сообщение"
QString caption_message();  // 15021 "Сообщение системы"

}  // namespace vq::gui
