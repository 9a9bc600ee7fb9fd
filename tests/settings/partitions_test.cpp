// Partitions: what each operation of the partition pages does to the table bytes, and
// what it refuses (a refusal changes no byte).
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <tuple>

#include "memory/configuration.hpp"
#include "settings/config_fields.hpp"
#include "settings/config_report.hpp"
#include "settings/partitions.hpp"
#include "util/cp1251.hpp"

using namespace vq;
using namespace vq::memory;
using namespace vq::settings;

namespace {

// (image, offset) -> byte.
using Bytes3 = std::map<std::pair<ImageId, std::size_t>, int>;

constexpr ImageId kTypes = ImageId::partitions;
constexpr ImageId kDelays = ImageId::entry_exit_delays;
constexpr ImageId kAuto = ImageId::auto_arm_times;
constexpr ImageId kLimits = ImageId::temperature_limits;
constexpr ImageId kNames = ImageId::partition_names;
constexpr ImageId kRelays = ImageId::relay_modules;

const ImageId kAllImages[] = {kTypes, kDelays, kAuto, kLimits, kNames, kRelays, ImageId::integration_time};

void put(Configuration& c, const Bytes3& bytes) {
  for (const auto& [at, v] : bytes) c.image(at.first).set_byte(at.second, static_cast<std::uint8_t>(v));
}

// Every byte of the partition images that differs from a fresh configuration with `before` put.
Bytes3 changed(const Configuration& c, const Bytes3& before) {
  Configuration ref;
  put(ref, before);
  Bytes3 out;
  for (auto id : kAllImages) {
    const auto& a = ref.image(id);
    const auto& b = c.image(id);
    for (std::size_t i = 0; i < std::max(a.length(), b.length()); ++i)
      if (a.byte_at(i) != b.byte_at(i)) out[{id, i}] = b.byte_at(i);
  }
  return out;
}

// Partition p's record offsets.
std::size_t rec(int p) { return 2 * static_cast<std::size_t>(p - 1); }
std::size_t one(int p) { return static_cast<std::size_t>(p - 1); }
std::size_t name_at(int p) { return 105 + 8 * one(p); }

// Partition 5 as the demo has it: security, auto-arm, delays 10/20, auto-arm 60 s.
const Bytes3 kSecurity5 = {{{kTypes, rec(5)}, 0},       {{kTypes, rec(5) + 1}, 0x02}, {{kDelays, rec(5)}, 10},
                           {{kDelays, rec(5) + 1}, 20}, {{kAuto, one(5)}, 60},        {{kLimits, rec(5)}, 3},
                           {{kLimits, rec(5) + 1}, 7}};

struct Case {
  const char* what;
  Bytes3 before;
  std::function<Result<>(Configuration&)> op;
  Bytes3 changes;           // expected changed bytes (empty with a refusal)
  const char* refusal;      // part of the refusal text, or nullptr
};

void run(const Case& c) {
  SCOPED_TRACE(c.what);
  Configuration config;
  put(config, c.before);
  const auto r = c.op(config);
  if (c.refusal) {
    ASSERT_FALSE(r);
    EXPECT_NE(r.error().text.find(c.refusal), std::string::npos) << r.error().text;
    EXPECT_TRUE(changed(config, c.before).empty());
  } else {
    ASSERT_TRUE(r) << r.error().text;
    EXPECT_EQ(changed(config, c.before), c.changes);
  }
}

// Reads partition p, changes it with fn, confirms.
std::function<Result<>(Configuration&)> edit(int p, std::function<void(PartitionSettings&)> fn) {
  return [p, fn](Configuration& c) {
    auto s = read_partition(c, p);
    fn(s);
    return set_partition(c, p, s);
  };
}

}  // namespace

TEST(Partitions, ReadsRecordAcrossTheFourTables) {
  Configuration c;
  put(c, kSecurity5);
  c.image(kTypes).set_byte(rec(5) + 1, 0xFF);
  const auto s = read_partition(c, 5);
  EXPECT_EQ(s, (PartitionSettings{0, true, true, true, true, 10, 20, 60, 3, 7}));
  EXPECT_EQ(partition_type_name(5), "Контроль температуры");
  EXPECT_EQ(partition_type_name(6), "Пожарно-аналоговый");
  EXPECT_EQ(partition_type_name(7), "-");
  EXPECT_EQ(partition_type_by_name("Пожарный 2"), 3);
}

