#pragma once
// What the settings window tells about itself: the status bar's six panels (what is
// happening, "Режим работы:" with the mode, "Связь с прибором:" with the indicator and
// its text), the gauge, and the line naming the connected panel above the navigator.
#include <QString>

class QLabel;
class QProgressBar;
class QStatusBar;
class QWidget;

namespace vq::gui {

class StatusStrip {
 public:
  explicit StatusStrip(QWidget* window);

  // Where the window lays them out.
  QStatusBar* status_bar() const { return bar_; }
  QProgressBar* gauge_bar() const { return gauge_; }  // sits at the toolbar's right end
  QLabel* device_line() const { return device_; }

  // What is happening now (the first, stretching panel).
  void set_activity_text(const QString& text);
  QString activity_text() const;
  // "Демо" or "Онлайн".
  void set_demo_mode(bool demo);
  QString mode_text() const;
  // The link indicator and its text ("Установлена" / "Отсутствует").
  void set_connected(bool on);
  bool connected() const;
  QString connection_text() const;
  // The identification line of the connected panel; empty without one.
  void set_device_text(const QString& text);
  void clear_device_text();
  QString device_text() const;
  void set_gauge(int percent);
  int gauge() const;

  // A panel's text by its position (the indicator reads "on" / "off").
  QString panel_text(int panel) const;

 private:
  QStatusBar* bar_ = nullptr;
  QLabel* panels_[6] = {};
  QProgressBar* gauge_ = nullptr;
  QLabel* device_ = nullptr;
};

}  // namespace vq::gui
