// The libusb transport, the USB device list and the hot-plug monitor against devices that
// umockdev makes up: the real libusb, a device node whose usbfs ioctls a fake device
// answers (tests/usb_mock/fake_usb_device). Run under umockdev-wrapper (CTest does).
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <memory>
#include <mutex>
#include <string_view>

#include <unistd.h>
#include <vector>

#include "link/pacing.hpp"
#include "link/session.hpp"
#include "link/system_search.hpp"
#include "link/usb_device_list.hpp"
#include "link/usb_hotplug.hpp"
#include "link/device_link.hpp"
#include "link/usb_transport.hpp"
#include "sim/demo_panel.hpp"
#include "sim/virtual_panel.hpp"

#if VQ_HAVE_UMOCKDEV
#include "usb_mock/fake_usb_device.hpp"
#endif

using namespace vq;
using namespace vq::link;
using namespace std::chrono_literals;

namespace {

#if VQ_HAVE_UMOCKDEV

class MockUsb : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* preload = std::getenv("LD_PRELOAD");
    if (!preload || !std::string_view(preload).contains("libumockdev-preload"))
      GTEST_SKIP() << "not run under umockdev-wrapper (ctest runs it so)";
    ::unsetenv(kUsbIdsVariable);
    testbed_ = umockdev_testbed_new();
  }
  void TearDown() override {
    devices_.clear();
    if (testbed_) g_object_unref(testbed_);
  }
  test::FakeUsbDevice& add(test::FakeUsbShape shape = {}) {
    devices_.push_back(std::make_unique<test::FakeUsbDevice>(testbed_, std::move(shape)));
    return *devices_.back();
  }
  void unplug(test::FakeUsbDevice& d) {
    umockdev_testbed_uevent(testbed_, d.syspath().c_str(), "remove");
    umockdev_testbed_remove_device(testbed_, d.syspath().c_str());
  }
  // The one device's transport, opened the way a connect opens it.
  std::unique_ptr<Transport> open(UsbId id = {0x0483, 0x5740}, UsbOptions options = {}) {
    UsbEndpoint endpoint({id}, options);
    auto d = endpoint.discover();
    EXPECT_EQ(d.count, 1) << d.error;
    EXPECT_TRUE(d.transport) << d.error;
    return std::move(d.transport);
  }

  UMockdevTestbed* testbed_ = nullptr;
  std::vector<std::unique_ptr<test::FakeUsbDevice>> devices_;
};

TEST_F(MockUsb, ConnectFindsTheOnePanelAndIdentifiesIt) {
  auto& dev = add();
  auto panel = sim::make_panel(true);
  dev.lock(), dev.state().panel = panel.get();
  DeviceLink link(std::make_shared<UsbEndpoint>(std::vector<UsbId>{{0x0483, 0x5740}}), 1000ms);
  auto pacing = make_pacing("none");
  ASSERT_TRUE(pacing);
  Session s{link, **pacing, nullptr};
  auto found = connect_panel(s, SearchKind::byte_wise);
  ASSERT_TRUE(found) << found.error().full();
  EXPECT_EQ(found->device_type, kDevicePanel);
  EXPECT_EQ(identification_line(*found), "Тип прибора: Сорвел-630М-Q. Версия ПО: 2.4.7");
  {
    auto lock = dev.lock();
    // FindSystem writes byte by byte: the request, then the receipt, each byte its own transfer.
    EXPECT_EQ(dev.state().received, (Bytes{0x55, 0x00, 0x00, 0x80, 0x00, 0x6D, 0xCC, 0x55, 0x00, 0x00, 0x00}));
    EXPECT_EQ(dev.state().out_transfers, 11);
  }
  link.close();

  // A second device with the same ids: two panels, nothing opened.
  test::FakeUsbShape other;
  other.address = 3;
  other.port = "1-3";
  add(other);
  EXPECT_EQ(link.discover(), 2);
  EXPECT_FALSE(link.connected());
  EXPECT_EQ(link.discovery_failure(2).message_id, 15035);
}

TEST_F(MockUsb, APanelThatCannotBeOpenedIsToldAsSuchNotAsDisconnected) {
  auto& dev = add();
  dev.lock(), dev.state().claimed_elsewhere = true;
  DeviceLink link(std::make_shared<UsbEndpoint>(std::vector<UsbId>{{0x0483, 0x5740}}), 500ms);
  auto pacing = make_pacing("none");
  ASSERT_TRUE(pacing);
  Session s{link, **pacing, nullptr};
  auto found = connect_panel(s, SearchKind::byte_wise);
  ASSERT_FALSE(found);
  EXPECT_EQ(found.error().code, kTransportOpenFailed);
  EXPECT_EQ(found.error().message_id, 0);
  EXPECT_NE(found.error().text.find("прибор USB 0483:5740 (шина 1, адрес 2): захват интерфейса"), std::string::npos)
      << found.error().full();

  // Let go by the other program: the next connect gets it.
  dev.lock(), dev.state().claimed_elsewhere = false;
  EXPECT_EQ(link.discover(), 1);
  EXPECT_TRUE(link.connected());
}

