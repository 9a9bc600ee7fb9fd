// USB vendor:product ids of the panel: parsing, the environment variable, and what discover
// says when no ids are set. Nothing here needs a USB device.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

#include "link/usb_transport.hpp"

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

TEST(UsbEndpointDiscover, WithoutIdsFindsNothingAndTellsHowToSetThem) {
  UsbEndpoint endpoint({});
  EXPECT_EQ(endpoint.describe(), "usb");
  auto d = endpoint.discover();
  EXPECT_EQ(d.count, 0);
  EXPECT_FALSE(d.transport);
  EXPECT_EQ(d.error,
            "Не заданы USB-идентификаторы прибора (VID:PID): задайте их в VANTORQ_USB_IDS или параметром --usb-id");
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