TEST(Partitions, ConfirmStoresWhatTheTypeAllows) {
  const Case cases[] = {
      {"fire type: 24h on, silent off, delays and time kept",
       kSecurity5,
       edit(5,
            [](auto& s) {
              choose_type(s, kTypeFire2);
              s.silent_alarm = true;
              s.entry_delay = 99;
            }),
       {{{kTypes, rec(5)}, 3}, {{kTypes, rec(5) + 1}, 0x03}},
       nullptr},
      {"fire type given with 24h off and silent on is still forced",
       {},
       [](Configuration& c) { return set_partition(c, 7, {kTypeFire1, false, false, true, true, 5, 5, 5, 5, 5}); },
       {{{kTypes, rec(7)}, 2}, {{kTypes, rec(7) + 1}, 0x09}},
       nullptr},
      {"security without 24h stores both delays",
       kSecurity5,
       edit(5,
            [](auto& s) {
              s.entry_delay = 255;
              s.exit_delay = 0;
            }),
       {{{kDelays, rec(5)}, 255}, {{kDelays, rec(5) + 1}, 0}},
       nullptr},
      {"security with 24h keeps the stored delays",
       kSecurity5,
       edit(5,
            [](auto& s) {
              s.round_the_clock = true;
              s.entry_delay = 1;
            }),
       {{{kTypes, rec(5) + 1}, 0x03}},
       nullptr},
      {"temperature with 24h: limits stored, delays kept",
       kSecurity5,
       edit(5,
            [](auto& s) {
              s.type = kTypeTemperature;
              s.round_the_clock = true;
              s.entry_delay = 1;
              s.temp_low = 0;
              s.temp_high = 99;
            }),
       {{{kTypes, rec(5)}, 5}, {{kTypes, rec(5) + 1}, 0x03}, {{kLimits, rec(5)}, 0}, {{kLimits, rec(5) + 1}, 99}},
       nullptr},
      {"limits of a non-temperature partition are not stored",
       kSecurity5,
       edit(5, [](auto& s) { s.temp_low = 50; }),
       {},
       nullptr},
      {"auto-arm off clears bit 1, keeps the stored time",
       kSecurity5,
       edit(5,
            [](auto& s) {
              s.auto_arm = false;
              s.auto_arm_time = 0;
            }),
       {{{kTypes, rec(5) + 1}, 0x00}},
       nullptr},
      {"auto-arm on stores the time",
       kSecurity5,
       edit(5, [](auto& s) { s.auto_arm_time = 250; }),
       {{{kAuto, one(5)}, 250}},
       nullptr},
      {"type 6 with no type chosen survives; flags rebuilt, bits 4-7 dropped",
       {{{kTypes, rec(10)}, 6}, {{kTypes, rec(10) + 1}, 0xF1}, {{kDelays, rec(10)}, 9}, {{kLimits, rec(10)}, 4}},
       edit(10,
            [](auto& s) {
              s.entry_delay = 1;
              s.temp_low = 1;
              s.bypass_allowed = true;
            }),
       {{{kTypes, rec(10) + 1}, 0x09}},
       nullptr},
      {"transit zone stored on partition 2 stays, delays not stored",
       {{{kTypes, rec(2)}, 1}},
       edit(2, [](auto& s) { s.entry_delay = 30; }),
       {},
       nullptr},
      {"transit zone chosen for partition 1",
       {},
       edit(1, [](auto& s) { s.type = kTypeTransit; }),
       {{{kTypes, rec(1)}, 1}},
       nullptr},
      {"a stored auto-arm time out of range may stay",
       {{{kTypes, rec(3) + 1}, 0x02}, {{kAuto, one(3)}, 255}},
       edit(3, [](auto& s) { s.bypass_allowed = true; }),
       {{{kTypes, rec(3) + 1}, 0x0A}},
       nullptr},
      {"transit zone refused on partition 2", {}, edit(2, [](auto& s) { s.type = kTypeTransit; }), {},
       "только для раздела 1"},
      {"fire-analog cannot be chosen", {}, edit(2, [](auto& s) { s.type = kTypeFireAnalog; }), {},
       "не выбирается"},
      {"type 9 refused", {}, edit(2, [](auto& s) { s.type = 9; }), {}, "от 0 до 5"},
      {"delay 256 refused", kSecurity5, edit(5, [](auto& s) { s.exit_delay = 256; }), {},
       "Раздел 5, задержка на выход: введите целое число от 0 до 255"},
      {"negative delay refused", kSecurity5, edit(5, [](auto& s) { s.entry_delay = -1; }), {}, "от 0 до 255"},
      {"auto-arm time 251 refused", kSecurity5, edit(5, [](auto& s) { s.auto_arm_time = 251; }), {}, "от 0 до 250"},
      {"limit 100 refused",
       {{{kTypes, rec(9)}, 5}},
       edit(9, [](auto& s) { s.temp_high = 100; }),
       {},
       "верхняя граница температуры: введите целое число от 0 до 99"},
      {"partition 97 refused", {}, [](Configuration& c) { return set_partition(c, 97, {}); }, {}, "от 1 до 96"},
      {"partition 0 refused", {}, [](Configuration& c) { return set_partition(c, 0, {}); }, {}, "от 1 до 96"},
  };
  for (const auto& c : cases) run(c);
}

