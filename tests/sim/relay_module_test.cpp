// The virtual relay module answering every bus command, in-process and over a real
// pseudo-terminal through the serial adapter, and each of its fault knobs.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "link/rs485/commands.hpp"
#include "link/rs485/frame.hpp"
#include "sim/relay_module.hpp"

using namespace vq;
using namespace vq::link::rs485;

namespace {

enum class RelayRig { InProcess, Pty };

// The module behind an adapter. The pty server starts on first use, so knobs set
// before it are not raced; finish() stops it before the module is inspected.
class RelayBench {
 public:
  explicit RelayBench(RelayRig kind) : kind_(kind) {}
  ~RelayBench() { finish(); }

  sim::RelayModule& module() { return module_; }

  Rs485Session& session() {
    if (!session_) start();
    return *session_;
  }

  void finish() {
    stop_ = true;
    if (server_.joinable()) server_.join();
  }

  vq::link::VectorTrace trace;

 private:
  void start() {
    if (kind_ == RelayRig::InProcess) {
      adapter_ = std::make_unique<sim::RelayModuleAdapter>(module_);
    } else {
      auto pty = sim::open_relay_pty();
      ASSERT_TRUE(pty) << pty.error().full();
      pty_.emplace(std::move(*pty));
      server_ = std::thread([this] { pty_->serve(module_, stop_); });
      auto a = open_adapter("serial:" + pty_->slave_path());
      ASSERT_TRUE(a) << a.error().full();
      adapter_ = std::move(*a);
    }
    session_.emplace(Rs485Session{*adapter_, pacing_, &trace});
    // A scheduler hiccup on a busy machine must not look like a silent module.
    if (kind_ == RelayRig::Pty) session_->read_timeout = Millis(2000);
  }

  RelayRig kind_;
  sim::RelayModule module_;
  std::optional<sim::RelayPty> pty_;
  std::atomic<bool> stop_{false};
  std::thread server_;
  std::unique_ptr<Adapter> adapter_;
  vq::link::NoPacing pacing_;
  std::optional<Rs485Session> session_;
};

class RelayModule : public ::testing::TestWithParam<RelayRig> {
 protected:
  RelayBench bench{GetParam()};
  Rs485Session& s() { return bench.session(); }
  sim::RelayModule& m() { return bench.module(); }
};

Bytes pattern(std::size_t n) {
  Bytes b(n);
  for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<std::uint8_t>(i * 37 + (i >> 8) + 1);
  return b;
}

std::vector<std::string> tail(const std::vector<std::string>& v, std::size_t n) {
  return {v.end() - static_cast<std::ptrdiff_t>(std::min(n, v.size())), v.end()};
}

}  // namespace

TEST_P(RelayModule, SearchReportsTheModuleAndIsAcknowledged) {
  m().identity().platform = 0x0203;
  m().identity().version = {4, 5, 6};
  auto id = FindSystem485(s());
  ASSERT_TRUE(id) << id.error().full();
  EXPECT_EQ(id->device_type, 526);
  EXPECT_EQ(id->platform, 0x0203);
  EXPECT_EQ(id->version, (std::array<std::uint8_t, 3>{4, 5, 6}));
  bench.finish();
  EXPECT_EQ(m().searches(), 1);
  EXPECT_EQ(m().acks(), 1);
  EXPECT_EQ(m().bad_frames(), 0);
}

TEST_P(RelayModule, ScenarioFourNamesTheFirmwareTableAndOtherCodesNothing) {
  m().target() = {0x0033, 0x00ABCDEF, 0x00012345};
  auto a = ScenarioControl485(s(), kScenarioFirmware);
  ASSERT_TRUE(a) << a.error().full();
  EXPECT_EQ(a->table, 0x0033);
  EXPECT_EQ(a->address, 0x00ABCDEFu);
  EXPECT_EQ(a->length, 0x00012345u);
  auto other = ScenarioControl485(s(), 7);
  ASSERT_TRUE(other);
  EXPECT_EQ(other->table, 0);
  EXPECT_EQ(other->length, 0u);
  bench.finish();
  EXPECT_EQ(m().scenario_codes(), (std::vector<std::uint8_t>{4, 7}));
  EXPECT_EQ(m().acks(), 2);
}

TEST_P(RelayModule, AFirmwareWriteLandsWholeInTheNamedTable) {
  // Laid out as the firmware window does: 11 header bytes off the front, zeros at the end.
  const Bytes file = pattern(3 * kBlockSize - 50);
  const std::size_t c = (file.size() + kBlockSize - 1) / kBlockSize;
  Bytes buf(c * kBlockSize, 0);
  std::copy(file.begin(), file.end(), buf.begin());
  const Bytes header(buf.begin(), buf.begin() + kHeaderSize);
  buf.erase(buf.begin(), buf.begin() + kHeaderSize);
  buf.resize(c * kBlockSize, 0);

  auto where = ScenarioControl485(s(), kScenarioFirmware);
  ASSERT_TRUE(where) << where.error().full();
  auto init = WriteInitTable485(s(), where->table, where->address, static_cast<std::uint16_t>(c + 1), header);
  ASSERT_TRUE(init) << init.error().full();
  for (std::size_t j = 0; j < c; ++j) {
    auto w = WriteTableData485(s(), static_cast<std::uint16_t>(j + 1), static_cast<std::uint32_t>(j * kBlockSize),
                               static_cast<std::uint32_t>(j * kBlockSize + kBlockSize), buf);
    ASSERT_TRUE(w) << "block " << j + 1 << ": " << w.error().full();
  }
  bench.finish();

  ASSERT_TRUE(m().announce());
  EXPECT_EQ(m().announce()->table, m().target().table);
  EXPECT_EQ(m().announce()->address, m().target().address);
  EXPECT_EQ(m().announce()->blocks_plus_one, c + 1);
  Bytes sent_header(header.begin(), header.begin() + 10);
  sent_header.push_back(0);
  EXPECT_EQ(m().announce()->header, sent_header);
  EXPECT_EQ(m().image(), buf);
}

