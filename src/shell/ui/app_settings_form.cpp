#include "shell/ui/app_settings_form.hpp"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QStackedWidget>
#include <QThread>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <memory>
#include <system_error>

#include "shell/preferences.hpp"
#include "shell/ui/qt_text.hpp"
#include "shell/ui/ui_services.hpp"
#include "shell/ui/usb_device_dialog.hpp"

namespace vq::gui {
namespace {

bool is_language_code(const std::string& code) {
  if (code.size() < 2 || code.size() > 3) return false;
  return std::all_of(code.begin(), code.end(), [](char c) { return c >= 'A' && c <= 'Z'; });
}

// Languages this program is translated into carry their own names; others take the name
// Qt knows, or the bare code.
QString language_display_name(const QString& code) {
  if (code == QLatin1String("RU")) return QStringLiteral("Русский");
  if (code == QLatin1String("EN")) return QStringLiteral("English");
  if (code == QLatin1String("TR")) return QStringLiteral("Türkçe");
  const QLocale locale(code.toLower());
  if (locale.language() == QLocale::C || locale.language() == QLocale::AnyLanguage) return code;
  QString name = locale.nativeLanguageName();
  if (name.isEmpty()) return code;
  name[0] = name[0].toUpper();
  return name;
}

}  // namespace

std::vector<LanguageEntry> available_languages(const std::filesystem::path& program_path) {
  std::vector<LanguageEntry> out{{QStringLiteral("RU"), language_display_name(QStringLiteral("RU"))}};
  const std::string prefix = program_path.filename().string() + ".";
  std::vector<std::string> codes;
  std::error_code ec;
  const auto folder = program_path.parent_path();
  for (std::filesystem::directory_iterator it(folder.empty() ? "." : folder, ec), end; !ec && it != end;
       it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) continue;
    const std::string code = name.substr(prefix.size());
    std::error_code type_ec;
    if (!is_language_code(code) || code == "RU" || !it->is_regular_file(type_ec)) continue;
    codes.push_back(code);
  }
  std::sort(codes.begin(), codes.end());
  for (const auto& code : codes) out.push_back({qs(code), language_display_name(qs(code))});
  return out;
}

