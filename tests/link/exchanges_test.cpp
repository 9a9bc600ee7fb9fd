// Every exchange against the virtual panel, in-process and through the link bridge.
#include <gtest/gtest.h>

#include <numeric>

#include "link/frames.hpp"
#include "link/system_search.hpp"
#include "link/table_commands.hpp"
#include "support/panel_rig.hpp"

using namespace vq;
using namespace vq::link;
using vq::test::PanelRig;
using vq::test::RecordingProgress;
using vq::test::RigKind;
using std::chrono::milliseconds;

namespace {

class Exchanges : public ::testing::TestWithParam<RigKind> {
 protected:
  PanelRig rig{GetParam()};
  Session& s() { return rig.session(); }
  sim::VirtualPanel& panel() { return rig.p(); }
};

Bytes pattern(std::size_t n, unsigned seed = 7) {
  Bytes b(n);
  for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<std::uint8_t>((i * 31 + seed) ^ (i >> 8));
  return b;
}

std::vector<std::string> hex_lines(const Bytes& bytes) {
  std::vector<std::string> out;
  for (auto b : bytes) out.push_back(hex_line(b));
  return out;
}

}  // namespace

TEST_P(Exchanges, FindSystemReadsTypePlatformVersionAndLogsEveryByte) {
  panel().identity().platform = 0x0161;
  auto found = FindSystem(s());
  ASSERT_TRUE(found) << found.error().full();
  EXPECT_EQ(found->device_type, 630);
  EXPECT_EQ(found->platform, 0x0161);
  EXPECT_EQ(found->version[0], 2);
  EXPECT_EQ(found->version[2], 7);

  Bytes answer{0xAA, 0x00, 0x76, 0x02, 0x61, 0x01, 2, 4, 7};
  append_crc(answer, kCrcStartA);
  std::vector<std::string> expected{"Посылаем:", "0x55", "0x0", "0x0", "0x80", "0x0", "0x6d", "0xcc", "Принимаем:"};
  for (auto& l : hex_lines(answer)) expected.push_back(l);
  for (auto l : {"Посылаем:", "0x55", "0x0", "0x0", "0x0"}) expected.emplace_back(l);
  EXPECT_EQ(rig.trace.lines, expected);
  EXPECT_EQ(rig.pacing.waits, std::vector<milliseconds>{milliseconds(20)});
  EXPECT_EQ(panel().stats().receipts, 1u);
}

TEST_P(Exchanges, FindSystemRetriesAWrongStartByteUpToFourRequests) {
  struct Case {
    int bad_answers;
    int code;  // 0 = success
  };
  for (Case c : {Case{3, kFindOk}, Case{4, kFindBadPacket}}) {
    PanelRig r(GetParam());
    r.p().faults().bad_start_answers = c.bad_answers;
    auto found = FindSystem(r.session());
    EXPECT_EQ(r.p().stats().frames, 4u);
    if (c.code == kFindOk) {
      EXPECT_TRUE(found) << found.error().full();
    } else {
      ASSERT_FALSE(found);
      EXPECT_EQ(found.error().code, c.code);
      EXPECT_EQ(found.error().text, "Ответ получен. Пакет неверный !");
    }
    const auto tens = std::count(r.pacing.waits.begin(), r.pacing.waits.end(), milliseconds(10));
    EXPECT_EQ(tens, 3);
  }
}

TEST_P(Exchanges, FindSystemFailuresCarryTheirCodes) {
  panel().faults().bad_crc_answers = 1;
  auto crc = FindSystem(s());
  ASSERT_FALSE(crc);
  EXPECT_EQ(crc.error().code, kFindCrcError);
  EXPECT_EQ(crc.error().text, "Ответ получен. Ошибка CRC !");
  EXPECT_EQ(panel().stats().frames, 1u);  // no retry on a CRC error

  panel().faults().silent_at_frame = 1;
  auto silent = FindSystem(s());
  ASSERT_FALSE(silent);
  EXPECT_EQ(silent.error().code, kFindReceiveError);
  EXPECT_EQ(silent.error().text, "Прибор не отвечает");

  // The panel answers again on the next request.
  EXPECT_TRUE(FindSystem(s()));
}

