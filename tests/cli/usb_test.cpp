// `vantorq-cli usb ...` and what a USB connect says when no ids are set. The ids come
// from --usb-id, else VANTORQ_USB_IDS, else the preferences file the desktop program writes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "cli/cli_fixture.hpp"

namespace {
using vq::test::Cli;

class UsbCli : public Cli {
 protected:
  void SetUp() override {
    Cli::SetUp();
    // The preferences of this test alone, never the user's.
    ::setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
    ::unsetenv("VANTORQ_USB_IDS");
  }
  void TearDown() override {
    ::unsetenv("VANTORQ_USB_IDS");
    Cli::TearDown();
  }
  void store_ids(const std::string& ids) {
    std::filesystem::create_directories(dir / "config" / "vantorq");
    std::ofstream(dir / "config" / "vantorq" / "vantorq.ini") << "[System]\nDefaultMode=0\nUsbIds=" << ids << "\n";
  }
  static std::string vendors_in(const std::string& rules) {
    std::string out;
    for (auto at = rules.find("idVendor}==\""); at != std::string::npos; at = rules.find("idVendor}==\"", at + 1))
      out += rules.substr(at + 12, 4) + " ";
    return out;
  }
};

TEST_F(UsbCli, UdevRuleTakesTheIdsByPrecedence) {
  store_ids("0001:0002");
  auto r = run("usb udev-rule");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(vendors_in(r.out), "0001 ");
  EXPECT_NE(r.out.find("GROUP=\"plugdev\", MODE=\"0660\", TAG+=\"uaccess\""), std::string::npos) << r.out;

  ::setenv("VANTORQ_USB_IDS", "0483:5740", 1);
  EXPECT_EQ(vendors_in(run("usb udev-rule").out), "0483 ");
  EXPECT_EQ(vendors_in(run("--usb-id 1234:abcd --usb-id 4321:0001 usb udev-rule").out), "1234 4321 ");
}

TEST_F(UsbCli, WithoutIdsTheCommandsSayWhereToSetThem) {
  const char* where = "«Настройки программы» → «Система», параметром --usb-id или в переменной VANTORQ_USB_IDS";
  for (const char* args : {"usb udev-rule", "identify", "config read -o x.cfg"}) {
    SCOPED_TRACE(args);
    auto r = run(args);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("Не заданы USB-идентификаторы прибора"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(where), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("отключены"), std::string::npos) << r.err;
  }
}

TEST_F(UsbCli, BadStoredIdsAreNamedAsThePreferences) {
  store_ids("0483-5740");
  auto r = run("identify");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("Настройки программы"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("0483-5740"), std::string::npos) << r.err;
  // The command line stands before them.
  r = run("--usb-id fffe:fffd usb udev-rule");
  EXPECT_EQ(r.status, 0) << r.err;
}

TEST_F(UsbCli, ListEndsWithTheIdsItLooksFor) {
  store_ids("0483:5740");
  auto r = run("usb list");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("USB-идентификаторы прибора: 0483:5740 («Настройки программы» → «Система»)\n"),
            std::string::npos)
      << r.out;
}

}  // namespace