TAppSettingsForm::TAppSettingsForm(AppContext& context, QWidget* parent) : QDialog(parent), context_(context) {
  setObjectName(QStringLiteral("TAppSettingsForm"));
  setWindowTitle(QStringLiteral("Настройки программы"));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  resize(520, 300);

  tree_ = new QTreeWidget(this);
  tree_->setObjectName(QStringLiteral("TreeView1"));
  tree_->setHeaderHidden(true);
  tree_->setRootIsDecorated(false);
  tree_->setFixedWidth(130);
  auto* lang_node = new QTreeWidgetItem(tree_, QStringList{QStringLiteral("Язык")});
  auto* system_node = new QTreeWidgetItem(tree_, QStringList{QStringLiteral("Система")});

  // The language page.
  lang_page_ = new QWidget(this);
  lang_page_->setObjectName(QStringLiteral("LangTS"));
  auto* lang_layout = new QVBoxLayout(lang_page_);
  auto* lang_label = new QLabel(QStringLiteral("Выберите язык:"), lang_page_);
  lang_ = new QComboBox(lang_page_);
  lang_->setObjectName(QStringLiteral("LangCmB"));
  lang_label->setBuddy(lang_);
  lang_layout->addWidget(lang_label);
  lang_->setMinimumWidth(200);
  auto* lang_row = new QHBoxLayout;
  lang_row->addWidget(lang_);
  lang_row->addStretch();
  lang_layout->addLayout(lang_row);
  lang_layout->addStretch();

  // The system page.
  system_page_ = new QWidget(this);
  system_page_->setObjectName(QStringLiteral("SystemTS"));
  auto* system_layout = new QVBoxLayout(system_page_);
  show_all_soft_ = new QCheckBox(QStringLiteral("Автоматически показывать список доступных файлов ПО"), system_page_);
  show_all_soft_->setObjectName(QStringLiteral("ShowAllSoftChB"));
  auto* mode_row = new QHBoxLayout;
  auto* mode_label = new QLabel(QStringLiteral("Режим работы по умолчанию: "), system_page_);
  default_mode_ = new QComboBox(system_page_);
  default_mode_->setObjectName(QStringLiteral("DefaultModeCmB"));
  default_mode_->addItems({QStringLiteral("Демо"), QStringLiteral("Онлайн")});
  mode_label->setBuddy(default_mode_);
  mode_row->addWidget(mode_label);
  mode_row->addWidget(default_mode_);
  mode_row->addStretch();
  auto* usb_label = new QLabel(QStringLiteral("USB-идентификаторы прибора (VID:PID, через запятую):"), system_page_);
  usb_ids_ = new QLineEdit(system_page_);
  usb_ids_->setObjectName(QStringLiteral("UsbIdsEdit"));
  usb_ids_->setPlaceholderText(QStringLiteral("например 0483:5740"));
  usb_label->setBuddy(usb_ids_);
  usb_choose_ = new QPushButton(QStringLiteral("Выбрать..."), system_page_);
  usb_choose_->setObjectName(QStringLiteral("UsbIdsChooseBtn"));
  usb_choose_->setAutoDefault(false);
  auto* usb_row = new QHBoxLayout;
  usb_row->addWidget(usb_ids_, 1);
  usb_row->addWidget(usb_choose_);
  usb_note_ = new QLabel(system_page_);
  usb_note_->setObjectName(QStringLiteral("UsbIdsNoteLabel"));
  usb_note_->setWordWrap(true);
  system_layout->addWidget(show_all_soft_);
  system_layout->addLayout(mode_row);
  system_layout->addSpacing(8);
  system_layout->addWidget(usb_label);
  system_layout->addLayout(usb_row);
  system_layout->addWidget(usb_note_);
  system_layout->addStretch();

  // Pages without tabs: the tree is the only way between them.
  pages_ = new QStackedWidget(this);
  pages_->setObjectName(QStringLiteral("PageControl1"));
  pages_->addWidget(lang_page_);
  pages_->addWidget(system_page_);
  lang_node->setData(0, Qt::UserRole, QVariant::fromValue(static_cast<void*>(lang_page_)));
  system_node->setData(0, Qt::UserRole, QVariant::fromValue(static_cast<void*>(system_page_)));

  auto* ok = new QPushButton(QStringLiteral("ОК"), this);
  ok->setObjectName(QStringLiteral("OKBitBtn"));
  auto* cancel = new QPushButton(QStringLiteral("Отмена"), this);
  cancel->setObjectName(QStringLiteral("CancelBitBtn"));
  ok->setAutoDefault(false);
  cancel->setAutoDefault(false);

  auto* top = new QHBoxLayout;
  top->addWidget(tree_);
  top->addWidget(pages_, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top, 1);
  layout->addLayout(buttons);

  connect(ok, &QPushButton::clicked, this, [this] { OKBitBtnClick(); });
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(usb_choose_, &QPushButton::clicked, this, [this] { UsbIdsChooseBtnClick(); });
  connect(tree_, &QTreeWidget::currentItemChanged, this,
          [this](QTreeWidgetItem* current, QTreeWidgetItem*) { TreeView1Change(current); });

  usb_lister_ = [] { return link::list_usb_candidates(); };
  FormCreate();
  tree_->setCurrentItem(lang_node);
  TreeView1Change(lang_node);
}

TAppSettingsForm::~TAppSettingsForm() {
  // The search is bounded by libusb's own time-outs; its result has nowhere to go now.
  if (usb_search_) {
    usb_search_->disconnect(this);
    usb_search_->wait();
  }
}