TEST(Partitions, ShortTablesFromAFileAreNotHalfWritten) {
  Configuration c;
  // A file brought a delay table that ends inside partition 5's record.
  c.replace({false, static_cast<std::uint8_t>(kDelays)}, std::make_unique<TMemoryBlock>(0x147000, 9));
  auto s = read_partition(c, 5);
  s.entry_delay = 10;
  s.bypass_allowed = true;
  const auto r = set_partition(c, 5, s);
  ASSERT_FALSE(r);
  EXPECT_NE(r.error().text.find("короче"), std::string::npos);
  EXPECT_EQ(c.image(kTypes).byte_at(rec(5) + 1), 0);
  EXPECT_EQ(c.image(kDelays).byte_at(8), 0);
}

TEST(Partitions, NameListIsThePanelsOwn) {
  const auto& list = partition_name_list();
  ASSERT_EQ(list.size(), 57u);
  EXPECT_EQ(list[0], "раздел");
  EXPECT_EQ(list[7], "гаражная  дверь");
  EXPECT_EQ(list[17], "комната  1");
  EXPECT_EQ(list[25], "комната  9");
  EXPECT_EQ(list[30], "объем");
  EXPECT_EQ(list[55], "этаж 3");
  EXPECT_EQ(list[56], "пользовательское название");
  EXPECT_EQ(listed_name_index("комната 1"), std::nullopt);  // one blank is not the list's text
  EXPECT_EQ(listed_name_index("пользовательское название"), std::nullopt);
}

