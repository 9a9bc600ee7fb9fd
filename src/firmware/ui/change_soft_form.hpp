#pragma once
// The firmware window `TQChangeSoftForm`. Its caption follows the start mode: firmware of
// the panel and other devices (1) or of the built-in modules (2).
#include <QDialog>

#include "shell/ui/app_context.hpp"

namespace vq::gui {

class TQChangeSoftForm : public QDialog {
  Q_OBJECT
 public:
  explicit TQChangeSoftForm(AppContext& context, QWidget* parent = nullptr);

  // Sets the caption for the current start mode.
  void update_caption();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  AppContext& context_;
};

}  // namespace vq::gui
