#include "settings/ui/frame/file_actions.hpp"

#include <QDateTime>
#include <QFileInfo>

#include "link/progress.hpp"
#include "settings/config_files.hpp"
#include "settings/ui/frame/job_outcome.hpp"
#include "settings/ui/frame/service_panel.hpp"
#include "settings/ui/frame/status_strip.hpp"
#include "shell/ui/app_context.hpp"
#include "shell/ui/qt_text.hpp"
#include "shell/ui/ui_services.hpp"

namespace vq::gui {
namespace {

QString now_text() { return QDateTime::currentDateTime().time().toString(QStringLiteral("HH:mm:ss")); }

class GaugeProgress final : public link::Progress {
 public:
  explicit GaugeProgress(StatusStrip& status) : status_(status) {}
  void percent(int value) override { status_.set_gauge(value); }

 private:
  StatusStrip& status_;
};

QString conf_folder(const AppContext& context) { return QString::fromStdString(context.folder("Conf").string()); }

}  // namespace

FileActions::FileActions(QWidget* window, const AppContext& context, StatusStrip& status, ServicePanel& service)
    : window_(window), context_(context), status_(status), service_(service) {}

bool FileActions::save(memory::Configuration& config) {
  bool saved = false;
  service_.log(QStringLiteral("Saving..."));
  status_.set_gauge(0);
  status_.set_activity_text(m(15075));
  const QString name = ui().save_file_name(window_, QStringLiteral("Окно сохранения файла"), conf_folder(context_),
                                           QStringLiteral("Файлы конфигурации(*.cfg)"), QStringLiteral("cfg"));
  QString final_status = m(15077);
  if (!name.isEmpty()) {
    QString file = name;
    if (QFileInfo(file).suffix().isEmpty()) file += QStringLiteral(".cfg");
    const bool exists = QFileInfo::exists(file);
    if (!exists || ui().ask(window_, BoxIcon::warning, caption_system(), m(15076))) {
      service_.log(QStringLiteral("Start saving file - ") + now_text());
      GaugeProgress progress(status_);
      auto r = settings::save_settings_file(config, file.toStdString(), &progress);
      service_.log(QStringLiteral("End saving file - ") + now_text());
      status_.set_gauge(100);
      if (r) {
        saved = true;
      } else {
        // Never "completed" for a file that was not written.
        final_status = qs(r.error().text);
        ui().show_message(window_, BoxIcon::error, caption_system(), error_text(r.error()));
      }
    }
  }
  status_.set_activity_text(final_status);
  status_.set_gauge(0);
  return saved;
}

bool FileActions::open(memory::Configuration& config) {
  bool loaded = false;
  service_.log(QStringLiteral("Loading..."));
  status_.set_gauge(0);
  status_.set_activity_text(m(15078));
  const QString name = ui().open_file_name(window_, QStringLiteral("Окно открытия файла"), conf_folder(context_),
                                           QStringLiteral("Файлы конфигурации(*.cfg)"));
  if (!name.isEmpty()) {
    GaugeProgress progress(status_);
    auto r = settings::open_settings_file(config, name.toStdString(), &progress);
    if (r) {
      service_.log(QStringLiteral("loading from file..."));
      status_.set_gauge(100);
      status_.set_activity_text(m(15079));
      loaded = true;
    } else {
      status_.set_activity_text(qs(r.error().text));
      ui().show_message(window_, BoxIcon::error, caption_system(), error_text(r.error()));
    }
  }
  status_.set_gauge(0);
  return loaded;
}

}  // namespace vq::gui
