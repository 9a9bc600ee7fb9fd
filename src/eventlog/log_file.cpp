#include "eventlog/log_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cerrno>
#include <expected>
#include <fstream>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "memory/ini_file.hpp"
#include "shell/file_kind.hpp"
#include "util/atomic_file.hpp"
#include "util/terminal_text.hpp"


namespace vq::eventlog {
namespace {

// Seven tables at the largest length with their heads fit easily; anything bigger is not a
// log file, and reading it whole would only waste memory.
constexpr std::uint64_t kMaxFileSize = std::uint64_t{16} << 20;

std::string num(std::uint64_t v) { return std::to_string(v); }

std::string reason(int err) { return std::error_code(err, std::generic_category()).message(); }

std::string_view table_name(JournalTable t) { return link::TableDirectory::kNames[static_cast<std::size_t>(t)]; }

std::size_t offset_field(std::size_t position) { return 8 + 4 * position; }

// Opening a FIFO for reading waits for a writer, and a device may never end: anything but a
// file or a folder is refused unopened (the reader itself says why a folder cannot be read).
Result<> refuse_special_file(const std::filesystem::path& file, std::string_view what) {
  struct stat st {};
  if (::stat(file.c_str(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode))
    return shell::check_regular_file(file, what);
  return {};
}

void report(link::Progress* progress, int value) {
  if (progress) progress->percent(value);
}

// ---- writing ---------------------------------------------------------------------------

struct Layout {
  Bytes bytes;
  std::array<std::size_t, kJournalTables> section_end{};  // where each position stops
};

Result<Layout> lay_out(const Journal& journal, const memory::IdentifiedDevice& device) {
  std::size_t total = kLogHeaderSize;
  for (const auto t : kLogFileOrder) {
    const auto& image = journal.images[static_cast<std::size_t>(t)];
    if (!image) continue;
    if (image->length() > kLogTableMaxLength)
      return fail("Таблица " + std::string(table_name(t)) + " слишком длинная для файла журнала (длина " +
                  num(image->length()) + ", допускается не больше " + num(kLogTableMaxLength) + ")");
    total += kLogSectionHeadSize + image->length();
  }

  // Sized once and filled in place: growing the vector piecemeal trips g++ 12's
  // -Wstringop-overflow at -O2.
  Layout out;
  out.bytes.assign(total, 0);
  auto& b = out.bytes;
  put_u16(b, 0, device.device_type);
  put_u16(b, 2, device.platform);
  std::copy(device.version.begin(), device.version.end(), b.begin() + 4);
  b[7] = device.extra;

  std::size_t at = kLogHeaderSize;
  for (std::size_t p = 0; p < kJournalTables; ++p) {
    const auto& image = journal.images[static_cast<std::size_t>(kLogFileOrder[p])];
    if (image) {
      put_u32(b, offset_field(p), static_cast<std::uint32_t>(at));
      put_u32(b, at, image->table_number());
      put_u32(b, at + 4, image->start_address());
      put_u32(b, at + 8, image->length());
      const auto data = image->data();
      std::copy(data.begin(), data.end(), b.begin() + static_cast<std::ptrdiff_t>(at + kLogSectionHeadSize));
      at += kLogSectionHeadSize + data.size();
    }
    out.section_end[p] = at;
  }
  return out;
}

struct Section {
  std::size_t position;  // in kLogFileOrder
  std::uint64_t offset;
  std::uint32_t length;
};

// The present sections in file order, or what is wrong with the file in words.
std::expected<std::vector<Section>, std::string> check_file(ByteView bytes) {
  using std::unexpected;
  const std::uint64_t size = bytes.size();
  if (size < kLogHeaderSize)
    return unexpected("файл короче заголовка (размер файла " + num(size) + ", заголовок занимает " +
                      num(kLogHeaderSize) + " байт)");

  std::vector<Section> sections;
  for (std::size_t p = 0; p < kJournalTables; ++p) {
    const std::uint64_t at = get_u32(bytes, offset_field(p));
    if (at == 0) continue;
    const std::string name(table_name(kLogFileOrder[p]));
    if (at < kLogHeaderSize)
      return unexpected("раздел " + name + " начинается внутри заголовка (смещение " + num(at) +
                        ", заголовок занимает " + num(kLogHeaderSize) + " байт)");
    if (at >= size)
      return unexpected("раздел " + name + " начинается за концом файла (смещение " + num(at) + ", размер файла " +
                        num(size) + ")");
    if (at + kLogSectionHeadSize > size)
      return unexpected("заголовок раздела " + name + " выходит за конец файла (смещение " + num(at) +
                        ", размер файла " + num(size) + ")");
    const std::uint32_t length = get_u32(bytes, at + 8);
    if (length > kLogTableMaxLength)
      return unexpected("раздел " + name + " слишком длинный (длина " + num(length) + ", допускается не больше " +
                        num(kLogTableMaxLength) + ")");
    if (at + kLogSectionHeadSize + length > size)
      return unexpected("раздел " + name + " выходит за конец файла (смещение " + num(at) + ", длина " + num(length) +
                        ", размер файла " + num(size) + ")");
    sections.push_back({p, at, length});
  }

  // Our own files lay the sections out back to back; another order or a gap is harmless,
  // but two sections sharing bytes cannot both be what the panel sent.
  auto by_offset = sections;
  std::stable_sort(by_offset.begin(), by_offset.end(),
                   [](const Section& a, const Section& b) { return a.offset < b.offset; });
  for (std::size_t i = 1; i < by_offset.size(); ++i) {
    const auto& prev = by_offset[i - 1];
    const auto& next = by_offset[i];
    const std::uint64_t prev_end = prev.offset + kLogSectionHeadSize + prev.length;
    if (next.offset < prev_end)
      return unexpected("разделы " + std::string(table_name(kLogFileOrder[prev.position])) + " и " +
                        std::string(table_name(kLogFileOrder[next.position])) + " перекрываются (раздел " +
                        std::string(table_name(kLogFileOrder[prev.position])) + " занимает байты " + num(prev.offset) +
                        "–" + num(prev_end - 1) + ", следующий начинается со смещения " + num(next.offset) + ")");
  }
  return sections;
}

constexpr std::size_t kEventLogPosition = kJournalTables - 1;

// The gauge after each companion table, once the journal itself is in.
constexpr int kLoadPercent[kJournalTables - 1] = {28, 42, 56, 70, 84, 100};
constexpr int kSavePercent[kJournalTables] = {14, 28, 42, 56, 70, 84, 100};

Result<> load_checked(Journal& journal, memory::IdentifiedDevice& device, ByteView bytes, link::Progress* progress,
                      const std::string& damaged, const std::string& no_journal) {
  const auto sections = check_file(bytes);
  if (!sections) return fail(damaged + sections.error());
  const bool has_journal = std::any_of(sections->begin(), sections->end(),
                                       [](const Section& s) { return s.position == kEventLogPosition; });
  if (!has_journal) return fail(no_journal);
  // The same rule as for a journal read from the panel: whole records or nothing.
  for (const auto& s : *sections)
    if (s.position == kEventLogPosition && s.length % kRecordSize != 0)
      return fail(damaged + "журнал событий занимает " + num(s.length) + " байт, это не кратно " + num(kRecordSize) +
                  " (размеру записи)");

  // Every new image exists before the first one is swapped in.
  std::array<std::unique_ptr<memory::TMemoryBlock>, kJournalTables> fresh;  // by file position
  for (const auto& s : *sections) {
    auto block = std::make_unique<memory::TMemoryBlock>(get_u32(bytes, s.offset + 4), s.length, 0);
    block->set_table_number(get_u32(bytes, s.offset));
    const auto from = bytes.subspan(s.offset + kLogSectionHeadSize, s.length);
    std::copy(from.begin(), from.end(), block->data().begin());
    fresh[s.position] = std::move(block);
  }

  memory::IdentifiedDevice read_device;
  read_device.device_type = get_u16(bytes, 0);
  read_device.platform = get_u16(bytes, 2);
  std::copy_n(bytes.begin() + 4, 3, read_device.version.begin());
  read_device.extra = bytes[7];

  report(progress, 0);
  device = read_device;
  journal.images[static_cast<std::size_t>(JournalTable::event_log)] = std::move(fresh[kEventLogPosition]);
  for (std::size_t p = 0; p < kEventLogPosition; ++p) {
    if (fresh[p]) journal.images[static_cast<std::size_t>(kLogFileOrder[p])] = std::move(fresh[p]);
    report(progress, kLoadPercent[p]);
  }
  return {};
}

// ---- the older INI journal ----------------------------------------------------------------

// One key a byte, some 30 bytes a line: the largest journal the cap allows (1 MiB) with six
// companions of 64 KiB fits in under 48 MB. A larger file is no journal of ours.
constexpr std::uint64_t kMaxIniFileSize = std::uint64_t{64} << 20;

// The old files are read by the INI rules (memory/ini_file) line by line over the file's
// bytes, keeping only what the journal needs: a general INI reader keeps every key of the
// file and needs some 25 times the file's size.
using memory::ini_integer;
using memory::ini_names_equal;

bool starts_with_name(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && ini_names_equal(s.substr(0, prefix.size()), prefix);
}

// The item index of "<Name>TableItem<i>" as std::to_string(i) writes it, below `limit`.
std::optional<std::size_t> item_index(std::string_view key, std::string_view stem, std::size_t limit) {
  if (!starts_with_name(key, stem)) return std::nullopt;
  const auto digits = key.substr(stem.size());
  if (digits.empty() || digits.size() > 7 || (digits.size() > 1 && digits.front() == '0')) return std::nullopt;
  std::size_t i = 0;
  const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), i);
  if (ec != std::errc{} || end != digits.data() + digits.size() || i >= limit) return std::nullopt;
  return i;
}

// Calls line(section, key, value) for every key line, section the position in
// kLogFileOrder of its "<Name>TableSection" or kJournalTables for any other section.
template <class F>
void for_each_key(std::string_view text, F&& line, bool& has_journal_section) {
  std::size_t section = kJournalTables;
  memory::for_each_ini_line(
      text,
      [&](std::string_view name) {
        section = kJournalTables;
        for (std::size_t p = 0; p < kJournalTables; ++p)
          if (ini_names_equal(name, std::string(table_name(kLogFileOrder[p])) + "TableSection")) section = p;
        if (section == kEventLogPosition) has_journal_section = true;
      },
      [&](std::string_view key, std::string_view value) {
        if (section != kJournalTables) line(section, key, value);
      });
}

}  // namespace

