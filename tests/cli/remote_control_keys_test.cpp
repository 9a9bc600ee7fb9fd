// The remote control keys of `config set/get/show/diff` on the demo configuration: the
// plain fields go through the dialog's save, the password stays masked unless asked for
// and is never set from a command line; a refused value leaves the file as it was.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "cli/cli_fixture.hpp"

namespace {

using vq::test::Cli;

TEST_F(Cli, RemoteControlKeysRoundTripThroughSetAndShow) {
  const auto cfg = demo_cfg();
  const auto set = run("config set " + cfg.string() +
                       " remote_control.2.user=4 remote_control.2.commands=0,2,3 remote_control.2.telephone=+74951234567"
                       " remote_control.3.telephone=- remote_control.1.active=0");
  ASSERT_EQ(set.status, 0) << set.err;

  const auto json = run("config show --json " + cfg.string());
  ASSERT_EQ(json.status, 0) << json.err;
  for (const std::string want : {
           R"j({"key": "remote_control", "title": "Дистанционное управление", "fields": [)j",
           R"j({"key": "count", "label": "активных записей (в таблице)", "value": 2})j",
           R"j({"key": "1.active", "label": "запись 1: активна", "value": false})j",
           R"j({"key": "2.active", "label": "запись 2: активна", "value": true})j",
           R"j({"key": "2.password", "label": "запись 2: пароль", "value": "***"})j",
           R"j({"key": "2.commands", "label": "запись 2: команды", "value": "0,2,3"})j",
           R"j({"key": "2.telephone", "label": "запись 2: телефон", "value": "+74951234567"})j",
           R"j({"key": "2.user", "label": "запись 2: пользователь", "value": 4})j",
           R"j({"key": "3.telephone", "label": "запись 3: телефон", "value": ""})j",
           R"j({"key": "8.active", "label": "запись 8: активна", "value": false})j",
       })
    EXPECT_NE(json.out.find(want), std::string::npos) << want;
  for (const char* clear : {"4406", "7731", "5917"}) EXPECT_EQ(json.out.find(clear), std::string::npos) << clear;
  // Decoded, so not dumped as bytes as well.
  for (const char* raw : {"\"key\": \"remote_control_users\"", "\"address\": 1102336"})
    EXPECT_EQ(json.out.find(raw), std::string::npos) << raw;

  const auto secrets = run("config get --show-secrets " + cfg.string() + " remote_control.2.password");
  EXPECT_EQ(secrets.status, 0) << secrets.err;
  EXPECT_EQ(secrets.out, "4406\n");
  const auto masked = run("config get " + cfg.string() + " remote_control.3.password");
  EXPECT_EQ(masked.out, "***\n");
  EXPECT_EQ(run("config get " + cfg.string() + " remote_control.3.commands").out, "6,7,11\n");
  EXPECT_NE(run("config get " + cfg.string() + " remote_control.1.commands").status, 0);  // inactive
}

TEST_F(Cli, RefusedRemoteControlValuesLeaveTheFileByteIdentical) {
  expect_refused(demo_cfg(), {
      {"remote_control.2.commands=2", "Запись дистанционного управления 2: Для указанного набора команд необходимо"},
      {"remote_control.1.user=-", "необходимо указать номер пользователя"},
      {"remote_control.1.user=251", "Номер пользователя: введите целое число от 1 до 250"},
      {"remote_control.1.user=abc", "Номер пользователя должен содержать только цифры!"},
      {"remote_control.1.telephone=+7903-555", "знак «-» не сохраняется"},
      {"remote_control.1.telephone=+123456789012345678901234567890123", "не более 32 цифр"},
      {"remote_control.1.commands=12", "Список команд"},
      {"remote_control.1.password=1234", "не принимаются в командной строке"},
      {"remote_control.4.commands=0", "не активна"},
      {"remote_control.4.active=1", "когда задан пароль"},
      {"remote_control.9.active=0", "Нет такого ключа"},
      {"remote_control.1.colour=1", "Нет такого ключа"},
      // All or nothing: a good value before a bad one is not saved either.
      {"remote_control.2.user=3 remote_control.2.telephone=x", "знак «x»"},
  });
}

TEST_F(Cli, RemoteControlPasswordComesFromStandardInputAndNeverShowsInARefusal) {
  const auto cfg = demo_cfg();
  const auto input = [&](const std::string& text) {
    const auto file = dir / "password.txt";
    std::ofstream(file) << text;
    return " < " + file.string();
  };
  const auto set = run("config set " + cfg.string() + " remote_control.4.password=-" + input("2468\n"));
  ASSERT_EQ(set.status, 0) << set.err;
  EXPECT_EQ(set.out.find("2468"), std::string::npos);
  EXPECT_EQ(run("config get --show-secrets " + cfg.string() + " remote_control.4.password").out, "2468\n");
  EXPECT_EQ(run("config get " + cfg.string() + " remote_control.4.active").out, "да\n");
  EXPECT_EQ(run("config get " + cfg.string() + " remote_control.count").out, "4\n");
  // Now active, the record takes its plain fields.
  EXPECT_EQ(run("config set " + cfg.string() + " remote_control.4.commands=0,9").status, 0);
  // A new password keeps the commands.
  ASSERT_EQ(run("config set " + cfg.string() + " remote_control.4.password=-" + input("1357")).status, 0);
  EXPECT_EQ(run("config get " + cfg.string() + " remote_control.4.commands").out, "0,9\n");

  const std::string before = bytes_of(cfg);
  struct Refused {
    std::string key, text, reason;
  };
  for (const Refused& k : {Refused{"remote_control.4.password", "12ab97\n", "Пароль должен содержать только цифры!"},
                           Refused{"remote_control.4.password", "123456789\n", "не более 8 цифр"},
                           Refused{"remote_control.4.password", "\n", "не введён"},
                           Refused{"remote_control.9.password", "1234\n", "Нет такого ключа"}}) {
    const auto r = run("config set " + cfg.string() + " " + k.key + "=-" + input(k.text));
    EXPECT_NE(r.status, 0) << k.key << " " << k.text;
    EXPECT_NE(r.err.find(k.reason), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("12ab97"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("123456789"), std::string::npos) << r.err;
    EXPECT_EQ(bytes_of(cfg), before) << k.key;
  }
  const auto on_line = run("config set " + cfg.string() + " remote_control.1.password=9876");
  EXPECT_NE(on_line.status, 0);
  EXPECT_EQ(on_line.err.find("9876"), std::string::npos) << on_line.err;
  EXPECT_EQ(bytes_of(cfg), before);
}

TEST_F(Cli, DiffNamesTheRemoteControlFieldsThatChanged) {
  const auto a = demo_cfg("a.cfg");
  const auto b = dir / "b.cfg";
  std::filesystem::copy_file(a, b);
  ASSERT_EQ(run("config set " + b.string() + " remote_control.3.commands=6 remote_control.2.user=2").status, 0);
  const auto diff = run("config diff " + a.string() + " " + b.string());
  ASSERT_EQ(diff.status, 1) << diff.err;
  EXPECT_EQ(diff.out,
            "Дистанционное управление: запись 3: команды: 6,7,11 → 6\n"
            "Дистанционное управление: запись 2: пользователь: — → 2\n");
}

}  // namespace
