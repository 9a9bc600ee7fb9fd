#include "settings/ui/frame/status_strip.hpp"

#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QStatusBar>
#include <algorithm>

#include "shell/ui/qt_text.hpp"

namespace vq::gui {
namespace {

// The panels by position.
enum Panel { kActivity = 0, kModeCaption = 1, kMode = 2, kLinkCaption = 3, kIndicator = 4, kLinkState = 5 };
constexpr int kStatusWidths[6] = {430, 85, 50, 100, 25, 50};

QPixmap indicator_pixmap(bool connected) {
  QPixmap pix(14, 14);
  pix.fill(Qt::transparent);
  QPainter p(&pix);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(60, 60, 60), 1));
  p.setBrush(connected ? QColor(40, 180, 60) : QColor(200, 40, 40));
  p.drawEllipse(1, 1, 12, 12);
  return pix;
}

QString demo_text() { return QStringLiteral("Демо"); }
QString online_text() { return QStringLiteral("Онлайн"); }

}  // namespace

StatusStrip::StatusStrip(QWidget* window) {
  gauge_ = new QProgressBar(window);
  gauge_->setObjectName(QStringLiteral("MainProgressGauge"));
  gauge_->setRange(0, 100);
  gauge_->setValue(0);
  gauge_->setFixedWidth(180);

  device_ = new QLabel(window);
  device_->setObjectName(QStringLiteral("DeviceInfoLabel"));
  device_->setContentsMargins(6, 2, 6, 2);

  bar_ = new QStatusBar(window);
  bar_->setObjectName(QStringLiteral("MainStatusBar"));
  bar_->setSizeGripEnabled(false);
  for (int i = 0; i < 6; ++i) {
    panels_[i] = new QLabel(bar_);
    panels_[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
    panels_[i]->setFixedWidth(kStatusWidths[i]);
    panels_[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    bar_->addWidget(panels_[i], i == kActivity ? 1 : 0);
  }
  panels_[kActivity]->setMinimumWidth(200);
  panels_[kActivity]->setMaximumWidth(QWIDGETSIZE_MAX);
  // The widths were chosen for a smaller font: never narrower than the longest text.
  const QFontMetrics fm(panels_[kModeCaption]->font());
  const QStringList longest[6] = {{},
                                  {QStringLiteral("Режим работы:")},
                                  {demo_text(), online_text()},
                                  {QStringLiteral("Связь с прибором:")},
                                  {},
                                  {m(15041), m(15032)}};
  for (int i = kModeCaption; i < 6; ++i) {
    int width = kStatusWidths[i];
    for (const auto& t : longest[i]) width = std::max(width, fm.horizontalAdvance(t) + 14);
    panels_[i]->setFixedWidth(width);
  }
  panels_[kIndicator]->setAlignment(Qt::AlignCenter);
  panels_[kModeCaption]->setText(QStringLiteral("Режим работы:"));
  panels_[kLinkCaption]->setText(QStringLiteral("Связь с прибором:"));
  set_connected(false);
}

void StatusStrip::set_activity_text(const QString& text) { panels_[kActivity]->setText(text); }
QString StatusStrip::activity_text() const { return panels_[kActivity]->text(); }

void StatusStrip::set_demo_mode(bool demo) { panels_[kMode]->setText(demo ? demo_text() : online_text()); }
QString StatusStrip::mode_text() const { return panels_[kMode]->text(); }

void StatusStrip::set_connected(bool on) {
  panels_[kIndicator]->setPixmap(indicator_pixmap(on));
  panels_[kIndicator]->setProperty("connected", on);
  panels_[kLinkState]->setText(m(on ? 15041 : 15032));
}
bool StatusStrip::connected() const { return panels_[kIndicator]->property("connected").toBool(); }
QString StatusStrip::connection_text() const { return panels_[kLinkState]->text(); }

void StatusStrip::set_device_text(const QString& text) { device_->setText(text); }
void StatusStrip::clear_device_text() { device_->clear(); }
QString StatusStrip::device_text() const { return device_->text(); }

void StatusStrip::set_gauge(int percent) { gauge_->setValue(percent); }
int StatusStrip::gauge() const { return gauge_->value(); }

QString StatusStrip::panel_text(int panel) const {
  if (panel < 0 || panel > 5) return {};
  if (panel == kIndicator) return connected() ? QStringLiteral("on") : QStringLiteral("off");
  return panels_[panel]->text();
}

}  // namespace vq::gui