Result<Bytes> serialize_log_file(const Journal& journal, const memory::IdentifiedDevice& device) {
  auto layout = lay_out(journal, device);
  if (!layout) return fail(layout.error());
  return std::move(layout->bytes);
}

Result<> save_log_file(const Journal& journal, const memory::IdentifiedDevice& device,
                       const std::filesystem::path& file, link::Progress* progress) {
  const auto failed = [&](const std::string& why) {
    return fail("Не удалось сохранить файл журнала " + file.string() + ": " + why);
  };
  const auto layout = lay_out(journal, device);
  if (!layout) return failed(layout.error().text);
  const ByteView bytes = layout->bytes;

  PendingFile temp(file);
  if (const int err = temp.create()) return failed(reason(err));

  if (const int err = temp.write_all(bytes.first(kLogHeaderSize))) return failed(reason(err));
  std::size_t at = kLogHeaderSize;
  for (std::size_t p = 0; p < kJournalTables; ++p) {
    if (const int err = temp.write_all(bytes.subspan(at, layout->section_end[p] - at))) return failed(reason(err));
    at = layout->section_end[p];
    report(progress, kSavePercent[p]);
  }
  if (const int err = temp.commit()) return failed(reason(err));

  return {};
}

Result<> load_log_file(Journal& journal, memory::IdentifiedDevice& device, const std::filesystem::path& file,
                       link::Progress* progress) {
  if (auto r = refuse_special_file(file, "файл журнала"); !r) return r;
  const auto bytes = read_whole_file(file, "файл журнала", kMaxFileSize, "Не удалось открыть файл журнала " + file.string() + ": ");
  if (!bytes) return fail(bytes.error());
  const std::string name = file.string();
  return load_checked(journal, device, *bytes, progress, "Файл журнала " + name + " повреждён: ",
                      "В файле журнала " + name + " нет журнала событий (раздела EventLog)");
}

