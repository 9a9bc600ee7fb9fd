#pragma once
// The list of firmware files the engineer chooses from: filled from the Base folder by
// name masks, by the open dialog, or by files dropped onto the window.
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "firmware/firmware_header.hpp"
#include "util/result.hpp"

namespace vq::firmware {

// The only start mode that lists the firmware folder; the built-in modules' mode lists nothing.
inline constexpr int kDeviceFirmwareMode = 1;
// Masks listed when the window is shown, in this order.
inline constexpr std::string_view kShowAllMasks[] = {"630M*.*", "517*.*", "526*.*"};

// The firmware folder inside the data folder.
inline std::filesystem::path firmware_folder(const std::filesystem::path& data_dir) { return data_dir / "Base"; }

struct CatalogueRow {
  std::string name;          // file name with extension, no folder
  std::string version_text;  // listing: by model; added by hand: always three numbers
  std::uintmax_t size = 0;
  std::filesystem::file_time_type written{};
  std::filesystem::path folder;  // no trailing separator

  std::filesystem::path path() const { return folder / name; }
  std::string size_text() const;  // "1234 байт"
  std::string date_text() const;  // local time, see stamp_text
};

// "dd.mm.yyyy hh:mm:ss"; just the date when the time is exactly midnight.
std::string stamp_text(const std::tm& local);

// Windows search semantics: '*' and '?', ASCII letters in either case, and a trailing ".*"
// also matches a name without an extension.
bool mask_matches(std::string_view mask, std::string_view name);

// What a listing added and which matching files it could not read.
struct ListReport {
  std::size_t added = 0;
  std::vector<Error> skipped;
};

class Catalogue {
 public:
  const std::vector<CatalogueRow>& rows() const { return rows_; }
  void clear() { rows_.clear(); }
  // Exact, case-sensitive comparison of the file name.
  bool has_name(std::string_view name) const;

  // ListSoftFiles: the regular files of `base` matching `mask`, in name order, with the
  // model's version text. No duplicate or extension test here. Outside the device
  // firmware start mode it does nothing.
  ListReport list_soft_files(const std::filesystem::path& base, std::string_view mask, int start_mode);
  // Every known firmware file, as the window fills the list when it is shown.
  ListReport list_all_soft_files(const std::filesystem::path& base, int start_mode);

  // The open dialog's file: refused with 15031 when its name is already listed.
  Result<> add_file(const std::filesystem::path& file);

  // Files dropped on the window, in the shell's order. The first refusal (not ".tsk" 15269,
  // a listed name 15031, an unreadable file) abandons the rest; earlier ones stay.
  Result<> add_dropped(std::span<const std::filesystem::path> files);

 private:
  std::vector<CatalogueRow> rows_;
};

}  // namespace vq::firmware
