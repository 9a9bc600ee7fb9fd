// Identifiers and passwords: value encodings, the identifier dialog's confirm, deletion
// with renumbering, quick arming, partition links and the password rules — byte effects
// and refusals.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <tuple>

#include "settings/identifiers.hpp"
#include "settings/passwords.hpp"
#include "shell/messages.hpp"

using namespace vq;
using namespace vq::memory;
using namespace vq::settings;

namespace {

constexpr ImageId kTables[] = {ImageId::identifier_records, ImageId::identifier_codes, ImageId::identifier_partitions,
                               ImageId::identifier_settings, ImageId::first_password, ImageId::second_password,
                               ImageId::password_reset};

// Every byte of the identifier and password tables.
using Snapshot = std::map<std::pair<ImageId, std::size_t>, std::uint8_t>;
Snapshot snapshot(const Configuration& c) {
  Snapshot s;
  for (auto id : kTables)
    for (std::size_t i = 0; i < c.image(id).length(); ++i) s[{id, i}] = c.image(id).byte_at(i);
  return s;
}
// (table, offset) -> byte after, for every byte that changed.
Snapshot changes(const Snapshot& before, const Configuration& c) {
  Snapshot out;
  for (const auto& [at, b] : snapshot(c))
    if (before.at(at) != b) out[at] = b;
  return out;
}

std::size_t rec(int slot) { return 4 + 11 * static_cast<std::size_t>(slot - 1); }
std::size_t code(int slot) { return 5 + 6 * static_cast<std::size_t>(slot - 1); }

IdentifierCode encoded(int kind, std::string_view text) {
  auto r = encode_identifier_value(kind, text);
  EXPECT_TRUE(r) << text;
  return r ? *r : IdentifierCode{};
}
// Adds an identifier through the confirm and insists it was taken.
void add(Configuration& c, int slot, int user, int kind, std::string_view value, bool quick = false, int tactic = 0) {
  auto r = set_identifier(c, slot, {kind, encoded(kind, value), user, tactic, quick});
  ASSERT_TRUE(r) << slot << ": " << r.error().text;
}

}  // namespace

TEST(IdentifierValues, EncodeAndShowByKind) {
  using C = IdentifierCode;
  struct Case {
    int kind;
    const char* text;
    C code;
    const char* shown;
  };
  const Case cases[] = {
      {kKindPin, "123", {0x31, 0x32, 0x33, 0xFF, 0xFF, 0xFF}, "123"},
      {kKindPin, "907531", {0x39, 0x30, 0x37, 0x35, 0x33, 0x31}, "907531"},
      {kKindKey, "1A2B3C", {0x3C, 0x2B, 0x1A, 0x00, 0x00, 0x00}, "0000001A2B3C"},
      {kKindKey, "1a2b3c", {0x3C, 0x2B, 0x1A, 0x00, 0x00, 0x00}, "0000001A2B3C"},
      {kKindKey, "FEDCBA987654", {0x54, 0x76, 0x98, 0xBA, 0xDC, 0xFE}, "FEDCBA987654"},
      {kKindKey, "7", {0x07, 0, 0, 0, 0, 0}, "000000000007"},
      {kKindFob, "012", {12, 0, 0, 0, 0, 0}, "12"},
      {kKindFob, "255", {255, 0, 0, 0, 0, 0}, "255"},
  };
  for (const auto& c : cases) {
    auto r = encode_identifier_value(c.kind, c.text);
    ASSERT_TRUE(r) << c.text << ": " << r.error().text;
    EXPECT_EQ(*r, c.code) << c.text;
    EXPECT_EQ(identifier_value_text(c.kind, c.code), c.shown) << c.text;
  }
  // A stored PIN with other bytes shows their low four bits, skipping 0 and 0xFF.
  EXPECT_EQ(identifier_value_text(kKindPin, {0x31, 0x00, 0x4A, 0xFF, 0x35, 0xFF}), "1105");
  EXPECT_EQ(identifier_value_text(7, {}), "Unknown ID");
}

