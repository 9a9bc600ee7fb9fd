// The link object: discovery counts, close, and flushes that never lose an early answer.
#include <gtest/gtest.h>

#include "link/frames.hpp"
#include "link/usb_link.hpp"
#include "sim/sim_endpoint.hpp"

using namespace vq;
using namespace vq::link;

namespace {

struct Rig {
  std::shared_ptr<sim::VirtualPanel> panel = std::make_shared<sim::VirtualPanel>();
  UsbLink link{std::make_shared<sim::SimEndpoint>(panel)};
};

}  // namespace

TEST(UsbLink, DiscoveryCountsAndConnectsOnlyWithExactlyOnePanel) {
  struct Case {
    int count;
    bool connected;
  };
  for (Case c : {Case{0, false}, Case{1, true}, Case{2, false}}) {
    Rig r;
    r.panel->faults().discover_count = c.count;
    EXPECT_EQ(r.link.discover(), c.count);
    EXPECT_EQ(r.link.connected(), c.connected);
    EXPECT_EQ(r.link.is_open(), c.connected) << "pipes stay empty unless one panel was found";
    if (!c.connected) {
      auto w = r.link.write_byte(0x55);
      ASSERT_FALSE(w);
      EXPECT_EQ(w.error().text, std::string(kTextNotOpen));
    }
  }
  // A later connect with one panel left succeeds.
  Rig r;
  r.panel->faults().discover_count = 2;
  r.link.discover();
  r.panel->faults().discover_count = 1;
  EXPECT_EQ(r.link.discover(), 1);
  EXPECT_TRUE(r.link.connected());
}

TEST(UsbLink, CloseTwiceIsHarmless) {
  Rig r;
  r.link.discover();
  r.link.close();
  r.link.close();
  EXPECT_FALSE(r.link.connected());
  EXPECT_FALSE(r.link.read_byte());
}

TEST(UsbLink, FlushKeepsAnAnswerThatArrivedEarly) {
  Rig r;
  r.link.discover();
  ASSERT_TRUE(r.link.write_bytes(build_request(Convention::B, kCmdSystemSearch, {})));
  // The answer is already waiting when the exchange flushes both pipes.
  r.link.flush(UsbLink::Pipe::write);
  r.link.flush(UsbLink::Pipe::read);
  Bytes answer(kSearchAnswer);
  auto n = r.link.read_bytes(answer);
  ASSERT_TRUE(n);
  EXPECT_EQ(*n, kSearchAnswer);
  EXPECT_EQ(check_answer(answer, Convention::B), AnswerCheck::good);
}

TEST(UsbLink, ReadsTakeFromOneAnswerAtATime) {
  Rig r;
  r.link.discover();
  ASSERT_TRUE(r.link.write_bytes(build_request(Convention::B, kCmdSystemSearch, {})));
  ASSERT_TRUE(r.link.write_bytes(directory_request()));
  // Asking for more than the first answer holds returns that answer only.
  Bytes buf(300);
  EXPECT_EQ(*r.link.read_bytes(buf), kSearchAnswer);
  EXPECT_EQ(*r.link.read_bytes(buf), kDirectoryAnswer);
  auto none = r.link.read_bytes(buf);
  ASSERT_FALSE(none);
  EXPECT_EQ(none.error().text, "Прибор не отвечает");
  EXPECT_EQ(none.error().code, kTransportTimeout);
}

TEST(Pacing, NamesAndRecording) {
  EXPECT_TRUE(make_pacing("panel"));
  EXPECT_TRUE(make_pacing("none"));
  auto bad = make_pacing("fast");
  ASSERT_FALSE(bad);
  EXPECT_NE(bad.error().text.find("fast"), std::string::npos);
}
