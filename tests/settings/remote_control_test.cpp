// Remote control: what each operation of the "Дистанционное" page does to the bytes of the
// remote control table and its user table, and what it refuses (a refusal changes no byte).
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>

#include "memory/configuration.hpp"
#include "settings/config_fields.hpp"
#include "settings/config_report.hpp"
#include "settings/remote_control.hpp"

using namespace vq;
using namespace vq::memory;
using namespace vq::settings;

namespace {

// (page, offset) -> byte.
using PageBytes = std::map<std::pair<PageId, std::size_t>, int>;

constexpr PageId kTable = PageId::remote_control;
constexpr PageId kUsers = PageId::remote_control_users;

std::size_t rec(int i) { return 3 + 32 * static_cast<std::size_t>(i); }
std::size_t user_at(int i) { return 2 + 2 * static_cast<std::size_t>(i); }

// The tables as the page leaves unused records: every record cleared.
void cleared(Configuration& c) {
  for (int i = 0; i < kRemoteRecordCount; ++i) {
    for (std::size_t k = 0; k < 8; ++k) c.page(kTable).set_byte(rec(i) + k, 0xFF);
    for (std::size_t k = 16; k < 32; ++k) c.page(kTable).set_byte(rec(i) + k, 0xFF);
    c.page(kUsers).set_byte(user_at(i), 0xFF);
    c.page(kUsers).set_byte(user_at(i) + 1, 0xFF);
  }
}

// A record as raw bytes: password characters, command bits, telephone bytes, user.
void record(Configuration& c, int i, std::string_view password, std::uint16_t commands,
            std::initializer_list<int> telephone = {}, int user = 0xFFFF) {
  for (std::size_t k = 0; k < password.size(); ++k)
    c.page(kTable).set_byte(rec(i) + k, static_cast<std::uint8_t>(password[k]));
  c.page(kTable).set_byte(rec(i) + 8, static_cast<std::uint8_t>(commands & 0xFF));
  c.page(kTable).set_byte(rec(i) + 9, static_cast<std::uint8_t>(commands >> 8));
  std::size_t k = 16;
  for (int b : telephone) c.page(kTable).set_byte(rec(i) + k++, static_cast<std::uint8_t>(b));
  c.page(kUsers).set_byte(user_at(i), static_cast<std::uint8_t>(user & 0xFF));
  c.page(kUsers).set_byte(user_at(i) + 1, static_cast<std::uint8_t>(user >> 8));
}

void count(Configuration& c, int n) { c.page(kTable).set_byte(0, static_cast<std::uint8_t>(n)); }

// Records 1 and 2 active (rows 1, 2), as the demo's first two.
void two_active(Configuration& c) {
  cleared(c);
  record(c, 0, "5917", 0x003F, {0x79, 0x03, 0x55, 0x51, 0x12, 0x2F}, 1);
  record(c, 1, "4406", 0x0221);
  count(c, 2);
}

// Every byte of both tables that differs from `ref`.
PageBytes changed(const Configuration& ref, const Configuration& c) {
  PageBytes out;
  for (auto id : {kTable, kUsers})
    for (std::size_t i = 0; i < c.page(id).length(); ++i)
      if (ref.page(id).byte_at(i) != c.page(id).byte_at(i)) out[{id, i}] = c.page(id).byte_at(i);
  return out;
}

RemoteRecordEdit edit(std::string password, std::uint16_t commands, std::string telephone = "+",
                      std::string user = "") {
  return {std::move(password), commands, std::move(telephone), std::move(user)};
}

// Password bytes of record i: the characters, then 0xFF.
PageBytes password_bytes(int i, std::string_view text) {
  PageBytes out;
  for (std::size_t k = 0; k < 8; ++k)
    out[{kTable, rec(i) + k}] = k < text.size() ? static_cast<unsigned char>(text[k]) : 0xFF;
  return out;
}

PageBytes merge(PageBytes a, const PageBytes& b) {
  for (const auto& [k, v] : b) a[k] = v;
  return a;
}

struct Case {
  const char* what;
  std::function<void(Configuration&)> before;
  std::function<Result<>(Configuration&)> op;
  PageBytes changes;     // bytes changed against `before` (only those that differ)
  int refusal_id = 0;    // message id of the refusal, or
  const char* refusal = nullptr;  // a part of its text
};

void run(const Case& k) {
  SCOPED_TRACE(k.what);
  Configuration ref, c;
  k.before(ref);
  k.before(c);
  const auto r = k.op(c);
  if (k.refusal || k.refusal_id) {
    ASSERT_FALSE(r);
    if (k.refusal_id) {
      EXPECT_EQ(r.error().message_id, k.refusal_id) << r.error().text;
    }
    if (k.refusal) {
      EXPECT_NE(r.error().text.find(k.refusal), std::string::npos) << r.error().text;
    }
    EXPECT_TRUE(changed(ref, c).empty());
    return;
  }
  ASSERT_TRUE(r) << r.error().text;
  // Only bytes that really differ count: compare against the expectation filtered so.
  PageBytes want;
  for (const auto& [at, v] : k.changes)
    if (ref.page(at.first).byte_at(at.second) != v) want[at] = v;
  EXPECT_EQ(changed(ref, c), want);
}

TEST(RemoteControl, SavingARecordStoresItsBytes) {
  const auto save = [](int i, RemoteRecordEdit e) {
    return [i, e](Configuration& c) { return save_remote_record(c, i, e); };
  };
  const Case cases[] = {
      {"password, commands 0, 2, 11, telephone +12345, user 7 into row 3: the count becomes 3",
       two_active, save(2, edit("5917", 0x0805, "+12345", "7")),
       merge(password_bytes(2, "5917"),
             {{{kTable, rec(2) + 8}, 0x05}, {{kTable, rec(2) + 9}, 0x08}, {{kTable, rec(2) + 16}, 0x12},
              {{kTable, rec(2) + 17}, 0x34}, {{kTable, rec(2) + 18}, 0x5F}, {{kUsers, user_at(2)}, 7},
              {{kUsers, user_at(2) + 1}, 0}, {{kTable, 0}, 3}})},
      {"four digits fill two bytes and leave no 15", two_active, save(2, edit("1", 0x0001, "+1234")),
       merge(password_bytes(2, "1"), {{{kTable, rec(2) + 8}, 0x01}, {{kTable, rec(2) + 16}, 0x12},
                                      {{kTable, rec(2) + 17}, 0x34}, {{kTable, 0}, 3}})},
      {"a blank in the telephone is stored as 15; blanks of the password are left out", two_active,
       save(0, edit(" 12 34 ", 0x0001, "+12 4", "1")),
       merge(password_bytes(0, "1234"), {{{kTable, rec(0) + 8}, 0x01}, {{kTable, rec(0) + 9}, 0},
                                         {{kTable, rec(0) + 16}, 0x12}, {{kTable, rec(0) + 17}, 0xF4},
                                         {{kTable, rec(0) + 18}, 0xFF}, {{kTable, rec(0) + 19}, 0xFF},
                                         {{kTable, rec(0) + 20}, 0xFF}, {{kTable, rec(0) + 21}, 0xFF}})},
      {"no telephone and no user: 0xFF bytes and 0xFFFF; offsets 10 to 15 become 0",
       [](Configuration& c) {
         two_active(c);
         for (std::size_t k = 10; k < 16; ++k) c.page(kTable).set_byte(rec(0) + k, 0x55);
       },
       save(0, edit("5917", 0x0001)),
       {{{kTable, rec(0) + 8}, 0x01}, {{kTable, rec(0) + 9}, 0},    {{kTable, rec(0) + 10}, 0},
        {{kTable, rec(0) + 11}, 0},   {{kTable, rec(0) + 12}, 0},   {{kTable, rec(0) + 13}, 0},
        {{kTable, rec(0) + 14}, 0},   {{kTable, rec(0) + 15}, 0},   {{kTable, rec(0) + 16}, 0xFF},
        {{kTable, rec(0) + 17}, 0xFF}, {{kTable, rec(0) + 18}, 0xFF}, {{kTable, rec(0) + 19}, 0xFF},
        {{kTable, rec(0) + 20}, 0xFF}, {{kTable, rec(0) + 21}, 0xFF}, {{kUsers, user_at(0)}, 0xFF},
        {{kUsers, user_at(0) + 1}, 0xFF}}},
      // Saved but not active: the count stays with the active records.
      {"an empty password with other fields set is saved, and the record stays inactive", two_active,
       save(2, edit("", 0x0010, "+5", "3")),
       {{{kTable, rec(2) + 8}, 0x10}, {{kTable, rec(2) + 16}, 0x5F}, {{kUsers, user_at(2)}, 3},
        {{kUsers, user_at(2) + 1}, 0}}},
      {"with no password given the stored bytes stay, also those that are not digits",
       [](Configuration& c) {
         two_active(c);
         record(c, 1, "4*06#", 0x0221);
       },
       [](Configuration& c) { return save_remote_record(c, 1, {std::nullopt, 0x0001, std::nullopt, std::nullopt}); },
       {{{kTable, rec(1) + 8}, 0x01}, {{kTable, rec(1) + 9}, 0}}},
      {"eight digits fill the password, 32 the telephone", two_active,
       save(2, edit("12345678", 0, "+" + std::string(32, '9'))),
       [] {
         PageBytes b = password_bytes(2, "12345678");
         for (std::size_t k = 16; k < 32; ++k) b[{kTable, rec(2) + k}] = 0x99;
         b[{kTable, 0}] = 3;
         return b;
       }()},
      {"a user typed that holds no identifier is taken", two_active, save(1, edit("4406", 0x000C, "+", "250")),
       {{{kTable, rec(1) + 8}, 0x0C}, {{kTable, rec(1) + 9}, 0}, {{kUsers, user_at(1)}, 250},
        {{kUsers, user_at(1) + 1}, 0}}},
  };
  for (const auto& k : cases) run(k);
}

TEST(RemoteControl, RefusedEditsChangeNoByte) {
  const auto save = [](int i, RemoteRecordEdit e) {
    return [i, e](Configuration& c) { return save_remote_record(c, i, e); };
  };
  const Case cases[] = {
      {"arming with no user", two_active, save(2, edit("1", 1u << kCommandArm)), {}, 15277},
      {"disarming with no user", two_active, save(2, edit("1", 1u << kCommandDisarm | 1)), {}, 15277},
      {"a stored user whose low byte is 0 counts as none",
       [](Configuration& c) {
         two_active(c);
         record(c, 1, "4406", 0x0001, {}, 0x0100);
       },
       [](Configuration& c) { return save_remote_record(c, 1, {std::nullopt, 0x0004, std::nullopt, std::nullopt}); },
       {}, 15277},
      {"a password with a letter", two_active, save(2, edit("12a4", 1)), {}, 15020},
      {"a password of nine digits", two_active, save(2, edit("123456789", 1)), {}, 0, "не более 8 цифр"},
      {"a telephone with a letter", two_active, save(2, edit("1", 1, "+7903x")), {}, 0,
       "Номер телефона: знак «x» не сохраняется"},
      {"a telephone with a Cyrillic letter", two_active, save(2, edit("1", 1, "+79ф")), {}, 0, "знак «ф»"},
      {"a second plus", two_active, save(2, edit("1", 1, "+7+9")), {}, 0, "знак «+»"},
      {"a telephone of 33 digits", two_active, save(2, edit("1", 1, "+" + std::string(33, '1'))), {}, 0,
       "не более 32 цифр"},
      {"a user that is not a number", two_active, save(2, edit("1", 1, "+", "5a")), {}, 15281},
      {"user 0", two_active, save(2, edit("1", 1, "+", "0")), {}, 0, "от 1 до 250"},
      {"user 251", two_active, save(2, edit("1", 1, "+", "251")), {}, 0, "от 1 до 250"},
      {"record 9", two_active, save(8, edit("1", 1)), {}, 0, "от 1 до 8"},
      {"a short table from a file",
       [](Configuration& c) {
         two_active(c);
         c.replace({true, static_cast<std::uint8_t>(kTable)}, std::make_unique<TMemoryBlock>(0x10D200, 100, 0xFF));
       },
       save(2, edit("1", 1)), {}, 0, "короче, чем нужно"},
  };
  for (const auto& k : cases) run(k);
  // The password never appears in a refusal.
  Configuration c;
  two_active(c);
  const auto r = save_remote_record(c, 2, edit("987654321", 1));
  ASSERT_FALSE(r);
  EXPECT_EQ(r.error().text.find("987654321"), std::string::npos);
}

TEST(RemoteControl, QueryOnlyCommandsNeedNoUser) {
  Configuration c;
  two_active(c);
  EXPECT_TRUE(save_remote_record(c, 2, edit("1", 1u << 0)));
  EXPECT_TRUE(check_remote_user_needed(0x0FF3, 0xFFFF));
  EXPECT_FALSE(check_remote_user_needed(0x0004, 0x00FF));
  EXPECT_TRUE(check_remote_user_needed(0x0008, 5));
}

TEST(RemoteControl, ClearingARecordLowersTheCountAndKeepsTheRowsBelow) {
  const Case cases[] = {
      {"row 1 of two", two_active, [](Configuration& c) { return clear_remote_record(c, 0); },
       merge(password_bytes(0, ""),
             {{{kTable, rec(0) + 8}, 0}, {{kTable, rec(0) + 9}, 0}, {{kTable, rec(0) + 16}, 0xFF},
              {{kTable, rec(0) + 17}, 0xFF}, {{kTable, rec(0) + 18}, 0xFF}, {{kTable, rec(0) + 19}, 0xFF},
              {{kTable, rec(0) + 20}, 0xFF}, {{kTable, rec(0) + 21}, 0xFF}, {{kUsers, user_at(0)}, 0xFF},
              {{kUsers, user_at(0) + 1}, 0xFF}, {{kTable, 0}, 1}})},
      // A record never saved on a fresh table: zero bytes become the cleared pattern.
      {"an empty row of a fresh table", [](Configuration&) {},
       [](Configuration& c) { return clear_remote_record(c, 4); },
       [] {
         PageBytes b = password_bytes(4, "");
         for (std::size_t k = 16; k < 32; ++k) b[{kTable, rec(4) + k}] = 0xFF;
         b[{kUsers, user_at(4)}] = 0xFF;
         b[{kUsers, user_at(4) + 1}] = 0xFF;
         return b;
       }()},
  };
  for (const auto& k : cases) run(k);

  Configuration c;
  two_active(c);
  ASSERT_TRUE(clear_remote_record(c, 0));
  EXPECT_FALSE(read_remote_record(c, 0).active);
  EXPECT_TRUE(read_remote_record(c, 1).active);  // stays in row 2
  EXPECT_EQ(remote_record_count(c), 1);
}

TEST(RemoteControl, RecordsReadAsTheListShowsThem) {
  Configuration c;
  cleared(c);
  record(c, 0, "5917", 0x0805, {0x12, 0x34, 0x5F}, 7);
  record(c, 1, "4*06#", 0x0000, {}, 0x0100);
  record(c, 2, "3", 0x0FFF, {0x7A, 0xFF}, 0x00FF);
  count(c, 3);
  const auto a = read_remote_record(c, 0);
  EXPECT_TRUE(a.active);
  EXPECT_EQ(a.password, "5917");
  EXPECT_EQ(remote_commands_text(a.commands), "0,2,11");
  EXPECT_TRUE(a.has_telephone);
  EXPECT_EQ(a.telephone, "+12345");
  EXPECT_EQ(a.user, 7);
  const auto b = read_remote_record(c, 1);
  EXPECT_EQ(b.password, "406");  // digits only
  EXPECT_EQ(remote_commands_text(b.commands), "");
  EXPECT_FALSE(b.has_telephone);
  EXPECT_EQ(b.telephone, "+");
  EXPECT_EQ(b.user, std::nullopt);  // low byte 0
  const auto d = read_remote_record(c, 2);
  EXPECT_EQ(remote_commands_text(d.commands), "0,1,2,3,4,5,6,7,8,9,10,11");
  EXPECT_EQ(d.telephone, "+7?");  // 10 has no digit
  EXPECT_EQ(d.user, std::nullopt);  // low byte 0xFF
  EXPECT_FALSE(read_remote_record(c, 3).active);
  EXPECT_EQ(active_remote_records(c), 3);
  EXPECT_TRUE(remote_records_shown(c));
  c.page(kTable).set_byte(1, 1);  // count 259
  EXPECT_FALSE(remote_records_shown(c));
  // A zero first byte is inactive as 0xFF is.
  record(c, 0, std::string_view("\0", 1), 0x0001);
  EXPECT_FALSE(read_remote_record(c, 0).active);
}

TEST(RemoteControl, CommandListsAndTelephoneEncoding) {
  EXPECT_EQ(*parse_remote_commands("0,2,3,11"), 0x080D);
  EXPECT_EQ(*parse_remote_commands("8-11"), 0x0F00);
  EXPECT_EQ(*parse_remote_commands(""), 0);
  EXPECT_FALSE(parse_remote_commands("12"));
  EXPECT_FALSE(parse_remote_commands("1,,2"));
  const auto odd = encode_remote_telephone("+12345");
  ASSERT_TRUE(odd);
  EXPECT_EQ((*odd)[0], 0x12);
  EXPECT_EQ((*odd)[2], 0x5F);
  EXPECT_EQ((*odd)[3], 0xFF);
  const auto bare = encode_remote_telephone("1234");  // the "+" may be left out
  ASSERT_TRUE(bare);
  EXPECT_EQ((*bare)[1], 0x34);
  EXPECT_EQ((*bare)[2], 0xFF);
  for (const char* none : {"", "+"}) {
    const auto e = encode_remote_telephone(none);
    ASSERT_TRUE(e);
    for (auto b : *e) EXPECT_EQ(b, 0xFF);
  }
}

TEST(RemoteControl, CheckingARowBelowAnUncheckedOneMovesTheCheckUp) {
  struct Row {
    std::array<bool, kRemoteRecordCount> checked;
    int row, target;
  };
  const Row rows[] = {
      {{true, true, false, false, true}, 4, 2},  // row 5 with rows 1 and 2 active goes to row 3
      {{true, true, true}, 2, 2},                // the next row stays
      {{true}, 0, 0},
      {{false, true, true, false, false, false, false, true}, 7, 0},
  };
  for (const auto& r : rows) EXPECT_EQ(remote_row_to_check(r.checked, r.row), r.target) << r.row;
}

TEST(RemoteControl, UsersOfferedAreEveryUserWithAnIdentifier) {
  auto slot = [](Configuration& c, int s, int user) {
    auto& t = c.image(ImageId::identifier_records);
    t.set_byte(4 + 11 * static_cast<std::size_t>(s), static_cast<std::uint8_t>(user & 0xFF));
    t.set_byte(5 + 11 * static_cast<std::size_t>(s), static_cast<std::uint8_t>(user >> 8));
  };
  Configuration c;
  // Slot 1 empty; users 4 and 9 hold two identifiers and one.
  slot(c, 1, 4);
  slot(c, 2, 9);
  slot(c, 3, 4);
  c.image(ImageId::identifier_records).set_byte(0, 3);
  EXPECT_EQ(remote_control_users(c), (std::vector<int>{4, 9}));
  // The counter counts identifiers, not users: a counter that would end the search early
  // leaves no user out, nor does the last slot.
  c.image(ImageId::identifier_records).set_byte(0, 2);
  slot(c, 999, 250);
  slot(c, 0, 3);
  EXPECT_EQ(remote_control_users(c), (std::vector<int>{3, 4, 9, 250}));
  // A number whose low byte is 0 is no user.
  slot(c, 500, 0x0100);
  EXPECT_EQ(remote_control_users(c).size(), 4u);
}

TEST(RemoteControl, ReportMasksThePasswordAndKeysSetThePlainFields) {
  Configuration c;
  two_active(c);
  auto report = build_report(c);
  const auto value = [&](const std::vector<ReportSection>& r, std::string_view key) {
    const auto* f = find_field(r, key);
    return f ? f->value : std::string("(нет)");
  };
  EXPECT_EQ(value(report, "remote_control.1.password"), "***");
  EXPECT_EQ(value(report, "remote_control.1.commands"), "0,1,2,3,4,5");
  EXPECT_EQ(value(report, "remote_control.1.telephone"), "+79035551122");
  EXPECT_EQ(value(report, "remote_control.1.user"), "1");
  EXPECT_EQ(value(report, "remote_control.2.telephone"), "");
  EXPECT_EQ(value(report, "remote_control.2.user"), "(нет)");
  EXPECT_EQ(value(report, "remote_control.3.active"), "нет");
  EXPECT_EQ(value(report, "remote_control.3.commands"), "(нет)");
  EXPECT_EQ(value(build_report(c, {true}), "remote_control.1.password"), "5917");
  for (const auto& s : report) EXPECT_NE(s.key, "remote_control_users");  // decoded, not dumped

  // Arming needs a user: first the user, then the commands; the user goes only without them.
  const auto arming = set_config_field(c, "remote_control.2.commands", "0,2,3");
  ASSERT_FALSE(arming);
  EXPECT_EQ(arming.error().message_id, 15277);
  EXPECT_NE(arming.error().text.find("Запись дистанционного управления 2: "), std::string::npos);
  EXPECT_FALSE(set_config_field(c, "remote_control.2.user", "x"));
  ASSERT_TRUE(set_config_field(c, "remote_control.2.user", "5"));
  ASSERT_TRUE(set_config_field(c, "remote_control.2.commands", "0,2,3"));
  EXPECT_EQ(c.page(kTable).byte_at(rec(1) + 8), 0x0D);
  EXPECT_EQ(c.page(kUsers).byte_at(user_at(1)), 5);
  const auto refused = set_config_field(c, "remote_control.1.user", "-");
  ASSERT_FALSE(refused);
  EXPECT_EQ(refused.error().message_id, 15277);
  ASSERT_TRUE(set_config_field(c, "remote_control.2.telephone", "+7 916"));
  EXPECT_EQ(read_remote_record(c, 1).telephone, "+7916");
  EXPECT_EQ(c.page(kTable).byte_at(rec(1) + 16), 0x7F);  // the blank is a gap
  EXPECT_EQ(read_remote_record(c, 1).password, "4406");  // kept
  EXPECT_FALSE(set_config_field(c, "remote_control.3.commands", "0"));  // inactive
  // A password is a secret key: the command line gives it from standard input, never inline.
  EXPECT_TRUE(is_secret_key("remote_control.1.password"));
  EXPECT_FALSE(is_secret_key("remote_control.1.telephone"));
  ASSERT_TRUE(set_config_field(c, "remote_control.1.password", "1234"));
  EXPECT_EQ(read_remote_record(c, 0).password, "1234");
  EXPECT_FALSE(set_config_field(c, "remote_control.1.password", "12a4"));
  EXPECT_FALSE(set_config_field(c, "remote_control.3.active", "1"));
  ASSERT_TRUE(set_config_field(c, "remote_control.1.active", "0"));
  EXPECT_FALSE(read_remote_record(c, 0).active);
  EXPECT_EQ(remote_record_count(c), 1);
}

}  // namespace
