#pragma once
// The event log as the panel keeps it: the journal and its six companion tables, each one
// table image, and what the companions say once parsed.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "link/table_commands.hpp"
#include "link/trace.hpp"
#include "memory/memory_block.hpp"
#include "util/result.hpp"

namespace vq::eventlog {

// In the order the panel's table directory lists them.
enum class JournalTable : std::uint8_t {
  event_log,
  sect_names,
  sect_name_pointers,
  add_info,
  reg_devs,
  reg_rpds,
  razdel_types,
};
inline constexpr std::size_t kJournalTables = 7;
inline constexpr std::size_t kRecordSize = 16;

// The longest each table can be, by the directory's order. The journal: what a log file
// keeps (1 MiB, 65,536 records). The companions: SectNames is addressed by 16-bit pointers,
// partitions are numbered in 16 bits, modules and radio devices in one byte each; 64 KiB is
// above all of them. A directory that gives more is damaged, and nothing is allocated for it.
inline constexpr std::uint32_t kJournalMaxLength = 1u << 20;
inline constexpr std::uint32_t kCompanionMaxLength = 1u << 16;
std::uint32_t max_table_length(JournalTable t);

// Every entry's length within its table's cap, and no table running past the end of the
// 32-bit address space. The refusal names the table and both numbers.
Result<> check_directory(const link::TableDirectory& dir);

struct Journal {
  // Images of exactly the lengths the directory gave.
  std::array<std::unique_ptr<memory::TMemoryBlock>, kJournalTables> images;

  // Empty images (zero bytes) with the directory's numbers, addresses and lengths; the
  // directory must have passed check_directory().
  static Journal from_directory(const link::TableDirectory& dir);

  // A table not read or not in a file is an empty image, never a null one.
  memory::TMemoryBlock& image(JournalTable t) {
    auto& slot = images[static_cast<std::size_t>(t)];
    if (!slot) slot = std::make_unique<memory::TMemoryBlock>(0, 0);
    return *slot;
  }
  const memory::TMemoryBlock& image(JournalTable t) const {
    static const memory::TMemoryBlock kEmpty(0, 0);
    const auto& slot = images[static_cast<std::size_t>(t)];
    return slot ? *slot : kEmpty;
  }
  std::size_t record_count() const { return image(JournalTable::event_log).length() / kRecordSize; }
};

struct Module {
  std::uint8_t address = 0;
  std::uint16_t type = 0;
};

// What the companion tables hold, decoded.
struct Companions {
  std::vector<std::string> partition_names;  // UTF-8; partition k+1 at index k
  bool names_parsed = true;                  // false when SectNames held no zero byte
  std::vector<std::uint16_t> name_pointers;
  std::uint16_t journal_vector = 0;
  std::vector<Module> modules;               // RegDevs: 3-byte entries
  Bytes radio_types;                         // RegRPDs: type of radio device k+1 at k
  Bytes partition_types;                     // RazdelTypes: type of partition k+1 at k
};

// Parses the companions from the images, writing the diagnostic lines the read writes.
Companions parse_companions(const Journal& journal, link::Trace* trace = nullptr);

}  // namespace vq::eventlog
