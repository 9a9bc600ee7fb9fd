#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

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

namespace {

std::string repeat(std::string_view piece, int times) {
  std::string s;
  for (int i = 0; i < times; ++i) s += piece;
  return s;
}

// Counts code points; also fails on a sequence cut in the middle.
std::size_t characters(const std::string& s) {
  std::size_t n = 0;
  for (std::size_t i = 0; i < s.size(); ++n) {
    const auto b = static_cast<unsigned char>(s[i]);
    const std::size_t len = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
    if (i + len > s.size()) return 0;
    i += len;
  }
  return n;
}

// A fresh folder for a fake program and its language modules.
class LanguageModule : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "vq-shell-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  void TearDown() override {
    set_messages(MessageTable::builtin());
    std::filesystem::remove_all(dir_);
  }
  void write(const std::string& name, std::string_view bytes) {
    std::ofstream(dir_ / name, std::ios::binary) << bytes;
  }
  std::filesystem::path dir_;
};

}  // namespace

TEST(MessageTable, EmbeddedDataParsesAndNothingLiesAbove15331) {
  auto parsed = MessageTable::parse(detail::kMessagesRu);
  ASSERT_TRUE(parsed) << parsed.error().text;  // a broken data file would silently empty every text
  const auto& t = *parsed;
  for (int id = 15332; id <= 15999; ++id) EXPECT_EQ(t.text(id), "") << id;
  // Texts quoted with their odd spacing and punctuation survive exactly.
  const std::pair<int, const char*> cases[] = {
      {15005, "Ответ получен. Пакет неверный !"},
      {15028, " байт"},
      {15126, "Да"},
      {15258, "Зарегистрирован "},
      {15012, "4-й байт квитанции: ошибка типа устройства"},
      {15211, "Восставновление неисправности"},
  };
  for (const auto& [id, text] : cases) EXPECT_EQ(t.text(id), text) << id;
}

TEST(MessageTable, HoldsExactlyTheThousandIdsAndNothingElse) {
  MessageTable t;
  for (int id = kFirstMessageId; id < kFirstMessageId + kMessageCount; ++id) t.set(id, std::to_string(id));
  t.set(14999, "below");
  t.set(16000, "above");
  t.set(-15000, "negative");
  for (int id : {15000, 15001, 15500, 15998, 15999}) EXPECT_EQ(t.text(id), std::to_string(id));
  for (int id : {14999, 16000, -15000, 0}) EXPECT_EQ(t.text(id), "") << id;
}

TEST(MessageTable, CapCountsCharactersAndNeverSplitsOne) {
  const struct {
    const char* what;
    std::string text;
    std::string kept;
  } cases[] = {
      {"254 Cyrillic stay whole", repeat("Ж", 254), repeat("Ж", 254)},
      {"mixed widths cut after 254", repeat("a", 253) + "Жb", repeat("a", 253) + "Ж"},
      {"four-byte characters", repeat("\xF0\x9F\x94\xA5", 300), repeat("\xF0\x9F\x94\xA5", 254)},
      {"short text untouched", "Тест", "Тест"},
  };
  for (const auto& c : cases) {
    MessageTable t;
    t.set(15050, c.text);
    EXPECT_EQ(t.text(15050), c.kept) << c.what;
    EXPECT_LE(characters(t.text(15050)), kMaxMessageLength) << c.what;
  }
  // A module line goes through the same cap.
  auto parsed = MessageTable::parse("15050=" + repeat("Щ", 400) + "\n");
  ASSERT_TRUE(parsed);
  EXPECT_EQ(characters(parsed->text(15050)), kMaxMessageLength);
}

TEST(MessageTable, ParseRefusesWhatATranslatorMightGetWrong) {
  const std::pair<std::string, const char*> bad[] = {
      {"# header\n\n15001=a\n16000=b\n", "строка 4"},                // comment and blank lines still count
      {"15001=a\n99999999999=b\n", "вне 15000..15999"},              // no overflow into range
      {"+15001=a\n", "строка 1"},
      {"15001 text without separator\n", "строка 1"},
      {"15001=a\n15002=b\n15001=c\n", "первый раз в строке 1"},
      {"15001=\xCF\xF0\xE8\xE1\xEE\xF0\n", "UTF-8"},                 // saved in code page 1251
  };
  for (const auto& [text, what] : bad) {
    auto r = MessageTable::parse(text);
    ASSERT_FALSE(r) << text;
    EXPECT_NE(r.error().text.find(what), std::string::npos) << r.error().text;
  }
  auto ok = MessageTable::parse(" 15001 =  two leading blanks\n15002=\n15003=C:\\Base\\\\x\n15004=last line");
  ASSERT_TRUE(ok) << ok.error().text;
  EXPECT_EQ(ok->text(15001), "  two leading blanks");
  EXPECT_EQ(ok->text(15002), "");
  EXPECT_EQ(ok->text(15003), "C:\\Base\\x");
  EXPECT_EQ(ok->text(15004), "last line");
}