TEST_P(RelayModule, RefusesBlocksWithoutAnAnnounceOrOutsideIt) {
  const Bytes data = pattern(kBlockSize);
  auto orphan = WriteTableData485(s(), 1, 0, 192, data);
  ASSERT_FALSE(orphan);
  EXPECT_EQ(orphan.error().code, sim::RelayModule::kNoAnnounce);

  ASSERT_TRUE(WriteInitTable485(s(), 1, 0, 3, Bytes(kHeaderSize, 0x11)));
  for (std::uint16_t bad : {std::uint16_t{0}, std::uint16_t{3}}) {
    auto r = WriteTableData485(s(), bad, 0, 192, data);
    ASSERT_FALSE(r) << bad;
    EXPECT_EQ(r.error().code, sim::RelayModule::kBadBlock);
  }
  EXPECT_TRUE(WriteTableData485(s(), 2, 0, 192, data));
}

TEST_P(RelayModule, ASilentModuleLeavesAnEmptyAnswerAndNoAcknowledgement) {
  m().faults().silent = true;
  auto id = FindSystem485(s());
  ASSERT_FALSE(id);
  EXPECT_EQ(id.error().text, kTextNoAnswer);
  EXPECT_EQ(bench.trace.lines.back(), "Receive answer:");
  EXPECT_EQ(bench.trace.lines.size(), 1u + 1u + 10u + 1u);
  bench.finish();
  EXPECT_EQ(m().searches(), 1);
  EXPECT_EQ(m().acks(), 0);
}

TEST_P(RelayModule, ARefusalCodeFailsTheNextAttemptsThenWritesGoThrough) {
  m().faults().refuse_next = 2;
  m().faults().refuse_code = 9;
  const Bytes header(kHeaderSize, 0x22);
  // Search carries no result code: the knob leaves it alone.
  EXPECT_TRUE(FindSystem485(s()));
  for (int attempt = 0; attempt < 2; ++attempt) {
    auto r = WriteInitTable485(s(), 1, 0, 2, header);
    ASSERT_FALSE(r) << attempt;
    EXPECT_EQ(r.error().code, 9);
    EXPECT_EQ(r.error().text, std::string(kTextRefused) + " 9");
  }
  EXPECT_TRUE(WriteInitTable485(s(), 1, 0, 2, header));
}

TEST_P(RelayModule, ACorruptCrcIsTracedWithBothCrcsAndNotAcknowledged) {
  m().faults().corrupt_crc = true;
  auto a = ScenarioControl485(s(), kScenarioFirmware);
  ASSERT_FALSE(a);
  EXPECT_EQ(a.error().text, kTextBadCrc);

  // The module swapped its CRC bytes: what the link computes is the good CRC.
  Bytes good = build_frame(kTxnScenarioControl, kCmdScenarioControl, [&] {
    Bytes d;
    append_u16(d, m().target().table);
    append_u32(d, m().target().address);
    append_u32(d, m().target().length);
    return d;
  }());
  const std::uint8_t lo = good[18], hi = good[19];
  const std::vector<std::string> want{
      "CRC error!",
      "crc_d.byte.lo - " + byte_line(lo),
      "TxBuffer[TxBytes-2] - " + byte_line(hi),
      "crc_d.byte.hi - " + byte_line(hi),
      "TxBuffer[TxBytes-1] - " + byte_line(lo),
  };
  EXPECT_EQ(tail(bench.trace.lines, 5), want);
  bench.finish();
  EXPECT_EQ(m().acks(), 0);
}

INSTANTIATE_TEST_SUITE_P(RelayModuleRigs, RelayModule, ::testing::Values(RelayRig::InProcess, RelayRig::Pty),
                         [](const ::testing::TestParamInfo<RelayRig>& p) { return p.param == RelayRig::Pty ? "Pty" : "InProcess"; });

TEST(RelayModuleStream, FindsFramesInNoiseAndInPiecesAndCountsBadOnes) {
  sim::RelayModule m;
  Bytes stream{0x00, 0xFF, 0x13, 0x55};
  const Bytes req = find_system_request();
  stream.insert(stream.end(), req.begin(), req.end());
  Bytes broken = find_system_ack();
  broken[8] ^= 1;
  stream.insert(stream.end(), broken.begin(), broken.end());
  const Bytes ack = find_system_ack();
  stream.insert(stream.end(), ack.begin(), ack.end());
  for (auto b : stream) m.feed(ByteView(&b, 1));  // one byte at a time, as data blocks travel
  EXPECT_EQ(m.searches(), 1);
  EXPECT_EQ(m.acks(), 1);
  EXPECT_EQ(m.bad_frames(), 1);
  EXPECT_EQ(m.take_output().size(), kAnswerFindSystem);
  EXPECT_TRUE(m.take_output().empty());
}
