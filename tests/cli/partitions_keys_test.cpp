// The partition keys of `config set/get/show/diff` on the demo configuration: values go
// through the dialogs' confirm, a refused value leaves the file as it was.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "cli/cli_fixture.hpp"

namespace {

using vq::test::Cli;

TEST_F(Cli, PartitionKeysRoundTripThroughSetAndShow) {
  const auto cfg = demo_cfg();
  const auto set = run("config set " + cfg.string() +
                       " partitions.5.type='Пожарный 2' partitions.8.entry_delay=0 partitions.8.exit_delay=255"
                       " partitions.2.auto_arm_time=250 partitions.9.temp_high=40 partitions.6.type=0"
                       " partitions.4.name=Касса partitions.7.name='склад 1' partitions.1.bypass_allowed=0"
                       " relay_modules.4.relay_2=6");
  ASSERT_EQ(set.status, 0) << set.err;

  const auto json = run("config show --json " + cfg.string());
  ASSERT_EQ(json.status, 0) << json.err;
  for (const std::string want : {
           R"j({"key": "partitions", "title": "Разделы", "fields": [)j",
           R"j({"key": "5.type", "label": "раздел 5: тип", "value": "Пожарный 2", "code": 3})j",
           // A fire type runs round the clock, as the dialog sets it.
           R"j({"key": "5.round_the_clock", "label": "раздел 5: круглосуточно", "value": true})j",
           R"j({"key": "8.entry_delay", "label": "раздел 8: задержка на вход, с", "value": 0})j",
           R"j({"key": "8.exit_delay", "label": "раздел 8: задержка на выход, с", "value": 255})j",
           R"j({"key": "2.auto_arm_time", "label": "раздел 2: время автовзятия, с", "value": 250})j",
           R"j({"key": "9.temp_high", "label": "раздел 9: верхняя граница температуры, °C", "value": 40})j",
           R"j({"key": "6.type", "label": "раздел 6: тип", "value": "Охранный", "code": 0})j",
           // Technological to security without 24h: its stored delays come to light.
           R"j({"key": "6.exit_delay", "label": "раздел 6: задержка на выход, с", "value": 10})j",
           R"j({"key": "4.name", "label": "раздел 4: наименование", "value": "Касса"})j",
           R"j({"key": "7.name", "label": "раздел 7: наименование", "value": "склад 1"})j",
           R"j({"key": "1.bypass_allowed", "label": "раздел 1: разрешение обхода", "value": false})j",
           R"j({"key": "96.type", "label": "раздел 96: тип", "value": "Охранный", "code": 0})j",
           R"j({"key": "relay_modules", "title": "Модули МР", "fields": [)j",
           R"j({"key": "4.relay_2", "label": "модуль МР 4: реле 2", "value": 6})j",
       })
    EXPECT_NE(json.out.find(want), std::string::npos) << want;
  // Decoded, so not dumped as bytes as well.
  for (const char* raw : {"\"key\": \"entry_exit_delays\"", "\"key\": \"partition_names\"", "\"key\": \"auto_arm_times\""})
    EXPECT_EQ(json.out.find(raw), std::string::npos) << raw;

  struct Get {
    const char* key;
    const char* value;
  };
  for (const Get& g : {Get{"partitions.5.silent_alarm", "нет"}, Get{"partitions.10.type", "Пожарно-аналоговый"},
                       Get{"partitions.3.name", "серверная"}, Get{"relay_modules.3.relay_1", "6"}}) {
    const auto r = run("config get " + cfg.string() + " " + g.key);
    EXPECT_EQ(r.status, 0) << g.key << ": " << r.err;
    EXPECT_EQ(r.out, std::string(g.value) + "\n") << g.key;
  }
  // Meaningless for a fire partition: not shown.
  EXPECT_NE(run("config get " + cfg.string() + " partitions.5.entry_delay").status, 0);
}

TEST_F(Cli, RefusedPartitionValuesLeaveTheFileByteIdentical) {
  expect_refused(demo_cfg(), {
      {"partitions.3.entry_delay=5", "Раздел 3: задержка на вход не задаётся для типа «Пожарный 1»"},
      {"partitions.9.exit_delay=5", "не задаётся для типа «Контроль температуры»"},
      {"partitions.3.round_the_clock=0", "у пожарного раздела не меняется"},
      {"partitions.7.silent_alarm=1", "всегда выключено"},
      {"partitions.5.type='Проходная зона'", "допустим только для раздела 1"},
      {"partitions.5.type=6", "не выбирается"},
      {"partitions.5.type=7", "от 0 до 5"},
      {"partitions.5.type=охранный", "введите номер типа или его название"},
      {"partitions.1.auto_arm_time=10", "только при включённом «Автовзятие»"},
      {"partitions.5.temp_low=1", "только для типа «Контроль температуры»"},
      {"partitions.9.temp_low=100", "Раздел 9, нижняя граница температуры: введите целое число от 0 до 99"},
      {"partitions.5.auto_arm_time=251", "Раздел 5, время автовзятия: введите целое число от 0 до 250"},
      {"partitions.1.entry_delay=-1", "Раздел 1, задержка на вход: введите целое число от 0 до 255"},
      {"partitions.1.entry_delay=1e2", "от 0 до 255"},
      {"partitions.1.bypass_allowed=да1", "введите 1 (да) или 0 (нет)"},
      {"partitions.4.name=Бухгалтерия", "Наименование раздела 4: не длиннее 8 знаков"},
      {"partitions.4.name=Ωмега", "нет в кодировке прибора"},
      {"partitions.4.name=", "введите название"},
      {"partitions.0.type=0", "Нет такого ключа"},
      {"partitions.97.type=0", "Нет такого ключа"},
      {"relay_modules.3.relay_1=97", "Привязка реле 1: введите целое число от 0 до 96"},
      {"relay_modules.3.relay_1=x", "от 0 до 96"},
      {"relay_modules.3.relay_3=6", "только реле 1 и 2"},
      {"relay_modules.5.relay_1=6", "Модуль МР 5 в таблице модулей МР не найден"},
      // All or nothing: a good value before a bad one is not saved either.
      {"partitions.5.type=2 partitions.5.entry_delay=1", "не задаётся"},
  });
}

TEST_F(Cli, DiffNamesThePartitionFieldsThatChanged) {
  const auto a = demo_cfg("a.cfg");
  const auto b = dir / "b.cfg";
  std::filesystem::copy_file(a, b);
  ASSERT_EQ(run("config set " + b.string() + " partitions.5.type=3 partitions.4.name=Касса relay_modules.3.relay_2=-")
                .status,
            0);
  const auto diff = run("config diff " + a.string() + " " + b.string());
  ASSERT_EQ(diff.status, 1) << diff.err;
  EXPECT_EQ(diff.out,
            "Разделы: раздел 4: наименование: Бухгалт. → Касса\n"
            "Разделы: раздел 5: тип: Охранный → Пожарный 2\n"
            "Разделы: раздел 5: круглосуточно: нет → да\n"
            "Разделы: раздел 5: задержка на вход, с: 10 → —\n"
            "Разделы: раздел 5: задержка на выход, с: 20 → —\n"
            "Модули МР: модуль МР 3: реле 2: 6 → 0\n");
}

}  // namespace