TEST_F(MockUsb, AWriteTheDeviceTakesInPiecesArrivesWholeAndInOrder) {
  auto& dev = add();
  dev.lock(), dev.state().out_chunk = 3;
  auto t = open();
  ASSERT_TRUE(t);
  const Bytes frame = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  ASSERT_TRUE(t->write(frame));
  auto lock = dev.lock();
  EXPECT_EQ(dev.state().received, frame);
  EXPECT_EQ(dev.state().out_transfers, 4);  // 3 + 3 + 3 + 1
}

TEST_F(MockUsb, ZeroLengthPacketsAreNoAnswerAndAnAnswerIsHandedOutInPieces) {
  auto& dev = add();
  Bytes answer(100);
  for (std::size_t i = 0; i < answer.size(); ++i) answer[i] = static_cast<std::uint8_t>(i);
  {
    auto lock = dev.lock();
    dev.state().zero_length_packets = 3;
    dev.state().answers.push_back(answer);
  }
  auto t = open();
  ASSERT_TRUE(t);
  Bytes got(64);
  auto n = t->read(got, 1000ms);
  ASSERT_TRUE(n) << n.error().full();
  ASSERT_EQ(*n, 64u);
  Bytes rest(64);
  auto m = t->read(rest, 1000ms);
  ASSERT_TRUE(m) << m.error().full();
  ASSERT_EQ(*m, 36u);
  got.resize(64);
  got.insert(got.end(), rest.begin(), rest.begin() + 36);
  EXPECT_EQ(got, answer);

  // Nothing but empty packets: a time-out, not an empty answer.
  dev.lock(), dev.state().zero_length_packets = 1000000;
  auto none = t->read(got, 150ms);
  ASSERT_FALSE(none);
  EXPECT_EQ(none.error().code, kTransportTimeout);
}

TEST_F(MockUsb, HaltedPipesAreClearedSoTheNextTransferGoesThrough) {
  auto& dev = add();
  {
    auto lock = dev.lock();
    dev.state().halted_out = true;
    dev.state().halted_in = true;
    dev.state().answers.push_back({0xAA, 0x01});
  }
  auto t = open();
  ASSERT_TRUE(t);
  auto w = t->write(Bytes{0x55});
  ASSERT_FALSE(w);
  EXPECT_EQ(w.error().code, kTransportIo);
  EXPECT_EQ(w.error().text, "Ошибка записи в прибор по USB");
  EXPECT_TRUE(t->write(Bytes{0x55}));

  Bytes buf(8);
  auto r = t->read(buf, 500ms);
  ASSERT_FALSE(r);
  EXPECT_EQ(r.error().text, "Ошибка чтения из прибора по USB");
  auto again = t->read(buf, 500ms);
  ASSERT_TRUE(again) << again.error().full();
  EXPECT_EQ(*again, 2u);

  auto lock = dev.lock();
  EXPECT_EQ(dev.state().cleared, (std::vector<std::uint8_t>{test::FakeUsbDevice::kOut, test::FakeUsbDevice::kIn}));
  EXPECT_EQ(dev.state().received, (Bytes{0x55}));
}

TEST_F(MockUsb, ASilentOrStuckDeviceTimesOutAndAnUnpluggedOneIsTold) {
  auto& dev = add();
  UsbOptions options;
  options.write_timeout = 100ms;
  auto t = open({0x0483, 0x5740}, options);
  ASSERT_TRUE(t);
  Bytes buf(8);
  auto r = t->read(buf, 100ms);
  ASSERT_FALSE(r);
  EXPECT_EQ(r.error().code, kTransportTimeout);

  dev.lock(), dev.state().out_blocked = true;
  auto w = t->write(Bytes{1, 2, 3});
  ASSERT_FALSE(w);
  EXPECT_EQ(w.error().code, kTransportTimeout);
  EXPECT_EQ(w.error().text, "Прибор не принимает данные по USB");

  {
    auto lock = dev.lock();
    dev.state().out_blocked = false;
    dev.state().gone = true;
  }
  auto w_gone = t->write(Bytes{1});
  ASSERT_FALSE(w_gone);
  auto r_gone = t->read(buf, 100ms);
  ASSERT_FALSE(r_gone);
  for (const Error& e : {w_gone.error(), r_gone.error()}) {
    EXPECT_EQ(e.code, kTransportClosed) << e.full();
    EXPECT_EQ(e.text, "Прибор отключён от USB");
  }
}