TEST(IdentifierValues, RefusesWhatCannotBeStoredAsTyped) {
  struct Case {
    int kind;
    const char* text;
    const char* reason;
  };
  const Case cases[] = {
      {kKindPin, "12", "не менее трех знаков"},
      {kKindPin, "12a4", "только цифры"},
      {kKindPin, " 123", "только цифры"},
      {kKindPin, "1234567", "не более 6"},
      {kKindKey, "", "от 1 до 12"},
      {kKindKey, "1234567890ABC", "от 1 до 12"},
      {kKindKey, "12G4", "шестнадцатеричные"},
      {kKindFob, "12", "не менее трех знаков"},
      {kKindFob, "256", "от 1 до 255"},
      {kKindFob, "000", "от 1 до 255"},
      {kKindFob, "1x3", "только цифры"},
      {99, "123", "Тип идентификатора"},
  };
  for (const auto& c : cases) {
    auto r = encode_identifier_value(c.kind, c.text);
    ASSERT_FALSE(r) << c.text;
    EXPECT_NE(r.error().text.find(c.reason), std::string::npos) << c.text << ": " << r.error().text;
    // The value itself never appears in the refusal.
    if (std::string_view(c.text).size() >= 3) {
      EXPECT_EQ(r.error().text.find(c.text), std::string::npos) << r.error().text;
    }
  }
}

TEST(Identifiers, ConfirmStoresRecordCodeAndCounterAndNothingElse) {
  Configuration c;
  c.image(ImageId::identifier_codes).set_byte(4, 0x5A);      // not touched
  c.image(ImageId::identifier_records).set_byte(rec(7) + 4, 0x77);  // bytes 4-5 and 10 not touched
  c.image(ImageId::identifier_records).set_byte(rec(7) + 10, 0x66);
  const auto before = snapshot(c);
  ASSERT_TRUE(set_identifier(c, 7, {kKindKey, encoded(kKindKey, "1A2B3C"), 250, 3, false}));
  const Snapshot expected = {
      {{ImageId::identifier_records, 0}, 1},        {{ImageId::identifier_records, 2}, 2},
      {{ImageId::identifier_codes, 0}, 1},          {{ImageId::identifier_codes, 2}, 2},
      {{ImageId::identifier_records, rec(7)}, 250}, {{ImageId::identifier_records, rec(7) + 2}, 1},
      {{ImageId::identifier_records, rec(7) + 6}, 7}, {{ImageId::identifier_records, rec(7) + 8}, 3},
      {{ImageId::identifier_records, rec(7) + 9}, kKindKey},
      {{ImageId::identifier_codes, code(7)}, 0x3C}, {{ImageId::identifier_codes, code(7) + 1}, 0x2B},
      {{ImageId::identifier_codes, code(7) + 2}, 0x1A},
  };
  EXPECT_EQ(changes(before, c), expected);

  const auto id = read_identifier(c, 7);
  EXPECT_EQ(std::tie(id.user, id.ordinal, id.tactic, id.kind), std::make_tuple(250, 1, 3, kKindKey));
  EXPECT_FALSE(id.quick_arm);
  // A second confirm (even of the same slot) counts again: 2 and 3.
  ASSERT_TRUE(set_identifier(c, 7, {kKindKey, id.code, 250, 1, false}));
  EXPECT_EQ(identifier_counter(c), 2);
  EXPECT_EQ(c.image(ImageId::identifier_codes).byte_at(2), 3);
  EXPECT_EQ(read_identifier(c, 7).ordinal, 1) << "its own slot keeps its ordinal";
}