TEST(Language, HelpFileNameEdgeCases) {
  const struct {
    const char* program;
    int index;
    const char* help;
  } cases[] = {
      {"vantorq", 1, "vantorq_en-help.hlp"},
      {"/opt/vq.d/vantorq", 0, "vantorq_ru-help.hlp"},       // the dot in the folder is no extension
      {"C:\\Program Files\\VQ/vantorq.tar.exe", 2, "vantorq.tar_tu-help.hlp"},
      {"/usr/bin/vantorq.exe", 7, "vantorq_ru-help.hlp"},    // unknown index: Russian
      {"/usr/bin/vantorq.exe", -1, "vantorq_ru-help.hlp"},
  };
  for (const auto& c : cases) EXPECT_EQ(help_file_name(c.program, c.index), c.help) << c.program;
}

TEST(Language, ModuleNamedLikeTheProgram) {
  EXPECT_EQ(language_module_path("/opt/vq/vantorq", "EN"), std::filesystem::path("/opt/vq/vantorq.EN"));
  EXPECT_EQ(language_module_path("vantorq.exe", "EN"), std::filesystem::path("vantorq.EN"));
  EXPECT_EQ(language_module_path("/opt/vq.d/vantorq", "TR"), std::filesystem::path("/opt/vq.d/vantorq.TR"));
}

TEST_F(LanguageModule, WindowsAuthoredModuleLoads) {
  write("vantorq.EN", "\xEF\xBB\xBF# English\r\n15004=System message\r\n15027=Type: %s. Firmware: %d.%d.%d\r\n");
  std::string note = "stale";
  const auto t = load_message_table(dir_ / "vantorq.exe", "EN", &note);
  EXPECT_EQ(note, "");
  EXPECT_EQ(t.text(15004), "System message");
  EXPECT_EQ(format_message(t.text(15027), {"Q", 2, 4, 7}), "Type: Q. Firmware: 2.4.7");
}

TEST_F(LanguageModule, UnusableModulesFallBackWithAReason) {
  write("vantorq.TR", "15004=\xD1\xE8\xF1\xF2\xE5\xEC\xED\xEE\xE5\n");  // code page 1251, not UTF-8
  write("vantorq.DE", "15004=a\n15004=b\n");
  std::filesystem::create_directory(dir_ / "vantorq.FR");  // a folder where the file should be
  write("escape.EN", "15004=outside\n");
  const struct {
    const char* locale;
    const char* reason;
  } cases[] = {
      {"TR", "UTF-8"}, {"DE", "дважды"}, {"FR", "не найден"}, {"IT", "не найден"}, {"../escape", "код языка"},
  };
  for (const auto& c : cases) {
    std::string note;
    const auto t = load_message_table(dir_ / "vantorq", c.locale, &note);
    EXPECT_EQ(t.text(15004), "Системное сообщение") << c.locale;
    EXPECT_NE(note.find(c.reason), std::string::npos) << c.locale << ": " << note;
  }
  // Without a note the fallback is just as quiet.
  EXPECT_EQ(load_message_table(dir_ / "vantorq", "TR").text(15039), "Сорвел-630М-Q");
}

TEST_F(LanguageModule, ReferencesSurviveReplacingTheTable) {
  write("vantorq.EN", "15039=Sorvel-630M-Q\n");
  const MessageTable& before = messages();
  const std::string russian = before.text(15039);
  set_messages(load_message_table(dir_ / "vantorq", "EN"));
  EXPECT_EQ(msg(15039), "Sorvel-630M-Q");
  EXPECT_EQ(before.text(15039), russian) << "a table handed out earlier stays alive";
}

TEST(FormatMessage, HostileFormatsAndArguments) {
  const struct {
    const char* fmt;
    std::initializer_list<FormatArg> args;
    const char* out;
  } cases[] = {
      {"%s %s %d %d", {}, "   "},                                 // nothing to substitute
      {"%s", {"%s%d%n"}, "%s%d%n"},                              // arguments are never expanded again
      {"%%d %%s", {1, "x"}, "%d %s"},
      {"100%", {1}, "100%"},
      {"%", {}, "%"},
      {"%ж %5d %ld %.3s", {1}, "%ж %5d %ld %.3s"},               // foreign directives take no argument
      {"%d|%d|%s", {-2147483647 - 1, 4294967295u, 12}, "-2147483648|4294967295|12"},
  };
  for (const auto& c : cases) EXPECT_EQ(format_message(c.fmt, c.args), c.out) << c.fmt;
  // An embedded NUL does not end the argument.
  EXPECT_EQ(format_message("<%s>", {std::string("a\0b", 3)}), std::string("<a\0b>", 5));
  EXPECT_EQ(format_message(msg(15027), {"Сорвел-630М-Q", 2, 4, 7}), "Тип прибора: Сорвел-630М-Q. Версия ПО: 2.4.7");
}
