// Telling files apart by content: every kind the program writes or reads, a file cut short
// and files of nothing, and the refusal of what is not a regular file.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "eventlog/log_file.hpp"
#include "memory/config_file.hpp"
#include "shell/file_kind.hpp"

using namespace vq;
using vq::shell::FileKind;
namespace fs = std::filesystem;

namespace {

memory::IdentifiedDevice panel_device() {
  memory::IdentifiedDevice d;
  d.device_type = 630;
  d.platform = 0x61;
  d.version = {2, 4, 7};
  return d;
}

Bytes full_cfg() {
  memory::Configuration config;
  config.device = panel_device();
  config.image(memory::ImageId::partitions).set_byte(0, 3);
  return memory::serialize_configuration(config);
}

// The header and the one entry of slot `slot`, the rest of the offsets zero.
Bytes one_slot_cfg(std::size_t slot) {
  const Bytes whole = full_cfg();
  const auto at = get_u32(whole, 8 + 4 * slot);
  const auto length = get_u32(whole, at + 8);
  Bytes out(whole.begin(), whole.begin() + 168);
  for (std::size_t f = 0; f < 40; ++f) put_u32(out, 8 + 4 * f, 0);
  put_u32(out, 8 + 4 * slot, 168);
  out.insert(out.end(), whole.begin() + at, whole.begin() + at + 12 + length);
  return out;
}

link::TableDirectory panel_directory() {
  link::TableDirectory dir;
  dir.entries = {{{200, 0x112E00, 64 * 16},
                  {201, 0x002500, 873},
                  {202, 0x13A000, 192},
                  {203, 0x13A100, 16},
                  {204, 0x13A200, 96},
                  {205, 0x13A300, 250},
                  {206, 0x13A400, 96}}};
  return dir;
}

Bytes rpt_of(const eventlog::Journal& journal) {
  auto bytes = eventlog::serialize_log_file(journal, panel_device());
  EXPECT_TRUE(bytes.has_value());
  return bytes.value_or(Bytes{});
}

Bytes full_rpt() { return rpt_of(eventlog::Journal::from_directory(panel_directory())); }

// Only the journal itself: the one section sits in the last of the seven fields.
Bytes journal_only_rpt() {
  auto journal = eventlog::Journal::from_directory(panel_directory());
  for (std::size_t t = 1; t < eventlog::kJournalTables; ++t) journal.images[t].reset();
  return rpt_of(journal);
}

// Only SectNames, which the panel keeps at the partition names' address (0x2500).
Bytes names_only_rpt() {
  auto journal = eventlog::Journal::from_directory(panel_directory());
  for (std::size_t t = 0; t < eventlog::kJournalTables; ++t)
    if (t != static_cast<std::size_t>(eventlog::JournalTable::sect_names)) journal.images[t].reset();
  return rpt_of(journal);
}

Bytes text(const std::string& s) { return Bytes(s.begin(), s.end()); }

Bytes tsk(std::uint16_t type, std::size_t body) {
  Bytes b(7 + body, 0x5A);
  put_u16(b, 0, type);
  put_u16(b, 2, 0x61);
  b[4] = 2;
  b[5] = 4;
  b[6] = 7;
  return b;
}

Bytes cut(Bytes b, std::size_t n) {
  b.resize(n);
  return b;
}

Bytes bare_header() { return cut(full_cfg(), 168); }

}  // namespace