TEST_F(MockUsb, TheListShowsPanelLikeDevicesOnlyWithTheirNames) {
  add();  // the panel: vendor class, one bulk OUT, one bulk IN
  test::FakeUsbShape hid;
  hid.id = {0x046D, 0xC077};
  hid.address = 3;
  hid.port = "1-3";
  hid.interface_class = 3;
  add(hid);
  test::FakeUsbShape interrupt = hid;
  interrupt.id = {0x1111, 0x0001};
  interrupt.address = 4;
  interrupt.port = "1-4";
  interrupt.interface_class = 0xFF;
  interrupt.interrupt_in = true;
  add(interrupt);
  test::FakeUsbShape two_in = interrupt;
  two_in.id = {0x2222, 0x0002};
  two_in.address = 5;
  two_in.port = "1-5";
  two_in.interrupt_in = false;
  two_in.second_bulk_in = true;
  add(two_in);

  auto list = list_usb_candidates();
  ASSERT_TRUE(list) << list.error().full();
  ASSERT_EQ(list->size(), 1u);
  const UsbCandidate& c = list->front();
  EXPECT_EQ(c.id, (UsbId{0x0483, 0x5740}));
  EXPECT_EQ(c.bus, 1);
  EXPECT_EQ(c.address, 2);
  EXPECT_EQ(c.port_path, "1-2");
  EXPECT_EQ(c.manufacturer, "Sorvel");
  EXPECT_EQ(c.product, "Panel Q");
  EXPECT_EQ(c.serial, "000123");
  EXPECT_TRUE(c.accessible) << c.access_problem;
  EXPECT_EQ(c.describe(),
            "0483:5740  шина 1, порт 1-2, адрес 2, интерфейс 0  изготовитель: «Sorvel», изделие: «Panel Q», "
            "серийный номер: 000123  доступ: есть");

  // A device set as the panel is shown even when it does not look like one: a wrong id shows.
  list = list_usb_candidates({{0x046D, 0xC077}});
  ASSERT_TRUE(list) << list.error().full();
  ASSERT_EQ(list->size(), 2u);
  EXPECT_EQ((*list)[1].id, (UsbId{0x046D, 0xC077}));
  EXPECT_FALSE((*list)[1].panel_like);
  EXPECT_TRUE((*list)[0].panel_like);
  EXPECT_NE((*list)[1].describe().find("не похоже на прибор"), std::string::npos) << (*list)[1].describe();
}

TEST_F(MockUsb, ADeviceThatCannotBeOpenedIsListedWithItsNamesFromSysfs) {
  auto& dev = add();
  dev.remove_node();
  auto list = list_usb_candidates();
  ASSERT_TRUE(list) << list.error().full();
  ASSERT_EQ(list->size(), 1u);
  const UsbCandidate& c = list->front();
  EXPECT_FALSE(c.accessible);
  EXPECT_FALSE(c.access_problem.empty());
  EXPECT_EQ(c.manufacturer, "Sorvel");
  EXPECT_EQ(c.product, "Panel Q");
  EXPECT_EQ(c.serial, "");  // only an open device is asked
  EXPECT_NE(c.describe().find("доступ: нет ("), std::string::npos) << c.describe();
}

// The command a user runs sees the same made-up bus: the child inherits the preload and
// the testbed, and its ioctls reach this process's fake device.
TEST_F(MockUsb, UsbListCommandNamesTheDeviceAndMarksTheConfiguredOne) {
  add();
  const auto out = std::filesystem::temp_directory_path() / ("vq-usb-list-" + std::to_string(::getpid()) + ".txt");
  const std::string cmd = std::string(VQ_CLI_PATH) + " --usb-id 0483:5740 usb list >" + out.string() + " 2>&1";
  const int rc = std::system(cmd.c_str());
  std::ifstream in(out);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::filesystem::remove(out);
  EXPECT_EQ(rc, 0) << text;
  EXPECT_EQ(text,
            "0483:5740  шина 1, порт 1-2, адрес 2, интерфейс 0  изготовитель: «Sorvel», изделие: «Panel Q», "
            "серийный номер: 000123  доступ: есть  [прибор]\n"
            "USB-идентификаторы прибора: 0483:5740 (параметр --usb-id)\n");
}

// Arrivals and removals as the monitor's thread tells them.
class Notices {
 public:
  void told(bool arrived, UsbId id) {
    std::lock_guard<std::mutex> g(m_);
    seen_.push_back((arrived ? "+" : "-") + id.text());
    cv_.notify_all();
  }
  // What was told once `n` notices came, or after a bounded wait.
  std::vector<std::string> wait_for(std::size_t n) {
    std::unique_lock<std::mutex> l(m_);
    cv_.wait_for(l, 5s, [&] { return seen_.size() >= n; });
    return seen_;
  }

 private:
  std::mutex m_;
  std::condition_variable cv_;
  std::vector<std::string> seen_;
};

TEST_F(MockUsb, AnArrivalAndARemovalOfThePanelAreSeen) {
  Notices notices;
  UsbHotplugMonitor monitor({{0x0483, 0x5740}}, [&](bool arrived, UsbId id) { notices.told(arrived, id); });
  ASSERT_TRUE(monitor.active());
  test::FakeUsbShape mouse;
  mouse.id = {0x046D, 0xC077};
  mouse.address = 3;
  mouse.port = "1-3";
  add(mouse);  // not the panel: not told
  auto& panel = add();
  EXPECT_EQ(notices.wait_for(1), (std::vector<std::string>{"+0483:5740"}));
  unplug(panel);
  EXPECT_EQ(notices.wait_for(2), (std::vector<std::string>{"+0483:5740", "-0483:5740"}));
}

#else

TEST(MockUsb, NeedsUmockdev) {
  GTEST_SKIP() << "not run: " VQ_NO_UMOCKDEV_REASON;
}

#endif

}  // namespace
