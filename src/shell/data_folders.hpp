#pragma once
// The one data folder holding Conf, Base, Report and Help.
#include <filesystem>
#include <optional>

#include "util/result.hpp"

namespace vq::shell {

// --data-dir, else $VANTORQ_DATA_DIR, else $XDG_DATA_HOME/vantorq, else ~/.local/share/vantorq.
std::filesystem::path resolve_data_dir(const std::optional<std::filesystem::path>& option);

// Creates the folder and its Conf, Base, Report and Help sub-folders when missing.
Result<> ensure_data_dir(const std::filesystem::path& dir);

}  // namespace vq::shell