TEST(Partitions, NamesStoredAsIndexOrTypedBytes) {
  const Bytes3 typed4 = {{{kNames, one(4)}, 63}, {{kNames, name_at(4)}, 'A'}, {{kNames, name_at(4) + 7}, 'Z'}};
  auto name = [](int p, const char* text) {
    return [p, text](Configuration& c) { return set_partition_name(c, p, text); };
  };
  const auto cp = [](const char* utf8) { return utf8_to_cp1251(utf8); };
  const Bytes b8 = cp("Бухгалт.");
  Bytes3 eight = {{{kNames, one(4)}, 63}};
  for (std::size_t k = 0; k < 8; ++k) eight[{kNames, name_at(4) + k}] = b8[k];
  const Bytes ofis = cp("Офис");
  const Case cases[] = {
      {"a listed name stores its index only", typed4, name(4, "склад"), {{{kNames, one(4)}, 46}}, nullptr},
      {"double blanks as listed", {}, name(96, "гаражная  дверь"), {{{kNames, one(96)}, 7}}, nullptr},
      {"typed name of 8 bytes, no terminator", {}, name(4, "Бухгалт."), eight, nullptr},
      {"shorter typed name clears the old bytes",
       typed4,
       name(4, "Офис"),
       {{{kNames, name_at(4)}, ofis[0]},
        {{kNames, name_at(4) + 1}, ofis[1]},
        {{kNames, name_at(4) + 2}, ofis[2]},
        {{kNames, name_at(4) + 3}, ofis[3]},
        {{kNames, name_at(4) + 7}, 0}},
       nullptr},
      {"nine characters refused, not cut to eight", typed4, name(4, "Бухгалтер"), {},
       "Наименование раздела 4: не длиннее 8 знаков"},
      {"character the code page lacks refused", {}, name(4, "Ωмега"), {}, "нет в кодировке"},
      {"empty name refused", typed4, name(4, ""), {}, "введите название"},
      {"partition 97 refused", {}, name(97, "склад"), {}, "от 1 до 96"},
      {"several names: one refused, none stored",
       typed4,
       [](Configuration& c) {
         return set_partition_names(c, {{1, "склад"}, {4, "Офис"}, {5, "слишком длинное"}});
       },
       {},
       "Наименование раздела 5"},
      {"several names stored together",
       {},
       [](Configuration& c) { return set_partition_names(c, {{1, "склад"}, {2, "этаж 1"}}); },
       {{{kNames, one(1)}, 46}, {{kNames, one(2)}, 53}},
       nullptr},
  };
  for (const auto& c : cases) run(c);
}

TEST(Partitions, NameShownFromIndexOrTypedBytes) {
  Configuration c;
  put(c, {{{kNames, one(1)}, 55},
          {{kNames, one(2)}, 200},
          {{kNames, name_at(2)}, 'A'},
          {{kNames, name_at(2) + 3}, 'B'},
          {{kNames, one(3)}, 56}});
  EXPECT_EQ(partition_name(c, 1), "этаж 3");
  EXPECT_EQ(partition_name(c, 2), "AB");  // zero bytes skipped
  EXPECT_EQ(partition_name(c, 3), "");
  EXPECT_EQ(partition_name(c, 4), "раздел");
}

TEST(Partitions, IntegrationTimeTouchesOnlyItsBit) {
  Configuration c;
  auto& b = c.image(ImageId::integration_time);
  b.set_byte(0, 0x05);
  EXPECT_EQ(loop_integration_ms(c, 1), 70);
  EXPECT_EQ(loop_integration_ms(c, 2), 70);
  ASSERT_TRUE(set_loop_integration_ms(c, 2, 500));
  EXPECT_EQ(b.byte_at(0), 0x01);
  b.set_byte(0, 0xFA);
  ASSERT_TRUE(set_loop_integration_ms(c, 1, 70));
  EXPECT_EQ(b.byte_at(0), 0xFB);
  EXPECT_FALSE(set_loop_integration_ms(c, 1, 100));
  EXPECT_EQ(b.byte_at(0), 0xFB);
}

