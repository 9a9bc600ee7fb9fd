// The RS-485 frames byte for byte, the adapter URI, and the trace each command writes.
#include <gtest/gtest.h>

#include "link/crc16.hpp"
#include "link/rs485/adapter.hpp"
#include "link/rs485/commands.hpp"
#include "link/rs485/frame.hpp"
#include "sim/relay_module.hpp"

using namespace vq;
using namespace vq::link::rs485;
using std::chrono::milliseconds;

namespace {

std::vector<std::string> lines_of(const Bytes& bytes) {
  std::vector<std::string> out;
  for (auto b : bytes) out.push_back(byte_line(b));
  return out;
}

Bytes header11(std::uint8_t last) { return {0x0E, 0x02, 0x05, 0x01, 1, 2, 3, 0xA0, 0xB0, 0xC0, last}; }

}  // namespace

TEST(Rs485Frames, WorkedFramesOnTheWire) {
  struct Case {
    const char* name;
    Bytes frame;
    Bytes wire;
  };
  const Case cases[] = {
      {"search", find_system_request(), {0xFF, 0x55, 0xFF, 0x00, 0x00, 0x39, 0x30, 0x56, 0x50, 0x3C}},
      {"search ack", find_system_ack(), {0xFF, 0x55, 0xFF, 0x00, 0x01, 0x39, 0x30, 0x90, 0x92, 0xD3, 0xF1}},
      {"scenario 4", scenario_control_request(4),
       {0xFF, 0x55, 0xFF, 0x00, 0x01, 0xA0, 0x5B, 0xAE, 0x59, 0xDD, 0x46}},
      {"scenario ack", scenario_control_ack(), {0xFF, 0x55, 0xFF, 0x00, 0x01, 0xA0, 0x5B, 0x2F, 0x3D, 0xBC, 0xFD}},
  };
  for (const auto& c : cases) EXPECT_EQ(c.frame, c.wire) << c.name;

  // The first scrambling byte is the high byte of the CRC of offsets 2..6.
  const Bytes prefix{0xFF, 0x00, 0x00, 0x39, 0x30};
  EXPECT_EQ(vq::link::crc16(prefix, 0), 0x5006);
}

TEST(Rs485Frames, WriteCommandsLayOutTheirDataAndDropTheEleventhHeaderByte) {
  const Bytes init = write_init_table_request(0x0040, 0x12345678, 7, header11(0xEE));
  ASSERT_EQ(init.size(), 33u);
  auto p = decode_frame(init);
  ASSERT_TRUE(p);
  EXPECT_EQ(p->txn, 34567);
  EXPECT_EQ(p->command, 0x54);
  const Bytes want{0x00, 0x00, 0x07, 0x00, 0x40, 0x00, 0x78, 0x56, 0x34, 0x12, 0xFF, 0xFF,
                   0x0E, 0x02, 0x05, 0x01, 1,    2,    3,    0xA0, 0xB0, 0xC0, 0x00};
  EXPECT_EQ(p->data, want);

  Bytes block(kBlockSize);
  for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<std::uint8_t>(255 - i);
  const Bytes data = write_table_data_request(0x0102, block);
  ASSERT_EQ(data.size(), 204u);
  EXPECT_EQ(data[4], 194);
  auto q = decode_frame(data);
  ASSERT_TRUE(q);
  EXPECT_EQ(q->txn, 45678);
  EXPECT_EQ(q->data[0], 0x02);
  EXPECT_EQ(q->data[1], 0x01);
  EXPECT_TRUE(std::equal(block.begin(), block.end(), q->data.begin() + 2));
}

TEST(Rs485Frames, DescramblingAndScramblingAgainGivesTheReceivedFrame) {
  const Bytes answers[] = {
      build_frame(kTxnFindSystem, 0x06, Bytes{0x0E, 0x02, 0x05, 0x01, 1, 2, 3, 0, 0, 0, 0}),
      build_frame(kTxnScenarioControl, 0x81, Bytes{0x40, 0, 0, 0, 1, 0, 0, 0xE0, 1, 0}),
      build_frame(kTxnWriteInitTable, 0x54, Bytes{0}),
  };
  for (const auto& wire : answers) {
    Bytes plain = wire;
    auto c = descramble(plain);
    ASSERT_TRUE(c.ok);
    EXPECT_NE(plain, wire);  // the payload did travel scrambled
    Bytes again = build_frame(get_u16(plain, 5), plain[7], ByteView(plain).subspan(8, plain.size() - 10));
    EXPECT_EQ(again, wire);
  }
}

