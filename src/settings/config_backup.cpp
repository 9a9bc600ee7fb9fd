#include "settings/config_backup.hpp"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <system_error>
#include <vector>

#include "memory/type_names.hpp"
#include "settings/config_files.hpp"
#include "settings/full_transfer.hpp"

namespace vq::settings {
namespace {

namespace fs = std::filesystem;

std::string stamp_now() {
  const std::time_t t = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
  std::tm tm{};
  localtime_r(&t, &tm);
  char buf[32];
  std::strftime(buf, sizeof buf, "%Y-%m-%d_%H-%M-%S", &tm);
  return buf;
}

// "2024-05-01_10-20-30.cfg" or "2024-05-01_10-20-30_2.cfg": the only names pruning touches.
bool is_backup_name(const std::string& name) {
  if (name.size() < 23 || name.compare(name.size() - 4, 4, ".cfg") != 0) return false;
  static constexpr std::string_view kShape = "dddd-dd-dd_dd-dd-dd";
  for (std::size_t i = 0; i < kShape.size(); ++i) {
    const char c = name[i];
    if (kShape[i] == 'd' ? (c < '0' || c > '9') : c != kShape[i]) return false;
  }
  const auto rest = name.substr(kShape.size(), name.size() - 4 - kShape.size());
  if (rest.empty()) return true;
  if (rest.size() < 2 || rest[0] != '_') return false;
  return std::all_of(rest.begin() + 1, rest.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The stamp and the same-second number (1 for the plain name).
std::pair<std::string, unsigned long> backup_key(const std::string& n) {
  const auto rest = n.substr(19, n.size() - 4 - 19);
  return {n.substr(0, 19), rest.empty() ? 1UL : std::stoul(rest.substr(1))};
}

// Oldest first: by stamp, then by the same-second number.
bool older(const std::string& a, const std::string& b) { return backup_key(a) < backup_key(b); }

// Past every copy of this second, also those already pruned away: a name once used is not
// given again, so the copy a user was told about is never replaced by a later one.
fs::path fresh_name(const fs::path& folder, const std::string& stamp) {
  std::error_code ec;
  unsigned long highest = 0;
  for (const auto& e : fs::directory_iterator(folder, ec)) {
    const auto name = e.path().filename().string();
    if (!is_backup_name(name)) continue;
    const auto [base, n] = backup_key(name);
    if (base == stamp) highest = std::max(highest, n);
  }
  return folder / (highest == 0 ? stamp + ".cfg" : stamp + "_" + std::to_string(highest + 1) + ".cfg");
}

void prune(const fs::path& folder) {
  std::error_code ec;
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(folder, ec)) {
    const auto name = e.path().filename().string();
    if (e.is_regular_file(ec) && is_backup_name(name)) names.push_back(name);
  }
  if (names.size() <= kBackupsKept) return;
  std::sort(names.begin(), names.end(), older);
  for (std::size_t i = 0; i + kBackupsKept < names.size(); ++i) fs::remove(folder / names[i], ec);
}

std::string device_text(std::uint16_t type, std::uint16_t platform, const std::uint8_t* version) {
  char buf[64];
  std::snprintf(buf, sizeof buf, ", платформа 0x%04X, версия %u.%u.%u", platform, version[0], version[1], version[2]);
  const auto name = memory::device_type_name(type);
  const auto code = "код " + std::to_string(type);
  return (name.empty() ? code : name + " (" + code + ")") + buf;
}

}  // namespace

fs::path backup_folder(const fs::path& conf_dir) { return conf_dir / "backup"; }

Result<fs::path> save_panel_backup(memory::Configuration& panel, const fs::path& conf_dir) {
  const auto folder = backup_folder(conf_dir);
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (ec) return fail("Не удалось создать папку резервных копий " + folder.string() + ": " + ec.message());
  const auto stamp = stamp_now();
  fs::path target = fresh_name(folder, stamp);
  if (auto saved = save_settings_file(panel, target); !saved) {
    Error e = saved.error();
    e.text = "Резервная копия настроек прибора не сохранена: " + e.text;
    return std::unexpected(e);
  }
  prune(folder);
  return target;
}

Result<fs::path> backup_panel_configuration(link::Session& s, const fs::path& conf_dir, link::Progress* progress) {
  memory::IdentifiedDevice device;
  if (auto found = connect_for_settings(s, device, progress); !found) return std::unexpected(found.error());
  auto panel = read_configuration(s, device, progress);
  if (!panel) {
    Error e = panel.error();
    if (link::is_cancel(e)) return std::unexpected(e);  // a cancel stays a cancel for the caller
    e.text = "Не удалось прочитать настройки прибора для резервной копии: " + e.text;
    return std::unexpected(e);
  }
  return save_panel_backup(*panel, conf_dir);
}

Result<> check_device_for_writing(const memory::IdentifiedDevice& file, const link::SystemInfo& panel) {
  const memory::IdentifiedDevice none{};
  if (file.device_type == 0 && file.platform == 0 && file.version == none.version) return {};
  if (file.device_type == panel.device_type && file.platform == panel.platform &&
      file.version[0] == panel.version[0] && file.version[1] == panel.version[1])
    return {};
  return fail("Файл настроек сделан для другого прибора: в файле " +
                  device_text(file.device_type, file.platform, file.version.data()) + ", подключён " +
                  device_text(panel.device_type, panel.platform, panel.version),
              kDeviceMismatch);
}

std::string device_mismatch_question(const Error& mismatch) {
  return mismatch.text + ".\nЗаписать эти настройки в прибор всё равно?";
}

}  // namespace vq::settings
