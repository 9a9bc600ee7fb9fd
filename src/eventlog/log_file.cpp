#include "eventlog/log_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <expected>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "util/atomic_file.hpp"

#include "memory/ini_file.hpp"
#include "memory/ini_image.hpp"

namespace vq::eventlog {
namespace {

// Seven tables at the largest length with their heads fit easily; anything bigger is not a
// log file, and reading it whole would only waste memory.
constexpr std::uint64_t kMaxFileSize = std::uint64_t{16} << 20;

std::string num(std::uint64_t v) { return std::to_string(v); }

std::string reason(int err) { return std::error_code(err, std::generic_category()).message(); }

std::string_view table_name(JournalTable t) { return link::TableDirectory::kNames[static_cast<std::size_t>(t)]; }

std::size_t offset_field(std::size_t position) { return 8 + 4 * position; }

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

// The INI files held every byte as a key of some 20 bytes; well past the table cap.
constexpr std::uint64_t kMaxIniFileSize = memory::IniFile::kMaxFileSize;

// A key's integer, 0 when the key is missing, nothing when its value is no number in
// [0, max]. The reader gives the fallback for a value that is no number, so two different
// fallbacks tell such a value from a real one.
std::optional<std::uint32_t> ini_number(const memory::IniFile& ini, std::string_view section, std::string_view key,
                                        std::uint32_t max) {
  if (!ini.value(section, key)) return 0;
  const auto a = ini.read_integer(section, key, 0), b = ini.read_integer(section, key, 1);
  if (a != b || a < 0 || a > static_cast<std::int64_t>(max)) return std::nullopt;
  return static_cast<std::uint32_t>(a);
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
  // A replaced file keeps its permissions; a new one gets the umask's.
  struct stat old {};
  if (::stat(file.c_str(), &old) == 0 && S_ISREG(old.st_mode)) (void)::fchmod(temp.fd(), old.st_mode & 07777);

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
  const auto bytes = read_whole_file(file, "файл журнала старого формата", kMaxIniFileSize,
                                     "Не удалось открыть файл журнала старого формата " + file.string() + ": ");
  if (!bytes) return fail(bytes.error());
  const std::string name = file.string();
  const auto broken = [&](const std::string& why) {
    return fail("Файл журнала старого формата " + name + " повреждён: " + why);
  };
  const auto ini = memory::IniFile::parse(
      std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
  if (!ini.has_section("EventLogTableSection")) return broken("нет раздела EventLogTableSection");

  struct Head {
    std::uint32_t table = 0, address = 0, size = 0;
  };
  constexpr auto kU32 = std::numeric_limits<std::uint32_t>::max();
  // All heads are checked before the first table is filled: a refusal costs nothing.
  std::array<Head, kJournalTables> heads{};
  for (std::size_t p = 0; p < kJournalTables; ++p) {
    const std::string section = std::string(table_name(kLogFileOrder[p])) + "TableSection";
    const auto value = [&](std::string_view key, std::uint32_t max) -> Result<std::uint32_t> {
      if (auto v = ini_number(ini, section, key, max)) return *v;
      return fail("значение " + std::string(key) + " в разделе " + section + " («" +
                  std::string(*ini.value(section, key)) + "») не является целым числом от 0 до " + num(max));
    };
    const auto table = value("TableNum", kU32);
    if (!table) return broken(table.error().text);
    const auto address = value("StartAddr", kU32);
    if (!address) return broken(address.error().text);
    const auto size = value("Size", kLogTableMaxLength);
    if (!size) return broken(size.error().text);
    heads[p] = {*table, *address, *size};
  }

  Journal journal;
  for (std::size_t p = 0; p < kJournalTables; ++p) {
    if (p > 0) report(progress, static_cast<int>(p * 100 / kJournalTables));
    const auto t = kLogFileOrder[p];
    const auto& h = heads[p];
    // An empty pointer table is no table at all in these files.
    if (t == JournalTable::sect_name_pointers && h.size == 0) continue;
    auto image = std::make_unique<memory::TMemoryBlock>(h.address, h.size, 0);
    image->set_table_number(h.table);
    memory::load_image_from_ini(*image, ini, std::string(table_name(t)) + "Table");
    journal.images[static_cast<std::size_t>(t)] = std::move(image);
  }
  report(progress, 100);
  return journal;
}

}  // namespace vq::eventlog
