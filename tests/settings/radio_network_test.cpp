// Radio network operations stated as byte effects: the parameter record of each device
// type, the change mark, deletion with the outputs it frees, and the partition assignment
// of radio devices and wired loops.
#include "settings/radio_network.hpp"

#include <gtest/gtest.h>

#include <vector>

#include "memory/configuration.hpp"
#include "shell/messages.hpp"

namespace {

using vq::memory::Configuration;
using vq::memory::ImageId;
using namespace vq::settings;
using P = RadioParam;
using u8 = std::uint8_t;

struct Radio {
  Configuration c;

  void device(int n, int type, int partition = 0, u8 p0 = 0, u8 p1 = 0) {
    auto& d = c.image(ImageId::radio_devices);
    d.set_byte(6 + 2 * static_cast<std::size_t>(n - 1), static_cast<u8>(type));
    d.set_byte(7 + 2 * static_cast<std::size_t>(n - 1), static_cast<u8>(partition));
    auto& p = c.image(ImageId::radio_device_params);
    p.set_byte(2 * static_cast<std::size_t>(n - 1), p0);
    p.set_byte(2 * static_cast<std::size_t>(n - 1) + 1, p1);
  }
  std::pair<u8, u8> params(int n) const {
    const auto& p = c.image(ImageId::radio_device_params);
    return {p.byte_at(2 * static_cast<std::size_t>(n - 1)), p.byte_at(2 * static_cast<std::size_t>(n - 1) + 1)};
  }
  void output(int k, int device_class, int device, int physical = 1) {
    auto& t = c.image(ImageId::system_outputs);
    t.set_byte(20 * static_cast<std::size_t>(k - 1), static_cast<u8>(device_class << 4 | (physical - 1)));
    t.set_byte(20 * static_cast<std::size_t>(k - 1) + 1, static_cast<u8>(device));
    t.set_byte(20 * static_cast<std::size_t>(k - 1) + 2, 5);  // a work mode, which freeing keeps
  }
  std::pair<u8, u8> output_bytes(int k) const {
    const auto& t = c.image(ImageId::system_outputs);
    return {t.byte_at(20 * static_cast<std::size_t>(k - 1)), t.byte_at(20 * static_cast<std::size_t>(k - 1) + 1)};
  }
  void partition_type(int p, int type) {
    c.image(ImageId::partitions).set_byte(2 * static_cast<std::size_t>(p - 1), static_cast<u8>(type));
  }
  std::vector<u8> bytes(ImageId id) const {
    const auto d = c.image(id).data();
    return {d.begin(), d.end()};
  }
  // Every image a radio operation may touch, to check that a refusal touched none.
  std::vector<std::vector<u8>> snapshot() const {
    return {bytes(ImageId::radio_devices), bytes(ImageId::radio_device_params), bytes(ImageId::wired_loops),
            bytes(ImageId::system_outputs), bytes(ImageId::radio_channel_control)};
  }
};

TEST(RadioChannelControl, StoresFourToFortyTwoAndRefusesTheRestKeepingTheOtherBytes) {
  Radio r;
  auto& t = r.c.image(ImageId::radio_channel_control);
  t.set_byte(1, 0xAB);
  t.set_byte(2, 0xCD);
  for (int ok : {4, 17, 42}) {
    ASSERT_TRUE(set_channel_control_period(r.c, ok)) << ok;
    EXPECT_EQ(channel_control_period(r.c), ok);
  }
  for (int bad : {0, 3, 43, 255, -1}) {
    const auto r2 = set_channel_control_period(r.c, bad);
    ASSERT_FALSE(r2) << bad;
    EXPECT_EQ(r2.error().text, "Период контроля канала: введите целое число от 4 до 42");
  }
  EXPECT_EQ(r.bytes(ImageId::radio_channel_control), (std::vector<u8>{42, 0xAB, 0xCD}));
}

TEST(RadioDeviceParams, DecodesTheBitsNamedForEachType) {
  struct Case {
    int type;
    u8 b0, b1;
    std::vector<std::pair<P, int>> expected;
    bool changed;
  };
  const Case cases[] = {
      {1, 0x44, 0x00, {{P::main_channel, 1}, {P::aux_input, 1}, {P::aux_input_type, 0}, {P::device_kind, 0}}, false},
      {4, 0x58, 0x80, {{P::main_channel, 0}, {P::aux_input, 1}, {P::aux_input_type, 1}, {P::device_kind, 1}}, true},
      {2, 0x53, 0x00, {{P::sensitivity, 3}, {P::aux_input_type, 1}, {P::aux_input, 1}}, false},
      {5, 0x31, 0x00, {{P::integration_time, 1}, {P::sensitivity_db, 3}}, false},
      {35, 60, 0xBC, {{P::threshold_temp, 60}}, true},  // byte 1 bits 0-6, the mark aside
      {66, 3, 3, {{P::volume, 3}}, false},
      {90, 0x10, 0, {{P::aux_input_type, 1}}, false},
      {226, 0x40, 0, {{P::aux_input_type, 0}, {P::aux_input, 1}}, false},
      {229, 0x04, 0, {{P::main_channel, 1}}, false},
      {18, 0xFF, 0x7F, {}, false},
      {0, 0xFF, 0xFF, {}, true},
  };
  for (const auto& k : cases) {
    Radio r;
    r.device(9, k.type, 1, k.b0, k.b1);
    RadioDeviceParams want;
    for (auto [p, v] : k.expected) want[p] = v;
    want.changed = k.changed;
    EXPECT_EQ(read_device_params(r.c, 9), want) << "type " << k.type;
  }
}

// Saving the dialog for one device: only the type's bits change, ИПТ and ОПР have both
// bytes rewritten, and byte 1 bit 7 is set.
TEST(RadioDeviceParams, SavingChangesOnlyTheTypesBitsAndSetsTheChangeMark) {
  struct Case {
    const char* what;
    int type;
    u8 b0, b1;
    std::vector<std::pair<P, int>> set;
    u8 want0, want1;
  };
  const Case cases[] = {
      {"ИК низкая -> высокая", 2, 0x00, 0x00, {{P::sensitivity, 3}}, 0x03, 0x80},
      {"ИК: bits 4 and 6 from the lists, others kept", 2, 0xA1, 0x15, {{P::aux_input, 1}, {P::aux_input_type, 1}, {P::sensitivity, 0}}, 0xF0, 0x95},
      {"ВБР высокое -> среднее", 5, 0x82, 0x00, {{P::integration_time, 1}}, 0x81, 0x80},
      {"ВБР -7 dB -> 0 dB", 5, 0x31, 0x00, {{P::sensitivity_db, 5}}, 0x51, 0x80},
      {"СМК all four bits off, bits 0,1,5,7 kept", 1, 0xFF, 0x00,
       {{P::main_channel, 0}, {P::device_kind, 0}, {P::aux_input, 0}, {P::aux_input_type, 0}}, 0xA3, 0x80},
      {"РПД all four on", 4, 0x00, 0x00,
       {{P::main_channel, 1}, {P::device_kind, 1}, {P::aux_input, 1}, {P::aux_input_type, 1}}, 0x5C, 0x80},
      {"ИПТ 60 in both bytes", 35, 0x11, 0x22, {{P::threshold_temp, 60}}, 60, 60 | 0x80},
      {"ОПР volume 2 in both bytes", 66, 0x03, 0x03, {{P::volume, 2}}, 2, 0x82},
      {"ДУВ bit 4 only", 90, 0x00, 0x00, {{P::aux_input_type, 1}, {P::aux_input, 1}, {P::main_channel, 1}}, 0x10, 0x80},
      {"РТМ 226 bits 4 and 6", 226, 0x04, 0x00, {{P::aux_input_type, 1}, {P::aux_input, 1}, {P::main_channel, 0}}, 0x54, 0x80},
      {"РТМ 228 bit 2", 228, 0x00, 0x00, {{P::main_channel, 1}, {P::aux_input, 1}}, 0x04, 0x80},
      {"БР: only the change mark", 18, 0x5A, 0x01, {{P::main_channel, 1}, {P::volume, 3}}, 0x5A, 0x81},
      {"a parameter without a value keeps its bits", 2, 0x43, 0x00, {{P::aux_input_type, 1}}, 0x53, 0x80},
  };
  for (const auto& k : cases) {
    Radio r;
    r.device(3, k.type, 1, k.b0, k.b1);
    r.device(4, k.type, 1, 0x00, 0x00);
    RadioDeviceParams p;
    for (auto [q, v] : k.set) p[q] = v;
    ASSERT_TRUE(save_device_params(r.c, 3, p, false)) << k.what;
    EXPECT_EQ(r.params(3), (std::pair<u8, u8>{k.want0, k.want1})) << k.what;
    EXPECT_EQ(r.params(4), (std::pair<u8, u8>{0, 0})) << k.what << ": another device of the type";
  }
}

TEST(RadioDeviceParams, ToAllOfTypeChangesEveryDeviceOfTheTypeAndNoOther) {
  Radio r;
  r.device(1, 2, 1, 0x00, 0x00);
  r.device(7, 2, 2, 0x40, 0x00);
  r.device(250, 2, 0, 0x10, 0x05);
  r.device(2, 3, 1, 0x00, 0x00);  // АК shares the lists but not the type code
  r.device(3, 18, 0, 0x00, 0x00);
  RadioDeviceParams p;
  p[P::sensitivity] = 3;
  p[P::aux_input] = 0;
  p[P::aux_input_type] = 0;
  ASSERT_TRUE(save_device_params(r.c, 7, p, true));
  EXPECT_EQ(r.params(1), (std::pair<u8, u8>{0x03, 0x80}));
  EXPECT_EQ(r.params(7), (std::pair<u8, u8>{0x03, 0x80}));
  EXPECT_EQ(r.params(250), (std::pair<u8, u8>{0x03, 0x85}));
  EXPECT_EQ(r.params(2), (std::pair<u8, u8>{0x00, 0x00}));
  EXPECT_EQ(r.params(3), (std::pair<u8, u8>{0x00, 0x00}));
  EXPECT_EQ(r.params(4), (std::pair<u8, u8>{0x00, 0x00}));  // an empty slot
}

TEST(RadioDeviceParams, RefusalsChangeNoByte) {
  struct Case {
    int type;
    P p;
    int value;
    int device;  // the device saved; 5 is an empty slot
    const char* text;
  };
  const Case cases[] = {
      {35, P::threshold_temp, 53, 1, "Пороговая температура сработки (для ИПТ): введите целое число от 54 до 65"},
      {35, P::threshold_temp, 66, 1, "Пороговая температура сработки (для ИПТ): введите целое число от 54 до 65"},
      {66, P::volume, 0, 1, "Громкость звучания (для ОПР): введите целое число от 1 до 4"},
      {66, P::volume, 5, 1, "Громкость звучания (для ОПР): введите целое число от 1 до 4"},
      {2, P::sensitivity, 4, 1, "чувствительность основного канала: допустимо от 0 до 3"},
      {5, P::sensitivity_db, 6, 1, "чувствительность (для ВБР): допустимо от 0 до 5"},
      {1, P::main_channel, 2, 1, "основной канал: допустимо от 0 до 1"},
      {2, P::sensitivity, 3, 5, "Радиоустройство 5: нет устройства, параметры не сохраняются"},
  };
  for (const auto& k : cases) {
    for (bool to_all : {false, true}) {
      Radio r;
      r.device(1, k.type, 1, 0x12, 0x34);
      r.device(2, k.type, 1, 0x12, 0x34);
      const auto before = r.snapshot();
      RadioDeviceParams p;
      p[k.p] = k.value;
      const auto res = save_device_params(r.c, k.device, p, to_all);
      ASSERT_FALSE(res) << k.text;
      EXPECT_EQ(res.error().text.rfind(k.text, 0), 0u) << res.error().text;
      EXPECT_EQ(r.snapshot(), before) << k.text;
    }
  }
}

// The dialog as it opens: which lists are enabled, and the auxiliary input type an СМК, ИК
// or АК shows (and so saves) as НЗ.
TEST(RadioDeviceForm, OpensAsTheDialogDoesForEachType) {
  struct Case {
    int type;
    u8 b0, b1;
    std::vector<P> enabled;
    std::vector<std::pair<P, std::optional<int>>> shown;
  };
  const Case cases[] = {
      {1, 0x54, 0, {P::main_channel, P::aux_input, P::device_kind}, {{P::aux_input_type, 0}, {P::main_channel, 1}}},
      {4, 0x58, 0, {P::aux_input_type, P::device_kind}, {{P::aux_input_type, 1}, {P::device_kind, 1}}},
      {2, 0x12, 0, {P::aux_input, P::sensitivity}, {{P::aux_input_type, 0}, {P::sensitivity, 2}}},
      {5, 0x70, 0, {P::integration_time, P::sensitivity_db}, {{P::sensitivity_db, std::nullopt}}},  // 7: no entry
      {35, 0, 0x88, {P::threshold_temp}, {{P::threshold_temp, 8}}},  // an editable list shows any number
      {66, 0, 0, {P::volume}, {{P::volume, std::nullopt}}},
      {66, 4, 4, {P::volume}, {{P::volume, 4}}},
      {90, 0x10, 0, {P::aux_input_type}, {{P::aux_input_type, 1}}},
      {226, 0x50, 0, {P::aux_input_type, P::aux_input}, {{P::aux_input, 1}}},
      {228, 0x04, 0, {P::main_channel}, {{P::main_channel, 1}}},
      {18, 0xFF, 0, {}, {}},
  };
  for (const auto& k : cases) {
    Radio r;
    r.device(1, k.type, 1, k.b0, k.b1);
    const auto f = device_form(k.type, read_device_params(r.c, 1));
    for (auto p : kAllRadioParams) {
      const bool want = std::find(k.enabled.begin(), k.enabled.end(), p) != k.enabled.end();
      EXPECT_EQ(f.is_enabled(p), want) << "type " << k.type << " " << param_key(p);
    }
    for (auto [p, v] : k.shown) EXPECT_EQ(f.values[p], v) << "type " << k.type << " " << param_key(p);
  }
}

TEST(RadioDeviceForm, ChoicesFollowTheDialogsRules) {
  // The device kind brings its lists along.
  auto f = device_form(1, {});
  ASSERT_TRUE(choose_param(1, f, P::device_kind, 1));
  EXPECT_EQ(f.values[P::aux_input], 1);
  EXPECT_EQ(f.values[P::aux_input_type], 1);
  EXPECT_EQ(f.values[P::main_channel], 0);
  EXPECT_TRUE(f.is_enabled(P::aux_input_type));
  EXPECT_FALSE(f.is_enabled(P::main_channel));
  ASSERT_TRUE(choose_param(1, f, P::device_kind, 0));
  EXPECT_EQ(f.values[P::aux_input], 0);
  EXPECT_EQ(f.values[P::aux_input_type], 0);
  EXPECT_EQ(f.values[P::main_channel], 1);
  EXPECT_FALSE(f.is_enabled(P::aux_input_type));

  struct Refusal {
    int type;
    u8 b0;
    P p;
    int value;
    std::string text;
  };
  const Refusal refusals[] = {
      {2, 0, P::sensitivity, 1, vq::shell::msg(15024)},
      {2, 0, P::sensitivity, 2, vq::shell::msg(15024)},
      {2, 0, P::volume, 3, "у устройства типа ИК (код 2) нет параметра «громкость звучания»"},
      {18, 0, P::main_channel, 1, "у устройства типа БР (код 18) нет параметра «основной канал»"},
      {2, 0, P::aux_input_type, 1,
       "«тип входа дополнительного канала» недоступен в окне параметров устройства ИК (код 2): у этого "
       "устройства вход дополнительного канала всегда НЗ"},
      {4, 0x08, P::main_channel, 1,
       "«основной канал» недоступен в окне параметров устройства РПД (код 4): для вида РПД задаются только тип "
       "входа дополнительного канала и вид устройства"},
      {5, 0, P::integration_time, 4, "время интегрирования (для ВБР): допустимо от 0 до 3"},
  };
  for (const auto& k : refusals) {
    Radio r;
    r.device(1, k.type, 1, k.b0, 0);
    auto form = device_form(k.type, read_device_params(r.c, 1));
    const auto before = form.values;
    const auto res = choose_param(k.type, form, k.p, k.value);
    ASSERT_FALSE(res) << k.text;
    EXPECT_EQ(res.error().text.rfind(k.text, 0), 0u) << res.error().text;
    EXPECT_EQ(form.values, before);
  }
}

TEST(RadioDeviceDeletion, FreesTheDevicesClassTwoOutputsOnly) {
  Radio r;
  r.device(5, 226, 3, 0x40, 0x81);
  r.device(6, 228, 3);
  r.device(14, 65, 1);
  r.output(1, 2, 5, 1);
  r.output(2, 2, 5, 2);
  r.output(3, 2, 6, 1);   // another radio relay
  r.output(4, 3, 5, 1);   // a relay module numbered 5
  r.output(5, 4, 14, 1);  // a siren, class 4
  ASSERT_TRUE(delete_radio_device(r.c, 5));
  EXPECT_EQ(r.output_bytes(1), (std::pair<u8, u8>{0, 0}));
  EXPECT_EQ(r.output_bytes(2), (std::pair<u8, u8>{0, 0}));
  EXPECT_EQ(r.c.image(ImageId::system_outputs).byte_at(2), 5);  // the work mode stays
  EXPECT_EQ(r.output_bytes(3), (std::pair<u8, u8>{0x20, 6}));
  EXPECT_EQ(r.output_bytes(4), (std::pair<u8, u8>{0x30, 5}));
  EXPECT_EQ(radio_device_type(r.c, 5), 0);
  EXPECT_EQ(radio_device_partition(r.c, 5), 0);
  EXPECT_EQ(r.params(5), (std::pair<u8, u8>{0x40, 0x81}));  // the parameter record stays

  // An СЗО is a class-4 device: its outputs stay bound to its number.
  ASSERT_TRUE(delete_radio_device(r.c, 14));
  EXPECT_EQ(r.output_bytes(5), (std::pair<u8, u8>{0x40, 14}));

  const auto before = r.snapshot();
  for (int n : {5, 7, 0, 251}) {
    const auto res = delete_radio_device(r.c, n);
    ASSERT_FALSE(res) << n;
    EXPECT_EQ(res.error().message_id, 15131);
    EXPECT_EQ(res.error().text, "Нет данных для удаления!");
  }
  EXPECT_EQ(r.snapshot(), before);
}

TEST(RadioDeviceDeletion, DeletingAllEmptiesEverySlotAndFreesRadioOutputs) {
  Radio r;
  for (int n : {1, 100, 250}) r.device(n, 2, 4, 0x03, 0x00);
  r.c.image(ImageId::radio_devices).set_byte(2, 0x77);  // outside the slots: untouched
  r.output(1, 2, 1);
  r.output(2, 2, 250);
  r.output(3, 2, 0);    // class 2 but no device number
  r.output(4, 2, 251);  // no such radio device
  r.output(5, 1, 1);
  EXPECT_EQ(delete_all_radio_devices(r.c), 2);
  for (int n = 1; n <= kRadioDeviceCount; ++n) {
    EXPECT_FALSE(radio_device_registered(r.c, n)) << n;
    EXPECT_EQ(radio_device_partition(r.c, n), 0) << n;
  }
  EXPECT_EQ(r.c.image(ImageId::radio_devices).byte_at(2), 0x77);
  EXPECT_EQ(r.output_bytes(1), (std::pair<u8, u8>{0, 0}));
  EXPECT_EQ(r.output_bytes(2), (std::pair<u8, u8>{0, 0}));
  EXPECT_EQ(r.output_bytes(3), (std::pair<u8, u8>{0x20, 0}));
  EXPECT_EQ(r.output_bytes(4), (std::pair<u8, u8>{0x20, 251}));
  EXPECT_EQ(r.output_bytes(5), (std::pair<u8, u8>{0x10, 1}));
  EXPECT_EQ(r.params(100), (std::pair<u8, u8>{0x03, 0x00}));
}

TEST(RpdiAssignment, WritesHeaderPartitionsAndLoopTypes) {
  struct Case {
    const char* what;
    int shs1, shs2, sos;
    u8 b5_before;
    std::vector<u8> want;  // wired loop bytes 0..5
  };
  // Partition types: 96 "Пожарный 2", 7 "Пожарный 2", 3 "Пожарный 1", 9 "Контроль температуры".
  const Case cases[] = {
      {"ШС1 in a fire-2 partition 96", 96, 0, 0, 0x00, {96, 0, 0, 0x30, 0, 0x01}},
      {"ШС2 in fire-2, SOS typed", 3, 7, 9, 0x00, {3, 7, 9, 0x23, 5, 0x10}},
      {"both fire-2", 7, 96, 1, 0x00, {7, 96, 1, 0x33, 0, 0x11}},
      {"bits once set are never cleared", 1, 3, 0, 0x11 | 0x42, {1, 3, 0, 0x02, 0, 0x53}},
      {"partition 0: type 0", 0, 0, 0, 0x00, {0, 0, 0, 0x00, 0, 0x00}},
  };
  for (const auto& k : cases) {
    Radio r;
    r.partition_type(96, 3);
    r.partition_type(7, 3);
    r.partition_type(3, 2);
    r.partition_type(9, 5);
    r.partition_type(1, 0);
    auto& loops = r.c.image(ImageId::wired_loops);
    for (std::size_t i = 0; i < 5; ++i) loops.set_byte(i, 0xEE);
    loops.set_byte(5, k.b5_before);
    RpdiAssignment a = read_rpdi(r.c);
    a.shs1 = k.shs1;
    a.shs2 = k.shs2;
    a.sos = k.sos;
    ASSERT_TRUE(apply_rpdi(r.c, a)) << k.what;
    EXPECT_EQ(r.bytes(ImageId::wired_loops), k.want) << k.what;
  }
}

TEST(RpdiAssignment, StoresDevicePartitionsAndTheSlotHeader) {
  Radio r;
  r.device(1, 2, 1);
  r.device(250, 33, 5);
  auto& d = r.c.image(ImageId::radio_devices);
  d.set_byte(0, 19);
  d.set_byte(1, 0x44);
  d.set_byte(2, 0x99);
  d.set_byte(9, 7);  // empty slot 2 holding a partition from somewhere
  auto a = read_rpdi(r.c);
  EXPECT_EQ(a.device[0], 1);
  EXPECT_EQ(a.device[1], 7);
  a.device[0] = 96;
  a.device[249] = 0;
  ASSERT_TRUE(apply_rpdi(r.c, a));  // slot 2 keeps its number: no assignment
  EXPECT_EQ(d.byte_at(0), 250);
  EXPECT_EQ(d.byte_at(1), 0);
  EXPECT_EQ(d.byte_at(2), 0x99);
  EXPECT_EQ(radio_device_partition(r.c, 1), 96);
  EXPECT_EQ(radio_device_partition(r.c, 2), 7);
  EXPECT_EQ(radio_device_partition(r.c, 250), 0);
  EXPECT_EQ(radio_device_type(r.c, 250), 33);
}

TEST(RpdiAssignment, RefusalsChangeNoByte) {
  struct Case {
    const char* what;
    int device;  // index + 1 changed, or 0 for a loop
    int value;
    int loop;    // 1, 2, 3 (SOS) when device is 0
    std::string text;
    int message_id;
  };
  const Case cases[] = {
      {"an empty slot", 3, 5, 0, vq::shell::msg(15129), 15129},
      {"partition 97 for a device", 1, 97, 0, "Раздел радиоустройства 1: введите целое число от 0 до 96", 0},
      {"a negative partition", 1, -1, 0, "Раздел радиоустройства 1: введите целое число от 0 до 96", 0},
      {"partition 97 for ШС2", 0, 97, 2, "Раздел ШС2: введите целое число от 0 до 96", 0},
      {"partition 200 for SOS", 0, 200, 3, "Раздел SOS: введите целое число от 0 до 96", 0},
  };
  for (const auto& k : cases) {
    Radio r;
    r.device(1, 2, 1);
    r.c.image(ImageId::radio_devices).set_byte(0, 19);
    const auto before = r.snapshot();
    auto a = read_rpdi(r.c);
    a.device[0] = 4;  // a good change beside the bad one: also not stored
    if (k.device) a.device[static_cast<std::size_t>(k.device - 1)] = k.value;
    if (k.loop == 2) a.shs2 = k.value;
    if (k.loop == 3) a.sos = k.value;
    const auto res = apply_rpdi(r.c, a);
    ASSERT_FALSE(res) << k.what;
    EXPECT_EQ(res.error().text, k.text) << k.what;
    EXPECT_EQ(res.error().message_id, k.message_id) << k.what;
    EXPECT_EQ(r.snapshot(), before) << k.what;
  }
}

}  // namespace
