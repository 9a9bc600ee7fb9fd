#include "app/mode_select_form.hpp"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QDialog>
#include <QFile>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTextBrowser>
#include <QTimer>
#include <QUrlQuery>
#include <QVBoxLayout>
#include <memory>
#include <system_error>

#include "firmware/ui/change_soft_form.hpp"
#include "shell/ui/app_settings_form.hpp"
#include "shell/ui/help_file.hpp"
#include "shell/ui/qt_text.hpp"
#include "shell/ui/service_chord.hpp"
#include "shell/ui/start_mode.hpp"
#include "shell/ui/ui_services.hpp"

namespace vq::gui {
namespace {

constexpr int kHelpLockMs = 30000;

struct ModeButton {
  const char* name;
  const char* caption;
  const char* page;  // nullptr: the description stays as it is
};

// The pages are always the Russian ones, whatever the interface language.
const ModeButton kModes[4] = {
    {"Mode1", "Обновление ПО ППКОП и других устройств системы", "mode1descr_RU.html"},
    {"Mode2", "Обновление ПО встроенных модулей (ВМ)", nullptr},
    {"Mode3", "Настройка системы", "mode3descr_RU.html"},
    {"Mode4", "Журнал событий", "mode4descr_RU.html"},
};

// Placeholders for the maker's site and support address, shown nowhere.
const QString kMakerSite = QStringLiteral("www.example.com");
const QString kSupportEmail = QStringLiteral("support@example.com");

}  // namespace

QUrl help_page_url(const std::filesystem::path& data_dir, const QString& file_name) {
  const auto own = data_dir / "Help" / file_name.toStdString();
  std::error_code ec;
  if (!data_dir.empty() && std::filesystem::is_regular_file(own, ec))
    return QUrl::fromLocalFile(QString::fromStdString(own.string()));
  return QUrl(QStringLiteral("qrc:/help/") + file_name);
}

TQModeSelectForm::TQModeSelectForm(AppContext& context, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      context_(context),
      opener_([](QDialog* dialog) { dialog->exec(); }) {
  setObjectName(QStringLiteral("TQModeSelectForm"));
  setWindowTitle(QStringLiteral("Выбор режима работы"));
  setFixedSize(655, 490);

  // Left: the modes and the extras.
  auto* modes_box = new QGroupBox(QStringLiteral("Название режима:"), this);
  modes_box->setObjectName(QStringLiteral("ModesGroupBox"));
  auto* modes_layout = new QVBoxLayout(modes_box);
  modes_layout->setSpacing(12);
  auto* group = new QButtonGroup(this);
  group->setExclusive(true);
  for (int i = 0; i < 4; ++i) {
    auto* button = new QRadioButton(QString::fromUtf8(kModes[i].caption), modes_box);
    button->setObjectName(QString::fromLatin1(kModes[i].name));
    group->addButton(button, i + 1);
    modes_layout->addWidget(button);
    modes_[i] = button;
    connect(button, &QAbstractButton::clicked, this, [this, i] { ModeClick(i + 1); });
  }
  modes_layout->addStretch();
  // Built-in modules are not updated from here.
  modes_[1]->setVisible(false);
  modes_[1]->setEnabled(false);

  auto* extra_box = new QGroupBox(QStringLiteral("Дополнительно:"), this);
  extra_box->setObjectName(QStringLiteral("ExtraGroupBox"));
  auto* extra_layout = new QVBoxLayout(extra_box);
  auto add_extra = [&](const char* name, const QString& caption, void (TQModeSelectForm::*handler)()) {
    auto* button = new QPushButton(caption, extra_box);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    button->setStyleSheet(QStringLiteral("text-align: left; padding: 4px 8px;"));
    extra_layout->addWidget(button);
    connect(button, &QPushButton::clicked, this, [this, handler] { (this->*handler)(); });
  };
  add_extra("WWWSpdBtn", QStringLiteral("Посетите наш сайт"), &TQModeSelectForm::WWWSpdBtnClick);
  add_extra("EmailSpdBtn", QStringLiteral("Пишите нам"), &TQModeSelectForm::EmailSpdBtnClick);
  add_extra("HelpSpdBtn", QStringLiteral("Настройки программы"), &TQModeSelectForm::HelpSpdBtnClick);
  www_label_ = new QLabel(kMakerSite, extra_box);
  www_label_->setObjectName(QStringLiteral("wwwLabel"));
  www_label_->hide();
  email_label_ = new QLabel(kSupportEmail, extra_box);
  email_label_->setObjectName(QStringLiteral("EmailLabel"));
  email_label_->hide();

  auto* left = new QVBoxLayout;
  left->addWidget(modes_box, 1);
  left->addWidget(extra_box);

  // Right: the description and the two buttons.
  auto* description_box = new QGroupBox(QStringLiteral("Описание режима:"), this);
  description_box->setObjectName(QStringLiteral("DescriptionGroupBox"));
  auto* description_layout = new QVBoxLayout(description_box);
  description_ = new QTextBrowser(description_box);
  description_->setObjectName(QStringLiteral("DescriptionBrowser"));
  // Links to the outside go to the desktop; the pages' own links stay in the pane.
  description_->setOpenLinks(false);
  description_->document()->setIndentWidth(18);  // lists fit the narrow pane
  connect(description_, &QTextBrowser::anchorClicked, this, [this](const QUrl& url) {
    if (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https") ||
        url.scheme() == QLatin1String("mailto"))
      open_outside(url);
    else
      description_->setSource(url);
  });
  description_layout->addWidget(description_);

  continue_ = new QPushButton(QStringLiteral("Продолжить"), this);
  continue_->setObjectName(QStringLiteral("ContinueBitBtn"));
  continue_->setEnabled(false);
  continue_->setDefault(true);
  auto* exit = new QPushButton(QStringLiteral("Выход"), this);
  exit->setObjectName(QStringLiteral("ExitBitBtn"));
  exit->setAutoDefault(false);
  connect(continue_, &QPushButton::clicked, this, [this] { ContinueBitBtnClick(); });
  connect(exit, &QPushButton::clicked, this, &QWidget::close);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(continue_);
  buttons->addWidget(exit);
  auto* right = new QVBoxLayout;
  right->addWidget(description_box, 1);
  right->addLayout(buttons);

  auto* layout = new QHBoxLayout(this);
  layout->addLayout(left, 0);
  layout->addLayout(right, 1);

  help_timer_ = new QTimer(this);
  help_timer_->setObjectName(QStringLiteral("HelpTimer"));
  help_timer_->setSingleShot(true);
  help_timer_->setInterval(kHelpLockMs);
  connect(help_timer_, &QTimer::timeout, this, [this] { help_allowed_ = true; });

  show_page(QStringLiteral("startpage_RU.html"));
}

TQModeSelectForm::~TQModeSelectForm() = default;

void TQModeSelectForm::set_mode_windows(TQChangeSoftForm* firmware, QDialog* settings, QDialog* event_log) {
  firmware_ = firmware;
  settings_ = settings;
  event_log_ = event_log;
}

void TQModeSelectForm::set_modal_opener(ModalOpener opener) { opener_ = std::move(opener); }

void TQModeSelectForm::show_page(const QString& file_name) {
  description_->setSource(help_page_url(context_.data_dir, file_name));
}

void TQModeSelectForm::ModeClick(int mode) {
  switch (mode) {
    case 1: set_start_mode(1); break;
    case 2: set_start_mode(2); break;
    case 3: set_start_mode(4); break;
    default: break;  // the event log leaves the start mode alone
  }
  if (mode >= 1 && mode <= 4 && kModes[mode - 1].page) show_page(QString::fromLatin1(kModes[mode - 1].page));
  continue_->setEnabled(true);
}

void TQModeSelectForm::ContinueBitBtnClick() {
  if (modes_[0]->isChecked() || modes_[1]->isChecked()) {
    if (firmware_) firmware_->update_caption();
    open_modal(firmware_);
  } else if (modes_[2]->isChecked()) {
    open_modal(settings_);
  } else if (modes_[3]->isChecked()) {
    open_modal(event_log_);
  }
}

void TQModeSelectForm::open_modal(QDialog* dialog) {
  if (!dialog) return;
  opener_(dialog);
  activateWindow();
}

void TQModeSelectForm::open_outside(const QUrl& url) {
  if (!ui().open_url(url))
    ui().show_message(this, BoxIcon::error, caption_system(),
                      QStringLiteral("Не удалось открыть ") + url.toDisplayString());
}

void TQModeSelectForm::WWWSpdBtnClick() { open_outside(QUrl(QStringLiteral("http://") + www_label_->text())); }

void TQModeSelectForm::EmailSpdBtnClick() {
  QUrl url(QStringLiteral("mailto:") + email_label_->text());
  QUrlQuery query;
  query.addQueryItem(QStringLiteral("subject"), m(15316));
  url.setQuery(query);
  open_outside(url);
}

void TQModeSelectForm::HelpSpdBtnClick() {
  auto dialog = std::make_unique<TAppSettingsForm>(context_, this);
  open_modal(dialog.get());
}

void TQModeSelectForm::HelpBtnClick() {
  if (!help_allowed_) return;
  open_help(this, context_);
  help_allowed_ = false;
  help_timer_->start();
}

void TQModeSelectForm::keyPressEvent(QKeyEvent* event) {
  if (is_service_chord(event)) {
    modes_[2]->setEnabled(!modes_[2]->isEnabled());
    event->accept();
    return;
  }
  if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
    HelpBtnClick();
    event->accept();
    return;
  }
  QWidget::keyPressEvent(event);
}

void TQModeSelectForm::closeEvent(QCloseEvent* event) {
  if (ui().ask(this, BoxIcon::question, caption_system(), m(15266)))
    event->accept();
  else
    event->ignore();
}

}  // namespace vq::gui
