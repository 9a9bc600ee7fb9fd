#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "shell/messages.hpp"

using namespace vq::shell;

TEST(MessageTable, BuiltInTextsByIdentifier) {
  const auto& t = MessageTable::builtin();
  const std::pair<int, const char*> cases[] = {
      {15004, "Системное сообщение"},
      {15027, "Тип прибора: %s. Версия ПО: %d.%d.%d"},
      {15034, "Приборы марки Сорвел отключены от линии USB!"},
      {15039, "Сорвел-630М-Q"},
      {15008, "4-й байт квитанции: ошибка CRC"},
      {15015, "4-й байт квитанции: ошибка 0xFF"},
      {15083, "Ошибка установки связи!"},
      {15141, "Пожар РПД/Пожар ШС"},
      {15182, "Восстановление вскрытия: РПД"},
      {15265, "Журнал событий. Создан "},  // the trailing blank belongs to the text
      {15316, "В техподдержку по Q(Vantor)"},
  };
  for (const auto& [id, text] : cases) EXPECT_EQ(t.text(id), text) << id;
}

TEST(MessageTable, IdsWithoutTextAndOutOfRangeAreEmpty) {
  const auto& t = MessageTable::builtin();
  for (int id : {15000, 15999, 15332, 14999, 16000, -1}) EXPECT_EQ(t.text(id), "") << id;
  EXPECT_EQ(msg(15039), "Сорвел-630М-Q");
}

TEST(MessageTable, EntriesAreCutAt254Characters) {
  MessageTable t;
  std::string cyrillic;
  for (int i = 0; i < 300; ++i) cyrillic += "Ж";
  t.set(15100, cyrillic);
  EXPECT_EQ(t.text(15100).size(), 254u * 2) << "254 characters of two bytes each";
  t.set(15101, std::string(254, 'a'));
  EXPECT_EQ(t.text(15101).size(), 254u);
}

TEST(MessageTable, ParseRefusesBadLinesAndNamesThem) {
  const std::pair<const char*, const char*> bad[] = {
      {"15001=a\nnonsense\n", "строка 2"},
      {"14999=a\n", "15000..15999"},
      {"15001=a\r\n15001=b\r\n", "дважды"},
      {"=x\n", "строка 1"},
  };
  for (const auto& [text, what] : bad) {
    auto r = MessageTable::parse(text);
    ASSERT_FALSE(r) << text;
    EXPECT_NE(r.error().text.find(what), std::string::npos) << r.error().text;
  }
  auto ok = MessageTable::parse("\xEF\xBB\xBF# comment\r\n15010=a=b\\nc\r\n");
  ASSERT_TRUE(ok);
  EXPECT_EQ(ok->text(15010), "a=b\nc");
}

TEST(Language, IndexIsExact) {
  const std::pair<const char*, int> cases[] = {{"RU", 0}, {"EN", 1}, {"TR", 2}, {"", 0}, {"en", 0}, {"DE", 0}};
  for (const auto& [code, index] : cases) EXPECT_EQ(language_index(code), index) << code;
}

TEST(Language, HelpFileName) {
  EXPECT_EQ(help_file_name("/opt/vq/vantorq", 0), "vantorq_ru-help.hlp");
  EXPECT_EQ(help_file_name("C:\\Prog\\VantorQ.exe", 1), "VantorQ_en-help.hlp");
  EXPECT_EQ(help_file_name("vantorq.bin", 2), "vantorq_tu-help.hlp");
}

TEST(Language, ModuleBesideTheProgramOrTheBuiltInTable) {
  const auto dir = std::filesystem::temp_directory_path() / ("vq-lang-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const auto program = dir / "vantorq";
  std::ofstream(dir / "vantorq.EN") << "15039=Sorvel-630M-Q\n15027=Device: %s, firmware %d.%d.%d\n";
  std::ofstream(dir / "vantorq.TR") << "garbage without equals\n";

  std::string note;
  auto en = load_message_table(program, "EN", &note);
  EXPECT_EQ(en.text(15039), "Sorvel-630M-Q");
  EXPECT_EQ(en.text(15004), "") << "a module replaces the whole table";
  EXPECT_TRUE(note.empty());

  auto tr = load_message_table(program, "TR", &note);
  EXPECT_EQ(tr.text(15039), "Сорвел-630М-Q");
  EXPECT_NE(note.find("vantorq.TR"), std::string::npos);

  auto de = load_message_table(program, "DE", &note);
  EXPECT_EQ(de.text(15039), "Сорвел-630М-Q");
  EXPECT_EQ(load_message_table(program, "RU").text(15004), "Системное сообщение");

  // The identification line follows the active table.
  set_messages(std::move(en));
  EXPECT_EQ(format_message(msg(15027), {msg(15039), 2, 4, 7}), "Device: Sorvel-630M-Q, firmware 2.4.7");
  set_messages(MessageTable::builtin());
  std::filesystem::remove_all(dir);
}

TEST(FormatMessage, SubstitutesInOrderAndSurvivesHostileFormats) {
  EXPECT_EQ(format_message("Тип прибора: %s. Версия ПО: %d.%d.%d", {"Сорвел-630М-Q", 2, 4, 10}),
            "Тип прибора: Сорвел-630М-Q. Версия ПО: 2.4.10");
  EXPECT_EQ(format_message("%d%% %s %d %d", {5, "x"}), "5% x  ");
  EXPECT_EQ(format_message("%x %n %s%", {"a"}), "%x %n a%");
  EXPECT_EQ(format_message("%d", {"text"}), "text");
}
