// The virtual panel seen from the wire: what arrives, in whatever pieces, and what it answers.
#include <gtest/gtest.h>

#include "link/frames.hpp"
#include "sim/virtual_panel.hpp"

using namespace vq;
using namespace vq::link;
using vq::sim::VirtualPanel;

namespace {

std::vector<Bytes> drain(VirtualPanel& p) {
  std::vector<Bytes> out;
  while (auto a = p.take_answer()) out.push_back(std::move(*a));
  return out;
}

Bytes write_sequence(std::uint32_t address, const Bytes& data) {
  Bytes wire = transfer_parameters_frame(kTableDirect, address, static_cast<std::uint32_t>(data.size()));
  const std::size_t blocks = blocks_for(data.size());
  const Bytes header = table_write_header(static_cast<std::uint16_t>(blocks + 1), kTableDirect, address);
  wire.insert(wire.end(), header.begin(), header.end());
  for (std::size_t k = 0; k < blocks; ++k) {
    Bytes chunk(kBlockData, 0);
    std::copy_n(data.begin() + static_cast<std::ptrdiff_t>(k * kBlockData),
                std::min(kBlockData, data.size() - k * kBlockData), chunk.begin());
    const Bytes block = table_write_block(static_cast<std::uint16_t>(k + 1), chunk);
    wire.insert(wire.end(), block.begin(), block.end());
  }
  return wire;
}

}  // namespace

TEST(VirtualPanel, FramesAreFoundWhateverTheTransferBoundaries) {
  Bytes data(600);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i * 7);
  const Bytes wire = write_sequence(0x4000, data);

  for (std::size_t piece : {std::size_t{1}, std::size_t{3}, std::size_t{64}, std::size_t{100}, wire.size()}) {
    VirtualPanel p;
    for (std::size_t at = 0; at < wire.size(); at += piece)
      p.receive(ByteView(wire).subspan(at, std::min(piece, wire.size() - at)));
    const auto answers = drain(p);
    ASSERT_EQ(answers.size(), 2u + 3) << piece;  // parameters, header, three blocks
    for (const auto& a : answers) EXPECT_EQ(a, (Bytes{0xAA, 0, 0, 0})) << piece;
    EXPECT_TRUE(std::equal(data.begin(), data.end(), p.memory().begin() + 0x4000)) << piece;
  }
}

TEST(VirtualPanel, BytesThatCannotStartAFrameAreSkipped) {
  VirtualPanel p;
  Bytes wire{0x00, 0x13, 0xAA};
  const Bytes search = build_request(Convention::B, kCmdSystemSearch, {});
  wire.insert(wire.end(), search.begin(), search.end());
  p.receive(wire);
  const auto answers = drain(p);
  ASSERT_EQ(answers.size(), 1u);
  EXPECT_EQ(answers[0].size(), kSearchAnswer);
  EXPECT_EQ(check_answer(answers[0], Convention::B), AnswerCheck::good);
  EXPECT_EQ(p.stats().dropped_bytes, 3u);
}

TEST(VirtualPanel, RefusesWritesOutsideItsMemoryAndOutOfOrderBlocks) {
  VirtualPanel p;
  p.receive(transfer_parameters_frame(kTableDirect, VirtualPanel::kMemorySize - 10, 100));
  p.receive(table_write_header(2, kTableDirect, VirtualPanel::kMemorySize - 10));
  auto answers = drain(p);
  ASSERT_EQ(answers.size(), 2u);
  EXPECT_EQ(answers[1][3], 0x02);

  p.receive(transfer_parameters_frame(kTableDirect, 0x100, 600));
  p.receive(table_write_header(4, kTableDirect, 0x100));
  p.receive(table_write_block(2, Bytes(kBlockData, 1)));  // block 1 skipped
  answers = drain(p);
  ASSERT_EQ(answers.size(), 3u);
  EXPECT_EQ(answers[2][3], 0x02);
}

TEST(VirtualPanel, ConventionAReadStreamsOneBlockPerReceipt) {
  VirtualPanel p;
  for (std::size_t i = 0; i < 300; ++i) p.memory()[0x800 + i] = static_cast<std::uint8_t>(i);
  p.receive(transfer_parameters_frame(kTableDirect, 0x800, 300));
  p.receive(table_read_request(Convention::A, kTableDirect, 0x800));
  auto answers = drain(p);
  ASSERT_EQ(answers.size(), 2u);
  EXPECT_EQ(answers[1].size(), kReadFirstAnswer);

  p.receive(pc_receipt(0x00));
  answers = drain(p);
  ASSERT_EQ(answers.size(), 1u);
  ASSERT_EQ(answers[0].size(), kReadBlockFrame);
  EXPECT_EQ(answers[0][4], 0);
  EXPECT_EQ(answers[0][4 + 251], 251);

  p.receive(pc_receipt(0x00));
  answers = drain(p);
  ASSERT_EQ(answers.size(), 1u);
  EXPECT_EQ(answers[0][4 + 47], 299 & 0xFF);
  EXPECT_EQ(answers[0][4 + 48], 0) << "beyond the announced length the block is zero";

  p.receive(pc_receipt(0x00));
  EXPECT_TRUE(drain(p).empty()) << "two blocks, then nothing";
}

TEST(VirtualPanel, FirmwareAfterScenarioFourIsKeptWholeAndMemoryIsUntouched) {
  VirtualPanel p;
  p.receive(scenario_request(4));
  p.receive(pc_receipt(0xFF));
  p.receive(table_write_header(3, 0, 0));
  p.receive(table_write_block(1, Bytes(kBlockData, 0x11)));
  p.receive(table_write_block(2, Bytes(kBlockData, 0x22)));
  const auto answers = drain(p);
  ASSERT_EQ(answers.size(), 4u);
  ASSERT_EQ(p.firmware().size(), 2 * kBlockData);
  EXPECT_EQ(p.firmware()[kBlockData], 0x22);
  EXPECT_EQ(p.memory()[0], 0);
}

TEST(VirtualPanel, ChunkSizeIsClampedToWhatOneAnswerCarries) {
  VirtualPanel p;
  p.set_chunk_size(0);
  EXPECT_EQ(p.chunk_size(), 1u);
  p.set_chunk_size(1000);
  EXPECT_EQ(p.chunk_size(), 254u);
}
