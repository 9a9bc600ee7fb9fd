#pragma once
// Before a configuration is written over the panel's, the panel's own is kept in
// Conf/backup, so a mistaken write is undone by writing the copy back.
#include <filesystem>
#include <string>

#include "link/progress.hpp"
#include "link/session.hpp"
#include "link/system_search.hpp"
#include "memory/configuration.hpp"
#include "util/result.hpp"

namespace vq::settings {

// Copies kept; the oldest beyond this go.
inline constexpr std::size_t kBackupsKept = 20;

// Error::code of a device header that does not match the panel.
inline constexpr int kDeviceMismatch = 1;

// <conf_dir>/backup
std::filesystem::path backup_folder(const std::filesystem::path& conf_dir);

// Saves `panel` (just read from the panel) as <conf_dir>/backup/<YYYY-MM-DD>_<HH-MM-SS>.cfg
// (local time; "_2", "_3", ... when a copy of that second exists, so none is overwritten),
// the same file `config read` saves, then removes the oldest copies beyond kBackupsKept.
// Gives the copy's path.
Result<std::filesystem::path> save_panel_backup(memory::Configuration& panel, const std::filesystem::path& conf_dir);

// Identifies the connected panel (the firmware gate), reads its whole configuration into
// fresh images and saves it as above. Nothing else is touched.
Result<std::filesystem::path> backup_panel_configuration(link::Session& s, const std::filesystem::path& conf_dir,
                                                         link::Progress* progress = nullptr);

// Whether a file made for `file` may be written to `panel`: type, platform and firmware line
// (the first two version numbers) must match. A header with no device (a configuration
// prepared without a panel) passes. A mismatch fails with code kDeviceMismatch and a text
// naming both devices.
Result<> check_device_for_writing(const memory::IdentifiedDevice& file, const link::SystemInfo& panel);

// The window's question after a mismatch text (Yes/No, No by default).
std::string device_mismatch_question(const Error& mismatch);

}  // namespace vq::settings
