#include "memory/config_file.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <expected>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "shell/file_kind.hpp"
#include "util/atomic_file.hpp"

namespace vq::memory {
namespace {

// Every slot at the largest length fits many times over; a bigger file is not a
// configuration, and reading it whole would only waste memory.
constexpr std::uint64_t kMaxFileSize = std::uint64_t{64} << 20;

std::string num(std::uint64_t v) { return std::to_string(v); }

std::string reason(int err) { return std::error_code(err, std::generic_category()).message(); }

void report(link::Progress* progress, int value) {
  if (progress) progress->percent(value);
}

// The gauge steps of the two directions differ only past the pages.
int save_percent(std::size_t slot) {
  if (slot < 32) return static_cast<int>(3 * (slot + 1));
  if (slot == 32) return 97;
  if (slot == 33) return 98;
  return 100;
}

int load_percent(std::size_t slot) {
  if (slot < 32) return static_cast<int>(3 * (slot + 1));
  return slot == 32 ? 99 : 100;
}

std::size_t offset_field(std::size_t slot) { return 8 + 4 * slot; }

// ---- writing ---------------------------------------------------------------------------

struct Layout {
  Bytes bytes;
  std::array<std::size_t, kConfigSlotsUsed> entry_end{};  // where each entry stops
};

Layout lay_out(const Configuration& config) {
  const auto& slots = config_slots();
  std::size_t total = kConfigHeaderSize;
  for (const auto& s : slots) total += kConfigEntryHeadSize + config.slot(s).length();

  // Sized once and filled in place: growing the vector piecemeal trips g++ 12's
  // -Wstringop-overflow at -O2.
  Layout out;
  out.bytes.assign(total, 0);
  auto& b = out.bytes;
  put_u16(b, 0, config.device.device_type);
  put_u16(b, 2, config.device.platform);
  std::copy(config.device.version.begin(), config.device.version.end(), b.begin() + 4);
  b[7] = config.device.extra;

  std::size_t at = kConfigHeaderSize;
  for (std::size_t s = 0; s < slots.size(); ++s) {
    const auto& image = config.slot(slots[s]);
    put_u32(b, offset_field(s), static_cast<std::uint32_t>(at));
    put_u32(b, at, image.table_number());
    put_u32(b, at + 4, image.start_address());
    put_u32(b, at + 8, image.length());
    const auto data = image.data();
    std::copy(data.begin(), data.end(), b.begin() + static_cast<std::ptrdiff_t>(at + kConfigEntryHeadSize));
    at += kConfigEntryHeadSize + data.size();
    out.entry_end[s] = at;
  }
  return out;
}

struct Entry {
  std::size_t slot;
  std::uint64_t offset;
  std::uint32_t address;
  std::uint32_t length;
};

// The present entries in slot order, or what is wrong with the file in words.
std::expected<std::vector<Entry>, std::string> check_file(ByteView bytes) {
  using std::unexpected;
  const std::uint64_t size = bytes.size();
  if (size < kConfigHeaderSize)
    return unexpected("файл короче заголовка (размер файла " + num(size) + ", заголовок занимает " +
                      num(kConfigHeaderSize) + " байт)");

  const auto& slots = config_slots();
  std::vector<Entry> entries;
  // Only slots 0..35 are read. Slots 36..39 are written as zero, but another writer may leave
  // anything there, and nothing refers to them, so they are ignored rather than refused.
  for (std::size_t s = 0; s < kConfigSlotsUsed; ++s) {
    const std::uint64_t at = get_u32(bytes, offset_field(s));
    if (at == 0) continue;
    const std::string entry = "запись " + num(s);
    if (at < kConfigHeaderSize)
      return unexpected(entry + " начинается внутри заголовка (смещение " + num(at) + ", заголовок занимает " +
                        num(kConfigHeaderSize) + " байт)");
    if (at >= size)
      return unexpected(entry + " начинается за концом файла (смещение " + num(at) + ", размер файла " + num(size) +
                        ")");
    if (at + kConfigEntryHeadSize > size)
      return unexpected("заголовок записи " + num(s) + " выходит за конец файла (смещение " + num(at) +
                        ", размер файла " + num(size) + ")");
    const std::uint32_t length = get_u32(bytes, at + 8);
    if (length > kConfigEntryMaxLength)
      return unexpected(entry + " слишком длинная (длина " + num(length) + ", допускается не больше " +
                        num(kConfigEntryMaxLength) + ")");
    if (at + kConfigEntryHeadSize + length > size)
      return unexpected(entry + " выходит за конец файла (смещение " + num(at) + ", длина " + num(length) +
                        ", размер файла " + num(size) + ")");
    // The page list copies exactly one page from each page image.
    if (slots[s].is_page && length != kPageSize)
      return unexpected(entry + " (таблица " + num(layout(static_cast<PageId>(slots[s].index)).table) +
                        ") должна быть длиной " + num(kPageSize) + " байт, а не " + num(length));
    entries.push_back({s, at, get_u32(bytes, at + 4), length});
  }

  auto by_offset = entries;
  std::stable_sort(by_offset.begin(), by_offset.end(), [](const Entry& a, const Entry& b) { return a.offset < b.offset; });
  for (std::size_t i = 1; i < by_offset.size(); ++i) {
    const auto& prev = by_offset[i - 1];
    const auto& next = by_offset[i];
    if (next.offset < prev.offset + kConfigEntryHeadSize + prev.length)
      return unexpected("записи " + num(prev.slot) + " и " + num(next.slot) + " перекрываются (запись " +
                        num(prev.slot) + " занимает байты " + num(prev.offset) + "–" +
                        num(prev.offset + kConfigEntryHeadSize + prev.length - 1) + ", запись " + num(next.slot) +
                        " начинается со смещения " + num(next.offset) + ")");
  }
  return entries;
}

// A file of another kind is named for what it is; a damaged configuration for what is wrong.
Result<std::vector<Entry>> checked_entries(ByteView bytes, const std::filesystem::path& file,
                                           const std::string& damaged) {
  const auto kind = shell::detect_file_kind(bytes);
  if (kind != shell::FileKind::configuration && kind != shell::FileKind::unknown)
    return fail(shell::wrong_kind_error(kind, shell::FileKind::configuration, file));
  auto entries = check_file(bytes);
  if (!entries) return fail(damaged + entries.error());
  if (entries->empty())
    return fail((file.empty() ? std::string("Файл конфигурации") : "Файл конфигурации " + file.string()) +
                " не содержит ни одной таблицы настроек (все смещения в заголовке нулевые)");
  return std::move(*entries);
}

Result<> load_checked(Configuration& config, ByteView bytes, link::Progress* progress,
                      const std::filesystem::path& file, const std::string& damaged) {
  const auto entries = checked_entries(bytes, file, damaged);
  if (!entries) return std::unexpected(entries.error());

  // Every new image exists before the first one is swapped in.
  std::vector<std::unique_ptr<TMemoryBlock>> blocks;
  blocks.reserve(entries->size());
  for (const auto& e : *entries) {
    // The table number field is not taken: settings images travel through table 15 and
    // keep table number 0.
    auto block = std::make_unique<TMemoryBlock>(e.address, e.length, 0);
    const auto from = bytes.subspan(e.offset + kConfigEntryHeadSize, e.length);
    std::copy(from.begin(), from.end(), block->data().begin());
    blocks.push_back(std::move(block));
  }

  IdentifiedDevice device;
  device.device_type = get_u16(bytes, 0);
  device.platform = get_u16(bytes, 2);
  std::copy_n(bytes.begin() + 4, 3, device.version.begin());
  device.extra = bytes[7];

  report(progress, 0);
  config.device = device;
  const auto& slots = config_slots();
  for (std::size_t i = 0; i < entries->size(); ++i) {
    const auto slot = (*entries)[i].slot;
    config.replace(slots[slot], std::move(blocks[i]));
    report(progress, load_percent(slot));
  }
  return {};
}

}  // namespace

Bytes serialize_configuration(const Configuration& config) { return lay_out(config).bytes; }

Result<> save_configuration(const Configuration& config, const std::filesystem::path& file,
                            link::Progress* progress) {
  const auto failed = [&](int err) {
    return fail("Не удалось сохранить файл конфигурации " + file.string() + ": " + reason(err));
  };
  const auto layout = lay_out(config);
  const ByteView bytes = layout.bytes;

  PendingFile temp(file);
  if (const int err = temp.create()) return failed(err);

  if (const int err = temp.write_all(bytes.first(kConfigHeaderSize))) return failed(err);
  std::size_t at = kConfigHeaderSize;
  for (std::size_t s = 0; s < kConfigSlotsUsed; ++s) {
    if (const int err = temp.write_all(bytes.subspan(at, layout.entry_end[s] - at))) return failed(err);
    at = layout.entry_end[s];
    report(progress, save_percent(s));
  }
  if (const int err = temp.commit()) return failed(err);

  return {};
}

namespace {

std::string damaged_prefix(const std::filesystem::path& file) {
  return "Файл конфигурации " + file.string() + " повреждён: ";
}

Result<Bytes> read_file_checked_regular(const std::filesystem::path& file) {
  // A missing file is left to the reader, which names it the same way.
  std::error_code ec;
  if (std::filesystem::exists(file, ec))
    if (auto regular = shell::check_regular_file(file, "файл конфигурации"); !regular)
      return std::unexpected(regular.error());
  return read_whole_file(file, "файл конфигурации", kMaxFileSize, damaged_prefix(file));
}

}  // namespace

Result<> load_configuration(Configuration& config, const std::filesystem::path& file, link::Progress* progress) {
  auto bytes = read_file_checked_regular(file);
  if (!bytes) return std::unexpected(bytes.error());
  return load_checked(config, *bytes, progress, file, damaged_prefix(file));
}

Result<> load_configuration_bytes(Configuration& config, ByteView bytes, link::Progress* progress) {
  return load_checked(config, bytes, progress, {}, "Файл конфигурации повреждён: ");
}

Result<Bytes> read_configuration_file(const std::filesystem::path& file) {
  auto bytes = read_file_checked_regular(file);
  if (!bytes) return std::unexpected(bytes.error());
  if (auto entries = checked_entries(*bytes, file, damaged_prefix(file)); !entries)
    return std::unexpected(entries.error());
  return bytes;
}

Result<std::vector<std::size_t>> configuration_file_slots(ByteView bytes) {
  auto entries = checked_entries(bytes, {}, "Файл конфигурации повреждён: ");
  if (!entries) return std::unexpected(entries.error());
  std::vector<std::size_t> out;
  for (const auto& e : *entries) out.push_back(e.slot);
  return out;
}

std::string_view config_slot_name(std::size_t slot) {
  const auto& s = config_slots()[slot];
  return s.is_page ? layout(static_cast<PageId>(s.index)).name : layout(static_cast<ImageId>(s.index)).name;
}

}  // namespace vq::memory
