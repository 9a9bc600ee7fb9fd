#include <gtest/gtest.h>

#include <string>

#include "link/frames.hpp"
#include "link/trace.hpp"

using namespace vq;
using namespace vq::link;

namespace {

Bytes hex(const std::string& text) {
  Bytes out;
  for (std::size_t i = 0; i < text.size();) {
    if (text[i] == ' ') {
      ++i;
      continue;
    }
    out.push_back(static_cast<std::uint8_t>(std::stoul(text.substr(i, 2), nullptr, 16)));
    i += 2;
  }
  return out;
}

}  // namespace

TEST(Crc16, CheckValuesOfBothStartValues) {
  const std::string digits = "123456789";
  const Bytes b(digits.begin(), digits.end());
  EXPECT_EQ(crc16(b, kCrcStartA), 0xBB3D);  // CRC-16/ARC
  EXPECT_EQ(crc16(b, kCrcStartB), 0x4B37);  // CRC-16/MODBUS
  EXPECT_EQ(crc16({}, kCrcStartA), 0x0000);
  EXPECT_EQ(crc16({}, kCrcStartB), 0xFFFF);
}

TEST(Crc16, TableMatchesTheBitwiseStep) {
  for (unsigned start : {0x0000u, 0xFFFFu, 0x1234u})
    for (unsigned byte = 0; byte < 256; ++byte) {
      std::uint16_t slow = static_cast<std::uint16_t>(start);
      std::uint8_t v = static_cast<std::uint8_t>(byte);
      for (int i = 0; i < 8; ++i) {
        const bool mix = ((v ^ slow) & 1u) != 0;
        slow = static_cast<std::uint16_t>(slow >> 1);
        if (mix) slow ^= 0xA001;
        v = static_cast<std::uint8_t>(v >> 1);
      }
      ASSERT_EQ(crc16_step(static_cast<std::uint16_t>(start), static_cast<std::uint8_t>(byte)), slow);
    }
}

struct WorkedFrame {
  const char* name;
  Bytes built;
  const char* expected;
};

TEST(Frames, WorkedFramesAreByteExact) {
  const WorkedFrame cases[] = {
      {"search A", build_request(Convention::A, kCmdSystemSearch, {}), "55 00 00 80 00 6D CC"},
      {"search B", build_request(Convention::B, kCmdSystemSearch, {}), "55 FF FF 80 00 49 E8"},
      {"scenario 5", scenario_request(5), "55 00 00 81 01 05 9D BE"},
      {"scenario 3", scenario_request(3), "55 00 00 81 01 03 1D BC"},
      {"scenario 2", scenario_request(2), "55 00 00 81 01 02 DC 7C"},
      {"scenario 4", scenario_request(4), "55 00 00 81 01 04 5C 7E"},
      {"transfer parameters", transfer_parameters_frame(15, 0x40, 192),
       "55 00 00 54 16 00 00 01 00 12 00 00 00 00 00 00 00 0F 00 40 00 00 00 C0 00 00 00 7B 24"},
      {"write header", table_write_header(2, 15, 0x40), "55 00 00 54 0C 00 00 02 00 0F 00 40 00 00 00 00 00 84 52"},
      {"read request A", table_read_request(Convention::A, 15, 0x40), "55 00 00 82 06 0F 00 40 00 00 00 EA 4B"},
      {"directory", directory_request(), "55 FF FF 81 01 01 B8 66"},
      {"receipt A", pc_receipt(0x00), "55 00 00 00"},
      {"receipt B", pc_receipt(0xFF), "55 FF FF 00"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.built, hex(c.expected)) << c.name;
}

TEST(Frames, RequestLengthIsParametersPlusSeven) {
  EXPECT_EQ(build_request(Convention::A, kCmdSystemSearch, {}).size(), 7u);
  const Bytes params(254, 0xAB);
  EXPECT_EQ(build_request(Convention::B, kCmdTableRead, params).size(), 261u);
}

TEST(Frames, DataBlockCarriesFFButItsCrcStartsAtZero) {
  Bytes data(kBlockData);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i);
  const Bytes block = table_write_block(3, data);
  ASSERT_EQ(block.size(), kDataBlockFrame);
  EXPECT_EQ(Bytes(block.begin(), block.begin() + 7), hex("55 FF FF 54 FE 03 00"));
  EXPECT_TRUE(crc_matches(block, kCrcStartA));
  EXPECT_FALSE(crc_matches(block, kCrcStartB));
  EXPECT_EQ(block[7 + 251], 251);
}

