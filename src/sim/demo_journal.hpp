#pragma once
// A deterministic demo event log for the virtual panel: several hundred records over all
// event groups, with the six tables the journal reader needs beside them.
#include <cstddef>

#include "sim/virtual_panel.hpp"

namespace vq::sim {

inline constexpr std::size_t kDemoJournalRecords = 640;

// Writes the journal and its companion tables and points the panel's table directory at them.
// Partition types are taken from the panel's partition table, so load the configuration first.
void load_demo_journal(VirtualPanel& panel, std::size_t records = kDemoJournalRecords);

}  // namespace vq::sim
