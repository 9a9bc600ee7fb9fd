// The PSTN priority, general settings, the voice module and the speech notices: the bytes
// each operation writes, what it keeps, and what it refuses (changing no byte).
#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "memory/configuration.hpp"
#include "settings/general_settings.hpp"
#include "settings/pstn_settings.hpp"
#include "settings/speech_notices.hpp"
#include "settings/voice_module.hpp"
#include "util/bytes.hpp"

using namespace vq;
using namespace vq::memory;
using namespace vq::settings;

namespace {

using Changes = std::map<std::size_t, int>;

Bytes bytes_of(const Configuration& c, ImageId id) {
  const auto d = c.image(id).data();
  return Bytes(d.begin(), d.end());
}

Changes diff(const Bytes& a, const Bytes& b) {
  Changes out;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (a[i] != b[i]) out[i] = b[i];
  return out;
}

// Registered devices: `count` and records of (model, byte 11, byte 20) from offset 33.
void register_devices(Configuration& c, std::initializer_list<std::array<int, 3>> records) {
  auto& t = c.image(ImageId::registered_devices);
  t.set_byte(0, static_cast<std::uint8_t>(records.size()));
  std::size_t at = 33, n = 0;
  for (const auto& r : records) {
    t.set_byte(at, static_cast<std::uint8_t>(n++));
    t.set_byte(at + 5, static_cast<std::uint8_t>(r[0] & 0xFF));
    t.set_byte(at + 6, static_cast<std::uint8_t>(r[0] >> 8));
    t.set_byte(at + 11, static_cast<std::uint8_t>(r[1]));
    t.set_byte(at + 20, static_cast<std::uint8_t>(r[2]));
    at += 32;
  }
}

TEST(PstnSettings, PriorityLivesInEveryPstnModuleEntry) {
  Configuration c;
  register_devices(c, {{517, 9, 9}, {518, 0, 3}, {518, 0, 3}});
  EXPECT_EQ(read_pstn(c), (PstnSettings{true, 0, true}));
  const auto before = bytes_of(c, ImageId::registered_devices);
  ASSERT_TRUE(set_pstn_priority(c, kPriorityPstnModule));
  EXPECT_EQ(diff(before, bytes_of(c, ImageId::registered_devices)), (Changes{{65 + 11, 1}, {97 + 11, 1}}));
  EXPECT_EQ(read_pstn(c).priority, 1);
}

TEST(PstnSettings, Refusals) {
  struct Case {
    const char* what;
    std::function<void(Configuration&)> setup;
    int priority;
    const char* text;
  };
  const std::vector<Case> cases = {
      {"no PSTN module", [](auto& c) { register_devices(c, {{517, 0, 3}}); }, 1, "не зарегистрирован"},
      {"not changeable", [](auto& c) { register_devices(c, {{518, 0, 2}}); }, 1, "не меняется"},
      {"a value beyond the list", [](auto& c) { register_devices(c, {{518, 0, 3}}); }, 2, "0 «Телефон» или 1"},
  };
  for (const auto& k : cases) {
    Configuration c;
    k.setup(c);
    const auto before = bytes_of(c, ImageId::registered_devices);
    const auto r = set_pstn_priority(c, k.priority);
    ASSERT_FALSE(r) << k.what;
    EXPECT_NE(r.error().text.find(k.text), std::string::npos) << k.what << ": " << r.error().text;
    EXPECT_EQ(bytes_of(c, ImageId::registered_devices), before) << k.what;
  }
  // The stored value again is no change, even where it may not change.
  Configuration c;
  register_devices(c, {{518, 1, 0}});
  EXPECT_TRUE(set_pstn_priority(c, 1));
}

TEST(GeneralSettings, TimesAreStoredOnlyWhereTheirModeUsesThem) {
  struct Case {
    const char* what;
    GeneralSettings set;
    Changes indication;
  };
  // Stored: sounder "только тревога" 30 s, backlight timed 20 s, Russian.
  const std::vector<Case> cases = {
      {"backlight on: its time stays", {kBacklightOn, 99, kSounderAlarmOnly, 30, 0}, {{2, 0}}},
      {"sounder off: its time stays", {kBacklightTimed, 20, kSounderOff, 77, 0}, {{0, 1}}},
      {"sounder timed 1 s", {kBacklightTimed, 20, kSounderTimed, 1, 0}, {{0, 0}, {1, 1}}},
      {"backlight 255 s", {kBacklightTimed, 255, kSounderAlarmOnly, 30, 0}, {{3, 255}}},
  };
  for (const auto& k : cases) {
    Configuration c;
    for (std::size_t i = 0; i < 4; ++i) c.image(ImageId::indication).set_byte(i, std::array<std::uint8_t, 4>{2, 30, 2, 20}[i]);
    const auto before = bytes_of(c, ImageId::indication);
    ASSERT_TRUE(set_general_settings(c, k.set)) << k.what;
    EXPECT_EQ(diff(before, bytes_of(c, ImageId::indication)), k.indication) << k.what;
  }
  Configuration c;
  ASSERT_TRUE(set_general_settings(c, {0, 0, 1, 0, 2}));
  EXPECT_EQ(c.image(ImageId::panel_language).byte_at(0), 2);
}

TEST(GeneralSettings, Refusals) {
  const GeneralSettings bad[] = {
      {3, 0, 0, 5, 0},                 // backlight mode beyond the list
      {kBacklightTimed, 256, 0, 5, 0}, // a time beyond 255 where it applies
      {kBacklightOn, 0, kSounderTimed, 0, 0},  // a time of 0 where it applies (5 stored)
      {kBacklightOn, 0, kSounderAlarmOnly, 256, 0},
      {kBacklightOn, 0, kSounderOff, 0, 3},  // language
  };
  for (const auto& g : bad) {
    Configuration c;
    c.image(ImageId::indication).set_byte(1, 5);
    const auto before = bytes_of(c, ImageId::indication);
    EXPECT_FALSE(set_general_settings(c, g));
    EXPECT_EQ(bytes_of(c, ImageId::indication), before);
    EXPECT_EQ(c.image(ImageId::panel_language).byte_at(0), 0);
  }
}

TEST(VoiceModule, FieldsAndTheirBytes) {
  struct Case {
    const char* what;
    std::function<void(VoiceModuleSettings&)> edit;
    Changes want;
  };
  const std::vector<Case> cases = {
      {"volume level 8 is 64", [](auto& v) { v.volume = 8; }, {{13, 64}}},
      {"notice 9 in byte 2, its high bits kept", [](auto& v) { v.notices[8] = true; }, {{2, 0xB9}}},
      {"notice 1 off", [](auto& v) { v.notices[0] = false; }, {{1, 0x4E}}},
      {"fault reminders rebuild byte 14", [](auto& v) { v.fault_reminders = {false, false, true}; }, {{14, 0x04}}},
      {"time pickers: hours, minutes", [](auto& v) { v.auto_reminder_2 = {6, 45}; }, {{5, 6}, {6, 45}}},
      {"switched off", [](auto& v) { v.enabled = false; }, {{0, 0}}},
      {"untouched: nothing written", [](auto&) {}, {}},
  };
  for (const auto& k : cases) {
    Configuration c;
    const std::uint8_t stored[16] = {1, 0x4F, 0xB8, 9, 0, 18, 30, 22, 0, 7, 0, 1, 1, 52, 0xF3, 0x77};
    for (std::size_t i = 0; i < 16; ++i) c.image(ImageId::voice_module).set_byte(i, stored[i]);
    const auto before = bytes_of(c, ImageId::voice_module);
    auto v = read_voice_module(c);
    EXPECT_EQ(v.volume, 2) << "52 is level 2";
    k.edit(v);
    ASSERT_TRUE(set_voice_module(c, v)) << k.what;
    EXPECT_EQ(diff(before, bytes_of(c, ImageId::voice_module)), k.want) << k.what;
  }
  Configuration c;
  c.image(ImageId::voice_module).set_byte(13, 0);
  EXPECT_EQ(read_voice_module(c).volume, 0) << "a byte below 48 is the lowest level";
  auto v = read_voice_module(c);
  v.volume = 9;
  EXPECT_FALSE(set_voice_module(c, v));
  v = read_voice_module(c);
  v.silence_end = {24, 0};
  EXPECT_FALSE(set_voice_module(c, v));
  EXPECT_EQ(bytes_of(c, ImageId::voice_module), Bytes(16, 0));
}

TEST(SpeechNotices, RowsAreZoneAndMessage) {
  // Row 17 of the list is zone 3, message 2: bytes 68 to 71; partition bits at 96p + 2, bit 1.
  Configuration c;
  SpeechNotice n;
  n.active = true;
  n.state = 8;
  n.delay = 60;
  n.duration = 240;
  n.partitions[0] = n.partitions[95] = true;
  const int row = 17;
  ASSERT_TRUE(set_speech_notice(c, row / 8, row % 8, n));
  EXPECT_EQ(diff(Bytes(3072, 0), bytes_of(c, ImageId::speech_notices)),
            (Changes{{68, 1}, {69, 8}, {70, 60}, {71, 240}}));
  EXPECT_EQ(diff(Bytes(9216, 0), bytes_of(c, ImageId::speech_notice_partitions)),
            (Changes{{2, 0x02}, {96 * 95 + 2, 0x02}}));
  EXPECT_EQ(read_speech_notice(c, 2, 1), n);
  // Another message of the same zone shares the partition bytes, not the bits.
  EXPECT_FALSE(read_speech_notice(c, 2, 0).partitions[0]);

  ASSERT_TRUE(set_speech_notice(c, 2, 1, inactive_speech_notice()));
  Bytes want(3072, 0);
  want[70] = 3;  // an inactive message keeps the 30 s the list starts at
  EXPECT_EQ(bytes_of(c, ImageId::speech_notices), want);
  EXPECT_EQ(bytes_of(c, ImageId::speech_notice_partitions), Bytes(9216, 0));
}

TEST(SpeechNotices, Refusals) {
  struct Case {
    const char* what;
    int zone, message;
    std::function<void(SpeechNotice&)> edit;
  };
  const std::vector<Case> cases = {
      {"delay 20 s", 0, 0, [](auto& n) { n.delay = 2; }},
      {"delay 610 s", 0, 0, [](auto& n) { n.delay = 61; }},
      {"duration 241", 0, 0, [](auto& n) { n.duration = 241; }},
      {"state beyond the list", 0, 0, [](auto& n) { n.state = 9; }},
      {"zone 97", 96, 0, [](auto&) {}},
      {"message 9", 0, 8, [](auto&) {}},
  };
  for (const auto& k : cases) {
    Configuration c;
    SpeechNotice n;
    n.active = true;
    n.partitions[4] = true;
    k.edit(n);
    EXPECT_FALSE(set_speech_notice(c, k.zone, k.message, n)) << k.what;
    EXPECT_EQ(bytes_of(c, ImageId::speech_notices), Bytes(3072, 0)) << k.what;
    EXPECT_EQ(bytes_of(c, ImageId::speech_notice_partitions), Bytes(9216, 0)) << k.what;
  }
}

}  // namespace
