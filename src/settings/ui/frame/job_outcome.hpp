#pragma once
// The one place that turns a finished job into what the window shows and does next: a
// connect that found the panel goes on to read everything, a cancel says so, no panel or
// two panels send the window back to demo data, any other failure is shown with its reason.
// It is part of the window (a friend of it), kept apart so each outcome reads in one place.
#include <QString>

#include "settings/ui/frame/panel_connection.hpp"
#include "util/result.hpp"

namespace vq::gui {

class TQDevSettingsForm;

// A failure as its box shows it: the message, then the underlying reason on its own line.
QString error_text(const Error& e);

class JobOutcome {
 public:
  explicit JobOutcome(TQDevSettingsForm& window) : w_(window) {}

  void finished(JobKind kind, const Result<>& result);

 private:
  void succeeded(JobKind kind);
  void connect_failed(const Error& e);
  // No panel or more than one: the texts of the connect sequence. True when handled.
  bool report_discovery(const Error& e);
  // "Разорвать связь", then "Демо", each only where offered.
  void leave_for_demo();
  // Where the write kept the panel's configuration, after `separator`; empty without one.
  QString backup_note(const QString& separator) const;

  TQDevSettingsForm& w_;
};

}  // namespace vq::gui
