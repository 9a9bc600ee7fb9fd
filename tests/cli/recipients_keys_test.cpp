// The recipient keys of `config set/get/show/diff` on the demo configuration: values go
// through the recipient dialog's commit (channels renumbered, tables dense), a refused
// value leaves the file as it was.
#include <gtest/gtest.h>

#include <string>

#include "cli/cli_fixture.hpp"

namespace {

using vq::test::Cli;

TEST_F(Cli, RecipientKeysRoundTripThroughSetAndShow) {
  const auto cfg = demo_cfg();
  const auto before = dir / "before.cfg";
  std::filesystem::copy_file(cfg, before);
  // Recipient 1 goes (its channels 1 and 2 with it), recipient 4 comes on the next free
  // channel; recipient 2 keeps its numbers on renumbered channels.
  const auto set = run("config set " + cfg.string() +
                       " recipients.1.main.number=- recipients.4.main.number=+79991234567"
                       " recipients.4.main.notice=SMS recipients.4.categories=1,6"
                       " 'recipients.4.category_6.delay=20 сек' recipients.4.category_1.urgent=1"
                       " recipients.4.partitions=1-3,96 recipients.4.sim_notice=1"
                       " recipients.3.reserve.number=8P4951112233 recipients.3.reserve.notice=SIA"
                       " recipients.2.test_notice=1 recipients.contact_id_account=77");
  ASSERT_EQ(set.status, 0) << set.err;

  const auto json = run("config show --json " + cfg.string());
  ASSERT_EQ(json.status, 0) << json.err;
  for (const std::string want : {
           R"j({"key": "recipients", "title": "Телефоны получателей", "fields": [)j",
           R"j({"key": "1.main.number", "label": "получатель 1: основной канал, номер", "value": "-"})j",
           R"j({"key": "2.main.number", "label": "получатель 2: основной канал, номер", "value": "+79035551122"})j",
           R"j({"key": "2.test_notice", "label": "получатель 2: уведомления о сообщении ТЕСТ", "value": true})j",
           R"j({"key": "3.reserve.number", "label": "получатель 3: резервный канал, номер", "value": "8P4951112233"})j",
           R"j({"key": "3.reserve.device", "label": "получатель 3: резервный канал, устройство", "value": "PSTN", "code": 1024})j",
           R"j({"key": "3.reserve.notice", "label": "получатель 3: резервный канал, тип оповещения", "value": "SIA", "code": 5})j",
           R"j({"key": "4.main.device", "label": "получатель 4: основной канал, устройство", "value": "GSM", "code": 2048})j",
           R"j({"key": "4.main.notice", "label": "получатель 4: основной канал, тип оповещения", "value": "SMS", "code": 2})j",
           R"j({"key": "4.categories", "label": "получатель 4: категории", "value": "1,6"})j",
           R"j({"key": "4.category_1.urgent", "label": "получатель 4: категория «Информационная», срочно", "value": true})j",
           R"j({"key": "4.category_6.delay", "label": "получатель 4: категория «Тревожная», задержка до передачи", "value": "20 сек", "code": 2})j",
           R"j({"key": "4.sim_notice", "label": "получатель 4: уведомления о счете SIM-карт", "value": true})j",
           R"j({"key": "4.partitions", "label": "получатель 4: разделы", "value": "1-3,96"})j",
           R"j({"key": "contact_id_account", "label": "аккаунт Contact ID", "value": 77})j",
       })
    EXPECT_NE(json.out.find(want), std::string::npos) << want;
  // Decoded, so not dumped as bytes as well.
  for (const char* raw : {"\"key\": \"recipient_partitions\"", "\"key\": \"delivery_groups\""})
    EXPECT_EQ(json.out.find(raw), std::string::npos) << raw;

  // Recipient 2's channels 3 and 4 became 1 and 2, recipient 3's channel 5 became 3; the
  // new reserve and recipient 4 took 4 and 5. Every number stayed with its recipient.
  struct Get {
    const char* key;
    const char* value;
  };
  for (const Get& g : {Get{"recipients.2.reserve.number", "+79035551133"}, Get{"recipients.3.main.number", "+79267770044"},
                       Get{"recipients.4.main.number", "+79991234567"}, Get{"recipients.5.main.number", "-"}}) {
    const auto r = run("config get " + cfg.string() + " " + g.key);
    EXPECT_EQ(r.status, 0) << g.key << ": " << r.err;
    EXPECT_EQ(r.out, std::string(g.value) + "\n") << g.key;
  }
  const auto diff = run("config diff " + before.string() + " " + cfg.string());
  EXPECT_NE(diff.out.find("получатель 4: основной канал, номер: - → +79991234567"), std::string::npos) << diff.out;
  EXPECT_NE(diff.out.find("аккаунт Contact ID: 4821 → 77"), std::string::npos) << diff.out;
}

TEST_F(Cli, RefusedRecipientValuesLeaveTheFileByteIdentical) {
  expect_refused(demo_cfg(), {
      {"recipients.1.main.number=+", "Для основного канала необходимо указать номер телефона!"},
      {"recipients.4.main.number=+7916P", "допустимы цифры"},
      {"recipients.1.main.device=GSM", "допустимы цифры"},  // 8W495... has a letter
      {"recipients.3.main.notice=SIA", "В данной версии не обрабатывается!"},
      {"recipients.3.main.notice=7", "от 1 до 5"},
      {"recipients.4.reserve.number=+7916", "только вместе с основным"},
      {"recipients.4.categories=1", "нет основного канала"},
      {"recipients.3.categories=1,7", "от 1 до 6"},
      {"recipients.3.category_1.urgent=1", "категория 1 не передаётся"},
      {"recipients.3.category_3.delay=8", "от 0 до 7"},
      {"recipients.3.category_3.period=1", "не настраивается"},
      {"recipients.1.sim_notice=1", "только для основного канала GSM"},
      {"recipients.2.partitions=0", "от 1 до 96"},
      {"recipients.9.main.number=+7", "получатели 1–8"},
      {"recipients.contact_id_account=0", "от 1 до 9999"},
      // One refused value: the whole command changes nothing.
      {"recipients.4.main.number=+79991234567 recipients.4.main.device=ISDN", "GSM или PSTN"},
  });
}

}  // namespace
