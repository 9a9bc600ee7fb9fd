#include "firmware/catalogue.hpp"

#include <algorithm>
#include <chrono>
#include <utility>

#include "shell/messages.hpp"

namespace vq::firmware {
namespace fs = std::filesystem;
namespace {

char fold(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool glob(std::string_view mask, std::string_view name) {
  // Iterative matcher with one back-tracking point: linear enough for file names.
  std::size_t m = 0, n = 0, star = std::string_view::npos, resume = 0;
  while (n < name.size()) {
    if (m < mask.size() && (mask[m] == '?' || (mask[m] != '*' && fold(mask[m]) == fold(name[n])))) {
      ++m;
      ++n;
    } else if (m < mask.size() && mask[m] == '*') {
      star = m++;
      resume = n;
    } else if (star != std::string_view::npos) {
      m = star + 1;
      n = ++resume;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == '*') ++m;
  return m == mask.size();
}

Error message_error(int id) { return Error{0, id, shell::msg(id), {}}; }

fs::path without_trailing_separator(const fs::path& folder) {
  fs::path p = folder.lexically_normal();
  if (p.has_relative_path() && !p.has_filename()) p = p.parent_path();
  return p;
}

// One row as the open dialog and a drop add it: three version numbers, the file's own folder.
Result<CatalogueRow> hand_added_row(const fs::path& file) {
  auto header = read_header(file);
  if (!header) return std::unexpected(header.error());
  std::error_code ec;
  CatalogueRow row;
  row.name = file.filename().string();
  row.version_text = full_version_text(*header);
  row.size = fs::file_size(file, ec);
  if (ec) return fail(Error{kHeaderUnreadable, 0, "Не удалось открыть файл ПО: " + file.string(), ec.message()});
  row.written = fs::last_write_time(file, ec);
  row.folder = without_trailing_separator(fs::absolute(file, ec).parent_path());
  return row;
}

}  // namespace

std::string CatalogueRow::size_text() const { return std::to_string(size) + shell::msg(15028); }

std::string CatalogueRow::date_text() const {
  const auto sys = std::chrono::file_clock::to_sys(written);
  const std::time_t t = std::chrono::system_clock::to_time_t(
      std::chrono::time_point_cast<std::chrono::system_clock::duration>(sys));
  std::tm local{};
  localtime_r(&t, &local);
  return stamp_text(local);
}

std::string stamp_text(const std::tm& local) {
  char buf[32];
  const bool midnight = local.tm_hour == 0 && local.tm_min == 0 && local.tm_sec == 0;
  std::strftime(buf, sizeof buf, midnight ? "%d.%m.%Y" : "%d.%m.%Y %H:%M:%S", &local);
  return buf;
}

bool mask_matches(std::string_view mask, std::string_view name) {
  if (glob(mask, name)) return true;
  return mask.ends_with(".*") && glob(mask.substr(0, mask.size() - 2), name);
}

bool Catalogue::has_name(std::string_view name) const {
  return std::any_of(rows_.begin(), rows_.end(), [&](const CatalogueRow& r) { return r.name == name; });
}

ListReport Catalogue::list_soft_files(const fs::path& base, std::string_view mask, int start_mode) {
  ListReport report;
  if (start_mode != kDeviceFirmwareMode) return report;
  const fs::path folder = without_trailing_separator(base);

  std::vector<fs::directory_entry> found;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    // Symbolic links are left out as the original search left out reparse points.
    if (it->is_symlink(ec) || !it->is_regular_file(ec)) continue;
    if (mask_matches(mask, it->path().filename().string())) found.push_back(*it);
  }
  // A stable order whatever the file system returns: by name, letters folded, then exactly.
  const auto key = [](const fs::directory_entry& e) {
    std::string name = e.path().filename().string(), folded = name;
    std::transform(folded.begin(), folded.end(), folded.begin(), fold);
    return std::pair{folded, name};
  };
  std::sort(found.begin(), found.end(), [&](const auto& a, const auto& b) { return key(a) < key(b); });

  for (const auto& entry : found) {
    auto header = read_header(entry.path());
    if (!header) {
      report.skipped.push_back(header.error());
      continue;
    }
    CatalogueRow row;
    row.name = entry.path().filename().string();
    row.version_text = model_version_text(*header);
    row.size = entry.file_size(ec);
    row.written = entry.last_write_time(ec);
    row.folder = folder;
    rows_.push_back(std::move(row));
    ++report.added;
  }
  return report;
}

ListReport Catalogue::list_all_soft_files(const fs::path& base, int start_mode) {
  ListReport all;
  for (auto mask : kShowAllMasks) {
    auto one = list_soft_files(base, mask, start_mode);
    all.added += one.added;
    all.skipped.insert(all.skipped.end(), one.skipped.begin(), one.skipped.end());
  }
  return all;
}

Result<> Catalogue::add_file(const fs::path& file) {
  if (has_name(file.filename().string())) return fail(message_error(15031));
  auto row = hand_added_row(file);
  if (!row) return std::unexpected(row.error());
  rows_.push_back(std::move(*row));
  return {};
}

Result<> Catalogue::add_dropped(std::span<const fs::path> files) {
  for (const auto& file : files) {
    // Case matters: ".TSK" is refused like any other extension.
    if (file.extension().string() != ".tsk") return fail(message_error(15269));
    if (auto r = add_file(file); !r) return r;
  }
  return {};
}

}  // namespace vq::firmware
