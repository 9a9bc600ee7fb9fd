#include "shell/file_kind.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <string_view>
#include <system_error>

#include "link/system_search.hpp"
#include "memory/memory_map.hpp"

namespace vq::shell {
namespace {

// Both binary formats: 8 bytes of device header, then 40 offset fields.
constexpr std::size_t kHeaderSize = 168;
constexpr std::size_t kOffsetFields = 40;
constexpr std::size_t kEntryHead = 12;      // table number, start address, length
constexpr std::size_t kConfigSlotsRead = memory::kConfigSlotsUsed;
constexpr std::size_t kLogSections = 7;
constexpr std::uint32_t kMaxTableLength = 1u << 20;
constexpr std::size_t kFirmwareHeader = 7;

std::uint64_t offset_at(ByteView b, std::size_t field) { return get_u32(b, 8 + 4 * field); }

std::uint32_t slot_address(std::size_t slot) {
  const auto& s = memory::config_slots()[slot];
  return s.is_page ? memory::layout(static_cast<memory::PageId>(s.index)).address
                   : memory::layout(static_cast<memory::ImageId>(s.index)).address;
}

enum class EntryCheck { ok, beyond_view, broken };

// One entry of either format: where it starts and how long it says it is.
EntryCheck check_entry(ByteView b, std::uint64_t at) {
  if (at < kHeaderSize) return EntryCheck::broken;
  if (at + kEntryHead > b.size()) return EntryCheck::beyond_view;
  if (get_u32(b, at + 8) > kMaxTableLength) return EntryCheck::broken;
  return EntryCheck::ok;
}

// Every entry in view sits at its own slot's address (a page is one page long), and at
// least one is in view.
bool is_configuration(ByteView b) {
  const auto& slots = memory::config_slots();
  std::size_t seen = 0;
  for (std::size_t s = 0; s < kConfigSlotsRead; ++s) {
    const auto at = offset_at(b, s);
    if (at == 0) continue;
    const auto check = check_entry(b, at);
    if (check == EntryCheck::broken) return false;
    if (check == EntryCheck::beyond_view) continue;
    if (get_u32(b, at + 4) != slot_address(s)) return false;
    if (slots[s].is_page && get_u32(b, at + 8) != memory::kPageSize) return false;
    ++seen;
  }
  return seen > 0;
}

// Seven offsets at most, every later field zero, and sound sections in view, each under a
// journal table's own number (the configuration's entries carry table number 0).
bool is_event_log(ByteView b) {
  for (std::size_t f = kLogSections; f < kOffsetFields; ++f)
    if (offset_at(b, f) != 0) return false;
  std::size_t seen = 0;
  for (std::size_t p = 0; p < kLogSections; ++p) {
    const auto at = offset_at(b, p);
    if (at == 0) continue;
    const auto check = check_entry(b, at);
    if (check == EntryCheck::broken) return false;
    if (check == EntryCheck::beyond_view) continue;
    if (get_u32(b, at) == 0) return false;
    ++seen;
  }
  return seen > 0;
}

// The offset fields of a configuration or log header, as far as they are in view: each zero
// or past the header, the first entry (if any) right after it.
bool looks_like_offset_table(ByteView b) {
  bool any = false, first_after_header = false;
  for (std::size_t f = 0; f < kOffsetFields && 8 + 4 * f + 4 <= b.size(); ++f) {
    const auto at = offset_at(b, f);
    if (at == 0) continue;
    if (at < kHeaderSize) return false;
    any = true;
    if (at == kHeaderSize) first_after_header = true;
  }
  return !any || first_after_header;
}

bool is_blank(std::uint8_t c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// INI text whose first line is a section or a comment, with a "...TableSection]" header.
bool is_old_journal(ByteView b) {
  std::size_t i = 0;
  if (b.size() >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF) i = 3;
  while (i < b.size() && is_blank(b[i])) ++i;
  if (i >= b.size() || (b[i] != '[' && b[i] != ';')) return false;
  const std::string_view text(reinterpret_cast<const char*>(b.data()), b.size());
  return text.find("TableSection]") != std::string_view::npos;
}

// A known device's header with an image after it. A configuration or log file that is cut
// short, damaged or bare also starts with a device header, but offset fields follow it.
bool is_firmware(ByteView b) {
  if (b.size() <= kFirmwareHeader) return false;
  const auto type = get_u16(b, 0);
  if (type != link::kDevicePanel && type != link::kDeviceGsm && type != link::kDeviceRelay) return false;
  return b.size() < 12 || !looks_like_offset_table(b);
}

std::string reason(int err) { return std::error_code(err, std::generic_category()).message(); }

}  // namespace

FileKind detect_file_kind(ByteView b) {
  if (is_old_journal(b)) return FileKind::old_journal;
  if (b.size() >= kHeaderSize) {
    if (is_configuration(b)) return FileKind::configuration;
    if (is_event_log(b)) return FileKind::event_log;
  }
  if (is_firmware(b)) return FileKind::firmware;
  return FileKind::unknown;
}

std::string file_kind_name(FileKind kind) {
  switch (kind) {
    case FileKind::configuration: return "файл настроек";
    case FileKind::event_log: return "файл журнала событий";
    case FileKind::old_journal: return "файл журнала событий старого формата";
    case FileKind::firmware: return "файл прошивки";
    case FileKind::unknown: break;
  }
  return "файл неизвестного вида";
}

Error wrong_kind_error(FileKind found, FileKind wanted, const std::filesystem::path& file) {
  Error e;
  e.text = (file.empty() ? std::string("Файл") : "Файл " + file.string()) + " не подходит: это " + file_kind_name(found) + ", а не " + file_kind_name(wanted);
  return e;
}

Result<> check_regular_file(const std::filesystem::path& file, std::string_view what) {
  struct stat st {};
  if (::stat(file.c_str(), &st) != 0)
    return fail("Не удалось открыть " + std::string(what) + " " + file.string() + ": " + reason(errno));
  if (S_ISDIR(st.st_mode))
    return fail(file.string() + " — это папка, а не " + std::string(what));
  if (!S_ISREG(st.st_mode))
    return fail(file.string() + " — не обычный файл (канал, сокет или устройство); " + std::string(what) +
                " читается только из обычного файла");
  return {};
}

Result<FileKind> detect_file_kind_of(const std::filesystem::path& file, std::string_view what) {
  if (auto ok = check_regular_file(file, what); !ok) return std::unexpected(ok.error());
  // Non-blocking, in case the file was swapped for a FIFO after the check.
  const int fd = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return fail("Не удалось открыть " + std::string(what) + " " + file.string() + ": " + reason(errno));
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return fail(file.string() + " — не обычный файл; " + std::string(what) + " читается только из обычного файла");
  }
  Bytes head(kFileKindHead);
  std::size_t got = 0;
  while (got < head.size()) {
    const auto n = ::read(fd, head.data() + got, head.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const int err = errno;
      ::close(fd);
      return fail("Не удалось прочитать " + std::string(what) + " " + file.string() + ": " + reason(err));
    }
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  ::close(fd);
  head.resize(got);
  return detect_file_kind(head);
}

}  // namespace vq::shell
