#pragma once
// The settings editor's transfers as core operations: connect with the firmware gate,
// read everything, write everything, and read back to verify.
#include <string>
#include <vector>

#include "link/system_search.hpp"
#include "memory/configuration.hpp"

namespace vq::settings {

// Only a 630 panel with firmware 2.4.x can be configured. The identified device is kept
// in the configuration.
Result<link::SystemInfo> connect_for_settings(link::Session& s, memory::Configuration& config,
                                              link::Progress* progress = nullptr);

// After a read or a file load: a channel table that counts no channels clears the
// telephone, recipient and channel pages; otherwise numbers and channels from the count on.
void telephone_channel_cleanup(memory::Configuration& config);
// Page-list entries to page images (after a read) and page images to entries (file load).
void page_list_to_pages(memory::Configuration& config);
void pages_to_page_list(memory::Configuration& config);
// Before a write: every page whole, except that of the service table only bytes 38 and 40
// come from its image; the rest is what the panel last gave.
void pages_to_page_list_for_write(memory::Configuration& config);

Result<> read_all(link::Session& s, memory::Configuration& config, link::Progress* progress = nullptr);
Result<> write_all(link::Session& s, memory::Configuration& config, link::Progress* progress = nullptr);

struct Difference {
  std::string table;  // image or page name
  std::uint32_t offset = 0;
  std::uint8_t expected = 0;
  std::uint8_t found = 0;
};

// Reads back what a write-all sends and lists every byte the panel holds differently.
// Bytes that two images share are expected as the later write left them.
Result<std::vector<Difference>> verify_written(link::Session& s, const memory::Configuration& config,
                                               link::Progress* progress = nullptr);

inline constexpr std::string_view kTextPartlyWritten =
    "Запись прервана: прибор записан частично, повторите запись";

}  // namespace vq::settings
