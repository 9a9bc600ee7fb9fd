// The service table: what the service page's fill shows for stored bytes, what its store
// writes (and only there), what it refuses (changing no byte), and the page round trip
// through page-list entry 14 around a full transfer and a .cfg file.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <unistd.h>

#include "memory/configuration.hpp"
#include "settings/config_files.hpp"
#include "settings/full_transfer.hpp"
#include "settings/service_page.hpp"
#include "settings/service_settings.hpp"
#include "sim/demo_panel.hpp"
#include "support/panel_rig.hpp"
#include "util/cp1251.hpp"

using namespace vq;
using namespace vq::settings;

namespace {

using Table = std::array<std::uint8_t, 512>;
using Changes = std::map<std::size_t, int>;  // offset -> new byte

// The demo's service table: the page as a site would have it.
Table demo_table() {
  Table t{};
  t.fill(0);
  const std::uint8_t head[] = {1, 0, 1, 0, 0, 8, 0, 0x33, 0x55, 0x79, 0x16, 0x89, 0x99, 0x10, 0x0F, 0xFF, 0xFF};
  std::copy(std::begin(head), std::end(head), t.begin());
  for (std::size_t i = 17; i < 25; ++i) t[i] = 0xFF;
  t[25] = 0x12, t[26] = 0x34, t[27] = 0x00, t[28] = 0x00;
  t[29] = 0xA1, t[30] = 0x00, t[31] = 0xBF, t[32] = 0xFF;
  t[33] = t[34] = t[35] = t[36] = 0xFF;
  t[37] = 0xFF, t[39] = 1;
  t[41] = 22, t[42] = 0, t[43] = 7, t[44] = 0, t[45] = 15, t[46] = 9;
  t[47] = 0xD5, t[48] = 0x12;  // 4821
  const auto name = utf8_to_cp1251("Склад");
  std::copy(name.begin(), name.end(), t.begin() + 49);
  t[200] = 0x5A;  // past the page: never touched
  return t;
}

Changes diff(const Table& a, const Table& b) {
  Changes out;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (a[i] != b[i]) out[i] = b[i];
  return out;
}

TEST(ServiceSettings, FillShowsWhatTheTableHolds) {
  const Table t = demo_table();
  const auto s = decode_service(t);
  EXPECT_EQ(s.answer_rings, 3);
  EXPECT_EQ(s.gsm_loss_minutes, 5);
  EXPECT_EQ(s.sim[0].sms_centre, "79168999100");  // 11 digits, the 12th nibble "none"
  EXPECT_EQ(s.sim[1].sms_centre, "");
  EXPECT_EQ(s.sim[0].pin, "1234");
  EXPECT_EQ(s.sim[1].pin, "0000");  // zeros are digits
  EXPECT_EQ(s.sim[0].balance_request, "*100#");
  EXPECT_EQ(s.sim[1].balance_request, "");
  EXPECT_EQ(s.account_period, kNoticePeriodNever);  // 0xFF
  EXPECT_EQ(notice_period_names()[static_cast<std::size_t>(s.account_period)], "никогда");
  EXPECT_EQ(s.test_period, 1);
  EXPECT_EQ(clock_text(s.silence_start), "22:00");
  EXPECT_EQ(clock_text(s.silence_end), "07:00");
  EXPECT_EQ(clock_text(s.service_message_time), "09:15");  // hours are byte 46
  EXPECT_EQ(s.contact_id_account, 4821);
  EXPECT_EQ(s.object_name, "Склад");
}

TEST(ServiceSettings, StoreWritesEachFieldWhereItBelongs) {
  struct Case {
    const char* what;
    std::function<void(ServiceSettings&)> edit;
    Changes want;
  };
  const std::vector<Case> cases = {
      {"11-digit SMS centre: six bytes of digits, then 0xFF", [](auto& s) { s.sim[1].sms_centre = "79037011111"; },
       {{17, 0x79}, {18, 0x03}, {19, 0x70}, {20, 0x11}, {21, 0x11}, {22, 0x1F}}},
      {"empty SMS centre: all eight bytes 0xFF", [](auto& s) { s.sim[0].sms_centre = ""; },
       {{9, 0xFF}, {10, 0xFF}, {11, 0xFF}, {12, 0xFF}, {13, 0xFF}, {14, 0xFF}}},
      {"\"+\" in front of the SMS centre is not stored", [](auto& s) { s.sim[1].sms_centre = "+7916"; },
       {{17, 0x79}, {18, 0x16}}},
      {"16-digit SMS centre fills its 8 bytes", [](auto& s) { s.sim[1].sms_centre = "1234567890123456"; },
       {{17, 0x12}, {18, 0x34}, {19, 0x56}, {20, 0x78}, {21, 0x90}, {22, 0x12}, {23, 0x34}, {24, 0x56}}},
      {"balance request *102#", [](auto& s) { s.sim[1].balance_request = "*102#"; },
       {{33, 0xA1}, {34, 0x02}, {35, 0xBF}}},
      {"PIN 0000", [](auto& s) { s.sim[0].pin = "0000"; }, {{25, 0x00}, {26, 0x00}}},
      {"PIN cleared: 0xFF 0xFF", [](auto& s) { s.sim[0].pin = ""; }, {{25, 0xFF}, {26, 0xFF}}},
      {"\"никогда\" is 0xFF, \"1 раз/сутки\" is 1",
       [](auto& s) {
         s.account_period = 1;
         s.test_period = kNoticePeriodNever;
       },
       {{37, 1}, {39, 0xFF}}},
      {"service time 08:30: byte 45 minutes, byte 46 hours", [](auto& s) { s.service_message_time = {8, 30}; },
       {{45, 30}, {46, 8}}},
      {"silence interval", [](auto& s) { s.silence_start = {23, 15}; }, {{41, 23}, {42, 15}}},
      {"answering keeps the high nibble", [](auto& s) { s.answer_rings = 15; }, {{7, 0x3F}}},
      {"GSM loss goes into both nibbles", [](auto& s) { s.gsm_loss_minutes = 10; }, {{8, 0xAA}}},
      {"Contact ID account, low byte first", [](auto& s) { s.contact_id_account = 0x3412; }, {{47, 0x12}, {48, 0x34}}},
      {"no account given: bytes 47-48 stay", [](auto& s) { s.contact_id_account.reset(); }, {}},
      {"object name: the rest of the 16 bytes zero", [](auto& s) { s.object_name = "АБ"; },
       {{49, 0xC0}, {50, 0xC1}, {51, 0}, {52, 0}, {53, 0}}},
      {"nothing changed: no byte written", [](auto&) {}, {}},
  };
  for (const auto& c : cases) {
    const Table before = demo_table();
    Table t = before;
    auto s = decode_service(t);
    c.edit(s);
    ASSERT_TRUE(encode_service(t, s)) << c.what;
    EXPECT_EQ(diff(before, t), c.want) << c.what;
  }
}

TEST(ServiceSettings, RefusalsNameTheFieldAndChangeNoByte) {
  struct Case {
    const char* what;
    std::function<void(ServiceSettings&)> edit;
    const char* text;  // part of the refusal
  };
  const std::vector<Case> cases = {
      {"PIN of 1 digit", [](auto& s) { s.sim[0].pin = "7"; }, "SIM#1, PIN-код: введите 4 цифры"},
      {"PIN of 3 digits", [](auto& s) { s.sim[1].pin = "123"; }, "SIM#2, PIN-код: введите 4 цифры"},
      {"PIN with a letter", [](auto& s) { s.sim[0].pin = "12a4"; }, "только цифры"},
      {"SMS centre of 17 digits would run into the next field",
       [](auto& s) { s.sim[1].sms_centre = "12345678901234567"; }, "не более 16 цифр"},
      {"SMS centre with a blank", [](auto& s) { s.sim[0].sms_centre = "791 6"; }, "только цифры"},
      {"balance request of 9 symbols", [](auto& s) { s.sim[0].balance_request = "*10012345"; }, "не более 8"},
      {"balance request with a letter", [](auto& s) { s.sim[0].balance_request = "*1A#"; }, "«*», «#»"},
      {"hours 24", [](auto& s) { s.silence_start = {24, 0}; }, "Параметр введен неверно! Повторите ввод."},
      {"minutes 60", [](auto& s) { s.service_message_time = {8, 60}; }, "Время отправки"},
      {"period 16", [](auto& s) { s.test_period = 16; }, "Периодичность сообщения ТЕСТ"},
      {"account above 65535", [](auto& s) { s.contact_id_account = 65536; }, "Contact ID"},
      {"object name of 16 letters", [](auto& s) { s.object_name = "Торговый центр 1"; }, "Имя объекта"},
      {"a character code page 1251 lacks", [](auto& s) { s.object_name = "日本"; }, "Имя объекта"},
  };
  for (const auto& c : cases) {
    const Table before = demo_table();
    Table t = before;
    auto s = decode_service(t);
    s.answer_rings = 1;  // a valid change beside the bad one is not written either
    c.edit(s);
    const auto r = encode_service(t, s);
    ASSERT_FALSE(r) << c.what;
    EXPECT_NE(r.error().text.find(c.text), std::string::npos) << c.what << ": " << r.error().text;
    EXPECT_EQ(t, before) << c.what;
  }
}

TEST(ServiceSettings, OddStoredContentsSurviveAnUntouchedStore) {
  // A 3-digit PIN, GSM loss nibbles that differ, a period beyond the list: kept as they are.
  Table t = demo_table();
  t[25] = 0x12, t[26] = 0x3F, t[8] = 0x52, t[37] = 20, t[41] = 30;
  const Table before = t;
  auto s = decode_service(t);
  EXPECT_EQ(s.sim[0].pin, "123");
  EXPECT_EQ(s.gsm_loss_minutes, 2);
  ASSERT_TRUE(encode_service(t, s));
  EXPECT_EQ(t, before);
  // Once the PIN is edited, four digits are needed.
  s.sim[0].pin = "124";
  EXPECT_FALSE(encode_service(t, s));
}

TEST(ServiceSettings, ObjectNameKeepsTheLetterYa) {
  // "я" is byte 0xFF in code page 1251: a stored name ends in a zero byte, so it is a letter.
  Table t = demo_table();
  auto s = decode_service(t);
  s.object_name = "Котельная";
  ASSERT_TRUE(encode_service(t, s));
  EXPECT_EQ(t[49 + 8], 0xFF);
  EXPECT_EQ(decode_service(t).object_name, "Котельная");
  // A field of filler with no zero byte (an erased table) reads as no name.
  for (std::size_t i = 49; i < 65; ++i) t[i] = 0xFF;
  EXPECT_EQ(decode_service(t).object_name, "");
}

TEST(ServiceSettings, TimesAndAccountAsTyped) {
  struct Case {
    const char* text;
    bool ok;
    ClockTime want;
  };
  for (const Case& c : {Case{"08:30", true, {8, 30}}, Case{"23:59", true, {23, 59}}, Case{"00:00", true, {0, 0}},
                        Case{"25:00", false, {}}, Case{"12:60", false, {}}, Case{"  :  ", false, {}},
                        Case{"ab:cd", false, {}}, Case{"0830", false, {}}}) {
    const auto r = parse_clock_time(c.text, "Интервал тишины");
    ASSERT_EQ(r.has_value(), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(*r, c.want) << c.text;
    } else {
      EXPECT_NE(r.error().text.find("Параметр введен неверно!"), std::string::npos);
    }
  }
}

TEST(ServiceSettings, StoreServicePageWritesEntry14WithTheConstants) {
  memory::Configuration c;
  auto& entry = c.page_list()[memory::kServicePageEntry].data;
  entry[7] = 0x05;  // a connection check period of "10 сек" is always written back as "40 сек"
  auto s = FillServicePage(c);
  EXPECT_EQ(s.answer_rings, 5);
  s.object_name = "Объект";
  ASSERT_TRUE(StoreServicePage(c, s));
  EXPECT_EQ((std::vector<std::uint8_t>(entry.begin(), entry.begin() + 8)),
            (std::vector<std::uint8_t>{1, 0, 1, 0, 0, 8, 0, 0x35}));
  EXPECT_EQ(FillServicePage(c).object_name, "Объект");
  // The table 71 image is not the page's: the recipients page's bytes live there.
  EXPECT_EQ(c.page(memory::PageId::service).byte_at(0), 0);

  s.sim[0].pin = "12";
  const auto before = entry;
  EXPECT_FALSE(StoreServicePage(c, s));
  EXPECT_EQ(entry, before);
}

// The virtual panel's service table through a read of all, a write of all, a .cfg save and
// a load: byte for byte the same, and the page filled from it shows the demo's settings.
TEST(ServiceSettings, ThePanelTableRoundTripsThroughTransferAndFile) {
  test::PanelRig rig;
  sim::load_demo_contents(*rig.panel);
  auto& s = rig.session();
  const auto& layout = memory::layout(memory::PageId::service);
  const auto& mem = rig.panel->memory();
  const Bytes original(mem.begin() + layout.address, mem.begin() + layout.address + memory::kPageSize);

  memory::Configuration config;
  ASSERT_TRUE(settings::read_all(s, config, nullptr));
  const auto page = FillServicePage(config);
  EXPECT_EQ(page.object_name, "ТЦ Меридиан");
  EXPECT_EQ(page.sim[1].pin, "0000");
  ASSERT_TRUE(StoreServicePage(config, page));
  ASSERT_TRUE(settings::write_all(s, config, nullptr));
  const auto& now = rig.p().memory();
  const Bytes written(now.begin() + layout.address, now.begin() + layout.address + memory::kPageSize);
  EXPECT_EQ(written, original);

  const auto dir = std::filesystem::temp_directory_path() / ("vq_service_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const auto file = dir / "site.cfg";
  ASSERT_TRUE(save_settings_file(config, file));
  memory::Configuration loaded;
  ASSERT_TRUE(open_settings_file(loaded, file));
  const auto d = loaded.page(memory::PageId::service).data();
  EXPECT_EQ(Bytes(d.begin(), d.end()), original);
  EXPECT_EQ(FillServicePage(loaded), page);
  std::filesystem::remove_all(dir);
}

}  // namespace
