// Any journal and companion tables: the decoder must never read outside them, must give
// one numbered row per whole record, at most four texts a row, and either a real
// date-time or the zero one.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "eventlog/decoder.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vq;
  using namespace vq::eventlog;

  // Bytes 0-5: lengths of SectNames, SectNamePointers, AddInfo, RegDevs, RegRPDs and
  // RazdelTypes (cut to what is left); those tables follow, the rest is the EventLog.
  constexpr std::size_t kLengths = kJournalTables - 1;
  if (size < kLengths) return 0;
  Journal journal;
  std::size_t at = kLengths;
  for (std::size_t t = 1; t < kJournalTables; ++t) {
    std::size_t n = data[t - 1];
    if (n > size - at) n = size - at;
    journal.images[t] = std::make_unique<memory::TMemoryBlock>(0, static_cast<std::uint32_t>(n));
    for (std::size_t i = 0; i < n; ++i) journal.images[t]->set_byte(i, data[at + i]);
    at += n;
  }
  journal.images[0] = std::make_unique<memory::TMemoryBlock>(0, static_cast<std::uint32_t>(size - at));
  for (std::size_t i = 0; at + i < size; ++i) journal.images[0]->set_byte(i, data[at + i]);

  const Companions companions = parse_companions(journal);
  const auto rows = decode_journal(journal, companions);
  const auto log = journal.image(JournalTable::event_log).data();
  if (rows.size() != log.size() / kRecordSize) __builtin_trap();
  for (std::size_t n = 0; n < rows.size(); ++n) {
    const auto& row = rows[n];
    if (row.number != n + 1 || row.columns.size() > 4) __builtin_trap();
    if (row.event_id != log[n * kRecordSize + 1] * 256u + log[n * kRecordSize]) __builtin_trap();
    const bool zero_text = row.date_time == kZeroDateText;
    if (zero_text != row.when.is_zero() || (!zero_text && row.date_time.size() != 17)) __builtin_trap();
  }
  return 0;
}