TEST_P(Exchanges, FindSystemBlockLogsInTheBufferConvention) {
  auto found = FindSystemBlock(s());
  ASSERT_TRUE(found) << found.error().full();
  EXPECT_EQ(found->device_type, 630);
  const auto& lines = rig.trace.lines;
  ASSERT_GE(lines.size(), 2u + 7 + 1 + 11 + 1 + 4);
  EXPECT_EQ(lines[0], "Команда поиска системы");
  EXPECT_EQ(lines[1], "Отсылаем...");
  EXPECT_EQ(lines[2], "TxRxBuffer[0] - 55");
  EXPECT_EQ(lines[8], "TxRxBuffer[6] - e8");
  EXPECT_EQ(lines[9], "Принимаем...");
  EXPECT_EQ(lines[10], "TxRxBuffer[0] - aa");
  EXPECT_EQ(lines[21], "Отсылаем...");
  EXPECT_EQ(lines.back(), "TxRxBuffer[3] - 0");
  EXPECT_EQ(lines.size(), 26u);
}

TEST_P(Exchanges, FindSystemBlockNeverRetries) {
  struct Case {
    int bad_start, bad_crc;
    const char* text;
  };
  for (Case c : {Case{1, 0, "Ответ получен. Пакет неверный !"}, Case{0, 1, "Ответ получен. Ошибка CRC !"}}) {
    PanelRig r(GetParam());
    r.p().faults().bad_start_answers = c.bad_start;
    r.p().faults().bad_crc_answers = c.bad_crc;
    auto found = FindSystemBlock(r.session());
    ASSERT_FALSE(found);
    EXPECT_EQ(found.error().text, c.text);
    EXPECT_EQ(r.trace.lines.back(), c.text);
    EXPECT_EQ(r.p().stats().frames, 1u);
  }
}

// Only the in-process panel can pretend to be none or two panels.
TEST(Connect, ReportsWhatDiscoveryFound) {
  struct Case {
    int count;
    int message;  // 0 = connected
  };
  for (Case c : {Case{0, 15034}, Case{2, 15035}, Case{1, 0}}) {
    PanelRig r;
    r.p().faults().discover_count = c.count;
    RecordingProgress progress;
    auto found = connect_panel(r.session(), SearchKind::byte_wise, &progress);
    if (c.message) {
      ASSERT_FALSE(found);
      EXPECT_EQ(found.error().message_id, c.message);
      EXPECT_FALSE(r.link().connected());
      EXPECT_EQ(r.p().stats().frames, 0u);  // no search without exactly one panel
    } else {
      ASSERT_TRUE(found) << found.error().full();
      EXPECT_EQ(progress.statuses, (std::vector<std::string>{"Обнаружен прибор марки Сорвел на линии USB!",
                                                             "Устанавливается связь с прибором ...",
                                                             "Связь успешно установлена!"}));
      EXPECT_EQ(identification_line(*found), "Тип прибора: Сорвел-630М-Q. Версия ПО: 2.4.7");
    }
  }
}

TEST_P(Exchanges, ConnectFailsWith15083WhenTheSearchFails) {
  panel().faults().silent = true;
  auto found = connect_panel(s(), SearchKind::block);
  ASSERT_FALSE(found);
  EXPECT_EQ(found.error().message_id, 15083);
  EXPECT_EQ(found.error().text, "Ошибка установки связи!");
  EXPECT_NE(found.error().detail.find("Прибор не отвечает"), std::string::npos);
}

TEST_P(Exchanges, ScenarioControlKeepsValuesOnlyWhenTheCrcMatches) {
  auto ok = ScenarioControl(s(), 5);
  ASSERT_TRUE(ok);
  EXPECT_TRUE(ok->crc_ok);
  EXPECT_EQ(ok->r1, 5);
  EXPECT_EQ(panel().last_scenario(), 5);

  panel().faults().bad_crc_answers = 1;
  auto bad_crc = ScenarioControl(s(), 3);
  ASSERT_TRUE(bad_crc);  // still true
  EXPECT_FALSE(bad_crc->crc_ok);
  EXPECT_EQ(bad_crc->r1, 0);

  panel().faults().bad_start_answers = 1;
  EXPECT_FALSE(ScenarioControl(s(), 2));
}

TEST_P(Exchanges, TableWriteAndReadRoundTripOfManySizes) {
  // 0 sends only the header; 253 needs a second, padded block; 1304 is six blocks.
  for (std::size_t length : {0u, 1u, 252u, 253u, 1304u, 5000u}) {
    PanelRig r(GetParam());
    const std::uint32_t address = 0x3000;
    const Bytes data = pattern(length, static_cast<unsigned>(length));
    r.p().memory()[address + length] = 0xEE;  // just past the table
    auto w = WriteBlockToPanel(r.session(), address, data);
    ASSERT_TRUE(w) << length << ": " << w.error().full();
    EXPECT_TRUE(std::equal(data.begin(), data.end(), r.p().memory().begin() + address)) << length;
    EXPECT_EQ(r.p().memory()[address + length], 0xEE) << "only the announced length is stored";

    Bytes back(length, 0x11);
    auto rd = ReadBlockFromPanel(r.session(), address, back);
    ASSERT_TRUE(rd) << length << ": " << rd.error().full();
    EXPECT_EQ(back, data) << length;
  }
}

