#include "settings/ui/frame/service_panel.hpp"

#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <ctime>

#include "eventlog/journal_reader.hpp"
#include "link/progress.hpp"
#include "shell/ui/code_word_dialog.hpp"
#include "shell/ui/qt_text.hpp"
#include "shell/ui/ui_services.hpp"

namespace vq::gui {
namespace {

constexpr int kLogLines = 20000;  // the log keeps the latest lines only

QString error_text(const Error& e) {
  QString text = qs(e.text);
  if (!e.detail.empty()) text += QStringLiteral("\n\n") + qs(e.detail);
  return text;
}

// The code word, asked and checked here so that a wrong one starts no exchange.
std::optional<std::string> checked_code_word(QWidget* parent) {
  const auto word = ask_code_word(parent);
  if (!word) return std::nullopt;
  if (to_std(*word) != eventlog::kTestFillCodeWord) {
    ui().show_message(parent, BoxIcon::error, caption_message(), m(15136));
    return std::nullopt;
  }
  return to_std(*word);
}

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
  connect(write_9k9_, &QPushButton::clicked, this, [this] { Write9K9ButtonClick(); });
  connect(erase_log_, &QPushButton::clicked, this, [this] { EraseEventLogButtonClick(); });

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

void ServicePanel::Write9K9ButtonClick() {
  if (!run_job_) return;
  const auto word = checked_code_word(window_);
  if (!word) return;
  const std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  const eventlog::FillDate today{tm.tm_mday, tm.tm_mon + 1, tm.tm_year % 100};
  run_job_(
      [word = *word, today](link::Session& s, link::Progress& progress) {
        return eventlog::fill_test_journal(s, word, today, &progress);
      },
      [this](const Result<>& r) {
        if (r) {
          ui().show_message(window_, BoxIcon::information, QStringLiteral("Сообщение системы"),
                            QStringLiteral("Запись журнала выполнена!"));
          return;
        }
        if (link::is_cancel(r.error())) return;
        ui().show_message(window_, BoxIcon::error, QStringLiteral("Сообщение системы"), error_text(r.error()));
      });
}

void ServicePanel::EraseEventLogButtonClick() {
  if (!run_job_) return;
  if (!ui().ask(window_, BoxIcon::question, caption_system(),
                QStringLiteral("Стереть весь журнал событий прибора? Стёртые события восстановить нельзя.")))
    return;
  const auto word = checked_code_word(window_);
  if (!word) return;
  run_job_(
      [word = *word](link::Session& s, link::Progress& progress) {
        return eventlog::erase_journal(s, word, &progress);
      },
      [this](const Result<>& r) {
        if (r) {
          ui().show_message(window_, BoxIcon::information, caption_message(),
                            QStringLiteral("Журнал событий прибора стёрт."));
          return;
        }
        if (link::is_cancel(r.error())) return;
        ui().show_message(window_, BoxIcon::error, caption_message(), error_text(r.error()));
      });
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