TEST(Frames, AnswerCheckTestsTheStartByteFirst) {
  Bytes good{0xAA, 0x00, 0x76, 0x02, 0x61, 0x00, 2, 4, 7};
  Bytes b_answer = good;
  append_crc(good, kCrcStartA);
  append_crc(b_answer, kCrcStartB);
  EXPECT_EQ(check_answer(good, Convention::A), AnswerCheck::good);
  EXPECT_EQ(check_answer(b_answer, Convention::B), AnswerCheck::good);
  // The same bytes checked in the other convention fail on the CRC.
  EXPECT_EQ(check_answer(good, Convention::B), AnswerCheck::crc_error);

  // A correct CRC over a wrong start byte is a bad packet, not a CRC error.
  Bytes bad_start{0x55, 0x00, 0x76, 0x02, 0x61, 0x00, 2, 4, 7};
  append_crc(bad_start, kCrcStartA);
  EXPECT_EQ(check_answer(bad_start, Convention::A), AnswerCheck::bad_packet);
  EXPECT_EQ(check_answer({}, Convention::A), AnswerCheck::bad_packet);
}

TEST(Receipts, StatusJudgement) {
  struct Case {
    std::uint8_t status;
    ReceiptKind kind;
    const char* text;  // nullptr = accepted
    int id;
  };
  const Case cases[] = {
      {0x00, ReceiptKind::data_block, nullptr, 0},
      {0x01, ReceiptKind::header, "4-й байт квитанции: ошибка CRC", 15008},
      {0x02, ReceiptKind::data_block, "4-й байт квитанции: ошибка записи в память", 15009},
      {0x03, ReceiptKind::header, "4-й байт квитанции: нет связи с устройством", 15010},
      {0x04, ReceiptKind::data_block, "4-й байт квитанции: сбой в ПО ВМ", 15011},
      {0x05, ReceiptKind::header, "4-й байт квитанции: ошибка типа устройства", 15012},
      {0x06, ReceiptKind::data_block, nullptr, 0},
      {0x7F, ReceiptKind::header, nullptr, 0},
      {0xFF, ReceiptKind::header, nullptr, 0},
      {0xFF, ReceiptKind::data_block, "4-й байт квитанции: ошибка 0xFF", 15015},
  };
  for (const auto& c : cases) {
    const Bytes receipt{0xAA, 0x12, 0x34, c.status};
    auto r = judge_receipt(receipt, c.kind);
    if (!c.text) {
      EXPECT_TRUE(r.has_value()) << int{c.status};
      continue;
    }
    ASSERT_FALSE(r.has_value()) << int{c.status};
    EXPECT_EQ(r.error().text, c.text);
    EXPECT_EQ(r.error().message_id, c.id);
  }
  EXPECT_FALSE(judge_receipt(Bytes{0x55, 0, 0, 0}, ReceiptKind::header).has_value());
}

TEST(TraceLines, BothConventionsFormatBytesAsWritten) {
  EXPECT_EQ(hex_line(0x55), "0x55");
  EXPECT_EQ(hex_line(0x00), "0x0");
  EXPECT_EQ(hex_line(0xCC), "0xcc");
  EXPECT_EQ(buffer_line(0, 0x55), "TxRxBuffer[0] - 55");
  EXPECT_EQ(buffer_line(12, 0x0A), "TxRxBuffer[12] - a");
}

TEST(Frames, BlockCount) {
  EXPECT_EQ(blocks_for(0), 0u);
  EXPECT_EQ(blocks_for(1), 1u);
  EXPECT_EQ(blocks_for(252), 1u);
  EXPECT_EQ(blocks_for(253), 2u);
  EXPECT_EQ(blocks_for(1304), 6u);
}
