// The configuration as a person reads it, and the differences between two.
#include <algorithm>
#include <gtest/gtest.h>

#include "memory/phone_numbers.hpp"
#include "settings/config_report.hpp"

using namespace vq;
using namespace vq::memory;
using namespace vq::settings;

namespace {

const ReportSection* find(const std::vector<ReportSection>& r, std::string_view key) {
  for (const auto& s : r)
    if (s.key == key) return &s;
  return nullptr;
}

std::string field(const std::vector<ReportSection>& r, std::string_view section, std::string_view key) {
  if (const auto* s = find(r, section))
    for (const auto& f : s->fields)
      if (f.key == key) return f.value;
  return "<none>";
}

void configure(Configuration& c) {
  auto& reg = c.image(ImageId::registered_devices);
  reg.set_byte(0, 2);
  reg.set_byte(33, 4);  // device 5
  reg.set_byte(33 + 5, 0x05);
  reg.set_byte(33 + 6, 0x02);  // 517
  reg.set_byte(65, 6);
  reg.set_byte(65 + 5, 0x0E);
  reg.set_byte(65 + 6, 0x02);  // 526
  ASSERT_TRUE(parse_phone_number(c.page(PageId::phone_numbers), 0, "+79161234567"));
  auto pw = c.image(ImageId::first_password).data();
  pw[0] = 0x81;
  pw[1] = 0x82;
  pw[2] = 0x83;
}

}  // namespace

TEST(ConfigReport, DecodesWhatIsKnownAndHidesPasswords) {
  Configuration c;
  configure(c);
  const auto report = build_report(c);
  EXPECT_EQ(field(report, "registered_devices", "count"), "2");
  EXPECT_EQ(field(report, "registered_devices", "device_5"), "Сорвел-517");
  EXPECT_EQ(field(report, "registered_devices", "device_7"), "Сорвел-526");
  EXPECT_EQ(field(report, "phone_numbers", "number_1"), "79161234567");
  EXPECT_EQ(field(report, "passwords", "user"), "***");
  EXPECT_EQ(field(build_report(c, {true}), "passwords", "user"), "123");
  EXPECT_EQ(field(report, "passwords", "engineer"), "(не задан)");
  ASSERT_NE(find(report, "identifier_aux"), nullptr);
  EXPECT_TRUE(find(report, "identifier_aux")->raw);
  EXPECT_EQ(find(report, "identifier_aux")->bytes.size(), 4004u);
  // Decoded tables are not dumped as well.
  ASSERT_NE(find(report, "partitions"), nullptr);
  EXPECT_FALSE(find(report, "partitions")->raw);
  EXPECT_EQ(find(report, "registered_devices_raw"), nullptr);
}

TEST(ConfigReport, TextAndJsonRenderings) {
  Configuration c;
  configure(c);
  c.image(ImageId::identifier_aux).set_byte(17, 0xAB);
  const auto report = build_report(c);
  const std::string text = render_text(report);
  EXPECT_NE(text.find("== Телефонные номера ==\n  Номер 1: 79161234567\n"), std::string::npos);
  EXPECT_NE(text.find("  00010: 00 ab 00"), std::string::npos);
  EXPECT_NE(text.find("(все байты нулевые)"), std::string::npos);

  const std::string json = render_json(report);
  EXPECT_EQ(json.rfind("{\n  \"format\": \"vantorq-config/1\"", 0), 0u);
  EXPECT_NE(json.find("{\"key\": \"number_1\", \"label\": \"Номер 1\", \"value\": \"79161234567\"}"), std::string::npos);
  EXPECT_NE(json.find("\"address\": 1075200, \"length\": 4004, \"hex\": \"0000"), std::string::npos);
  // Typed values: numbers as numbers, flags as true/false, choices with their code.
  EXPECT_NE(json.find("\"value\": \"Охранный\", \"code\": 0"), std::string::npos);
  EXPECT_NE(json.find("\"value\": false"), std::string::npos);
}

TEST(ConfigReport, DiffNamesFieldsAndBytes) {
  Configuration a, b;
  configure(a);
  configure(b);
  EXPECT_TRUE(diff_configurations(a, b).empty());

  ASSERT_TRUE(parse_phone_number(b.page(PageId::phone_numbers), 0, "84951234567"));
  ASSERT_TRUE(parse_phone_number(b.page(PageId::phone_numbers), 3, "112"));
  b.image(ImageId::identifier_aux).set_byte(10, 7);
  b.image(ImageId::partitions).set_byte(8, 3);  // partition 5 becomes "Пожарный 2"
  const auto lines = diff_configurations(a, b);
  const std::vector<std::string> expected = {
      "Телефонные номера: Номер 1: 79161234567 → 84951234567",
      "Телефонные номера: Номер 4: — → 112",
      "Разделы: раздел 5: тип: Охранный → Пожарный 2",
      // A fire partition has no delays: the fields go with the type.
      "Разделы: раздел 5: задержка на вход, с: 0 → —",
      "Разделы: раздел 5: задержка на выход, с: 0 → —",
      "identifier_aux +10: 0x00 → 0x07",
  };
  EXPECT_EQ(lines, expected);
}

TEST(ConfigReport, BytesNoFieldShowsStillMakeADifference) {
  // Bytes inside decoded tables that no field names: the name table's untouched middle,
  // a system output's reserved bytes, the channel control table's second byte.
  struct Case {
    ImageId image;
    std::size_t offset;
    const char* line;
  };
  const Case cases[] = {
      {ImageId::partition_names, 100, "partition_names +100: 0x00 → 0x5a"},
      {ImageId::system_outputs, 25, "system_outputs +25: 0x00 → 0x5a"},
  };
  for (const auto& c : cases) {
    Configuration a, b;
    configure(a);
    configure(b);
    b.image(c.image).set_byte(c.offset, 0x5A);
    const auto lines = diff_configurations(a, b);
    EXPECT_NE(std::find(lines.begin(), lines.end(), c.line), lines.end()) << c.line;
  }
}