TEST_P(Exchanges, WriteTablePadsTheLastBlockWithZeros) {
  ASSERT_TRUE(ScenarioControl(s(), 4));
  const Bytes image = pattern(1304);
  ASSERT_TRUE(WriteTable(s(), image, 0, 0));
  const Bytes& fw = panel().firmware();
  ASSERT_EQ(fw.size(), 6u * 252);
  EXPECT_TRUE(std::equal(image.begin(), image.end(), fw.begin()));
  EXPECT_TRUE(std::all_of(fw.begin() + 1304, fw.end(), [](auto b) { return b == 0; }));
}

TEST_P(Exchanges, ProgressAndWaitsFollowTheBlocks) {
  const Bytes data = pattern(5 * 252);
  RecordingProgress wp;
  ASSERT_TRUE(write_table_sequence(s(), kTableDirect, 0x100, data, true, &wp));
  EXPECT_EQ(wp.values, (std::vector<int>{0, 40, 60, 80, 100}));
  // 5 ms after the transfer parameters and the header, then 5 + 2 per block.
  EXPECT_EQ(rig.pacing.total(), milliseconds(5 + 5 + 5 * 7));

  rig.pacing.waits.clear();
  RecordingProgress rp;
  Bytes back(data.size());
  ASSERT_TRUE(ReadTable(s(), back, kTableDirect, 0x100, &rp));
  EXPECT_EQ(rp.values, (std::vector<int>{0, 20, 40, 60, 80, 100}));
  EXPECT_EQ(rig.pacing.total(), milliseconds(5 + 30 + 100 + 5 * 200));
  EXPECT_EQ(back, data);
}

TEST_P(Exchanges, DataBlockReceiptStatusFailsTheWrite) {
  struct Case {
    std::uint8_t status;
    const char* text;  // nullptr = accepted
  };
  const Case cases[] = {{0x01, "4-й байт квитанции: ошибка CRC"},
                        {0x02, "4-й байт квитанции: ошибка записи в память"},
                        {0x03, "4-й байт квитанции: нет связи с устройством"},
                        {0x04, "4-й байт квитанции: сбой в ПО ВМ"},
                        {0x05, "4-й байт квитанции: ошибка типа устройства"},
                        {0xFF, "4-й байт квитанции: ошибка 0xFF"},
                        {0x06, nullptr}};
  for (const auto& c : cases) {
    PanelRig r(GetParam());
    r.p().faults().block_status_at = 2;
    r.p().faults().block_status = c.status;
    auto w = WriteBlockToPanel(r.session(), 0x200, pattern(1000));
    if (!c.text) {
      EXPECT_TRUE(w) << int{c.status};
      continue;
    }
    ASSERT_FALSE(w) << int{c.status};
    EXPECT_EQ(w.error().message_id, 15052);
    EXPECT_EQ(w.error().text, "Ошибка записи настроек!");
    EXPECT_NE(w.error().detail.find(c.text), std::string::npos) << w.error().detail;
    EXPECT_EQ(r.p().stats().frames, 3u + 1 + 2) << "stops at the failing block";
  }
}

TEST_P(Exchanges, ReadFailuresAreReported) {
  panel().faults().bad_start_answers = 1;  // the answer to scenario 5
  Bytes out(300);
  auto r = ReadBlockFromPanel(s(), 0x100, out);
  ASSERT_FALSE(r);
  EXPECT_EQ(r.error().message_id, 15059);
  EXPECT_EQ(r.error().text, "Ошибка чтения настроек!");

  panel().faults().silent_at_frame = 4;  // the table read request itself
  auto silent = ReadTable(s(), out, kTableDirect, 0x100);
  ASSERT_FALSE(silent);
  EXPECT_EQ(silent.error().text, "Прибор не отвечает");
  EXPECT_TRUE(FindSystem(s())) << "the link recovers";
}

TEST_P(Exchanges, CancelledReadStopsBetweenBlocksAndLeavesTheLinkUsable) {
  RecordingProgress progress;
  progress.cancel_at_percent = 40;
  Bytes out(10 * 252);
  auto r = ReadTable(s(), out, kTableDirect, 0, &progress);
  ASSERT_FALSE(r);
  EXPECT_EQ(r.error().text, std::string(kTextCancelled));
  EXPECT_EQ(progress.values.back(), 40);
  auto again = FindSystem(s());
  EXPECT_TRUE(again) << again.error().full();

  RecordingProgress wp;
  wp.cancel = true;
  auto w = WriteTable(s(), pattern(600), kTableDirect, 0x500, &wp);
  ASSERT_FALSE(w);
  EXPECT_EQ(w.error().text, std::string(kTextCancelled));
  EXPECT_TRUE(FindSystem(s()));
}