TEST(Partitions, RelayModulesAndBindings) {
  // Records 0 and 2 used (module fields 2 and 5), record 3 repeats module field 2.
  const Bytes3 table = {{{kRelays, 0}, 2},      {{kRelays, 2}, 6},      {{kRelays, 3}, 200},
                        {{kRelays, 12}, 5},     {{kRelays, 14}, 1},     {{kRelays, 18}, 2},
                        {{kRelays, 20}, 9}};
  Configuration c;
  put(c, table);
  const std::vector<RelayModule> expected = {{0, 3, {6, 200, 0, 0}}, {2, 6, {1, 0, 0, 0}}, {3, 3, {9, 0, 0, 0}}};
  EXPECT_EQ(relay_modules(c), expected);

  auto bind = [](int module, int relay, int partition) {
    return [=](Configuration& cf) { return set_relay_binding(cf, module, relay, partition); };
  };
  const Case cases[] = {
      {"relay 2 of module 6", table, bind(6, 2, 96), {{{kRelays, 15}, 96}}, nullptr},
      {"the first record of a repeated module number; a stored 200 may stay", table, bind(3, 1, 0),
       {{{kRelays, 2}, 0}}, nullptr},
      {"a whole record through the dialog's confirm", table,
       [](Configuration& cf) { return set_relay_bindings(cf, 3, {1, 2, 3, 4}); },
       {{{kRelays, 20}, 1}, {{kRelays, 21}, 2}, {{kRelays, 22}, 3}, {{kRelays, 23}, 4}}, nullptr},
      {"partition 97 refused", table, bind(6, 1, 97), {}, "Привязка реле 1: введите целое число от 0 до 96"},
      {"unknown module refused", table, bind(4, 1, 1), {}, "не найден"},
      {"relay 5 refused", table, bind(6, 5, 1), {}, "реле 5 нет"},
      {"empty record refused", table, [](Configuration& cf) { return set_relay_bindings(cf, 1, {1, 0, 0, 0}); }, {},
       "не занята"},
  };
  for (const auto& cs : cases) run(cs);

  EXPECT_EQ(parse_relay_partition(" - ", 1).value(), 0);
  EXPECT_EQ(parse_relay_partition(" 12", 1).value(), 12);
  for (const char* bad : {"", "abc", "97", "-1", "1.5", "5a"}) {
    const auto r = parse_relay_partition(bad, 2);
    ASSERT_FALSE(r) << bad;
    EXPECT_EQ(r.error().text, "Привязка реле 2: введите целое число от 0 до 96") << bad;
  }
}

TEST(Partitions, RelayListsOfferTechnologicalPartitions) {
  Configuration c;
  EXPECT_TRUE(technical_partitions(c).empty());
  put(c, {{{kTypes, rec(40)}, 4}, {{kTypes, rec(6)}, 4}, {{kTypes, rec(7)}, 5}});
  EXPECT_EQ(technical_partitions(c), (std::vector<int>{6, 40}));
}

// config set goes through the same confirm and refuses what the dialog keeps disabled.
TEST(PartitionFields, SetRefusesWhatTheDialogDisables) {
  // 3 fire 1 (24h), 5 security with auto-arm, 8 security with 24h, 9 temperature, 2 transit.
  const Bytes3 base = {{{kTypes, rec(3)}, 2},      {{kTypes, rec(3) + 1}, 1}, {{kTypes, rec(5) + 1}, 2},
                       {{kTypes, rec(8) + 1}, 1},  {{kTypes, rec(9)}, 5},     {{kTypes, rec(2)}, 1},
                       {{kRelays, 0}, 2}};
  auto set = [](const char* key, const char* value) {
    return [=](Configuration& c) { return set_config_field(c, key, value); };
  };
  const Case cases[] = {
      {"type by name; fire ticks 24h", base, set("partitions.5.type", "Пожарный 2"),
       {{{kTypes, rec(5)}, 3}, {{kTypes, rec(5) + 1}, 3}}, nullptr},
      {"type by number; choosing unticks 24h", base, set("partitions.3.type", "4"),
       {{{kTypes, rec(3)}, 4}, {{kTypes, rec(3) + 1}, 0}}, nullptr},
      {"same type keeps its flags", base, set("partitions.8.type", "0"), {}, nullptr},
      {"delay", base, set("partitions.5.entry_delay", "30"), {{{kDelays, rec(5)}, 30}}, nullptr},
      {"auto-arm time", base, set("partitions.5.auto_arm_time", "250"), {{{kAuto, one(5)}, 250}}, nullptr},
      {"limits", base, set("partitions.9.temp_low", "0"), {}, nullptr},
      {"flag", base, set("partitions.9.silent_alarm", "1"), {{{kTypes, rec(9) + 1}, 0x04}}, nullptr},
      {"name", base, set("partitions.9.name", "склад 2"), {{{kNames, one(9)}, 48}}, nullptr},
      {"relay with a dash", base, set("relay_modules.3.relay_1", "-"), {}, nullptr},
      {"relay", base, set("relay_modules.3.relay_2", "7"), {{{kRelays, 3}, 7}}, nullptr},
      {"entry delay of a fire partition", base, set("partitions.3.entry_delay", "5"), {},
       "Раздел 3: задержка на вход не задаётся для типа «Пожарный 1»"},
      {"exit delay with 24h", base, set("partitions.8.exit_delay", "5"), {}, "пока включено «Круглосуточно»"},
      {"delay of a transit zone on partition 2", base, set("partitions.2.entry_delay", "5"), {},
       "«Проходная зона»"},
      {"24h of a fire partition", base, set("partitions.3.round_the_clock", "0"), {}, "у пожарного раздела"},
      {"silent alarm of a fire partition", base, set("partitions.3.silent_alarm", "1"), {}, "всегда выключено"},
      {"transit zone on partition 5", base, set("partitions.5.type", "Проходная зона"), {}, "только для раздела 1"},
      {"unknown type name", base, set("partitions.5.type", "Пожарный"), {}, "0 «Охранный», 2 «Пожарный 1»"},
      {"auto-arm time while auto-arm is off", base, set("partitions.8.auto_arm_time", "5"), {}, "«Автовзятие»"},
      {"limits of a security partition", base, set("partitions.5.temp_high", "5"), {}, "а у раздела тип «Охранный»"},
      {"limit out of range", base, set("partitions.9.temp_high", "100"), {},
       "Раздел 9, верхняя граница температуры: введите целое число от 0 до 99"},
      {"delay not a number", base, set("partitions.5.entry_delay", "1O"), {}, "от 0 до 255"},
      {"flag not 0/1", base, set("partitions.5.auto_arm", "2"), {}, "автовзятие: введите 1"},
      {"name too long", base, set("partitions.5.name", "Бухгалтерия"), {}, "не длиннее 8"},
      {"partition 97", base, set("partitions.97.type", "0"), {}, "Нет такого ключа"},
      {"unknown field", base, set("partitions.5.colour", "0"), {}, "Нет такого ключа"},
      {"relay 3 is not on the page", base, set("relay_modules.3.relay_3", "1"), {}, "только реле 1 и 2"},
      {"relay text not a number", base, set("relay_modules.3.relay_1", "шесть"), {}, "от 0 до 96"},
      {"unknown module", base, set("relay_modules.4.relay_1", "1"), {}, "не найден"},
  };
  for (const auto& c : cases) run(c);
}