void TAppSettingsForm::FormCreate() {
  const shell::Preferences prefs = shell::load_preferences(context_.preferences_file);
  show_all_soft_->setChecked(prefs.show_all_soft);
  // Any non-zero mode means online, as the windows read it.
  default_mode_->setCurrentIndex(prefs.default_mode != 0 ? 1 : 0);
  usb_ids_->setText(qs(prefs.usb_ids));
  // The command line and the environment come first: say so, or the stored ids seem ignored.
  auto live = link::resolve_usb_ids(context_.usb_ids, prefs.usb_ids);
  if (!live)
    usb_note_->setText(qs(live.error().text));
  else if (live->source == link::UsbIdSource::command_line || live->source == link::UsbIdSource::environment)
    usb_note_->setText(QStringLiteral("Сейчас прибор ищется по %1 (%2): они важнее заданных здесь.")
                           .arg(qs(link::usb_ids_text(live->ids)), qs(link::usb_id_source_name(live->source))));
  else
    usb_note_->clear();

  // The list only shows what is installed: every start runs in Russian.
  lang_->clear();
  lang_->setEnabled(false);
  languages_ = available_languages(context_.program_path);
  int selected = 0;
  const QString wanted = qs(prefs.language);
  for (std::size_t i = 0; i < languages_.size(); ++i) {
    lang_->addItem(languages_[i].display_name, languages_[i].code);
    if (languages_[i].code == wanted) selected = static_cast<int>(i);
  }
  lang_->setCurrentIndex(selected);
}

void TAppSettingsForm::TreeView1Change(QTreeWidgetItem* node) {
  if (!node) return;
  auto* page = static_cast<QWidget*>(node->data(0, Qt::UserRole).value<void*>());
  for (QWidget* p : {lang_page_, system_page_}) p->setEnabled(p == page);
  if (page) pages_->setCurrentWidget(page);
}

void TAppSettingsForm::OKBitBtnClick() {
  // A list that the command line could not read is refused before anything is stored.
  auto ids = link::parse_usb_ids(to_std(usb_ids_->text()));
  if (!ids) {
    ui().show_message(this, BoxIcon::warning, caption_system(), qs(ids.error().text));
    usb_ids_->setFocus();
    return;
  }
  // Start from what the file holds so that the keys this dialog does not show are kept.
  shell::Preferences prefs = shell::load_preferences(context_.preferences_file);
  prefs.usb_ids = link::usb_ids_text(*ids);
  prefs.show_all_soft = show_all_soft_->isChecked();
  prefs.default_mode = default_mode_->currentIndex();
  prefs.default_system = prefs.default_mode;
  const int lang = lang_->currentIndex();
  prefs.language = lang >= 0 ? to_std(lang_->itemData(lang).toString()) : std::string("RU");
  if (auto saved = shell::save_preferences(context_.preferences_file, prefs); !saved)
    ui().show_message(this, BoxIcon::error, caption_system(),
                      QStringLiteral("Настройки программы не сохранены.\n") + qs(saved.error().full()));
}

void TAppSettingsForm::UsbIdsChooseBtnClick() {
  if (usb_search_) return;
  usb_choose_->setEnabled(false);
  usb_choose_->setText(QStringLiteral("Поиск..."));
  auto found = std::make_shared<Result<std::vector<link::UsbCandidate>>>();
  usb_search_ = QThread::create([lister = usb_lister_, found] { *found = lister(); });
  connect(usb_search_, &QThread::finished, this, [this, found] {
    usb_search_->deleteLater();
    usb_search_ = nullptr;
    usb_choose_->setText(QStringLiteral("Выбрать..."));
    usb_choose_->setEnabled(true);
    usb_devices_found(*found);
  });
  usb_search_->start();
}

void TAppSettingsForm::usb_devices_found(const Result<std::vector<link::UsbCandidate>>& found) {
  if (!isVisible()) return;  // closed while the search ran
  if (!found) {
    ui().show_message(this, BoxIcon::error, caption_system(), qs(found.error().full()));
    return;
  }
  if (found->empty()) {
    ui().show_message(this, BoxIcon::information, caption_system(), qs(std::string(link::kTextNoUsbCandidates)));
    return;
  }
  if (auto id = choose_usb_device(this, *found)) usb_ids_->setText(qs(id->text()));
}

}  // namespace vq::gui