TEST_P(Exchanges, PagesLandAtTheirOwnAddresses) {
  const Bytes page = pattern(512, 3);
  ASSERT_TRUE(write_table_sequence(s(), 30, 0x10AE00, page, false));
  EXPECT_TRUE(std::equal(page.begin(), page.end(), panel().memory().begin() + 0x10AE00));
  Bytes back(512);
  ASSERT_TRUE(ReadTable(s(), back, 71, 0x10D400));
  EXPECT_TRUE(std::equal(back.begin(), back.end(), panel().memory().begin() + 0x10D400));
}

TEST_P(Exchanges, UnknownTableIsRefusedByTheReceipt) {
  auto w = write_table_sequence(s(), 99, 0x100, pattern(10), true);
  ASSERT_FALSE(w);
  EXPECT_EQ(w.error().text, "4-й байт квитанции: ошибка записи в память");
}

TEST_P(Exchanges, SingleFrameReadReturnsWhatThePanelChose) {
  auto& mem = panel().memory();
  for (std::uint32_t i = 0; i < 40; ++i) mem[0x13A000 + i] = static_cast<std::uint8_t>(i + 1);
  panel().set_chunk_size(6);  // answers of 10 bytes
  Bytes out;
  auto n = ReadTableDirect(s(), 202, 0x13A000, out);
  ASSERT_TRUE(n) << n.error().full();
  EXPECT_EQ(*n, 6u);
  EXPECT_EQ(out, (Bytes{1, 2, 3, 4, 5, 6}));
  const auto& lines = rig.trace.lines;
  EXPECT_EQ(lines[0], "Отсылаем...");
  EXPECT_EQ(lines[14], "Принимаем...");
  EXPECT_EQ(lines[15], "Байт ожидали - 258");
  EXPECT_EQ(lines[16], "Байт пришло - 10");
  EXPECT_EQ(lines.back(), "TxRxBuffer[3] - 0");

  // The table's end bounds the last answer.
  panel().set_chunk_size(254);
  Bytes rest;
  auto last = ReadTableDirect(s(), 202, 0x13A000 + 190, rest);
  ASSERT_TRUE(last);
  EXPECT_EQ(*last, 2u);

  panel().faults().bad_crc_answers = 1;
  auto bad = ReadTableDirect(s(), 202, 0x13A000, out);
  ASSERT_FALSE(bad);
  EXPECT_EQ(rig.trace.lines.back(), "Ответ получен. Ошибка CRC !");
}

TEST_P(Exchanges, TableDirectoryIsParsedAndLogged) {
  TableDirectory dir;
  ASSERT_TRUE(ReadTableDirectory(s(), dir));
  EXPECT_EQ(dir.entries[0].address, 0x112E00u);
  EXPECT_EQ(dir.entries[0].length, 158400u);
  EXPECT_EQ(dir.entries[6].table, 206u);
  const auto& lines = rig.trace.lines;
  EXPECT_EQ(lines[0], "Команда управления сценарием");
  EXPECT_NE(std::find(lines.begin(), lines.end(), "Абсолютный адрес EventLog - 1125888"), lines.end());
  EXPECT_NE(std::find(lines.begin(), lines.end(), "Длина таблицы RazdelTypes - 96"), lines.end());
  EXPECT_EQ(rig.pacing.waits, std::vector<milliseconds>{milliseconds(100)});

  panel().directory().entries[0].length = 0;
  TableDirectory empty;
  auto r = ReadTableDirectory(s(), empty);
  ASSERT_FALSE(r);
  EXPECT_EQ(r.error().code, kDirectoryEmpty);
  EXPECT_EQ(empty.entries[1].address, 0x2500u) << "the record is filled all the same";
}

TEST_P(Exchanges, CorruptRequestGetsReceiptStatusOne) {
  Bytes frame = transfer_parameters_frame(15, 0x40, 192);
  frame.back() ^= 0xFF;
  ASSERT_TRUE(rig.link().write_bytes(frame));
  std::uint8_t receipt[4];
  for (auto& b : receipt) b = *rig.link().read_byte();
  EXPECT_EQ(receipt[0], 0xAA);
  EXPECT_EQ(receipt[3], 0x01);
  EXPECT_EQ(panel().stats().corrupt_frames, 1u);
}

INSTANTIATE_TEST_SUITE_P(Links, Exchanges, ::testing::Values(RigKind::in_process, RigKind::unix_bridge),
                         [](const auto& param_info) { return vq::test::rig_name(param_info.param); });
