// The radio network keys of `config set/get/show/diff` on the demo configuration: values
// go through the page operations, a refused value leaves the file as it was.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "cli/cli_fixture.hpp"

namespace {

using vq::test::Cli;

TEST_F(Cli, RadioKeysRoundTripThroughSetAndShow) {
  const auto cfg = demo_cfg();
  const auto set = run("config set " + cfg.string() +
                       " radio.channel_control_period=20 radio_devices.2.sensitivity=высокая"
                       " radio_devices.15.volume=1 radio_devices.9.threshold_temp=55 radio_devices.1.partition=5"
                       " radio_devices.3.device_kind=РПД loops.2.partition=7 loops.1.integration_ms=500");
  ASSERT_EQ(set.status, 0) << set.err;

  const auto json = run("config show --json " + cfg.string());
  ASSERT_EQ(json.status, 0) << json.err;
  for (const std::string want : {
           R"j({"key": "channel_control_period", "label": "период контроля канала, мин", "value": 20})j",
           R"j({"key": "2.sensitivity", "label": "устройство 2: чувствительность основного канала", "value": "высокая", "code": 3})j",
           R"j({"key": "2.changed", "label": "устройство 2: отметка изменения", "value": true})j",
           R"j({"key": "15.volume", "label": "устройство 15: громкость звучания", "value": 1})j",
           R"j({"key": "9.threshold_temp", "label": "устройство 9: пороговая температура сработки, град.C", "value": 55})j",
           R"j({"key": "1.partition", "label": "устройство 1: раздел", "value": 5})j",
           R"j({"key": "2.partition", "label": "ШС2: раздел", "value": 7})j",
           // ШС2 went to a "Пожарный 2" partition: its type and double activation follow.
           R"j({"key": "2.partition_type", "label": "ШС2: тип раздела (записанный)", "value": "Пожарный 2", "code": 3})j",
           R"j({"key": "2.double_activation", "label": "ШС2: двойная сработка", "value": true})j",
           R"j({"key": "1.integration_ms", "label": "ШС1: время интегрирования, мс", "value": 500})j",
           R"j({"key": "slot_count", "label": "число ячеек радиоустройств", "value": 250})j",
       })
    EXPECT_NE(json.out.find(want), std::string::npos) << want;

  // The kind brought its lists along as the dialog does.
  struct Get {
    const char* key;
    const char* value;
  };
  for (const Get& g : {Get{"radio_devices.3.device_kind", "РПД"}, Get{"radio_devices.3.main_channel", "выключен"},
                       Get{"radio_devices.3.aux_input", "включен"}, Get{"radio_devices.3.aux_input_type", "НР"},
                       Get{"radio_devices.3.type", "СМК"}, Get{"radio_devices.12.changed", "нет"}}) {
    const auto r = run("config get " + cfg.string() + " " + g.key);
    EXPECT_EQ(r.status, 0) << g.key << ": " << r.err;
    EXPECT_EQ(r.out, std::string(g.value) + "\n") << g.key;
  }
  // Empty slots are not listed.
  EXPECT_NE(run("config get " + cfg.string() + " radio_devices.20.type").status, 0);
}

TEST_F(Cli, RefusedRadioValuesLeaveTheFileByteIdentical) {
  expect_refused(demo_cfg(), {
      {"radio.channel_control_period=3", "Период контроля канала: введите целое число от 4 до 42"},
      {"radio.channel_control_period=abc", "Период контроля канала: введите целое число от 4 до 42"},
      {"radio.slot_count=100", "только для чтения"},
      {"radio_devices.2.volume=2", "у устройства типа ИК (код 2) нет параметра «громкость звучания»"},
      {"radio_devices.2.sensitivity=1", "В данной версии не используется!"},
      {"radio_devices.2.sensitivity=очень", "чувствительность основного канала: допустимо 0 или «низкая»"},
      {"radio_devices.2.aux_input_type=НР", "у этого устройства вход дополнительного канала всегда НЗ"},
      {"radio_devices.11.main_channel=1", "для вида РПД задаются только"},
      {"radio_devices.9.threshold_temp=70", "от 54 до 65"},
      {"radio_devices.15.volume=0", "от 1 до 4"},
      {"radio_devices.20.partition=3", "Радиоустройство не зарегистрировано. Присвоение невозможно."},
      {"radio_devices.20.sensitivity=0", "Радиоустройство 20: нет устройства"},
      {"radio_devices.1.type=5", "только для чтения"},
      {"radio_devices.1.changed=0", "только для чтения"},
      {"radio_devices.251.partition=1", "Номер радиоустройства: от 1 до 250"},
      {"radio_devices.1.partition=97", "Раздел радиоустройства 1: введите целое число от 0 до 96"},
      {"loops.1.partition=97", "Раздел ШС1: введите целое число от 0 до 96"},
      {"loops.sos.integration_ms=70", "Нет такого поля шлейфа SOS"},
      {"loops.1.integration_ms=100", "500 или 70"},
      {"loops.1.double_activation=0", "только для чтения"},
      // All or nothing: a good value before a bad one is not saved either.
      {"radio.channel_control_period=20 radio_devices.2.volume=2", "нет параметра"},
  });
}

TEST_F(Cli, DiffNamesTheRadioFieldsThatChanged) {
  const auto a = demo_cfg("a.cfg");
  const auto b = dir / "b.cfg";
  std::filesystem::copy_file(a, b);
  ASSERT_EQ(run("config set " + b.string() + " radio_devices.5.integration_time=среднее loops.sos.partition=0").status,
            0);
  const auto diff = run("config diff " + a.string() + " " + b.string());
  ASSERT_EQ(diff.status, 1) << diff.err;
  // ВБР 5 already held "среднее": the save still marks it changed.
  EXPECT_EQ(diff.out,
            "Радиоустройства: устройство 5: отметка изменения: нет → да\n"
            "Шлейфы: SOS: раздел: 1 → 0\n");
}

}  // namespace
