// The system output keys of `config set/get/show/diff` on the demo configuration: values
// go through the page operations, a refused value leaves the file as it was.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "cli/cli_fixture.hpp"

namespace {

using vq::test::Cli;

// Demo outputs: 1 ППКОП 1/1 "Звуковой" on partitions 1,2,4,5,8; 2 ППКОП 1/2; 4 СЗО 14/1;
// 7 РТМ 17/2 "Дистанционное управление" 60 s; 11 МР 4/1 mode 8; 12 the ОПС 19 kept as
// class 2; 13 and up free.
TEST_F(Cli, SystemOutputKeysRoundTripThroughSetAndShow) {
  const auto cfg = demo_cfg();
  const auto set = run("config set " + cfg.string() +
                       " system_outputs.13.device_class=ППКОП system_outputs.13.device=1 system_outputs.13.output=4"
                       " system_outputs.4.device_class=3 system_outputs.4.device=4 system_outputs.4.output=3"
                       " system_outputs.1.mode=Исполнительный system_outputs.1.control_time=45"
                       " system_outputs.2.partitions=1,5,7-9 system_outputs.3.device_class=0");
  ASSERT_EQ(set.status, 0) << set.err;

  const auto json = run("config show --json " + cfg.string());
  ASSERT_EQ(json.status, 0) << json.err;
  for (const std::string want : {
           R"j({"key": "13.device_class", "label": "выход 13: тип устройства", "value": "ППКОП", "code": 1})j",
           R"j({"key": "13.device", "label": "выход 13: номер устройства", "value": 1})j",
           R"j({"key": "13.output", "label": "выход 13: номер физического выхода", "value": 4})j",
           R"j({"key": "4.device_class", "label": "выход 4: тип устройства", "value": "МР", "code": 3})j",
           R"j({"key": "4.device", "label": "выход 4: номер устройства", "value": 4})j",
           R"j({"key": "4.output", "label": "выход 4: номер физического выхода", "value": 3})j",
           R"j({"key": "1.mode", "label": "выход 1: режим", "value": "Исполнительный", "code": 2})j",
           R"j({"key": "1.control_time", "label": "выход 1: время контроля, с", "value": 45})j",
           R"j({"key": "1.partitions", "label": "выход 1: разделы", "value": "1,2,4,5,8"})j",
           R"j({"key": "2.partitions", "label": "выход 2: разделы", "value": "1,5,7-9"})j",
           R"j({"key": "3.device_class", "label": "выход 3: тип устройства", "value": "нет устройства", "code": 0})j",
           R"j({"key": "12.device_class", "label": "выход 12: тип устройства", "value": "ОПС", "code": 5})j",
           R"j({"key": "7.control_time", "label": "выход 7: время контроля, с", "value": 60})j",
       })
    EXPECT_NE(json.out.find(want), std::string::npos) << want;
  // A free output shows no device; a mode without a time shows none; outputs with
  // nothing in them are not listed.
  EXPECT_EQ(json.out.find(R"("3.device")"), std::string::npos);
  EXPECT_EQ(json.out.find(R"("2.control_time")"), std::string::npos);
  EXPECT_EQ(json.out.find(R"("14.mode")"), std::string::npos);

  struct Get {
    const char* key;
    const char* value;
  };
  for (const Get& g : {Get{"system_outputs.7.mode", "Дистанционное управление"}, Get{"system_outputs.7.partitions", ""},
                       Get{"system_outputs.12.device", "19"}, Get{"system_outputs.13.output", "4"}}) {
    const auto r = run("config get " + cfg.string() + " " + g.key);
    EXPECT_EQ(r.status, 0) << g.key << ": " << r.err;
    EXPECT_EQ(r.out, std::string(g.value) + "\n") << g.key;
  }

  // The values as shown set back change nothing (ОПС stays stored as class 2).
  const std::string shown = bytes_of(cfg);
  const auto again = run("config set " + cfg.string() +
                         " system_outputs.12.device_class=ОПС system_outputs.12.device=19 system_outputs.12.output=1"
                         " system_outputs.1.mode=2 system_outputs.1.control_time=45 system_outputs.2.partitions=1,5,7-9");
  ASSERT_EQ(again.status, 0) << again.err;
  EXPECT_EQ(bytes_of(cfg), shown);
}

TEST_F(Cli, RefusedSystemOutputValuesLeaveTheFileByteIdentical) {
  expect_refused(demo_cfg(), {
      {"system_outputs.7.partitions=3", "привязка к разделам недопустима"},
      {"system_outputs.1.control_time=20", "только в режимах «Исполнительный» и «Дистанционное управление»"},
      {"system_outputs.7.control_time=0", "от 1 до 250"},
      {"system_outputs.1.mode=9", "Режим работы выхода: введите 0 «ПЦН тревога»"},
      {"system_outputs.1.output=2", "не свободный выход устройства ППКОП 1; свободны: 4, 5"},
      {"system_outputs.1.output=6", "свободны: 4, 5"},
      {"system_outputs.1.device=2", "не устройство типа «ППКОП»; есть: 1"},
      {"system_outputs.4.device=15", "не устройство типа «СЗО»; есть: 14"},
      {"system_outputs.13.device=1", "выход 13 свободен"},
      {"system_outputs.1.device_class=Сирена", "Тип устройства: введите 0 «нет устройства»"},
      {"system_outputs.1.device_class=6", "Тип устройства: введите"},
      {"system_outputs.13.device_class=ОПС", "нет устройства этого типа со свободным выходом"},
      {"system_outputs.2.partitions=1,97", "Разделы"},
      {"system_outputs.2.partitions=1-", "Разделы"},
      {"system_outputs.251.mode=1", "N от 1 до 250"},
      {"system_outputs.1.colour=1", "нет поля «colour»"},
      // All or nothing: a good value before a bad one is not saved either.
      {"system_outputs.1.mode=3 system_outputs.11.partitions=1", "недопустима"},
  });
}

TEST_F(Cli, DiffNamesTheSystemOutputFieldsThatChanged) {
  const auto a = demo_cfg("a.cfg");
  const auto b = dir / "b.cfg";
  std::filesystem::copy_file(a, b);
  // Mode 8 clears the links of output 6 and sets its time to 10, as the dialog would.
  ASSERT_EQ(run("config set " + b.string() + " system_outputs.6.mode=8 system_outputs.2.device_class=0").status, 0);
  const auto diff = run("config diff " + a.string() + " " + b.string());
  ASSERT_EQ(diff.status, 1) << diff.err;
  EXPECT_EQ(diff.out,
            "Системные выходы: выход 2: тип устройства: ППКОП → нет устройства\n"
            "Системные выходы: выход 2: номер устройства: 1 → —\n"
            "Системные выходы: выход 2: номер физического выхода: 2 → —\n"
            "Системные выходы: выход 6: режим: Исполнительный → Дистанционное управление\n"
            "Системные выходы: выход 6: время контроля, с: 30 → 10\n"
            "Системные выходы: выход 6: разделы: 6 → \n");
}

}  // namespace
