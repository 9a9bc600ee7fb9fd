#include "shell/ui/help_file.hpp"

#include <QFile>
#include <QSaveFile>
#include <QUrl>
#include <system_error>

#include "shell/messages.hpp"
#include "shell/ui/qt_text.hpp"
#include "shell/ui/ui_services.hpp"

namespace vq::gui {
namespace {

// Every start registers Russian as the interface language.
constexpr std::string_view kRegisteredLocale = "RU";
const QString kBuiltinGuide = QStringLiteral(":/help/vantorq_ru-help.html");

}  // namespace

Result<std::filesystem::path> prepare_help_file(const AppContext& context) {
  std::string program = context.program_path.filename().string();
  if (program.empty()) program = "vantorq";
  const std::string name = shell::help_file_name(program, shell::language_index(kRegisteredLocale));
  const auto help_dir = context.data_dir / "Help";
  std::error_code ec;
  if (std::filesystem::is_regular_file(help_dir / name, ec)) return help_dir / name;

  // No help file of the site's own: the HTML guide under the same name.
  auto guide = help_dir / name;
  guide.replace_extension(".html");
  if (std::filesystem::is_regular_file(guide, ec)) return guide;

  QFile source(kBuiltinGuide);
  if (!source.open(QIODevice::ReadOnly)) return fail("Встроенная справка недоступна.");
  const QByteArray text = source.readAll();
  std::filesystem::create_directories(help_dir, ec);
  QSaveFile out(QString::fromStdString(guide.string()));
  if (!out.open(QIODevice::WriteOnly) || out.write(text) != text.size() || !out.commit())
    return fail("Не удалось записать файл справки " + guide.string() + ": " + to_std(out.errorString()));
  return guide;
}

void open_help(QWidget* parent, const AppContext& context) {
  auto file = prepare_help_file(context);
  if (!file) {
    ui().show_message(parent, BoxIcon::error, caption_system(), qs(file.error().full()));
    return;
  }
  const QString path = QString::fromStdString(file->string());
  if (!ui().open_url(QUrl::fromLocalFile(path)))
    ui().show_message(parent, BoxIcon::error, caption_system(), QStringLiteral("Не удалось открыть справку ") + path);
}

}  // namespace vq::gui
