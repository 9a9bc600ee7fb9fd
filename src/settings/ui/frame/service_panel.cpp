#include "settings/ui/frame/service_panel.hpp"

#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace vq::gui {
namespace {

constexpr int kLogLines = 20000;  // the log keeps the latest lines only

}  // namespace

ServicePanel::ServicePanel(QWidget* window) : QWidget(window), window_(window) {
  setObjectName(QStringLiteral("ServicePanel"));
  log_memo_ = new QPlainTextEdit(this);
  log_memo_->setObjectName(QStringLiteral("logMemo"));
  log_memo_->setReadOnly(true);
  log_memo_->setMaximumBlockCount(kLogLines);
  log_memo_->setFixedWidth(220);
  tmp_list_ = new QListWidget(this);
  tmp_list_->setObjectName(QStringLiteral("tmpListB"));
  tmp_list_->setFixedWidth(200);
  save_set_tree_ = new QPushButton(QStringLiteral("SaveSetTree"), this);
  save_set_tree_->setObjectName(QStringLiteral("Button2"));
  erase_log_ = new QPushButton(QStringLiteral("Стереть  весь журнал событий"), this);
  erase_log_->setObjectName(QStringLiteral("EraseEventLogButton"));
  write_9k9_ = new QPushButton(QStringLiteral("Write 9K9 events"), this);
  write_9k9_->setObjectName(QStringLiteral("Write9K9Button"));
  connect(save_set_tree_, &QPushButton::clicked, this, [this] { dump_speech_notices(); });

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(log_memo_, 3);
  layout->addWidget(tmp_list_, 1);
  layout->addWidget(save_set_tree_);
  layout->addWidget(erase_log_);
  layout->addWidget(write_9k9_);
  hide();
}

void ServicePanel::log(const QString& lines) { log_memo_->appendPlainText(lines); }

void ServicePanel::set_panel_buttons_enabled(bool enabled) {
  erase_log_->setEnabled(enabled);
  write_9k9_->setEnabled(enabled);
}

void ServicePanel::dump_speech_notices() {
  // The list lives on its page, elsewhere in the window.
  auto* lv = window_->findChild<QTreeWidget*>(QStringLiteral("SpeechNoticeLV"));
  if (!lv) return;
  for (int i = 0; i < lv->topLevelItemCount(); ++i) {
    QStringList cells;
    for (int c = 0; c < lv->columnCount(); ++c) cells << lv->topLevelItem(i)->text(c);
    log(cells.join(QLatin1Char('\t')));
  }
}

}  // namespace vq::gui
