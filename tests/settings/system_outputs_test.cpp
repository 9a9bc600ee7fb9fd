// System outputs: bindings as presented and offered, assignment, swap, free, work modes,
// target lists and partition links — byte effects and refusals.
#include <gtest/gtest.h>

#include <map>
#include <memory>

#include "memory/memory_block.hpp"
#include "settings/system_outputs.hpp"

using namespace vq;
using namespace vq::memory;
using namespace vq::settings;

namespace {

using Bytes20 = std::array<std::uint8_t, 20>;

std::size_t rec(int n) { return static_cast<std::size_t>(n - 1) * 20; }

void radio(Configuration& c, int device, std::uint8_t type) {
  c.image(ImageId::radio_devices).set_byte(6 + 2 * static_cast<std::size_t>(device - 1), type);
}
void bind(Configuration& c, int n, int cls, int device, int output, int mode = 0) {
  auto& t = c.image(ImageId::system_outputs);
  t.set_byte(rec(n), static_cast<std::uint8_t>(cls << 4 | (output - 1)));
  t.set_byte(rec(n) + 1, static_cast<std::uint8_t>(device));
  t.set_byte(rec(n) + 2, static_cast<std::uint8_t>(mode));
}
// Registered devices: (model, byte 0) records from offset 33, `count` in byte 0.
void registered(Configuration& c, int count, std::initializer_list<std::pair<std::uint16_t, std::uint8_t>> records) {
  auto& t = c.image(ImageId::registered_devices);
  t.set_byte(0, static_cast<std::uint8_t>(count));
  std::size_t at = 33;
  for (auto [model, index] : records) {
    t.set_byte(at, index);
    t.set_byte(at + 5, static_cast<std::uint8_t>(model & 0xFF));
    t.set_byte(at + 6, static_cast<std::uint8_t>(model >> 8));
    at += 32;
  }
}
Bytes20 record_of(const Configuration& c, int n) {
  Bytes20 r{};
  for (std::size_t i = 0; i < 20; ++i) r[i] = c.image(ImageId::system_outputs).byte_at(rec(n) + i);
  return r;
}
std::vector<std::uint8_t> all_bytes(const Configuration& c) {
  std::vector<std::uint8_t> out;
  for (auto id : {ImageId::system_outputs, ImageId::control_times}) {
    const auto d = c.image(id).data();
    out.insert(out.end(), d.begin(), d.end());
  }
  return out;
}

// A small network: radio relays of every type, a siren, two sounders, relay modules.
void network(Configuration& c) {
  radio(c, 2, 225);
  radio(c, 3, 226);
  radio(c, 4, 224);  // РТМ without outputs to offer
  radio(c, 5, 228);
  radio(c, 6, 229);
  radio(c, 7, 65);
  radio(c, 8, 70);
  radio(c, 9, 70);
  radio(c, 10, 2);
  // Relay modules 7 and 3 (byte 0 + 1), a GSM communicator between them, an uncounted
  // model that is skipped.
  registered(c, 3, {{526, 6}, {1234, 9}, {517, 0}, {526, 2}});
}

class SystemOutputs : public ::testing::Test {
 protected:
  Configuration c;
  void SetUp() override { network(c); }
};

TEST_F(SystemOutputs, PresentedBindingAndNames) {
  bind(c, 1, 2, 8, 1);   // class 2 on a sounder: ОПС
  bind(c, 2, 2, 3, 2);   // class 2 on a radio relay
  bind(c, 3, 1, 0, 4);   // the panel stored as device 0
  bind(c, 4, 7, 12, 3);  // a class without a name
  c.image(ImageId::system_outputs).set_byte(rec(5) + 1, 9);  // free, a stray device byte
  struct Case {
    int n;
    OutputBinding shown;
    std::string name;
  };
  for (const auto& k : std::vector<Case>{{1, {5, 8, 1}, "ОПС"},
                                         {2, {2, 3, 2}, "РТМ"},
                                         {3, {1, 1, 4}, "ППКОП"},
                                         {4, {7, 12, 3}, "класс 7"},
                                         {5, {0, 0, 0}, "нет устройства"}}) {
    EXPECT_EQ(presented_binding(c, k.n), k.shown) << k.n;
    EXPECT_EQ(output_class_name(presented_binding(c, k.n).device_class), k.name) << k.n;
  }
  EXPECT_EQ(output_class_from_text("МР"), 3);
  EXPECT_EQ(output_class_from_text("4"), 4);
  EXPECT_EQ(output_class_from_text("6"), std::nullopt);
  EXPECT_EQ(work_mode_name(8), "Дистанционное управление");
  EXPECT_EQ(work_mode_name(12), "режим 12");
  EXPECT_EQ(work_mode_from_text("Табло"), 7);
  EXPECT_EQ(work_mode_from_text("9"), std::nullopt);
}

TEST_F(SystemOutputs, DevicesAndPhysicalOutputsEachClassOffers) {
  EXPECT_EQ(candidate_devices(c, 0), std::vector<int>{});
  EXPECT_EQ(candidate_devices(c, 1), std::vector<int>{1});
  EXPECT_EQ(candidate_devices(c, 2), (std::vector<int>{2, 3, 5, 6}));
  EXPECT_EQ(candidate_devices(c, 3), (std::vector<int>{7, 3}));  // table order
  EXPECT_EQ(candidate_devices(c, 4), std::vector<int>{7});
  EXPECT_EQ(candidate_devices(c, 5), (std::vector<int>{8, 9}));
  EXPECT_EQ(candidate_devices(c, 6), std::vector<int>{});
  struct Case {
    int cls, device;
    std::vector<int> outputs;
  };
  for (const auto& k : std::vector<Case>{{1, 1, {1, 2, 3, 4, 5}},
                                         {2, 2, {1}},
                                         {2, 3, {1, 2}},
                                         {2, 5, {1}},
                                         {2, 6, {1, 2}},
                                         {2, 4, {}},
                                         {3, 7, {1, 2, 3, 4}},
                                         {3, 4, {}},
                                         {4, 7, {1, 2}},
                                         {5, 8, {1}},
                                         {2, 8, {}}})
    EXPECT_EQ(physical_outputs(c, k.cls, k.device), k.outputs) << k.cls << "/" << k.device;
  EXPECT_TRUE(has_relay_module(c));
  registered(c, 0, {{526, 6}});
  EXPECT_FALSE(has_relay_module(c));
}

TEST_F(SystemOutputs, OutputsInUseAreNotOffered) {
  bind(c, 5, 1, 1, 3);
  bind(c, 6, 1, 0, 1);    // device 0 counts as the panel
  bind(c, 7, 3, 3, 1);    // relay module 3, not 7
  bind(c, 8, 2, 9, 1);    // the sounder 9 as class 2: presented as ОПС
  bind(c, 9, 2, 3, 2);
  EXPECT_EQ(free_physical_outputs(c, 1, 1), (std::vector<int>{2, 4, 5}));
  EXPECT_EQ(free_physical_outputs(c, 3, 7), (std::vector<int>{1, 2, 3, 4}));
  EXPECT_EQ(free_physical_outputs(c, 3, 3), (std::vector<int>{2, 3, 4}));
  EXPECT_EQ(free_physical_outputs(c, 5, 9), std::vector<int>{});
  EXPECT_EQ(free_physical_outputs(c, 2, 3), std::vector<int>{1});
}

TEST_F(SystemOutputs, AssignmentBytesAndRefusals) {
  struct Case {
    const char* what;
    OutputBinding binding;
    std::uint8_t byte0, byte1;  // after, when accepted
    const char* refusal;        // part of the refusal text, or nullptr
  };
  const std::vector<Case> cases = {
      {"panel output 4", {1, 1, 4}, 0x13, 1, nullptr},
      {"ОПС stored as class 2", {5, 9, 1}, 0x20, 9, nullptr},
      {"relay module 3 output 4", {3, 3, 4}, 0x33, 3, nullptr},
      {"siren output 2", {4, 7, 2}, 0x41, 7, nullptr},
      {"free", {0, 0, 0}, 0x00, 0, nullptr},
      {"the binding it has", {2, 3, 1}, 0x20, 3, nullptr},
      {"panel output 3 is taken", {1, 1, 3}, 0, 0, "свободны: 1, 2, 4, 5"},
      {"output 2 of a one-output relay", {2, 2, 2}, 0, 0, "свободны: 1"},
      {"a sounder is no РТМ", {2, 8, 1}, 0, 0, "есть: 2, 3, 5, 6"},
      {"a detector is no siren", {4, 10, 1}, 0, 0, "не устройство типа «СЗО»"},
      {"not a relay module", {3, 4, 1}, 0, 0, "есть: 7, 3"},
      {"the panel is device 1", {1, 0, 1}, 0, 0, "есть: 1"},
      {"no class 6", {6, 1, 1}, 0, 0, "Тип устройства"},
  };
  for (const auto& k : cases) {
    Configuration cfg;
    network(cfg);
    bind(cfg, 1, 1, 1, 3);
    bind(cfg, 5, 2, 3, 1, 0x85);  // mode 5 with bit 7
    cfg.image(ImageId::system_outputs).set_byte(rec(5) + 9, 0x42);
    const auto before = all_bytes(cfg);
    const auto r = assign_output(cfg, 5, k.binding);
    if (k.refusal) {
      ASSERT_FALSE(r) << k.what;
      EXPECT_NE(r.error().text.find(k.refusal), std::string::npos) << k.what << ": " << r.error().text;
      EXPECT_EQ(all_bytes(cfg), before) << k.what;
      continue;
    }
    ASSERT_TRUE(r) << k.what << ": " << r.error().text;
    // Only bytes 0 and 1 of the output change.
    auto want = before;
    want[rec(5)] = k.byte0;
    want[rec(5) + 1] = k.byte1;
    EXPECT_EQ(all_bytes(cfg), want) << k.what;
  }
}

TEST_F(SystemOutputs, SwapExchangesRecordsWholeButNotControlTimes) {
  bind(c, 3, 1, 1, 2, 0x82);
  c.image(ImageId::system_outputs).set_byte(rec(3) + 5, 0x77);
  c.image(ImageId::system_outputs).set_byte(rec(3) + 19, 0x80);
  bind(c, 200, 4, 7, 1, 8);
  c.image(ImageId::control_times).set_byte(2, 30);
  c.image(ImageId::control_times).set_byte(199, 90);
  const auto r3 = record_of(c, 3), r200 = record_of(c, 200);
  ASSERT_TRUE(swap_outputs(c, 3, 200));
  EXPECT_EQ(record_of(c, 3), r200);
  EXPECT_EQ(record_of(c, 200), r3);
  EXPECT_EQ(control_time(c, 3), 30);
  EXPECT_EQ(control_time(c, 200), 90);

  const auto before = all_bytes(c);
  for (auto [a, b] : std::vector<std::pair<int, int>>{{3, 3}, {0, 3}, {3, 251}}) {
    const auto r = swap_outputs(c, a, b);
    ASSERT_FALSE(r) << a << "/" << b;
    EXPECT_EQ(all_bytes(c), before);
  }
  EXPECT_EQ(swap_outputs(c, 3, 3).error().message_id, 15268);
}

TEST_F(SystemOutputs, FreeingKeepsModeAndLinks) {
  bind(c, 9, 3, 7, 2, 7);
  c.image(ImageId::system_outputs).set_byte(rec(9) + 8, 0x05);
  c.image(ImageId::system_outputs).set_byte(rec(9) + 4, 0x11);
  auto want = record_of(c, 9);
  want[0] = want[1] = 0;
  ASSERT_TRUE(free_output(c, 9));
  EXPECT_EQ(record_of(c, 9), want);
  EXPECT_EQ(free_physical_outputs(c, 3, 7), (std::vector<int>{1, 2, 3, 4}));
}

TEST_F(SystemOutputs, WorkModeBytes) {
  // Output 1: mode 5 with bit 7, links on partitions 1 and 96; time 44.
  auto prepare = [](Configuration& cfg) {
    for (int n = 1; n <= kSystemOutputCount; ++n) {
      bind(cfg, n, 1, 1, 1, n == 1 ? 0x85 : 3);
      cfg.image(ImageId::system_outputs).set_byte(rec(n) + 8, 0x01);
      cfg.image(ImageId::system_outputs).set_byte(rec(n) + 19, 0x80);
      cfg.image(ImageId::control_times).set_byte(static_cast<std::size_t>(n - 1), 44);
    }
  };
  struct Case {
    const char* what;
    int mode, time;
    std::uint8_t byte2, time_after;
    bool links_kept;
  };
  for (const auto& k : std::vector<Case>{{"Табло", 7, 99, 0x87, 44, true},
                                         {"Исполнительный", 2, 30, 0x82, 30, true},
                                         {"Дистанционное управление", 8, 250, 0x88, 250, false},
                                         {"ПЦН тревога", 0, 0, 0x80, 44, true}}) {
    Configuration cfg;
    prepare(cfg);
    ASSERT_TRUE(set_work_mode(cfg, {1}, k.mode, k.time)) << k.what;
    const auto r = record_of(cfg, 1);
    EXPECT_EQ(r[2], k.byte2) << k.what;
    EXPECT_EQ(control_time(cfg, 1), k.time_after) << k.what;
    EXPECT_EQ(partition_links(cfg, 1).any(), k.links_kept) << k.what;
    EXPECT_EQ(record_of(cfg, 2)[2], 3) << k.what;  // only the target
  }
  // Mode 2 to all keeps every output's links; mode 8 to all clears all of them.
  Configuration cfg;
  prepare(cfg);
  ASSERT_TRUE(set_work_mode(cfg, *work_mode_targets(ApplyTo::all, 0, ""), 2, 15));
  for (int n = 1; n <= kSystemOutputCount; ++n) {
    EXPECT_EQ(partition_links(cfg, n).count(), 2u) << n;
    EXPECT_EQ(control_time(cfg, n), 15) << n;
  }
  ASSERT_TRUE(set_work_mode(cfg, *work_mode_targets(ApplyTo::all, 0, ""), 8, 15));
  for (int n = 1; n <= kSystemOutputCount; ++n) EXPECT_TRUE(partition_links(cfg, n).none()) << n;
}

TEST_F(SystemOutputs, WorkModeRefusalsChangeNothing) {
  bind(c, 1, 1, 1, 1, 5);
  const auto before = all_bytes(c);
  struct Case {
    std::vector<int> targets;
    int mode, time;
    const char* refusal;
  };
  for (const auto& k : std::vector<Case>{{{1}, 9, 10, "Режим работы выхода"},
                                         {{1}, 2, 0, "от 1 до 250"},
                                         {{1}, 8, 251, "от 1 до 250"},
                                         {{1, 251}, 3, 10, "вне диапазона"},
                                         {{1, 0}, 3, 10, "вне диапазона"}}) {
    const auto r = set_work_mode(c, k.targets, k.mode, k.time);
    ASSERT_FALSE(r) << k.mode;
    EXPECT_NE(r.error().text.find(k.refusal), std::string::npos) << r.error().text;
    EXPECT_EQ(all_bytes(c), before);
  }
  // A time for a mode without one is not looked at.
  EXPECT_TRUE(set_work_mode(c, {1}, 4, 0));

  const auto r = set_control_time(c, 1, 20);
  ASSERT_FALSE(r);
  EXPECT_NE(r.error().text.find("«Тревога»"), std::string::npos) << r.error().text;
  bind(c, 1, 1, 1, 1, 2);
  ASSERT_TRUE(set_control_time(c, 1, 20));
  EXPECT_EQ(control_time(c, 1), 20);
}

TEST(SystemOutputTargets, SelectedAllAndNumberLists) {
  EXPECT_EQ(*work_mode_targets(ApplyTo::selected, 17, "garbage"), std::vector<int>{17});
  EXPECT_EQ(work_mode_targets(ApplyTo::all, 0, "").value().size(), 250u);
  struct Case {
    const char* text;
    std::vector<int> targets;
    bool refused;
  };
  for (const auto& k : std::vector<Case>{{"1,3,5,7-10", {1, 3, 5, 7, 8, 9, 10}, false},
                                         {"5-3", {}, false},
                                         {"4,2,4", {4, 2, 4}, false},
                                         {"248-250", {248, 249, 250}, false},
                                         {"abc", {}, true},
                                         {"1,,2", {}, true},
                                         {"0", {}, true},
                                         {"249-251", {}, true},
                                         {"-5", {}, true},
                                         {"", {}, true}}) {
    const auto r = work_mode_targets(ApplyTo::numbers, 1, k.text);
    EXPECT_EQ(!r, k.refused) << k.text;
    if (r) EXPECT_EQ(*r, k.targets) << k.text;
    else EXPECT_NE(r.error().text.find("от 1 до 250"), std::string::npos) << r.error().text;
  }
}

TEST_F(SystemOutputs, PartitionLinkBitsAndTheModeEightRefusal) {
  std::bitset<96> links;
  links.set(0);   // partition 1: byte 8 bit 0
  links.set(10);  // partition 11: byte 9 bit 2
  links.set(95);  // partition 96: byte 19 bit 7
  bind(c, 4, 1, 1, 1, 3);
  bind(c, 6, 1, 1, 2, 0x88);  // mode 8 with bit 7
  ASSERT_TRUE(set_partition_links(c, {4}, links));
  const auto r = record_of(c, 4);
  EXPECT_EQ(r[8], 0x01);
  EXPECT_EQ(r[9], 0x04);
  EXPECT_EQ(r[19], 0x80);
  for (std::size_t i = 10; i < 19; ++i) EXPECT_EQ(r[i], 0) << i;
  EXPECT_EQ(partition_links(c, 4), links);

  // One output in mode 8 among the targets refuses the whole operation.
  const auto before = all_bytes(c);
  const auto refused = set_partition_links(c, {5, 6}, links);
  ASSERT_FALSE(refused);
  EXPECT_EQ(refused.error().message_id, 15331);
  EXPECT_NE(refused.error().text.find("Выход 6"), std::string::npos);
  EXPECT_EQ(all_bytes(c), before);
  // No links is what mode 8 allows.
  EXPECT_TRUE(set_partition_links(c, {4, 6}, {}));
  EXPECT_TRUE(partition_links(c, 4).none());
}

TEST(SystemOutputLinksText, RunsOfThreeOrMoreAsRanges) {
  auto set_of = [](std::initializer_list<int> ps) {
    std::bitset<96> b;
    for (int p : ps) b.set(static_cast<std::size_t>(p - 1));
    return b;
  };
  EXPECT_EQ(partition_list_text(set_of({1, 5, 7, 8, 9})), "1,5,7-9");
  EXPECT_EQ(partition_list_text(set_of({1, 2, 95, 96})), "1,2,95,96");
  EXPECT_EQ(partition_list_text(set_of({94, 95, 96})), "94-96");
  EXPECT_EQ(partition_list_text({}), "");
}

TEST(SystemOutputsShortTable, AFileWithAShortTableIsRefusedUnchanged) {
  Configuration c;
  for (const auto& s : config_slots())
    if (!s.is_page && static_cast<ImageId>(s.index) == ImageId::system_outputs)
      c.replace(s, std::make_unique<TMemoryBlock>(0x100, 210, 0));  // ten records and a half
  const auto before = all_bytes(c);
  EXPECT_TRUE(free_output(c, 10));
  EXPECT_FALSE(free_output(c, 11));
  EXPECT_FALSE(swap_outputs(c, 1, 11));
  EXPECT_FALSE(set_work_mode(c, {1, 11}, 3, 10));
  EXPECT_FALSE(set_partition_links(c, {1, 11}, std::bitset<96>{}.set(0)));
  EXPECT_EQ(all_bytes(c), before);
}

}  // namespace
