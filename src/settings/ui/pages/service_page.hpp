#pragma once
// "Телефоны сервисных центров/PIN-коды" (ServiceTS): GSM service settings of two SIM
// cards. The page has no show or apply of its own: the window fills it from page-list
// entry 14 after every read of all tables and file load, and stores it there before
// every write of all tables and file save. Visiting the node does not reload it.
#include <array>

#include "settings/service_settings.hpp"
#include "settings/ui/pages/settings_page.hpp"

class QComboBox;
class QLineEdit;

namespace vq::gui {

class ServicePage : public SettingsPage {
  Q_OBJECT
 public:
  explicit ServicePage(PageHost& host, QWidget* parent = nullptr);
  // Visiting keeps what the user typed.
  void show_from(const memory::Configuration&) override {}

  void FillServicePage(const memory::Configuration& config);
  // A refusal (a PIN of 1 to 3 digits, a blank time, ...) changes no byte; its text says why.
  Result<> StoreServicePage(memory::Configuration& config);

  // The time edits' checks, as their change handlers.
  void SilenceStartChange();
  void SilenceStopChange();
  void ServiceMsgSendTimeMaskEditChange();

 signals:
  // A line for the window's diagnostic log.
  void log_line(const QString& line);

 private:
  struct SimControls {
    QLineEdit* pin = nullptr;
    QLineEdit* sms_centre = nullptr;
    QLineEdit* balance = nullptr;
  };
  settings::ServiceSettings from_controls() const;
  // Checks one time edit as it changes; a bad value is told and the default put back.
  void check_time_edit(QLineEdit* edit, const QString& fallback);

  QComboBox* dial_delay_ = nullptr;
  QComboBox* gsm_lost_ = nullptr;
  QComboBox* check_conn_ = nullptr;
  QComboBox* account_ = nullptr;
  QComboBox* test_ = nullptr;
  QLineEdit* silence_start_ = nullptr;
  QLineEdit* silence_stop_ = nullptr;
  QLineEdit* service_time_ = nullptr;
  QLineEdit* object_name_ = nullptr;
  std::array<SimControls, settings::kSimCards> sims_{};
  // What the last fill put into the controls: a control still showing it stores the
  // value it came from (even one the control cannot show, such as a period beyond the list).
  settings::ServiceSettings filled_;
  bool has_fill_ = false;
};

}  // namespace vq::gui