TEST(Rs485Frames, DescrambleReportsBothCrcsOnAMismatch) {
  Bytes wire = find_system_ack();
  std::swap(wire[9], wire[10]);
  auto c = descramble(wire);
  EXPECT_FALSE(c.ok);
  EXPECT_EQ(c.computed, 0xF1D3);
  EXPECT_EQ(c.received, 0xD3F1);

  EXPECT_FALSE(decode_frame(wire));
  Bytes short_one = find_system_ack();
  short_one.pop_back();
  EXPECT_FALSE(decode_frame(short_one));
}

TEST(Rs485Uri, ParsesTheThreeFormsAndRefusesTheRest) {
  auto f = parse_adapter_uri("ftdi");
  ASSERT_TRUE(f);
  EXPECT_EQ(f->kind, AdapterAddress::Kind::Ftdi);
  EXPECT_EQ(f->index, 0);
  auto f2 = parse_adapter_uri("ftdi:2");
  ASSERT_TRUE(f2);
  EXPECT_EQ(f2->index, 2);
  auto s = parse_adapter_uri("serial:/dev/ttyUSB0");
  ASSERT_TRUE(s);
  EXPECT_EQ(s->kind, AdapterAddress::Kind::Serial);
  EXPECT_EQ(s->path, "/dev/ttyUSB0");

  struct Bad {
    const char* uri;
    const char* text;
  };
  const Bad bad[] = {
      {"ftdi:", "Неверный номер адаптера"},   {"ftdi:x", "Неверный номер адаптера"},
      {"ftdi:-1", "Неверный номер адаптера"}, {"ftdi:1a", "Неверный номер адаптера"},
      {"serial:", "Не указан путь"},          {"usb", "Неизвестный адрес адаптера"},
      {"", "Неизвестный адрес адаптера"},
  };
  for (const auto& b : bad) {
    auto r = parse_adapter_uri(b.uri);
    ASSERT_FALSE(r) << b.uri;
    EXPECT_NE(r.error().text.find(b.text), std::string::npos) << b.uri << ": " << r.error().text;
  }
}

TEST(Rs485Uri, AMissingTtyIsRefusedWithItsPath) {
  auto a = open_adapter("serial:/nonexistent/tty-rs485");
  ASSERT_FALSE(a);
  EXPECT_NE(a.error().text.find("/nonexistent/tty-rs485"), std::string::npos);
}

// The exact trace of each command against the in-process module.
class Rs485Trace : public ::testing::Test {
 protected:
  sim::RelayModule module;
  sim::RelayModuleAdapter adapter{module};
  vq::link::RecordingPacing pacing;
  vq::link::VectorTrace trace;
  Rs485Session session{adapter, pacing, &trace};
};

TEST_F(Rs485Trace, FindSystemTracesRequestAnswerAndAcknowledgement) {
  auto id = FindSystem485(session);
  ASSERT_TRUE(id) << id.error().full();
  EXPECT_EQ(id->device_type, 526);

  Bytes answer = build_frame(kTxnFindSystem, 0x06, Bytes{0x0E, 0x02, 0x05, 0x01, 1, 2, 3, 0, 0, 0, 0});
  std::vector<std::string> want{"FindSystem485", "Send query:", "0xFF", "0x55", "0xFF", "0x00", "0x00",
                                "0x39",          "0x30",        "0x56", "0x50", "0x3C", "Receive answer:"};
  for (auto& l : lines_of(answer)) want.push_back(l);
  want.push_back("Send query:");
  for (auto l : {"0xFF", "0x55", "0xFF", "0x00", "0x01", "0x39", "0x30", "0x90", "0x92", "0xD3", "0xF1"})
    want.emplace_back(l);
  EXPECT_EQ(trace.lines, want);
  EXPECT_EQ(pacing.waits, std::vector<milliseconds>{milliseconds(200)});
}

TEST_F(Rs485Trace, WriteTableDataTracesEveryByteAsItIsWritten) {
  ASSERT_TRUE(WriteInitTable485(session, 1, 0, 2, header11(0)));
  trace.lines.clear();
  Bytes data(2 * kBlockSize, 0x5A);
  ASSERT_TRUE(WriteTableData485(session, 1, 192, 384, data));
  ASSERT_EQ(trace.lines.size(), 1u + 1u + 204u + 1u + 11u);
  EXPECT_EQ(trace.lines[0], "WriteTableData485");
  EXPECT_EQ(trace.lines[1], "Send query:");
  EXPECT_EQ(trace.lines[206], "Receive answer:");
  EXPECT_EQ(pacing.waits, (std::vector<milliseconds>{milliseconds(200), milliseconds(200)}));
}

TEST_F(Rs485Trace, WriteTableDataRefusesARangeThatIsNotOneBlock) {
  Bytes data(400);
  for (auto [first, end] : {std::pair{0u, 191u}, std::pair{300u, 492u}, std::pair{10u, 5u}}) {
    auto r = WriteTableData485(session, 1, first, end, data);
    EXPECT_FALSE(r) << first << ".." << end;
  }
  EXPECT_TRUE(trace.lines.empty());
}

