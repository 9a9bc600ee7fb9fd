#pragma once
// Reading the event log from the panel: system search, table directory, then the seven
// tables in chunks the panel sizes; and the journal test fill.
#include <string>
#include <vector>

#include "eventlog/journal.hpp"
#include "link/system_search.hpp"

namespace vq::eventlog {

struct JournalRead {
  link::SystemInfo device;
  Journal journal;
  Companions companions;
  std::vector<std::string> warnings;  // problems the read went on after (message 15188)
};

// The whole read. Failures carry message 15034/15035 (discovery), 15083 (search) or 15186.
Result<JournalRead> read_journal(link::Session& s, link::Progress* progress = nullptr);

inline constexpr std::string_view kTestFillCodeWord = "Колокольчики";
inline constexpr std::uint32_t kTestFillRecords = 9900;

struct FillDate {
  int day = 1, month = 1, year2 = 0;  // the two-digit year
};

// 9,900 records of event 4864 one second apart from 0:00:00 on `date`, written to the
// journal through table 15, then 9900 into the two words at 0x44FC and 0x44FE.
// Refused (message 15136) unless `code_word` is exactly the code word.
Bytes test_fill_image(const FillDate& date);
Result<> fill_test_journal(link::Session& s, std::string_view code_word, const FillDate& date,
                           link::Progress* progress = nullptr);

// Empties the journal the test fill writes: its 9,900 record places back to 0xFF (no
// record) and the two words at 0x44FC and 0x44FE to 0. The same code word guards it; every
// write is checked, and a failure says the journal may be partly erased.
Bytes erased_journal_image();
Result<> erase_journal(link::Session& s, std::string_view code_word, link::Progress* progress = nullptr);

}  // namespace vq::eventlog