TEST(PartitionFields, ReportShowsWhatTheTypeGivesMeaningTo) {
  Configuration c;
  put(c, kSecurity5);
  put(c, {{{kTypes, rec(3)}, 2}, {{kTypes, rec(3) + 1}, 1}, {{kTypes, rec(9)}, 5}, {{kRelays, 0}, 2}});
  const auto report = build_report(c);
  auto value = [&](const char* key) {
    const auto* f = find_field(report, key);
    return f ? f->value : std::string("<none>");
  };
  EXPECT_EQ(value("partitions.5.type"), "Охранный");
  EXPECT_EQ(value("partitions.5.entry_delay"), "10");
  EXPECT_EQ(value("partitions.5.auto_arm_time"), "60");
  EXPECT_EQ(value("partitions.5.temp_low"), "<none>");
  EXPECT_EQ(value("partitions.3.entry_delay"), "<none>");
  EXPECT_EQ(value("partitions.3.round_the_clock"), "да");
  EXPECT_EQ(value("partitions.9.temp_high"), "0");
  EXPECT_EQ(value("partitions.96.name"), "раздел");
  EXPECT_EQ(value("relay_modules.3.relay_1"), "0");
  EXPECT_EQ(value("relay_modules.3.relay_4"), "0");

  Configuration d;
  put(d, kSecurity5);
  put(d, {{{kTypes, rec(3)}, 2}, {{kTypes, rec(3) + 1}, 1}, {{kTypes, rec(9)}, 5}, {{kRelays, 0}, 2}});
  ASSERT_TRUE(set_config_field(d, "partitions.5.type", "3"));
  const auto lines = diff_reports(report, build_report(d));
  const std::vector<std::string> expected = {
      "Разделы: раздел 5: тип: Охранный → Пожарный 2",
      "Разделы: раздел 5: круглосуточно: нет → да",
      "Разделы: раздел 5: задержка на вход, с: 10 → —",
      "Разделы: раздел 5: задержка на выход, с: 20 → —",
  };
  EXPECT_EQ(lines, expected);
}