namespace {

// Takes every write and fails it, as an adapter pulled out mid-session would.
class DeadAdapter final : public Adapter {
 public:
  Result<> write(ByteView data) override {
    written += data.size();
    return fail("Ошибка записи в адаптер RS-485");
  }
  Result<std::size_t> read(std::span<std::uint8_t>, Millis) override {
    ++reads;
    return std::size_t{0};
  }
  void purge() override {}
  std::size_t written = 0;
  int reads = 0;
};

}  // namespace

TEST(Rs485WriteFailure, StopsBeforeTheWaitExceptForDataBlocksWhichWaitFirst) {
  DeadAdapter dead;
  vq::link::RecordingPacing pacing;
  vq::link::VectorTrace trace;
  Rs485Session s{dead, pacing, &trace};

  auto found = FindSystem485(s);
  ASSERT_FALSE(found);
  EXPECT_EQ(found.error().text, kTextWriteFailed);
  EXPECT_TRUE(pacing.waits.empty());
  EXPECT_EQ(trace.lines.size(), 12u);  // name, "Send query:", 10 bytes: the frame is traced anyway

  Bytes data(kBlockSize);
  ASSERT_FALSE(WriteTableData485(s, 1, 0, 192, data));
  EXPECT_EQ(pacing.waits, std::vector<milliseconds>{milliseconds(200)});
  EXPECT_EQ(dead.written, 10u + 204u);  // still one write per byte
  EXPECT_EQ(dead.reads, 0);
}

TEST(Rs485Uri, NoFtdiAdapterAtAnIndexIsRefused) {
  auto a = open_adapter("ftdi:99");
  ASSERT_FALSE(a);
  EXPECT_NE(a.error().text.find("RS-485"), std::string::npos) << a.error().full();
}

namespace {

// Answers every read with a scripted frame, whatever was written.
class ScriptedAdapter final : public Adapter {
 public:
  explicit ScriptedAdapter(Bytes answer) : answer_(std::move(answer)) {}
  Result<> write(ByteView) override { return {}; }
  Result<std::size_t> read(std::span<std::uint8_t> buf, Millis) override {
    const std::size_t n = std::min(buf.size(), answer_.size());
    std::copy_n(answer_.begin(), n, buf.begin());
    return n;
  }
  void purge() override {}

 private:
  Bytes answer_;
};

}  // namespace

TEST(Rs485Answers, OnlyLengthAndCrcOfAnAnswerAreExamined) {
  Bytes odd = build_frame(0x1111, 0x77, Bytes{0});  // other transaction, other command byte
  odd[0] = 0x00;
  odd[1] = 0x00;  // the preamble is outside the CRC
  Bytes refused = build_frame(kTxnWriteInitTable, kCmdWriteTable, Bytes{1});
  Bytes short_one = build_frame(kTxnWriteInitTable, kCmdWriteTable, Bytes{0});
  short_one.pop_back();

  struct Case {
    const char* name;
    Bytes answer;
    std::string error;  // empty: success
  };
  const Case cases[] = {
      {"odd preamble, transaction and command", odd, ""},
      {"result code 1", refused, std::string(kTextRefused) + " 1"},
      {"one byte short", short_one, std::string(kTextNoAnswer)},
  };
  for (const auto& c : cases) {
    ScriptedAdapter adapter(c.answer);
    vq::link::NoPacing pacing;
    vq::link::VectorTrace trace;
    Rs485Session s{adapter, pacing, &trace};
    auto r = WriteInitTable485(s, 1, 0, 2, header11(0));
    if (c.error.empty()) {
      EXPECT_TRUE(r) << c.name << ": " << r.error().full();
    } else {
      ASSERT_FALSE(r) << c.name;
      EXPECT_EQ(r.error().text, c.error) << c.name;
    }
    // The answer is traced as it arrived, still scrambled.
    auto at = std::find(trace.lines.begin(), trace.lines.end(), "Receive answer:");
    ASSERT_NE(at, trace.lines.end()) << c.name;
    EXPECT_EQ(std::vector<std::string>(at + 1, trace.lines.end()), lines_of(c.answer)) << c.name;
  }
}

TEST(Rs485Frames, TooShortToBeAFrameIsNeverGood) {
  for (std::size_t n : {std::size_t{0}, std::size_t{1}, kFrameOverhead - 1}) {
    Bytes bytes(n, 0x55);
    EXPECT_FALSE(descramble(bytes).ok) << n;
    EXPECT_FALSE(decode_frame(bytes)) << n;
  }
}
