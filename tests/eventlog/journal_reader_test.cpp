// Reading the journal from the virtual panel, and the journal test fill.
#include <gtest/gtest.h>

#include "eventlog/journal_reader.hpp"
#include "sim/demo_journal.hpp"
#include "support/panel_rig.hpp"

using namespace vq;
using namespace vq::eventlog;
using vq::test::PanelRig;
using vq::test::RecordingProgress;

namespace {

bool has_line(const std::vector<std::string>& lines, std::string_view text) {
  return std::find(lines.begin(), lines.end(), text) != lines.end();
}

}  // namespace

TEST(JournalReader, ReadsTheJournalAndItsCompanionsInAnyChunkSize) {
  for (std::size_t chunk : {std::size_t{254}, std::size_t{7}}) {
    PanelRig rig;
    sim::load_demo_journal(rig.p(), 300);
    rig.p().set_chunk_size(chunk);
    RecordingProgress progress;
    auto r = read_journal(rig.session(), &progress);
    ASSERT_TRUE(r) << r.error().full();
    EXPECT_EQ(r->device.device_type, 630);
    EXPECT_EQ(r->journal.record_count(), 300u);
    const auto& dir = rig.p().directory().entries;
    const auto log = r->journal.image(JournalTable::event_log).data();
    EXPECT_TRUE(std::equal(log.begin(), log.end(), rig.p().memory().begin() + dir[0].address)) << chunk;
    ASSERT_EQ(r->companions.partition_names.size(), 8u);
    EXPECT_EQ(r->companions.partition_names[1], "Склад");
    ASSERT_EQ(r->companions.modules.size(), 4u);
    EXPECT_EQ(r->companions.modules[0].type, 517);
    EXPECT_EQ(r->companions.journal_vector, 300);
    EXPECT_EQ(progress.values.back(), 0);
    EXPECT_NE(std::find(progress.values.begin(), progress.values.end(), 100), progress.values.end());
    EXPECT_EQ(progress.statuses.back(), "Чтение журнала событий выполнено");
    const auto& lines = rig.trace.lines;
    for (auto title : {"Таблица имен разделов", "Таблица информации о типах разделов", "Сам журнал событий",
                       "tmpListB->Items->Count = 4800", "Jornal vector - 300", "Тип прибора 0 - 517"})
      EXPECT_TRUE(has_line(lines, title)) << title;
  }
}

TEST(JournalReader, FailuresGive15186) {
  struct Case {
    const char* name;
    void (*arrange)(sim::VirtualPanel&);
  };
  const Case cases[] = {
      {"empty journal", [](sim::VirtualPanel& p) { p.directory().entries[0].length = 0; }},
      {"not whole records", [](sim::VirtualPanel& p) { p.directory().entries[0].length = 4801; }},
      {"empty partition names", [](sim::VirtualPanel& p) { p.directory().entries[1].length = 0; }},
      {"silent mid-way", [](sim::VirtualPanel& p) { p.faults().silent_at_frame = 12; }},
  };
  for (const auto& c : cases) {
    PanelRig rig;
    sim::load_demo_journal(rig.p(), 300);
    c.arrange(rig.p());
    auto r = read_journal(rig.session());
    ASSERT_FALSE(r) << c.name;
    EXPECT_EQ(r.error().message_id, 15186) << c.name << ": " << r.error().full();
    EXPECT_EQ(r.error().text, "Ошибка чтения журнала событий!");
  }
}

TEST(JournalReader, NamesWithoutAZeroByteAreAWarningNotAFailure) {
  PanelRig rig;
  sim::load_demo_journal(rig.p(), 32);
  auto& names = rig.p().directory().entries[1];
  std::fill(rig.p().memory().begin() + names.address, rig.p().memory().begin() + names.address + names.length, 'A');
  auto r = read_journal(rig.session());
  ASSERT_TRUE(r) << r.error().full();
  EXPECT_TRUE(r->companions.partition_names.empty());
  ASSERT_EQ(r->warnings.size(), 1u);
  EXPECT_EQ(r->warnings[0], "Ошибка при анализе таблицы имен разделов! Возможно он считан неверно!");
}

TEST(JournalTestFill, RecordsCountSecondsInPlainBinary) {
  const Bytes image = test_fill_image({9, 12, 26});
  ASSERT_EQ(image.size(), 158400u);
  auto record = [&](std::size_t n) { return image.data() + n * 16; };
  EXPECT_EQ(record(0)[1], 0x13);
  EXPECT_EQ(record(3600)[12], 1);
  EXPECT_EQ(record(3600)[11], 0);
  EXPECT_EQ(record(3600)[10], 0);
  EXPECT_EQ(record(9899)[12], 2);
  EXPECT_EQ(record(9899)[11], 44);
  EXPECT_EQ(record(9899)[10], 59);
  EXPECT_EQ(record(9899)[13], 9);
  EXPECT_EQ(record(9899)[15], 26);
}

TEST(JournalTestFill, WritesTheJournalOnlyWithTheCodeWord) {
  PanelRig rig;
  auto refused = fill_test_journal(rig.session(), "колокольчики", {1, 2, 3});
  ASSERT_FALSE(refused);
  EXPECT_EQ(refused.error().message_id, 15136);
  EXPECT_EQ(rig.p().stats().frames, 0u);

  ASSERT_TRUE(fill_test_journal(rig.session(), "Колокольчики", {1, 2, 3}));
  const auto& mem = rig.p().memory();
  EXPECT_EQ(mem[0x112E00 + 1], 0x13);
  EXPECT_EQ(mem[0x112E00 + 9899 * 16 + 12], 2);
  for (std::uint32_t a : {0x44FCu, 0x44FEu}) {
    EXPECT_EQ(mem[a], 0xAC);
    EXPECT_EQ(mem[a + 1], 0x26);
  }
}

TEST(JournalErase, EmptiesTheFilledJournalOnlyWithTheCodeWord) {
  PanelRig rig;
  ASSERT_TRUE(fill_test_journal(rig.session(), "Колокольчики", {1, 2, 3}));
  const Bytes before = rig.p().memory();
  const auto frames = rig.p().stats().frames;
  auto refused = erase_journal(rig.session(), "Колокольчик");
  ASSERT_FALSE(refused);
  EXPECT_EQ(refused.error().message_id, 15136);
  EXPECT_EQ(rig.p().stats().frames, frames);
  EXPECT_EQ(rig.p().memory(), before);

  ASSERT_TRUE(erase_journal(rig.session(), "Колокольчики"));
  const auto& mem = rig.p().memory();
  for (std::size_t i : {std::size_t{0}, std::size_t{1}, std::size_t{9899 * 16 + 15}}) EXPECT_EQ(mem[0x112E00 + i], 0xFF) << i;
  EXPECT_EQ(mem[0x112E00 + 9900 * 16], before[0x112E00 + 9900 * 16]);  // nothing past the journal
  for (std::uint32_t a : {0x44FCu, 0x44FEu}) {
    EXPECT_EQ(mem[a], 0);
    EXPECT_EQ(mem[a + 1], 0);
  }
}

TEST(JournalErase, AFailedWriteIsReportedNotSuccess) {
  PanelRig rig;
  rig.p().faults().block_status_at = 3;
  rig.p().faults().block_status = 2;
  auto r = erase_journal(rig.session(), "Колокольчики");
  ASSERT_FALSE(r);
  EXPECT_EQ(r.error().text, "Ошибка!  Журнал не стёрт!");
}
