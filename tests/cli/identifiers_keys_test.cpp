// The identifier and password keys of `config set/get/show/diff` on the demo
// configuration: secrets come from standard input only and are masked unless asked for;
// a refused value leaves the file as it was.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "cli/cli_fixture.hpp"

namespace {

using vq::test::Cli;

class IdentifierKeys : public Cli {
 protected:
  // `config set` with these lines on standard input.
  vq::test::Outcome set_with_input(const std::filesystem::path& cfg, const std::string& assignments,
                                   const std::string& input) {
    const auto in = dir / "stdin.txt";
    std::ofstream(in) << input;
    return run("config set " + cfg.string() + " " + assignments + " <" + in.string());
  }
};

// Demo identifiers: slot 2 user 1's key 0000173B9E42, slot 5 user 3's PIN 9051 on
// partitions 1 and 4, slot 7 user 4's fob 13 arming quickly, slot 8 user 5's PIN 3702
// with tactic 3; slots 9 and up empty. Passwords: user 2468, engineer 135790.
TEST_F(IdentifierKeys, RoundTripThroughSetAndShowWithSecretsFromStandardInput) {
  const auto cfg = demo_cfg();
  const auto set = set_with_input(cfg,
                                  "passwords.user=- passwords.reset=Да identifiers.8.tactic=1"
                                  " identifiers.9.new=ТМ,6,- identifiers.5.partitions=1,3,4"
                                  " identifiers.2.delete=1 identifiers.7.quick_arm=0 identifiers.1.value=-",
                                  "1357\n1a2b3c\n24680\n");
  ASSERT_EQ(set.status, 0) << set.err;

  const auto json = run("config show --json " + cfg.string());
  ASSERT_EQ(json.status, 0) << json.err;
  for (const std::string want : {
           R"j({"key": "9.kind", "label": "идентификатор 9: тип", "value": "ТМ", "code": 32})j",
           R"j({"key": "9.value", "label": "идентификатор 9: значение", "value": "***"})j",
           R"j({"key": "9.user", "label": "идентификатор 9: пользователь", "value": 6})j",
           R"j({"key": "9.ordinal", "label": "идентификатор 9: номер у пользователя", "value": 1})j",
           R"j({"key": "8.tactic", "label": "идентификатор 8: тактика", "value": "только взятие", "code": 1})j",
           R"j({"key": "5.partitions", "label": "идентификатор 5: разделы", "value": "1,3,4"})j",
           R"j({"key": "7.quick_arm", "label": "идентификатор 7: быстрое взятие", "value": false})j",
           R"j({"key": "user", "label": "Пароль пользователя", "value": "***"})j",
           R"j({"key": "reset", "label": "Разрешить сброс пароля", "value": "Да", "code": 0})j",
       })
    EXPECT_NE(json.out.find(want), std::string::npos) << want;
  EXPECT_EQ(json.out.find(R"("2.kind")"), std::string::npos) << "slot 2 was deleted";
  for (const char* secret : {"1357", "2468", "135790", "1A2B3C", "24680", "3702"})
    EXPECT_EQ(json.out.find(secret), std::string::npos) << secret;

  const auto shown = run("config show --json --show-secrets " + cfg.string());
  EXPECT_NE(shown.out.find(R"j({"key": "9.value", "label": "идентификатор 9: значение", "value": "0000001A2B3C"})j"),
            std::string::npos);
  struct Get {
    const char* args;
    const char* value;
  };
  for (const Get& g : {Get{"passwords.user", "***"}, Get{"--show-secrets passwords.user", "1357"},
                       Get{"--show-secrets passwords.engineer", "135790"}, Get{"--show-secrets identifiers.1.value", "24680"},
                       Get{"identifiers.8.user", "5"}, Get{"identifiers.counter", "11"}}) {
    const auto r = run("config get " + cfg.string() + " " + g.args);
    EXPECT_EQ(r.status, 0) << g.args << ": " << r.err;
    EXPECT_EQ(r.out, std::string(g.value) + "\n") << g.args;
  }
}

TEST_F(IdentifierKeys, RefusalsLeaveTheFileAsItWas) {
  const auto cfg = demo_cfg();
  expect_refused(cfg, {
                          {"passwords.user=1357", "не принимаются в командной строке"},
                          {"identifiers.5.value=4444", "не принимаются в командной строке"},
                          {"identifiers.9.new=ПИН,3,4444", "не принимаются в командной строке"},
                          {"identifiers.8.user=251", "от 1 до 250"},
                          {"identifiers.8.user=abc", "только цифры"},
                          {"identifiers.9.user=3", "identifiers.9.new="},
                          {"identifiers.8.tactic=9", "Тактика"},
                          {"identifiers.1001.user=3", "от 1 до 1000"},
                          {"identifiers.8.kind=БР", "не подходит"},
                          {"passwords.reset=может быть", "Да (0) или Нет (1)"},
                      });
  const std::string before = bytes_of(cfg);
  struct Case {
    const char* assignments;
    const char* input;
    const char* reason;
  };
  for (const Case& c : {
           Case{"passwords.engineer=-", "2468\n", "не должны совпадать"},
           Case{"passwords.user=-", "12\n", "3 знака"},
           Case{"passwords.user=-", "12x4\n", "только цифры"},
           Case{"passwords.user=-", "", "не получено"},
           Case{"identifiers.9.new=ТМ,1,-", "0000173b9e42\n", "уже используется"},
           Case{"identifiers.9.new=БР,1,-", "256\n", "от 1 до 255"},
           Case{"identifiers.9.new=ПИН,3,-", "12\n", "не менее трех знаков"},
           Case{"identifiers.9.new=ТМ,3,-", "ABCDEFG\n", "шестнадцатеричные"},
           Case{"identifiers.9.new=ТМ,3,- identifiers.10.new=ТМ,3,-", "ABCDEF\nABCDEF\n", "уже используется"},
           Case{"identifiers.5.new=ПИН,3,-", "4444\n", "уже задан"},
       }) {
    const auto r = set_with_input(cfg, c.assignments, c.input);
    EXPECT_NE(r.status, 0) << c.assignments;
    EXPECT_NE(r.err.find(c.reason), std::string::npos) << c.assignments << ": " << r.err;
    // The refusal names the key, never the secret.
    const std::string secret = std::string(c.input).substr(0, std::string(c.input).find('\n'));
    if (secret.size() >= 3) {
      EXPECT_EQ(r.err.find(secret), std::string::npos) << r.err;
    }
    EXPECT_EQ(bytes_of(cfg), before) << c.assignments;
  }
}

TEST_F(IdentifierKeys, DiffNamesChangedSecretsWithoutShowingThem) {
  const auto a = demo_cfg("a.cfg");
  const auto b = dir / "b.cfg";
  std::filesystem::copy_file(a, b);
  ASSERT_EQ(set_with_input(b, "passwords.user=- identifiers.5.value=-", "1357\n4444\n").status, 0);
  const auto masked = run("config diff " + a.string() + " " + b.string());
  ASSERT_EQ(masked.status, 1) << masked.err;
  EXPECT_NE(masked.out.find("Пароли: Пароль пользователя: изменён (скрыто; --show-secrets)"), std::string::npos)
      << masked.out;
  EXPECT_NE(masked.out.find("идентификатор 5: значение: изменён"), std::string::npos) << masked.out;
  for (const char* secret : {"1357", "2468", "4444", "9051", "0x"}) EXPECT_EQ(masked.out.find(secret), std::string::npos) << masked.out;
  const auto shown = run("config diff --show-secrets " + a.string() + " " + b.string());
  EXPECT_NE(shown.out.find("Пароль пользователя: 2468 → 1357"), std::string::npos) << shown.out;
  EXPECT_NE(shown.out.find("9051 → 4444"), std::string::npos) << shown.out;
}

}  // namespace
