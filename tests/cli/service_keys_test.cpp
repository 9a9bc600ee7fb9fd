// The service, PSTN, general, voice-module and speech-notice keys of `config
// set/get/show/diff` on the demo configuration: a set value shows again, only its own
// bytes change, and a refused value leaves the file as it was.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "cli/cli_fixture.hpp"

namespace {

using vq::test::Cli;

TEST_F(Cli, ServiceAndVoiceKeysRoundTripThroughSetAndShow) {
  const auto cfg = demo_cfg();
  const auto set = run("config set " + cfg.string() +
                       " service.answer_rings='5  гудков' service.sim2.sms_centre=+79161234567"
                       " service.sim1.pin=0000 service.sim1.balance_request='*105#' service.test_notice_period=0"
                       " service.silence_start=23:15 service.object_name=Котельная"
                       " pstn.priority=Телефон general.backlight_mode=0 general.sounder_seconds=45 general.language=1"
                       " voice_module.volume=8 voice_module.notice_12=0 voice_module.auto_reminder_2=06:45"
                       " speech_notices.3.2.active=1 speech_notices.3.2.state=Неисправность"
                       " speech_notices.3.2.delay=600 speech_notices.3.2.duration=240"
                       " speech_notices.3.2.partitions=1,5-6,96");
  ASSERT_EQ(set.status, 0) << set.err;

  const auto json = run("config show --json --show-secrets " + cfg.string());
  ASSERT_EQ(json.status, 0) << json.err;
  for (const std::string want : {
           R"j({"key": "answer_rings", "label": "задержка снятия трубки при входящем звонке", "value": "5  гудков", "code": 5})j",
           R"j({"key": "sim2.sms_centre", "label": "SIM#2: номер СЦ SMS", "value": "+79161234567"})j",
           R"j({"key": "sim1.pin", "label": "SIM#1: PIN-код", "value": "0000"})j",
           R"j({"key": "sim1.balance_request", "label": "SIM#1: запрос состояния счета", "value": "*105#"})j",
           R"j({"key": "test_notice_period", "label": "периодичность сообщения ТЕСТ", "value": "никогда", "code": 0})j",
           R"j({"key": "silence_start", "label": "интервал тишины с", "value": "23:15"})j",
           R"j({"key": "object_name", "label": "имя объекта", "value": "Котельная"})j",
           R"j({"key": "priority", "label": "приоритет телефонной линии", "value": "Телефон", "code": 0})j",
           R"j({"key": "backlight_mode", "label": "режим подсветки ЖКИ", "value": "всегда включена", "code": 0})j",
           R"j({"key": "sounder_seconds", "label": "время внутреннего звука, с", "value": 45})j",
           R"j({"key": "language", "label": "язык прибора", "value": "английский", "code": 1})j",
           R"j({"key": "volume", "label": "громкость (0–8)", "value": 8})j",
           R"j({"key": "notice_12", "label": "извещение «Раздел не готов»", "value": false})j",
           R"j({"key": "auto_reminder_2", "label": "автонапоминание, метка 2", "value": "06:45"})j",
           R"j({"key": "3.2.state", "label": "зона 3, сообщение 2: состояние раздела", "value": "Неисправность", "code": 8})j",
           R"j({"key": "3.2.delay", "label": "зона 3, сообщение 2: задержка включения, с", "value": 600})j",
           R"j({"key": "3.2.duration", "label": "зона 3, сообщение 2: время звучания", "value": "240 мин", "code": 240})j",
           R"j({"key": "3.2.partitions", "label": "зона 3, сообщение 2: разделы", "value": "1,5,6,96"})j",
       })
    EXPECT_NE(json.out.find(want), std::string::npos) << want;
  // Decoded, so not dumped as bytes as well.
  for (const char* raw : {"\"key\": \"service\", \"title\": \"service\"", "\"key\": \"indication\"",
                          "\"key\": \"voice_module\", \"title\": \"voice_module\"", "\"key\": \"speech_notices\", \"title\": \"speech_notices\"",
                          "\"key\": \"speech_notice_partitions\"", "\"key\": \"panel_language\""})
    EXPECT_EQ(json.out.find(raw), std::string::npos) << raw;

  struct Get {
    const char* key;
    const char* value;
  };
  for (const Get& g : {Get{"service.sim1.pin", "***"}, Get{"service.sim2.balance_request", "*102#"},
                       Get{"service.service_message_time", "09:30"}, Get{"speech_notices.1.1.partitions", "3,7,10"},
                       Get{"speech_notices.96.8.active", "нет"}, Get{"voice_module.disarm_reminder", "да"}}) {
    const auto r = run("config get " + cfg.string() + " " + g.key);
    EXPECT_EQ(r.status, 0) << g.key << ": " << r.err;
    EXPECT_EQ(r.out, std::string(g.value) + "\n") << g.key;
  }
}

TEST_F(Cli, AServiceKeyChangesOnlyItsOwnBytes) {
  const auto a = demo_cfg("a.cfg");
  const auto b = dir / "b.cfg";
  std::filesystem::copy_file(a, b);
  ASSERT_EQ(run("config set " + b.string() + " service.service_message_time=08:30").status, 0);
  const std::string x = bytes_of(a), y = bytes_of(b);
  ASSERT_EQ(x.size(), y.size());
  std::size_t differing = 0;
  for (std::size_t i = 0; i < x.size(); ++i) differing += x[i] != y[i];
  EXPECT_EQ(differing, 1u) << "hours 9 -> 8; the minutes were 30 already";
  const auto diff = run("config diff " + a.string() + " " + b.string());
  EXPECT_EQ(diff.out, "Телефоны сервисных центров/PIN-коды: время отправки сервисных сообщений: 09:30 → 08:30\n");
}

TEST_F(Cli, RefusedServiceAndVoiceValuesLeaveTheFileByteIdentical) {
  expect_refused(demo_cfg(), {
      {"service.sim1.pin=123", "SIM#1, PIN-код: введите 4 цифры или оставьте поле пустым"},
      {"service.sim2.pin=7", "введите 4 цифры"},
      {"service.sim1.sms_centre=12345678901234567", "не более 16 цифр"},
      {"service.sim1.balance_request=*1x#", "только цифры и знаки"},
      {"service.contact_id_account=17", "Нет такого ключа"},  // the recipients page owns it
      {"service.silence_end=24:00", "Параметр введен неверно! Повторите ввод."},
      {"service.object_name=Торговый_центр_1", "Имя объекта"},
      {"service.answer_rings=16", "номер от 0 до 15"},
      {"service.sim3.pin=1234", "Нет такого ключа"},
      {"pstn.priority=2", "номер от 0 до 1"},
      {"pstn.registered=0", "задаётся только pstn.priority"},
      {"general.backlight_mode=0 general.backlight_seconds=10", "только в режиме «включать на время (сек)»"},
      {"general.sounder_seconds=0", "от 1 до 255"},
      {"general.language=4", "«турецкий»"},
      {"voice_module.volume=9", "от 0 до 8"},
      {"voice_module.notice_13=1", "Нет такого ключа"},
      {"speech_notices.1.3.state=0", "сообщение не активно"},
      {"speech_notices.1.1.delay=20", "от 30 до 600"},
      {"speech_notices.1.1.delay=35", "с шагом 10"},
      {"speech_notices.1.1.partitions=0,97", "разделы"},
      {"speech_notices.97.1.active=1", "зона 1–96"},
      // All or nothing: a good value before a bad one is not saved either.
      {"service.object_name=Склад service.sim1.pin=12", "PIN-код"},
  });
}

TEST_F(Cli, UntickingASpeechMessageResetsItAsThePageDoes) {
  const auto cfg = demo_cfg();
  ASSERT_EQ(run("config set " + cfg.string() + " speech_notices.1.2.active=0").status, 0) ;
  EXPECT_EQ(run("config get " + cfg.string() + " speech_notices.1.2.active").out, "нет\n");
  ASSERT_EQ(run("config set " + cfg.string() + " speech_notices.1.2.active=1").status, 0);
  for (const auto& [key, value] : {std::pair{"state", "Пожар"}, std::pair{"delay", "30"}, std::pair{"duration", "бесконечно"},
                                   std::pair{"partitions", ""}})
    EXPECT_EQ(run("config get " + cfg.string() + " speech_notices.1.2." + key).out, std::string(value) + "\n") << key;
}

}  // namespace
