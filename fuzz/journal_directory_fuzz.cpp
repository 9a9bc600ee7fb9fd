// Any table directory a panel may report: lengths over a table's cap, or tables running past
// the address space, are refused before an image is made; a directory that passes makes
// images of exactly its lengths; a read never succeeds on a refused directory.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "eventlog/journal_reader.hpp"
#include "link/pacing.hpp"
#include "sim/sim_endpoint.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vq;
  // Seven entries of 10 bytes, as the panel's answer lays them out.
  constexpr std::size_t kEntry = 10;
  link::TableDirectory dir;
  for (std::size_t i = 0; i < dir.entries.size(); ++i) {
    std::uint8_t e[kEntry] = {};
    for (std::size_t k = 0; k < kEntry && i * kEntry + k < size; ++k) e[k] = data[i * kEntry + k];
    const ByteView b(e, kEntry);
    dir.entries[i] = {get_u16(b, 0), get_u32(b, 2), get_u32(b, 6)};
  }

  const bool passes = static_cast<bool>(eventlog::check_directory(dir));
  std::uint64_t total = 0;
  for (std::size_t i = 0; i < dir.entries.size(); ++i) {
    const auto& e = dir.entries[i];
    total += e.length;
    const bool fits = e.length <= eventlog::max_table_length(static_cast<eventlog::JournalTable>(i)) &&
                      std::uint64_t{e.address} + e.length <= (std::uint64_t{1} << 32);
    if (passes && !fits) __builtin_trap();
  }
  if (passes) {
    const auto journal = eventlog::Journal::from_directory(dir);
    for (std::size_t i = 0; i < dir.entries.size(); ++i)
      if (journal.images[i]->length() != dir.entries[i].length) __builtin_trap();
  }

  // Through the wire: the panel reports this directory. Reading a passing one in full is
  // slow for large tables, so only small ones are read; a refused one must fail at once.
  if (passes && total > 4096) return 0;
  static const auto panel = std::make_shared<sim::VirtualPanel>();
  panel->directory() = dir;
  link::DeviceLink usb(std::make_shared<sim::SimEndpoint>(panel));
  usb.set_timeout(std::chrono::milliseconds(200));
  usb.discover();
  link::NoPacing pacing;
  link::Session session{usb, pacing, nullptr};
  const auto read = eventlog::read_journal(session);
  if (!passes && read) __builtin_trap();
  if (read)
    for (std::size_t i = 0; i < dir.entries.size(); ++i)
      if (read->journal.images[i]->length() != dir.entries[i].length) __builtin_trap();
  return 0;
}
