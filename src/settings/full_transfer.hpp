#pragma once
// The settings editor's transfers as core operations: connect with the firmware gate,
// read everything, write everything, and read back to verify.
#include <string>
#include <vector>

#include "link/system_search.hpp"
#include "memory/configuration.hpp"

namespace vq::settings {

// The identified device as configurations keep it.
memory::IdentifiedDevice identified_device(const link::SystemInfo& info);

// Only a 630 panel with firmware 2.4.x can be configured. The identified device is kept
// (also when the gate refuses it).
Result<link::SystemInfo> connect_for_settings(link::Session& s, memory::IdentifiedDevice& device,
                                              link::Progress* progress = nullptr);
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

// Reads every table into fresh images for `device`; nothing of any other configuration is
// touched. Cancel is looked at between frames; the gauge moves from 10 to 100 with the
// frames, each table weighted by its fixed waits.
Result<memory::Configuration> read_configuration(link::Session& s, const memory::IdentifiedDevice& device,
                                                 link::Progress* progress = nullptr);
// The same into `config`, which is replaced only when the read completed: a cancelled or
// failed read leaves it, edits and all, as it was.
Result<> read_all(link::Session& s, memory::Configuration& config, link::Progress* progress = nullptr);
// Cancel is looked at between frames; a cancel after the first block says the panel is
// partly written. The gauge moves like the read's.
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