Result<> load_log_file_bytes(Journal& journal, memory::IdentifiedDevice& device, ByteView bytes,
                             link::Progress* progress) {
  return load_checked(journal, device, bytes, progress, "Файл журнала повреждён: ",
                      "В файле журнала нет журнала событий (раздела EventLog)");
}

Result<Journal> load_ini_journal(const std::filesystem::path& file, link::Progress* progress) {
  if (auto r = refuse_special_file(file, "файл журнала старого формата"); !r) return std::unexpected(r.error());
  const auto bytes = read_whole_file(file, "файл журнала старого формата", kMaxIniFileSize,
                                     "Не удалось открыть файл журнала старого формата " + file.string() + ": ");
  if (!bytes) return fail(bytes.error());
  const std::string name = file.string();
  const auto broken = [&](const std::string& why) {
    return fail("Файл журнала старого формата " + name + " повреждён: " + why);
  };
  const std::string_view text(reinterpret_cast<const char*>(bytes->data()), bytes->size());

  // First pass: the heads, each key's first value.
  constexpr std::string_view kHeadKeys[] = {"TableNum", "StartAddr", "Size"};
  std::array<std::array<std::optional<std::string_view>, 3>, kJournalTables> head_values{};
  bool has_journal = false;
  for_each_key(
      text,
      [&](std::size_t p, std::string_view key, std::string_view value) {
        for (std::size_t k = 0; k < 3; ++k)
          if (ini_names_equal(key, kHeadKeys[k]) && !head_values[p][k]) head_values[p][k] = value;
      },
      has_journal);
  if (!has_journal) return broken("нет раздела EventLogTableSection");

  struct Head {
    std::uint32_t table = 0, address = 0, size = 0;
  };
  constexpr auto kU32 = std::numeric_limits<std::uint32_t>::max();
  // All heads are checked before the first table is made: a refusal costs nothing, and no
  // image is larger than the cap.
  std::array<Head, kJournalTables> heads{};
  for (std::size_t p = 0; p < kJournalTables; ++p) {
    const std::string section = std::string(table_name(kLogFileOrder[p])) + "TableSection";
    const auto value = [&](std::size_t k, std::uint32_t max) -> Result<std::uint32_t> {
      const auto& v = head_values[p][k];
      if (!v) return 0u;  // a missing key reads as 0
      const auto n = ini_integer(*v);
      if (n && *n >= 0 && *n <= static_cast<std::int64_t>(max)) return static_cast<std::uint32_t>(*n);
      return fail("значение " + std::string(kHeadKeys[k]) + " в разделе " + section + " («" + terminal_safe(*v) +
                  "») не является целым числом от 0 до " + num(max));
    };
    const auto table = value(0, kU32);
    if (!table) return broken(table.error().text);
    const auto address = value(1, kU32);
    if (!address) return broken(address.error().text);
    const auto size = value(2, kLogTableMaxLength);
    if (!size) return broken(size.error().text);
    heads[p] = {*table, *address, *size};
  }
  const auto journal_size = heads[kEventLogPosition].size;
  if (journal_size % kRecordSize != 0)
    return broken("журнал событий занимает " + num(journal_size) + " байт, это не кратно " + num(kRecordSize) +
                  " (размеру записи)");

  Journal journal;
  std::array<std::vector<bool>, kJournalTables> seen;
  std::array<std::string, kJournalTables> stems;
  for (std::size_t p = 0; p < kJournalTables; ++p) {
    const auto t = kLogFileOrder[p];
    const auto& h = heads[p];
    stems[p] = std::string(table_name(t)) + "TableItem";
    // An empty pointer table is no table at all in these files.
    if (t == JournalTable::sect_name_pointers && h.size == 0) continue;
    auto image = std::make_unique<memory::TMemoryBlock>(h.address, h.size, 0);
    image->set_table_number(h.table);
    journal.images[static_cast<std::size_t>(t)] = std::move(image);
    seen[p].assign(h.size, false);
  }

  // Second pass: the bytes. A value that is no number reads as 0; a number outside the byte
  // range keeps its low 8 bits; keys past the table's size are ignored.
  for_each_key(
      text,
      [&](std::size_t p, std::string_view key, std::string_view value) {
        const auto& image = journal.images[static_cast<std::size_t>(kLogFileOrder[p])];
        if (!image) return;
        const auto i = item_index(key, stems[p], seen[p].size());
        if (!i || seen[p][*i]) return;
        seen[p][*i] = true;
        image->data()[*i] = static_cast<std::uint8_t>(ini_integer(value).value_or(0));
      },
      has_journal);
  for (std::size_t p = 1; p < kJournalTables; ++p) report(progress, static_cast<int>(p * 100 / kJournalTables));
  report(progress, 100);
  return journal;
}

