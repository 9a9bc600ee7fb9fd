#pragma once
// Saving and opening a configuration file as the settings editor does it: the service
// page and the page list travel with the images.
#include <filesystem>

#include "link/progress.hpp"
#include "link/trace.hpp"
#include "memory/configuration.hpp"
#include "util/result.hpp"

namespace vq::settings {

// Stores the service page into page-list entry 14, refreshes the service table image from
// that entry (keeping the image's bytes 38 and 40), then writes the file atomically.
Result<> save_settings_file(memory::Configuration& config, const std::filesystem::path& file,
                            link::Progress* progress = nullptr, link::Trace* trace = nullptr);

// Loads the file (nothing changes when it is refused), then cleans up telephone numbers
// and channels, copies the pages into the page list and fills the service page.
Result<> open_settings_file(memory::Configuration& config, const std::filesystem::path& file,
                            link::Progress* progress = nullptr, link::Trace* trace = nullptr);

}  // namespace vq::settings
