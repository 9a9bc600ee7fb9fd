#pragma once
// "Открыть" and "Сохранить": the configuration to and from a .cfg file the user names, in
// the data folder's Conf. A .cfg is small, so both run on the GUI thread with the gauge
// following them; the status panel ends on what really happened.
class QWidget;

namespace vq::memory {
class Configuration;
}

namespace vq::gui {

struct AppContext;
class ServicePanel;
class StatusStrip;

class FileActions {
 public:
  FileActions(QWidget* window, const AppContext& context, StatusStrip& status, ServicePanel& service);

  // True when the file was written (the images are no longer unsaved).
  bool save(memory::Configuration& config);
  // True when the file was loaded into `config`; a refused file leaves it as it was.
  bool open(memory::Configuration& config);

 private:
  QWidget* window_;
  const AppContext& context_;
  StatusStrip& status_;
  ServicePanel& service_;
};

}  // namespace vq::gui