Result<JournalFile> open_journal_file(const std::filesystem::path& file, link::Progress* progress) {
  const auto kind = shell::detect_file_kind_of(file, "файл журнала");
  if (!kind) return std::unexpected(kind.error());
  switch (*kind) {
    case shell::FileKind::configuration:
    case shell::FileKind::firmware:
      return fail(shell::wrong_kind_error(*kind, shell::FileKind::event_log, file));
    case shell::FileKind::old_journal: {
      auto journal = load_ini_journal(file, progress);
      if (!journal) return std::unexpected(journal.error());
      return JournalFile{std::move(*journal), {}, JournalFileFormat::old_ini};
    }
    case shell::FileKind::event_log:
    case shell::FileKind::unknown:
      break;
  }
  JournalFile out;
  auto loaded = load_log_file(out.journal, out.device, file, progress);
  if (loaded) return out;
  // Text that is no journal of either kind: the INI reader says what it lacks.
  if (*kind == shell::FileKind::unknown) {
    std::ifstream in(file, std::ios::binary);
    const auto first = in.peek();
    if (first == '[' || first == ';') {
      auto journal = load_ini_journal(file, progress);
      if (!journal) return std::unexpected(journal.error());
      return JournalFile{std::move(*journal), {}, JournalFileFormat::old_ini};
    }
  }
  return std::unexpected(loaded.error());
}

}  // namespace vq::eventlog
