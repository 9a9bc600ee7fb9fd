#pragma once
// The event-log window `TQMStoreForm` ("Журнал событий").
#include <QDialog>

#include "shell/ui/app_context.hpp"

namespace vq::gui {

class TQMStoreForm : public QDialog {
  Q_OBJECT
 public:
  explicit TQMStoreForm(AppContext& context, QWidget* parent = nullptr);

 private:
  AppContext& context_;
};

}  // namespace vq::gui
