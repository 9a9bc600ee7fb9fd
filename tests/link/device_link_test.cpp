// The link object: discovery counts, close, and flushes that never lose an early answer.
#include <gtest/gtest.h>

#include "link/frames.hpp"
#include "link/device_link.hpp"
#include "sim/sim_endpoint.hpp"

using namespace vq;
using namespace vq::link;

namespace {

struct Rig {
  std::shared_ptr<sim::VirtualPanel> panel = std::make_shared<sim::VirtualPanel>();
  DeviceLink link{std::make_shared<sim::SimEndpoint>(panel)};
};

}  // namespace

TEST(DeviceLink, DiscoveryCountsAndConnectsOnlyWithExactlyOnePanel) {
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

TEST(DeviceLink, CloseTwiceIsHarmless) {
  Rig r;
  r.link.discover();
  r.link.close();
  r.link.close();
  EXPECT_FALSE(r.link.connected());
  EXPECT_FALSE(r.link.read_byte());
}

TEST(DeviceLink, FlushKeepsAnAnswerThatArrivedEarly) {
  Rig r;
  r.link.discover();
  ASSERT_TRUE(r.link.write_bytes(build_request(Convention::B, kCmdSystemSearch, {})));
  // The answer is already waiting when the exchange flushes both pipes.
  r.link.flush(DeviceLink::Pipe::write);
  r.link.flush(DeviceLink::Pipe::read);
  Bytes answer(kSearchAnswer);
  auto n = r.link.read_bytes(answer);
  ASSERT_TRUE(n);
  EXPECT_EQ(*n, kSearchAnswer);
  EXPECT_EQ(check_answer(answer, Convention::B), AnswerCheck::good);
}

TEST(DeviceLink, ReadsTakeFromOneAnswerAtATime) {
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

namespace {

// An endpoint that reports what it is told to.
class StubEndpoint final : public Endpoint {
 public:
  StubEndpoint(int count, std::string error, int code) : count_(count), error_(std::move(error)), code_(code) {}
  Discovery discover() override {
    Discovery d;
    d.count = count_;
    d.error = error_;
    d.error_code = code_;
    return d;
  }
  std::string describe() const override { return "stub"; }

 private:
  int count_;
  std::string error_;
  int code_;
};

}  // namespace

TEST(DeviceLink, DiscoveryFailureNamesTheRealCause) {
  struct Case {
    const char* name;
    int count;
    const char* error;
    int error_code;
    int code, message_id;
    const char* text;  // nullptr: the message's own
  };
  const Case cases[] = {
      {"no ids", 0, "Не заданы", kTransportNotConfigured, kTransportNotConfigured, 0, "Не заданы"},
      {"none attached", 0, "", 0, 0, 15034, nullptr},
      {"bridge away", 0, "Нет связи с мостом", 0, 0, 15034, nullptr},
      {"found, not opened", 1, "Нет прав доступа", kTransportIo, kTransportOpenFailed, 0, "Нет прав доступа"},
      {"two", 2, "", 0, 0, 15035, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    DeviceLink link(std::make_shared<StubEndpoint>(c.count, c.error, c.error_code));
    const int count = link.discover();
    EXPECT_FALSE(link.connected());
    const Error e = link.discovery_failure(count);
    EXPECT_EQ(e.code, c.code);
    EXPECT_EQ(e.message_id, c.message_id);
    if (c.text) {
      EXPECT_EQ(e.text, c.text);
    } else {
      EXPECT_EQ(e.detail, c.error);  // the reason behind the message stays
    }
  }
}
