// USB vendor:product ids of the panel: parsing, the environment variable, and what discover
// says when no ids are set. Nothing here needs a USB device.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>

#include "link/usb_transport.hpp"
#include "link/usb_udev_rule.hpp"

using namespace vq;
using namespace vq::link;

namespace {

TEST(UsbIds, ParseHexPairsAndRefuseAnythingElse) {
  struct Case {
    const char* text;
    std::optional<std::vector<UsbId>> ids;  // nothing: refused
  };
  const std::vector<Case> cases = {
      {"0483:5740", std::vector<UsbId>{{0x0483, 0x5740}}},
      {"0483:5740,1234:abcd", std::vector<UsbId>{{0x0483, 0x5740}, {0x1234, 0xABCD}}},
      {" 483:ABCD , 1:0 ", std::vector<UsbId>{{0x0483, 0xABCD}, {0x0001, 0x0000}}},
      {"ffff:FFFF", std::vector<UsbId>{{0xFFFF, 0xFFFF}}},
      {"", std::vector<UsbId>{}},
      {"   ", std::vector<UsbId>{}},
      {"0483", std::nullopt},
      {"0483:", std::nullopt},
      {":5740", std::nullopt},
      {"10483:5740", std::nullopt},  // more than 16 bits
      {"0483:5740:1", std::nullopt},
      {"0x0483:0x5740", std::nullopt},
      {"04g3:5740", std::nullopt},
      {"-483:5740", std::nullopt},
      {"0483:5740,", std::nullopt},
      {"0483:5740,,1234:abcd", std::nullopt},
      {"0483 5740", std::nullopt},
      {"0483;5740", std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    auto ids = parse_usb_ids(c.text);
    ASSERT_EQ(ids.has_value(), c.ids.has_value()) << (ids ? "accepted" : ids.error().text);
    if (ids) {
      EXPECT_EQ(*ids, *c.ids);
    } else {
      EXPECT_NE(ids.error().text.find("USB-идентификатор"), std::string::npos) << ids.error().text;
    }
  }
}

TEST(UsbIds, ErrorNamesTheBadItemAndTheExpectedForm) {
  auto ids = parse_usb_ids("0483:5740,12345:1");
  ASSERT_FALSE(ids);
  EXPECT_NE(ids.error().text.find("\"12345:1\""), std::string::npos) << ids.error().text;
  EXPECT_NE(ids.error().text.find("VID:PID"), std::string::npos) << ids.error().text;
}

TEST(UsbIds, TextIsFourLowerCaseHexDigitsEachSide) {
  EXPECT_EQ((UsbId{0x0483, 0xABCD}).text(), "0483:abcd");
  EXPECT_EQ((UsbId{0x0001, 0x0000}).text(), "0001:0000");
  auto back = parse_usb_id((UsbId{0xBEEF, 0x0042}).text());
  ASSERT_TRUE(back);
  EXPECT_EQ(*back, (UsbId{0xBEEF, 0x0042}));
}

// Sets VANTORQ_USB_IDS for one test and puts back what was there.
class UsbIdsVariable : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const char* v = std::getenv(kUsbIdsVariable)) saved_ = v;
  }
  void TearDown() override {
    if (saved_)
      ::setenv(kUsbIdsVariable, saved_->c_str(), 1);
    else
      ::unsetenv(kUsbIdsVariable);
  }
  std::optional<std::string> saved_;
};

TEST_F(UsbIdsVariable, ReplacesTheFallbackOnlyWhenSetAndValid) {
  const std::vector<UsbId> fallback = {{0x1111, 0x2222}};
  struct Case {
    const char* value;  // nullptr: unset
    std::vector<UsbId> expected;
  };
  const std::vector<Case> cases = {
      {nullptr, fallback},
      {"", fallback},
      {"0483:5740,1234:abcd", {{0x0483, 0x5740}, {0x1234, 0xABCD}}},
      {"not-an-id", fallback},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value ? c.value : "(unset)");
    if (c.value)
      ::setenv(kUsbIdsVariable, c.value, 1);
    else
      ::unsetenv(kUsbIdsVariable);
    EXPECT_EQ(usb_ids_from_environment_or(fallback), c.expected);
  }
}

TEST_F(UsbIdsVariable, MalformedValueIsReportedWithTheVariableName) {
  ::setenv(kUsbIdsVariable, "0483-5740", 1);
  auto ids = usb_ids_from_environment();
  ASSERT_FALSE(ids);
  EXPECT_TRUE(ids.error().text.starts_with("VANTORQ_USB_IDS: ")) << ids.error().text;

  ::unsetenv(kUsbIdsVariable);
  ids = usb_ids_from_environment();
  ASSERT_TRUE(ids);
  EXPECT_FALSE(*ids);
}