TEST(Identifiers, RefusalsChangeNoByte) {
  Configuration c;
  add(c, 1, 5, kKindKey, "1A2B3C");
  add(c, 2, 6, kKindPin, "4321");
  for (int s = 11; s <= 18; ++s) add(c, s, 9, kKindPin, std::to_string(1000 + s));
  struct Case {
    const char* what;
    int slot;
    IdentifierEdit edit;
    int message;
  };
  const Case cases[] = {
      {"no user", 3, {kKindPin, encoded(kKindPin, "555"), 0, 0, false}, 15282},
      {"user 251", 3, {kKindPin, encoded(kKindPin, "555"), 251, 0, false}, 15273},
      {"ninth of user 9", 3, {kKindPin, encoded(kKindPin, "555"), 9, 0, false}, 15057},
      {"another slot's key", 3, {kKindKey, encoded(kKindKey, "00001A2B3C"), 7, 0, false}, 15058},
      {"another slot's PIN", 11, {kKindPin, encoded(kKindPin, "4321"), 9, 0, false}, 15058},
      {"a tactic above 4", 3, {kKindPin, encoded(kKindPin, "555"), 7, 5, false}, 0},
      {"an unknown kind", 3, {64, encoded(kKindPin, "555"), 7, 0, false}, 0},
      {"slot 1001", 1001, {kKindPin, encoded(kKindPin, "555"), 7, 0, false}, 0},
  };
  for (const auto& k : cases) {
    const auto before = snapshot(c);
    auto r = set_identifier(c, k.slot, k.edit);
    ASSERT_FALSE(r) << k.what;
    EXPECT_EQ(r.error().message_id, k.message) << k.what << ": " << r.error().text;
    EXPECT_TRUE(changes(before, c).empty()) << k.what;
  }
  // What the refusals are not: the same bytes of another kind, the own value again, and
  // any edit of one of a full user's own eight.
  ASSERT_TRUE(set_identifier(c, 3, {kKindPin, encoded(kKindKey, "1A2B3C"), 7, 0, false}));
  ASSERT_TRUE(set_identifier(c, 1, {kKindKey, encoded(kKindKey, "1A2B3C"), 5, 2, false}));
  ASSERT_TRUE(set_identifier(c, 18, {kKindPin, encoded(kKindPin, "1018"), 9, 4, false}));
  EXPECT_EQ(read_identifier(c, 18).ordinal, 8);
  EXPECT_EQ(ordinal_for(c, 18, 9).value_or(0), 8);
  EXPECT_EQ(ordinal_for(c, 19, 9).error().message_id, 15057);
  EXPECT_EQ(ordinal_for(c, 19, 5).value_or(0), 2);
}

TEST(Identifiers, QuickArmingFollowsItsIdentifier) {
  Configuration c;
  auto quick = [&] {
    const auto& t = c.image(ImageId::identifier_settings);
    return std::make_pair(int(t.byte_at(0)), int(t.byte_at(1)));
  };
  add(c, 4, 3, kKindPin, "111");
  add(c, 5, 3, kKindPin, "222", true);
  EXPECT_EQ(quick(), std::make_pair(3, 2));
  EXPECT_TRUE(read_identifier(c, 5).quick_arm);
  EXPECT_FALSE(read_identifier(c, 4).quick_arm);
  // Unticked on the quick-arm identifier: 0, 0. Unticked on another: left alone.
  auto edit = IdentifierEdit{kKindPin, read_identifier(c, 5).code, 3, 0, false};
  ASSERT_TRUE(set_identifier(c, 5, edit));
  EXPECT_EQ(quick(), std::make_pair(0, 0));
  add(c, 5, 3, kKindPin, "222", true);
  add(c, 4, 3, kKindPin, "111", false);
  EXPECT_EQ(quick(), std::make_pair(3, 2));
  // Deleting the identifier before it moves it to ordinal 1; deleting it writes FF FF.
  ASSERT_TRUE(delete_identifier(c, 4));
  EXPECT_EQ(quick(), std::make_pair(3, 1));
  EXPECT_EQ(read_identifier(c, 5).ordinal, 1);
  ASSERT_TRUE(delete_identifier(c, 5));
  EXPECT_EQ(quick(), std::make_pair(0xFF, 0xFF));
}

