#pragma once
// The event log file (.rpt): a 168-byte header (the identified device and seven section
// offsets), then one section per journal image: table number, start address, length, data.
// Also the reader of the older INI journal files, which nothing here writes.
#include <cstddef>
#include <cstdint>
#include <filesystem>

#include "eventlog/journal.hpp"
#include "link/progress.hpp"
#include "memory/configuration.hpp"
#include "util/bytes.hpp"
#include "util/result.hpp"

namespace vq::eventlog {

inline constexpr std::size_t kLogHeaderSize = 168;
inline constexpr std::size_t kLogSectionHeadSize = 12;
// The largest journal a panel keeps is well under this; a longer table can only come from a
// damaged file, and saving one would write a file we refuse to open.
inline constexpr std::uint32_t kLogTableMaxLength = 1u << 20;

// The header's offset fields, and the sections, come in this order: companions first, the
// journal itself last.
inline constexpr JournalTable kLogFileOrder[kJournalTables] = {
    JournalTable::sect_names, JournalTable::sect_name_pointers, JournalTable::add_info, JournalTable::reg_devs,
    JournalTable::reg_rpds,   JournalTable::razdel_types,       JournalTable::event_log,
};

// The file as it is written: a section for every image the journal holds (none for a null
// one), back to back from offset 168. Fails only for an image over kLogTableMaxLength.
Result<Bytes> serialize_log_file(const Journal& journal, const memory::IdentifiedDevice& device);

// Writes atomically: a temporary file in the same folder, synced, then renamed over the target;
// a failure leaves whatever was there before untouched and no temporary file behind.
Result<> save_log_file(const Journal& journal, const memory::IdentifiedDevice& device,
                       const std::filesystem::path& file, link::Progress* progress = nullptr);

// Checks the whole file first (also: the journal holds whole 16-byte records); a file that does not pass, or has no EventLog section, leaves
// `journal` and `device` exactly as they were. On success the device and every image present
// in the file are replaced; absent sections keep their images (a null one stays null).
Result<> load_log_file(Journal& journal, memory::IdentifiedDevice& device, const std::filesystem::path& file,
                       link::Progress* progress = nullptr);
Result<> load_log_file_bytes(Journal& journal, memory::IdentifiedDevice& device, ByteView bytes,
                             link::Progress* progress = nullptr);

// The older INI journal, at most 64 MB (no journal within the caps is larger); read line by
// line keeping only the journal's keys, so memory stays near the file's size. Every table from its "<name>TableSection" (TableNum, StartAddr,
// Size, items "<name>TableItem<i>"); a missing key reads as 0, and a SectNamePointers Size of 0
// leaves that image null. Refused when the file cannot be read, has no EventLog section,
// holds a table number, address or size that is no number in range, or an EventLog Size that
// is no whole number of records.
Result<Journal> load_ini_journal(const std::filesystem::path& file, link::Progress* progress = nullptr);

enum class JournalFileFormat { rpt, old_ini };

struct JournalFile {
  Journal journal;
  memory::IdentifiedDevice device;  // all zero for the INI journal, which keeps none
  JournalFileFormat format = JournalFileFormat::rpt;
};

// A journal file of either format, told by its content. Refused without reading it: a
// folder, a FIFO or a device; refused naming what it is: a file of another kind ("это файл
// настроек, а не файл журнала событий"); refused with its reader's reason: a damaged one.
Result<JournalFile> open_journal_file(const std::filesystem::path& file, link::Progress* progress = nullptr);

}  // namespace vq::eventlog