TEST_F(UsbIdsVariable, CommandLineBeforeEnvironmentBeforePreferences) {
  struct Case {
    const char* name;
    std::vector<std::string> command_line;
    const char* variable;  // nullptr: unset
    const char* stored;
    std::optional<std::vector<UsbId>> ids;  // nothing: refused
    UsbIdSource source;
    const char* reason;  // part of the refusal
  };
  const std::vector<UsbId> a = {{0x0483, 0x5740}}, b = {{0x1234, 0xABCD}}, c = {{0x0001, 0x0002}};
  const std::vector<Case> cases = {
      {"flag wins", {"0483:5740"}, "1234:abcd", "0001:0002", a, UsbIdSource::command_line, ""},
      {"flags add up", {"0483:5740", "1234:abcd"}, nullptr, "", std::vector<UsbId>{a[0], b[0]},
       UsbIdSource::command_line, ""},
      {"variable next", {}, "1234:abcd", "0001:0002", b, UsbIdSource::environment, ""},
      {"blank variable passes", {}, "  ", "0001:0002", c, UsbIdSource::preferences, ""},
      {"preferences last", {}, nullptr, "0001:0002", c, UsbIdSource::preferences, ""},
      {"nothing anywhere", {}, nullptr, "", std::vector<UsbId>{}, UsbIdSource::none, ""},
      // A bad place that wins is an error, never a quiet step to the next one.
      {"bad flag", {"zz"}, "1234:abcd", "", std::nullopt, UsbIdSource::none, "--usb-id"},
      {"bad variable", {}, "12345:1", "0001:0002", std::nullopt, UsbIdSource::none, "VANTORQ_USB_IDS"},
      {"bad stored", {}, nullptr, "0483-5740", std::nullopt, UsbIdSource::none, "Настройки программы"},
      // A place that does not win is not read.
      {"bad stored under a flag", {"0483:5740"}, nullptr, "junk", a, UsbIdSource::command_line, ""},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.name);
    if (k.variable)
      ::setenv(kUsbIdsVariable, k.variable, 1);
    else
      ::unsetenv(kUsbIdsVariable);
    auto r = resolve_usb_ids(k.command_line, k.stored);
    ASSERT_EQ(r.has_value(), k.ids.has_value()) << (r ? usb_ids_text(r->ids) : r.error().text);
    if (r) {
      EXPECT_EQ(r->ids, *k.ids);
      EXPECT_EQ(r->source, k.source);
    } else {
      EXPECT_NE(r.error().text.find(k.reason), std::string::npos) << r.error().text;
    }
  }
}

TEST(UsbIds, ListTextReadsBack) {
  const std::vector<UsbId> ids = {{0x0483, 0x5740}, {0x1234, 0xABCD}};
  EXPECT_EQ(usb_ids_text(ids), "0483:5740,1234:abcd");
  EXPECT_EQ(parse_usb_ids(usb_ids_text(ids)), ids);
  EXPECT_EQ(usb_ids_text({}), "");
}

TEST(UdevRule, OneLinePerIdForPlugdevAndTheSeat) {
  const std::string rules = udev_rules({{0x0483, 0x5740}, {0x1234, 0xABCD}});
  std::vector<std::string> lines;
  std::string line;
  for (char ch : rules) {
    if (ch != '\n') {
      line += ch;
      continue;
    }
    if (!line.starts_with("#")) lines.push_back(line);
    line.clear();
  }
  EXPECT_TRUE(line.empty()) << "ends with a newline";
  EXPECT_EQ(lines, (std::vector<std::string>{
                       R"(SUBSYSTEM=="usb", ENV{DEVTYPE}=="usb_device", ATTR{idVendor}=="0483", ATTR{idProduct}=="5740", GROUP="plugdev", MODE="0660", TAG+="uaccess")",
                       R"(SUBSYSTEM=="usb", ENV{DEVTYPE}=="usb_device", ATTR{idVendor}=="1234", ATTR{idProduct}=="abcd", GROUP="plugdev", MODE="0660", TAG+="uaccess")",
                   }));
  EXPECT_NE(rules.find("/etc/udev/rules.d/60-vantorq.rules"), std::string::npos);
}

TEST(UdevRule, ThePackagedTemplateIsTheGeneratedRuleWithPlaceholders) {
  const auto source = std::filesystem::path(VQ_FIXTURES_DIR).parent_path().parent_path();
  std::ifstream in(source / "resources" / "udev" / "60-vantorq.rules");
  ASSERT_TRUE(in);
  std::vector<std::string> rules;
  for (std::string line; std::getline(in, line);)
    if (!line.empty() && !line.starts_with("#")) rules.push_back(line);
  std::string generated = udev_rules({{0xAAAA, 0xBBBB}});
  generated = generated.substr(generated.rfind("SUBSYSTEM"));
  generated.pop_back();  // the newline
  for (auto [from, to] : {std::pair{"aaaa", "VVVV"}, std::pair{"bbbb", "PPPP"}})
    generated.replace(generated.find(from), 4, to);
  EXPECT_EQ(rules, std::vector<std::string>{generated});
}

TEST(UsbEndpointDiscover, WithoutIdsFindsNothingAndTellsHowToSetThem) {
  UsbEndpoint endpoint({});
  EXPECT_EQ(endpoint.describe(), "usb");
  auto d = endpoint.discover();
  EXPECT_EQ(d.count, 0);
  EXPECT_FALSE(d.transport);
  EXPECT_EQ(d.error_code, kTransportNotConfigured);
  EXPECT_EQ(d.error,
            "Не заданы USB-идентификаторы прибора (VID:PID): задайте их в «Настройки программы» → «Система», "
            "параметром --usb-id или в переменной VANTORQ_USB_IDS");
}

TEST(UsbEndpointDiscover, IdsOfNoAttachedDeviceFindNoPanel) {
  // Whether or not this machine has USB at all, nothing carries these ids.
  UsbEndpoint endpoint({{0xFFFE, 0xFFFD}});
  for (int i = 0; i < 2; ++i) {  // the libusb session is kept between searches
    auto d = endpoint.discover();
    EXPECT_EQ(d.count, 0) << d.error;
    EXPECT_FALSE(d.transport);
  }
}

}  // namespace