TEST(Identifiers, DeletionClearsTheSlotAndClosesTheOrdinals) {
  Configuration c;
  add(c, 10, 2, kKindPin, "1111");
  add(c, 30, 2, kKindKey, "ABCDEF");
  add(c, 20, 2, kKindFob, "100");
  add(c, 40, 8, kKindPin, "2222");
  ASSERT_TRUE(set_identifier_partitions(c, {30}, std::bitset<96>(0x101)));
  c.image(ImageId::identifier_records).set_byte(rec(30) + 4, 0x44);  // not the editor's
  EXPECT_EQ(read_identifier(c, 20).ordinal, 3);
  const auto before = snapshot(c);
  ASSERT_TRUE(delete_identifier(c, 30));
  const Snapshot expected = {
      {{ImageId::identifier_records, 0}, 3},
      {{ImageId::identifier_codes, 0}, 3},
      {{ImageId::identifier_records, rec(30)}, 0},
      {{ImageId::identifier_records, rec(30) + 2}, 0},
      {{ImageId::identifier_records, rec(30) + 6}, 0},
      {{ImageId::identifier_records, rec(30) + 9}, 0},
      {{ImageId::identifier_codes, code(30)}, 0},
      {{ImageId::identifier_codes, code(30) + 1}, 0},
      {{ImageId::identifier_codes, code(30) + 2}, 0},
      {{ImageId::identifier_partitions, 4 + 12 * 29}, 0},
      {{ImageId::identifier_partitions, 4 + 12 * 29 + 1}, 0},
      {{ImageId::identifier_records, rec(20) + 2}, 2},  // user 2's third becomes the second
  };
  EXPECT_EQ(changes(before, c), expected);

  // An empty slot: nothing to delete, no byte changes; the counter never goes below 0.
  const auto now = snapshot(c);
  ASSERT_TRUE(delete_identifier(c, 30));
  ASSERT_TRUE(delete_identifier(c, 999));
  EXPECT_TRUE(changes(now, c).empty());
  Configuration fresh;
  fresh.image(ImageId::identifier_records).set_byte(rec(1), 1);  // a user, counter 0
  ASSERT_TRUE(delete_identifier(fresh, 1));
  EXPECT_EQ(identifier_counter(fresh), 0);
}

TEST(Identifiers, MovingToAnotherUserRenumbersBoth) {
  Configuration c;
  add(c, 1, 4, kKindPin, "101");
  add(c, 2, 4, kKindPin, "102");
  add(c, 3, 4, kKindPin, "103");
  add(c, 9, 6, kKindPin, "601");
  ASSERT_TRUE(set_identifier(c, 2, {kKindPin, read_identifier(c, 2).code, 6, 0, false}));
  EXPECT_EQ(read_identifier(c, 2).ordinal, 2);
  EXPECT_EQ(read_identifier(c, 3).ordinal, 2);
  const auto users = identifier_users(c);
  ASSERT_EQ(users.size(), 2u);
  EXPECT_EQ(users[0].user, 4);
  ASSERT_EQ(users[1].identifiers.size(), 2u);
  EXPECT_EQ(users[1].identifiers[0].slot, 9);
  EXPECT_EQ(users[1].identifiers[1].slot, 2);
}

TEST(Identifiers, PartitionLinksGoToOccupiedSlots) {
  Configuration c;
  add(c, 1, 1, kKindPin, "123");
  add(c, 1000, 2, kKindPin, "456");
  std::bitset<96> links;
  links.set(0).set(8).set(95);
  ASSERT_TRUE(set_identifier_partitions(c, {1, 2, 1000}, links));
  const auto& t = c.image(ImageId::identifier_partitions);
  EXPECT_EQ(t.byte_at(4), 0x01);
  EXPECT_EQ(t.byte_at(5), 0x01);
  EXPECT_EQ(t.byte_at(15), 0x80);
  EXPECT_EQ(t.byte_at(4 + 12 * 999 + 11), 0x80);
  EXPECT_EQ(t.byte_at(16), 0x00) << "slot 2 is empty and shows no links";
  EXPECT_EQ(identifier_partitions(c, 1000), links);
}

