#include "settings/ui/dialogs/tel_rcpnt_format_dialog.hpp"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "settings/ui/widgets/edit_dialog.hpp"
#include "shell/ui/ui_services.hpp"

namespace vq::gui {

using settings::FormatBox;

TQTelRcpntFormatSetForm::TQTelRcpntFormatSetForm(int notice, const settings::FormatChoice& choice, QWidget* parent)
    : QDialog(parent) {
  setObjectName(QStringLiteral("TQTelRcpntFormatSetForm"));
  setWindowTitle(QStringLiteral("Настройки типа оповещения"));
  setModal(true);
  resize(300, 415);
  auto* layout = new QVBoxLayout(this);
  auto* grid = new QGridLayout;
  QStringList attempts, waits;
  for (int i = 1; i <= settings::kAttemptChoices; ++i) attempts << QString::number(i);
  // The list as the panel's editor always showed it, stray blanks included.
  waits << QStringLiteral("16 с") << QStringLiteral("20 с") << QStringLiteral("24 с") << QStringLiteral("28 с")
        << QStringLiteral("32 с") << QStringLiteral("36 с") << QStringLiteral("40 с") << QStringLiteral("44 с ")
        << QStringLiteral("48 с") << QStringLiteral("52 с") << QStringLiteral("56 с") << QStringLiteral("60 с ")
        << QStringLiteral("64 с");
  const QStringList yes_no = {QStringLiteral("да"), QStringLiteral("нет")};
  struct Box {
    FormatBox id;
    const char* name;
    const char* label;
    QStringList items;
  };
  const Box boxes[] = {
      {FormatBox::attempts, "DialTry", "Количество попыток связи", attempts},
      {FormatBox::ring_wait, "WaitTime", "Время ожидания снятия трубки при дозвоне", waits},
      {FormatBox::confirm, "ConfirmMes", "Подтверждение приема сообщения", yes_no},
      {FormatBox::phrase_pause, "PhrasePause", "Длительность паузы между фразами",
       {QStringLiteral("0.25 сек"), QStringLiteral("0.5 сек"), QStringLiteral("0.75 сек"), QStringLiteral("1.0 сек")}},
      {FormatBox::language, "SMSLng", "Выбор языка",
       {QStringLiteral("русский"), QStringLiteral("английский"), QStringLiteral("турецкий")}},
      {FormatBox::merge_sms, "MergeSMS", "Объединять SMS", yes_no},
      {FormatBox::object_number, "SpecObjNum", "Указывать номер объекта", yes_no},
      {FormatBox::proper_name, "NameOrNum", "Указывать имя собственное", yes_no},
  };
  int row = 0;
  for (const auto& b : boxes) {
    auto* combo = new QComboBox(this);
    combo->setObjectName(QString::fromLatin1(b.name));
    combo->addItems(b.items);
    combo->setEnabled(settings::format_box_enabled(notice, b.id));
    auto* label = new QLabel(QString::fromUtf8(b.label), this);
    label->setWordWrap(true);
    grid->addWidget(label, row, 0);
    grid->addWidget(combo, row, 1);
    boxes_[static_cast<std::size_t>(b.id)] = combo;
    ++row;
  }
  layout->addLayout(grid);
  layout->addStretch(1);
  add_save_cancel(this, layout);
  make_translucent_when_left(this);

  box(FormatBox::attempts)->setCurrentIndex(choice.attempts);
  box(FormatBox::ring_wait)->setCurrentIndex(choice.ring_wait);
  box(FormatBox::confirm)->setCurrentIndex(choice.confirm ? 0 : 1);
  box(FormatBox::phrase_pause)->setCurrentIndex(choice.phrase_pause);
  box(FormatBox::language)->setCurrentIndex(choice.language);
  box(FormatBox::merge_sms)->setCurrentIndex(choice.merge_sms ? 0 : 1);
  box(FormatBox::object_number)->setCurrentIndex(choice.object_number ? 0 : 1);
  box(FormatBox::proper_name)->setCurrentIndex(choice.proper_name ? 0 : 1);
}

settings::FormatChoice TQTelRcpntFormatSetForm::value() const {
  settings::FormatChoice f;
  f.attempts = box(FormatBox::attempts)->currentIndex();
  f.ring_wait = box(FormatBox::ring_wait)->currentIndex();
  f.confirm = box(FormatBox::confirm)->currentIndex() == 0;
  f.phrase_pause = box(FormatBox::phrase_pause)->currentIndex();
  f.language = box(FormatBox::language)->currentIndex();
  f.merge_sms = box(FormatBox::merge_sms)->currentIndex() == 0;
  f.object_number = box(FormatBox::object_number)->currentIndex() == 0;
  f.proper_name = box(FormatBox::proper_name)->currentIndex() == 0;
  return f;
}

std::optional<settings::FormatChoice> edit_format(QWidget* parent, int notice, const settings::FormatChoice& choice) {
  TQTelRcpntFormatSetForm dialog(notice, choice, parent);
  if (!ui().run_dialog(&dialog)) return std::nullopt;
  return dialog.value();
}

}  // namespace vq::gui