TEST(FileKind, EachFileIsTakenForWhatItIs) {
  const std::string ini =
      "[EventLogTableSection]\r\nTableNum=200\r\nStartAddr=1126912\r\nSize=16\r\nEventLogTableItem0=1\r\n";
  struct Case {
    const char* what;
    Bytes bytes;
    FileKind kind;
  };
  Bytes no_header_offsets = bare_header();
  for (std::size_t i = 8; i < 168; ++i) no_header_offsets[i] = 0;
  const Case cases[] = {
      {"full configuration", full_cfg(), FileKind::configuration},
      {"configuration, first slot only", one_slot_cfg(0), FileKind::configuration},
      {"configuration, partition names only (the SectNames address)", one_slot_cfg(7), FileKind::configuration},
      {"configuration, a page only", one_slot_cfg(23), FileKind::configuration},
      {"configuration, last slot only", one_slot_cfg(35), FileKind::configuration},
      {"configuration, first 4 KiB", cut(full_cfg(), 4096), FileKind::configuration},
      {"event log file", full_rpt(), FileKind::event_log},
      {"event log file, journal only", journal_only_rpt(), FileKind::event_log},
      {"event log file, SectNames only", names_only_rpt(), FileKind::event_log},
      {"old INI journal", text(ini), FileKind::old_journal},
      {"old INI journal with a BOM and a comment", text("\xEF\xBB\xBF; journal\r\n" + ini), FileKind::old_journal},
      {"panel firmware", tsk(630, 4096), FileKind::firmware},
      {"GSM module firmware", tsk(517, 300), FileKind::firmware},
      {"relay module firmware", tsk(526, 300), FileKind::firmware},
      {"header of an unknown device", tsk(999, 300), FileKind::unknown},
      {"firmware header alone", tsk(630, 0), FileKind::unknown},
      {"empty", Bytes{}, FileKind::unknown},
      {"168 zero bytes", Bytes(168, 0), FileKind::unknown},
      {"4096 zero bytes", Bytes(4096, 0), FileKind::unknown},
      {"bare configuration header", no_header_offsets, FileKind::unknown},
      {"configuration cut inside the header", cut(full_cfg(), 100), FileKind::unknown},
      {"configuration cut inside the first entry's head", cut(full_cfg(), 172), FileKind::unknown},
      {"event log cut inside the header", cut(full_rpt(), 100), FileKind::unknown},
      {"plain text", text("hello, world\n"), FileKind::unknown},
      {"INI without journal sections", text("[Main]\nA=1\n"), FileKind::unknown},
  };
  for (const auto& c : cases) EXPECT_EQ(shell::detect_file_kind(c.bytes), c.kind) << c.what;
}

TEST(FileKind, AnEntryAtAnotherSlotsAddressIsNoConfiguration) {
  auto b = one_slot_cfg(0);
  put_u32(b, 168 + 4, 0x2500);  // slot 0 claims the partition names' address
  EXPECT_EQ(shell::detect_file_kind(b), FileKind::unknown);
  b = one_slot_cfg(23);
  put_u32(b, 168 + 8, 511);  // a page one byte short
  EXPECT_EQ(shell::detect_file_kind(b), FileKind::unknown);
}

TEST(FileKind, NamesAndTheWrongKindText) {
  EXPECT_EQ(shell::file_kind_name(FileKind::configuration), "файл настроек");
  EXPECT_EQ(shell::file_kind_name(FileKind::event_log), "файл журнала событий");
  EXPECT_EQ(shell::file_kind_name(FileKind::old_journal), "файл журнала событий старого формата");
  EXPECT_EQ(shell::file_kind_name(FileKind::firmware), "файл прошивки");
  const auto e = shell::wrong_kind_error(FileKind::event_log, FileKind::configuration, "demo.rpt");
  EXPECT_EQ(e.text, "Файл demo.rpt не подходит: это файл журнала событий, а не файл настроек");
}

TEST(FileKind, OnlyRegularFilesAreRead) {
  const fs::path dir = fs::temp_directory_path() / ("vq_file_kind_" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  const fs::path fifo = dir / "pipe.cfg", file = dir / "demo.cfg", link = dir / "link.cfg";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  {
    const auto b = full_cfg();
    std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
  }
  fs::create_symlink(file, link);

  EXPECT_TRUE(shell::check_regular_file(file, "файл настроек"));
  EXPECT_EQ(shell::detect_file_kind_of(link, "файл настроек").value_or(FileKind::unknown), FileKind::configuration);
  struct Case {
    fs::path path;
    const char* says;
  };
  for (const Case& c : {Case{fifo, "не обычный файл"}, Case{dir, "это папка, а не файл настроек"},
                        Case{"/dev/zero", "не обычный файл"}, Case{dir / "missing.cfg", "Не удалось открыть"}}) {
    const auto r = shell::detect_file_kind_of(c.path, "файл настроек");  // would block on the FIFO if opened
    ASSERT_FALSE(r) << c.path;
    EXPECT_NE(r.error().text.find(c.says), std::string::npos) << r.error().text;
  }
  fs::remove_all(dir);
}