TEST(Identifiers, SlotsBeyondAShortTableAreRefused) {
  // A file may bring a code table of its own, shorter length: 10 slots.
  Configuration c;
  for (const auto& s : config_slots())
    if (!s.is_page && s.index == static_cast<std::uint8_t>(ImageId::identifier_codes))
      c.replace(s, std::make_unique<TMemoryBlock>(0x104A00, 5 + 6 * 10));
  add(c, 10, 1, kKindPin, "123");
  c.image(ImageId::identifier_records).set_byte(rec(11), 1);  // a user the short table cannot hold
  EXPECT_TRUE(read_identifier(c, 11).empty());
  const auto before = snapshot(c);
  auto r = set_identifier(c, 11, {kKindPin, encoded(kKindPin, "456"), 1, 0, false});
  ASSERT_FALSE(r);
  EXPECT_NE(r.error().text.find("короче"), std::string::npos);
  EXPECT_FALSE(delete_identifier(c, 11));
  EXPECT_TRUE(changes(before, c).empty());
}

TEST(Passwords, StoredOneDigitAByteAndChecked) {
  Configuration c;
  const auto before = snapshot(c);
  ASSERT_TRUE(set_password(c, PasswordKind::user, "123"));
  const Snapshot expected = {{{ImageId::first_password, 0}, 0x81},
                             {{ImageId::first_password, 1}, 0x82},
                             {{ImageId::first_password, 2}, 0x83}};
  EXPECT_EQ(changes(before, c), expected);
  EXPECT_EQ(password_digits(c, PasswordKind::user), "123");
  ASSERT_TRUE(set_password(c, PasswordKind::engineer, "905100"));
  EXPECT_EQ(password_digits(c, PasswordKind::engineer), "905100");

  struct Case {
    PasswordKind kind;
    const char* digits;
    int message;
    const char* text;
  };
  const Case cases[] = {
      {PasswordKind::user, "12", 15022, "Минимальная длина пароля должна быть 3 знака!"},
      {PasswordKind::engineer, "123", 15022, "Минимальная длина пароля должна быть 4 знака!"},
      {PasswordKind::user, "12a4", 15020, "Пароль должен содержать только цифры!"},
      {PasswordKind::user, "1234567", 0, "не более 6 цифр"},
      {PasswordKind::engineer, "123", 15022, "4 знака"},
      {PasswordKind::engineer, "0123", 0, ""},  // accepted: not the user's
      {PasswordKind::user, "0123", 15284, "не должны совпадать"},
  };
  for (const auto& k : cases) {
    const auto now = snapshot(c);
    auto r = set_password(c, k.kind, k.digits);
    if (k.message == 0 && *k.text == 0) {
      EXPECT_TRUE(r) << k.digits;
      continue;
    }
    ASSERT_FALSE(r) << k.digits;
    EXPECT_EQ(r.error().message_id, k.message) << k.digits;
    EXPECT_NE(r.error().text.find(k.text), std::string::npos) << r.error().text;
    EXPECT_TRUE(changes(now, c).empty()) << k.digits;
  }
  // Reading stops at 0 or 0xFF and takes the low four bits.
  auto& t = c.image(ImageId::second_password);
  for (std::size_t i = 0; i < 6; ++i) t.set_byte(i, std::array<std::uint8_t, 6>{0x87, 0x31, 0xFF, 0x85, 0, 0}[i]);
  EXPECT_EQ(password_digits(c, PasswordKind::engineer), "71");
}

TEST(Passwords, ResetSwitch) {
  Configuration c;
  EXPECT_EQ(password_reset_entry(c), 0);
  ASSERT_TRUE(set_password_reset(c, false));
  EXPECT_EQ(c.image(ImageId::password_reset).byte_at(0), 1);
  EXPECT_EQ(password_reset_entry(c), 1);
  c.image(ImageId::password_reset).set_byte(0, 7);
  EXPECT_EQ(password_reset_entry(c), -1);
}
