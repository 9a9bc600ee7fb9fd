#include "sim/demo_configuration.hpp"

#include <algorithm>
#include <array>
#include <cassert>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string_view>

#include "memory/configuration.hpp"
#include "memory/phone_numbers.hpp"
#include "memory/speech_notices.hpp"
#include "util/bytes.hpp"
#include "util/cp1251.hpp"

namespace vq::sim {
namespace {

using memory::Configuration;
using memory::ImageId;
using memory::PageId;
using Span = std::span<std::uint8_t>;
using u8 = std::uint8_t;

template <class T>
constexpr u8 b8(T v) {
  return static_cast<u8>(v);
}

// Partition p (1..96) as bit p - 1 of a bit row starting at `at`.
void set_partition_bits(Span row, std::size_t at, std::initializer_list<int> partitions) {
  for (int p : partitions) row[at + static_cast<std::size_t>((p - 1) / 8)] |= b8(1 << ((p - 1) % 8));
}

// Two symbols a byte, high nibble first, 15 where no symbol is; digits, "*" 10 and "#" 11.
void pack_symbols(Span field, std::string_view text) {
  std::fill(field.begin(), field.end(), u8{0xFF});
  for (std::size_t i = 0; i < text.size() && i / 2 < field.size(); ++i) {
    const char c = text[i];
    const int code = c == '*' ? 10 : c == '#' ? 11 : c - '0';
    u8& b = field[i / 2];
    b = i % 2 == 0 ? b8((code << 4) | 0x0F) : b8((b & 0xF0) | code);
  }
}

// ---------------------------------------------------------------------------------------
// Partitions: ten of the 96 in use, one of each type except the transit zone. Fire and
// temperature partitions run round the clock; the others carry delays, and two of them
// arm themselves. Names come from the panel's list where it has one, typed otherwise;
// partitions 1 to 8 are those the demo journal names.

constexpr u8 k24Hours = 1, kAutoArm = 2, kSilent = 4, kBypass = 8;
constexpr u8 kOwnName = 63;  // name index of a typed name

struct DemoPartition {
  int number;
  u8 type;
  u8 flags;
  u8 entry_delay, exit_delay;  // seconds
  u8 auto_arm;                 // seconds
  u8 temp_low, temp_high;      // degrees C
  u8 name_index;               // list entry, or kOwnName
  std::string_view name;       // typed name, at most 8 characters
};

constexpr std::array<DemoPartition, 10> kPartitions = {{
    {1, 0, kBypass, 30, 45, 0, 0, 0, kOwnName, "Офис"},
    {2, 0, kAutoArm | kBypass, 15, 30, 120, 0, 0, 46, {}},  // "склад"
    {3, 2, k24Hours, 0, 0, 0, 0, 0, 45, {}},                // "серверная"
    {4, 0, kSilent, 20, 40, 0, 0, 0, kOwnName, "Бухгалт."},
    {5, 0, kAutoArm, 10, 20, 60, 0, 0, kOwnName, "Раздел 5"},
    {6, 4, 0, 0, 10, 0, 0, 0, kOwnName, "Котельн."},
    {7, 3, k24Hours, 0, 0, 0, 0, 0, 26, {}},  // "коридор"
    {8, 0, 0, 10, 30, 0, 0, 0, kOwnName, "Проходн."},
    {9, 5, k24Hours, 0, 0, 0, 2, 8, 48, {}},  // "склад 2", a cold store
    {10, 6, k24Hours, 0, 0, 0, 0, 0, kOwnName, "Щитовая"},
}};

constexpr u8 partition_type(int p) {
  for (const auto& d : kPartitions)
    if (d.number == p) return d.type;
  return 0;
}

void fill_partitions(Configuration& c) {
  auto types = c.image(ImageId::partitions).data();
  auto delays = c.image(ImageId::entry_exit_delays).data();
  auto auto_arm = c.image(ImageId::auto_arm_times).data();
  auto limits = c.image(ImageId::temperature_limits).data();
  auto names = c.image(ImageId::partition_names).data();
  for (const auto& d : kPartitions) {
    const auto i = static_cast<std::size_t>(d.number - 1);
    types[2 * i] = d.type;
    types[2 * i + 1] = d.flags;
    delays[2 * i] = d.entry_delay;
    delays[2 * i + 1] = d.exit_delay;
    auto_arm[i] = d.auto_arm;
    limits[2 * i] = d.temp_low;
    limits[2 * i + 1] = d.temp_high;
    names[i] = d.name_index;
    if (d.name_index == kOwnName) {
      const Bytes text = utf8_to_cp1251(d.name);
      assert(text.size() <= 8);
      std::copy_n(text.begin(), std::min<std::size_t>(text.size(), 8), names.begin() + 105 + 8 * i);
    }
  }
}

// Relay module table: relays 1 and 2 of the first module and relay 1 of the second are
// watched in the boiler room, the only technological partition. The module field holds
// the device number minus 1, as the registered devices table does.
void fill_relay_modules(Configuration& c) {
  auto t = c.image(ImageId::relay_modules).data();
  const std::array<std::array<u8, 3>, 2> modules = {{{2, 6, 6}, {3, 6, 0}}};
  for (std::size_t r = 0; r < modules.size(); ++r) {
    put_u16(t, 6 * r, modules[r][0]);
    t[6 * r + 2] = modules[r][1];
    t[6 * r + 3] = modules[r][2];
  }
}

// ---------------------------------------------------------------------------------------
// Radio network: nineteen devices of fifteen types with their parameters; the two key
// fobs (type 18) belong to no partition, they are the fob identifiers 12 and 13 below.

struct DemoRadioDevice {
  int number;
  u8 type;
  u8 partition;
  u8 param0, param1;
};

constexpr std::array<DemoRadioDevice, 19> kRadioDevices = {{
    {1, 2, 1, 0x03, 0},     // ИК, high sensitivity
    {2, 2, 1, 0x40, 0},     // ИК, low sensitivity, auxiliary input on
    {3, 1, 1, 0x44, 0},     // СМК: main channel and auxiliary input on
    {4, 3, 4, 0x03, 0},     // АК, high sensitivity
    {5, 5, 4, 0x31, 0},     // ВБР: medium integration, -7 dB
    {6, 31, 3, 0, 0},       // ИП
    {7, 31, 3, 0, 0},       // ИП
    {8, 33, 7, 0, 0},       // ИПР
    {9, 35, 10, 60, 60},    // ИПТ, 60 degrees in both bytes
    {10, 2, 2, 0x03, 0},    // ИК
    {11, 4, 2, 0x58, 0},    // РПД: normally open auxiliary input, enabled
    {12, 18, 0, 0, 0},      // БР
    {13, 18, 0, 0, 0},      // БР
    {14, 65, 1, 0, 0},      // СЗО
    {15, 66, 3, 3, 3},      // ОПР, volume 3 in both bytes
    {16, 90, 8, 0x10, 0},   // ДУВ, normally open auxiliary input
    {17, 226, 6, 0x40, 0},  // РТМ with two outputs, auxiliary input on
    {18, 228, 6, 0x04, 0},  // РТМ with one output, main channel on
    {19, 70, 7, 0, 0},      // ОПС
}};

void fill_radio_network(Configuration& c) {
  auto devices = c.image(ImageId::radio_devices).data();
  auto params = c.image(ImageId::radio_device_params).data();
  devices[0] = 250;  // slots, as the partition page writes it
  for (const auto& d : kRadioDevices) {
    const auto i = static_cast<std::size_t>(d.number - 1);
    devices[6 + 2 * i] = d.type;
    devices[7 + 2 * i] = d.partition;
    params[2 * i] = d.param0;
    params[2 * i + 1] = d.param1;
  }
  c.image(ImageId::radio_channel_control).data()[0] = 12;  // minutes

  // Wired loops: ШС1 in the double-activation fire partition, ШС2 in the server room, SOS
  // in the office; ШС1 integrates over 70 ms, ШС2 over 500 ms.
  auto loops = c.image(ImageId::wired_loops).data();
  const std::array<u8, 3> loop_partitions = {7, 3, 1};
  std::copy(loop_partitions.begin(), loop_partitions.end(), loops.begin());
  loops[3] = b8(partition_type(7) << 4 | partition_type(3));
  loops[4] = partition_type(1);
  loops[5] = partition_type(7) == 3 ? 0x01 : 0x00;
  c.image(ImageId::integration_time).data()[0] = 0x01;
}

// ---------------------------------------------------------------------------------------
// Registered system devices: the GSM communicator, the PSTN module and two relay modules
// at device numbers 1 to 4, as the demo journal names them. The PSTN module holds the
// line ("Модуль PSTN") and lets the priority be changed.

constexpr u8 kGsmDevice = 0, kPstnDevice = 1;  // device number minus 1

void fill_registered_devices(Configuration& c) {
  auto t = c.image(ImageId::registered_devices).data();
  const std::array<std::uint16_t, 4> models = {517, 518, 526, 526};
  t[0] = b8(models.size());
  for (std::size_t k = 0; k < models.size(); ++k) {
    const std::size_t at = 33 + 32 * k;
    t[at] = b8(k);
    put_u16(t, at + 5, models[k]);
    if (models[k] == 518) {
      t[at + 11] = 1;
      t[at + 20] = 3;
    }
  }
}

// ---------------------------------------------------------------------------------------
// System outputs: the panel's own outputs for the sounder, a lamp and the monitoring
// station; the strobe siren, both radio relays, the two relay modules and the sounder
// (ОПС, kept as class 2). Three outputs have a control time: an actuator and two under
// remote control.

struct DemoOutput {
  int number;
  u8 device_class;
  u8 device;
  u8 output;  // physical output, from 1
  u8 mode;
  u8 control_time;  // seconds, modes 2 and 8
  std::initializer_list<int> partitions;
};

void fill_system_outputs(Configuration& c) {
  auto t = c.image(ImageId::system_outputs).data();
  auto times = c.image(ImageId::control_times).data();
  const std::array<DemoOutput, 12> outputs = {{
      {1, 1, 1, 1, 5, 0, {1, 2, 4, 5, 8}},
      {2, 1, 1, 2, 3, 0, {1}},
      {3, 1, 1, 3, 0, 0, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
      {4, 4, 14, 1, 4, 0, {1, 2, 4, 5}},
      {5, 4, 14, 2, 6, 0, {1, 8}},
      {6, 2, 17, 1, 2, 30, {6}},
      {7, 2, 17, 2, 8, 60, {}},
      {8, 2, 18, 1, 1, 0, {2}},
      {9, 3, 3, 1, 7, 0, {3, 7, 9, 10}},
      {10, 3, 3, 2, 5, 0, {3, 7, 10}},
      {11, 3, 4, 1, 8, 120, {}},
      {12, 2, 19, 1, 5, 0, {3, 7, 10}},
  }};
  for (const auto& o : outputs) {
    const auto i = static_cast<std::size_t>(o.number - 1);
    const std::size_t at = 20 * i;
    t[at] = b8(o.device_class << 4 | (o.output - 1));
    t[at + 1] = o.device;
    t[at + 2] = o.mode;
    set_partition_bits(t, at + 8, o.partitions);
    times[i] = o.control_time;
  }
}

// ---------------------------------------------------------------------------------------
// Identifiers: eight of five users, two at most per user, of all three kinds. User 3's PIN
// is a duress code; the guard's fob arms quickly.

constexpr u8 kPin = 16, kKey = 32, kFob = 48;

struct DemoIdentifier {
  int slot;
  std::uint16_t user;
  std::uint16_t ordinal;
  u8 kind;
  u8 tactic;
  std::string_view value;  // PIN digits, key code in hex, or fob number
  std::initializer_list<int> partitions;
};

void encode_identifier(Span code, u8 kind, std::string_view value) {
  if (kind == kPin) {
    std::fill(code.begin(), code.end(), u8{0xFF});
    std::copy(value.begin(), value.end(), code.begin());
  } else if (kind == kKey) {
    // The last two hex digits in byte 0.
    for (std::size_t k = 0; k < 6 && 2 * k < value.size(); ++k) {
      const std::string_view pair = value.substr(value.size() - 2 * k - 2, 2);
      auto nibble = [](char ch) { return ch <= '9' ? ch - '0' : ch - 'A' + 10; };
      code[k] = b8(nibble(pair[0]) << 4 | nibble(pair[1]));
    }
  } else {
    int n = 0;
    for (char ch : value) n = n * 10 + (ch - '0');
    code[0] = b8(n);
  }
}

void fill_identifiers(Configuration& c) {
  const std::array<DemoIdentifier, 8> ids = {{
      {1, 1, 1, kPin, 0, "2580", {1, 2, 4, 5, 8}},
      {2, 1, 2, kKey, 0, "0000173B9E42", {1, 2, 4, 5, 8}},
      {3, 2, 1, kPin, 0, "147369", {2, 9}},
      {4, 2, 2, kFob, 1, "12", {2}},
      {5, 3, 1, kPin, 4, "9051", {1, 4}},
      {6, 3, 2, kKey, 0, "00001C7F0A93", {1, 4}},
      {7, 4, 1, kFob, 0, "13", {6, 8}},
      {8, 5, 1, kPin, 3, "3702", {8}},
  }};
  auto records = c.image(ImageId::identifier_records).data();
  auto codes = c.image(ImageId::identifier_codes).data();
  auto partitions = c.image(ImageId::identifier_partitions).data();
  // The counter as the editor leaves it after one dialog per identifier.
  for (Span t : {records, codes}) {
    put_u16(t, 0, static_cast<std::uint16_t>(ids.size()));
    put_u16(t, 2, static_cast<std::uint16_t>(ids.size() + 1));
  }
  for (const auto& d : ids) {
    const auto i = static_cast<std::size_t>(d.slot - 1);
    const std::size_t at = 4 + 11 * i;
    put_u16(records, at, d.user);
    put_u16(records, at + 2, d.ordinal);
    put_u16(records, at + 6, static_cast<std::uint16_t>(d.slot));
    records[at + 8] = d.tactic;
    records[at + 9] = d.kind;
    encode_identifier(codes.subspan(5 + 6 * i, 6), d.kind, d.value);
    set_partition_bits(partitions, 4 + 12 * i, d.partitions);
  }
  // Quick arming by user 4's first identifier. Byte 0 is also the last byte of the radio
  // channel control table, which keeps the same copy after a read.
  auto quick = c.image(ImageId::identifier_settings).data();
  quick[0] = 4;
  quick[1] = 1;
  c.image(ImageId::radio_channel_control).data()[2] = quick[0];

  // Passwords: user 2468, engineer 135790; resetting the password is not allowed.
  auto encode_password = [](Span t, std::string_view digits) {
    for (std::size_t k = 0; k < digits.size(); ++k) t[k] = b8(0x80 + (digits[k] - '0'));
  };
  encode_password(c.image(ImageId::first_password).data(), "2468");
  encode_password(c.image(ImageId::second_password).data(), "135790");
  c.image(ImageId::password_reset).data()[0] = 1;
}

// ---------------------------------------------------------------------------------------
// Telephone recipients: the monitoring station (Contact ID over PSTN, GSM in reserve), the
// owner (SMS, speech in reserve) and the engineer (SMS). Channel k uses telephone record
// k, so the read-all clean-up, which clears from the channel count on, keeps them all.

struct DemoChannel {
  u8 device;
  std::uint16_t communicator;  // 0x0400 PSTN, 0x0800 GSM
  u8 notice;                   // 1 speech, 2 SMS, 4 Contact ID
  u8 dialling;                 // attempts index << 4 | ring wait index
  u8 options;
  std::string_view number;
};

constexpr std::uint16_t kPstn = 0x0400, kGsm = 0x0800;

constexpr std::array<DemoChannel, 5> kChannels = {{
    {kPstnDevice, kPstn, 4, 0x4C, 0x00, "8W4952345678"},  // 5 attempts, 64 s
    {kGsmDevice, kGsm, 4, 0x48, 0x00, "79161234567"},     // 5 attempts, 48 s
    {kGsmDevice, kGsm, 2, 0x00, 0x38, "79035551122"},     // Russian, joined, name and number
    {kGsmDevice, kGsm, 1, 0x2A, 0x18, "79035551133"},     // 3 attempts, 56 s; confirmed, 0.5 s pauses
    {kGsmDevice, kGsm, 2, 0x00, 0x28, "79267770044"},     // Russian, joined, object number
}};

struct DemoRecipient {
  u8 main, reserve;           // channel numbers
  u8 categories;              // bit k: category k + 1 is reported
  std::array<u8, 6> options;  // per category: urgency, period, delay
  std::initializer_list<int> partitions;
};

void fill_recipients(Configuration& c) {
  auto channels = c.page(PageId::channels).data();
  for (std::size_t k = 0; k < kChannels.size(); ++k) {
    const auto& d = kChannels[k];
    [[maybe_unused]] const bool stored =
        memory::parse_phone_number(c.page(PageId::phone_numbers), static_cast<int>(k), d.number).has_value();
    assert(stored);
    const std::size_t at = 1 + 11 * k;
    channels[at] = b8(k + 1);
    channels[at + 2] = d.device;
    put_u16(channels, at + 3, d.communicator);
    channels[at + 5] = d.notice;
    put_u16(channels, at + 6, static_cast<std::uint16_t>(k + 1));
    channels[at + 8] = d.dialling;
    channels[at + 10] = d.options;
  }
  channels[0] = b8(kChannels.size());
  auto numbers = c.page(PageId::phone_numbers).data();
  numbers[0] = b8(kChannels.size());
  numbers[2] = 12;

  // The editor's defaults per category: 0x8C "не срочно" after 60 s, 0x06 urgent after
  // 30 s, 0x02 urgent after 10 s, 0x00 urgent at once.
  const std::array<DemoRecipient, 3> recipients = {{
      {1, 2, 0x3F, {0x8C, 0x8C, 0x8C, 0x06, 0x02, 0x00}, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
      {3, 4, 0x38, {0, 0, 0, 0x06, 0x02, 0x00}, {1, 2, 4, 5, 8}},
      {5, 0, 0x0C, {0, 0, 0x8C, 0x06, 0, 0}, {3, 6, 7, 10}},
  }};
  auto table = c.page(PageId::recipients).data();
  auto groups = c.page(PageId::delivery_groups).data();
  auto served = c.page(PageId::recipient_partitions).data();
  served[0] = 96;
  served[2] = 8;
  table[0] = b8(recipients.size());
  groups[0] = b8(recipients.size());
  for (std::size_t r = 0; r < recipients.size(); ++r) {
    const auto& d = recipients[r];
    const std::size_t at = 2 + 11 * r;
    table[at] = d.main;
    table[at + 1] = d.reserve;
    table[at + 2] = d.categories;
    table[at + 4] = 6;
    std::copy(d.options.begin(), d.options.end(), table.begin() + at + 5);
    const std::array<u8, 6> group = {b8(r + 1), 0, 1, 0, b8(r + 1), 0};
    std::copy(group.begin(), group.end(), groups.begin() + 2 + 6 * r);
    for (int p : d.partitions) served[3 + static_cast<std::size_t>(p)] |= b8(1 << r);
  }
}

// ---------------------------------------------------------------------------------------
// Remote control: the owner may arm, disarm and ask from his own telephone; a password
// for status and temperature questions from anywhere; the engineer switches outputs.
// Unused records are cleared the way the page clears them.

void fill_remote_control(Configuration& c) {
  struct Command {
    std::string_view password;
    std::uint16_t commands;  // bit n = command n
    std::string_view phone;  // digits after the "+"
    std::uint16_t user;      // 0xFFFF none
  };
  const std::array<Command, 3> records = {{
      {"5917", 0x003F, "79035551122", 1},
      {"4406", 0x0221, {}, 0xFFFF},
      {"7731", 0x08C0, "79267770044", 5},
  }};
  auto t = c.page(PageId::remote_control).data();
  auto users = c.page(PageId::remote_control_users).data();
  put_u16(t, 0, static_cast<std::uint16_t>(records.size()));
  for (std::size_t i = 0; i < 8; ++i) {
    const Span rec = t.subspan(3 + 32 * i, 32);
    std::fill_n(rec.begin(), 8, u8{0xFF});
    std::fill_n(rec.begin() + 16, 16, u8{0xFF});
    put_u16(users, 2 + 2 * i, 0xFFFF);
    if (i >= records.size()) continue;
    const auto& d = records[i];
    std::copy(d.password.begin(), d.password.end(), rec.begin());
    rec[8] = b8(d.commands & 0xFF);
    rec[9] = b8(d.commands >> 8);
    pack_symbols(rec.subspan(16, 16), d.phone);
    put_u16(users, 2 + 2 * i, d.user);
  }
}

// ---------------------------------------------------------------------------------------
// Service table: answer after 3 rings, GSM loss after 5 minutes, both SIM cards with SMS
// centres, PINs and balance requests, SIM account weekly and a daily test, quiet from
// 22:00 to 07:00, service messages at 09:30, Contact ID account 4821, and the object name.
// Bytes 38 and 40 follow the recipients: the owner gets the SIM account, the station the
// test.

void fill_service(Configuration& c) {
  auto t = c.page(PageId::service).data();
  const std::array<u8, 7> fixed = {1, 0, 1, 0, 0, 8, 0};
  std::copy(fixed.begin(), fixed.end(), t.begin());
  t[7] = 0x33;
  t[8] = 0x55;
  pack_symbols(t.subspan(9, 8), "79168999100");
  pack_symbols(t.subspan(17, 8), "79037011111");
  pack_symbols(t.subspan(25, 2), "1234");
  pack_symbols(t.subspan(27, 2), "0000");
  pack_symbols(t.subspan(29, 4), "*100#");
  pack_symbols(t.subspan(33, 4), "*102#");
  t[37] = 7;
  t[38] = 0x02;
  t[39] = 1;
  t[40] = 0x01;
  const std::array<u8, 6> times = {22, 0, 7, 0, 30, 9};
  std::copy(times.begin(), times.end(), t.begin() + 41);
  put_u16(t, 47, 4821);
  // No "я" in the name: it is byte 0xFF, which the service page drops as filler.
  const Bytes name = utf8_to_cp1251("ТЦ Меридиан");
  std::copy_n(name.begin(), std::min<std::size_t>(name.size(), 15), t.begin() + 49);
}

// ---------------------------------------------------------------------------------------
// General settings and the voice module: sounder on alarms for 30 s, backlight for 20 s,
// Russian; the voice module on at volume 5 with the alarm, fire and arming notices,
// system faults and "not ready", reminders at 09:00 and 18:30, quiet 22:00 to 07:00.
// Speech notices: fire and alarm messages in zone 1, arm and disarm in zone 2, a fault
// in the boiler room in zone 3.

void fill_voice(Configuration& c) {
  const std::array<u8, 4> indication = {2, 30, 2, 20};
  std::copy(indication.begin(), indication.end(), c.image(ImageId::indication).data().begin());
  c.image(ImageId::panel_language).data()[0] = 0;

  const std::array<u8, 16> voice = {1, 0x4F, 0x08, 9, 0, 18, 30, 22, 0, 7, 0, 1, 1, 48 + 2 * 5, 0x03, 0};
  std::copy(voice.begin(), voice.end(), c.image(ImageId::voice_module).data().begin());

  struct Notice {
    int zone, message;
    u8 state;     // 0 fire, 2 alarm, 4 arming, 5 disarming, 8 fault
    u8 delay;     // tens of seconds
    u8 duration;  // minutes, 0 endless
    std::initializer_list<int> partitions;
  };
  const std::array<Notice, 5> notices = {{
      {0, 0, 0, 3, 0, {3, 7, 10}},
      {0, 1, 2, 6, 5, {1, 2, 4}},
      {1, 0, 4, 3, 1, {1}},
      {1, 1, 5, 3, 1, {1}},
      {2, 0, 8, 12, 10, {6}},
  }};
  auto& table = c.image(ImageId::speech_notices);
  auto& flags = c.image(ImageId::speech_notice_partitions);
  for (const auto& n : notices) {
    const auto value = static_cast<std::uint32_t>(1 | n.state << 8 | n.delay << 16 | n.duration << 24);
    memory::write_notice(table, n.message, n.zone, value);
    for (int p : n.partitions) memory::set_partition_flag(flags, n.message, n.zone, p - 1, true);
  }
}

}  // namespace

void load_demo_configuration(VirtualPanel& panel) {
  Configuration c;
  fill_partitions(c);
  fill_relay_modules(c);
  fill_radio_network(c);
  fill_registered_devices(c);
  fill_system_outputs(c);
  fill_identifiers(c);
  fill_recipients(c);
  fill_remote_control(c);
  fill_service(c);
  fill_voice(c);

  auto& mem = panel.memory();
  auto store = [&mem](const memory::TMemoryBlock& b) {
    const auto d = b.data();
    std::copy(d.begin(), d.end(), mem.begin() + b.start_address());
  };
  for (const auto& s : memory::images()) store(c.image(s.id));
  for (const auto& s : memory::pages()) store(c.page(s.id));
}

}  // namespace vq::sim
