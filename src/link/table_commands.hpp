#pragma once
// Scenario control, transfer parameters, table write and read, the table directory and
// the single-frame read: every transfer of configuration, log or firmware data.
#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "link/session.hpp"

namespace vq::link {

struct ScenarioValues {
  bool crc_ok = false;  // r1..r3 are only meaningful when the answer's CRC matched
  std::uint8_t r1 = 0, r2 = 0, r3 = 0;
};

struct TableDirectoryEntry {
  std::uint32_t table = 0;
  std::uint32_t address = 0;
  std::uint32_t length = 0;
};

// The seven event-log tables in the order the panel reports them.
struct TableDirectory {
  static constexpr std::array<std::string_view, 7> kNames = {
      "EventLog", "SectNames", "SectNamePointers", "AddInfo", "RegDevs", "RegRPDs", "RazdelTypes"};
  std::array<TableDirectoryEntry, 7> entries{};
};

// Error::code of a directory whose EventLog length is 0 (the record is still filled).
inline constexpr int kDirectoryEmpty = 200;

Result<ScenarioValues> ScenarioControl(Session& s, std::uint8_t code);
Result<> write_transfer_parameters(Session& s, std::uint16_t table, std::uint32_t address, std::uint32_t length);
Result<> WriteTable(Session& s, ByteView data, std::uint16_t table, std::uint32_t address, Progress* progress = nullptr);
Result<> ReadTable(Session& s, std::span<std::uint8_t> out, std::uint16_t table, std::uint32_t address,
                   Progress* progress = nullptr);
// Appends the answer's data bytes to `out`; returns how many (what the panel chose to send).
Result<std::size_t> ReadTableDirect(Session& s, std::uint16_t table, std::uint32_t address, Bytes& out);
// Fills `dir` whenever the answer was valid; fails with kDirectoryEmpty when EventLog is empty.
Result<> ReadTableDirectory(Session& s, TableDirectory& dir);

// Scenario 5, transfer parameters, scenario 3, table write. Settings images go as table 15;
// the pages under their own numbers without testing the two scenario steps.
Result<> write_table_sequence(Session& s, std::uint16_t table, std::uint32_t address, ByteView data,
                              bool check_scenarios, Progress* progress = nullptr);
Result<> WriteBlockToPanel(Session& s, std::uint32_t address, ByteView data, Progress* progress = nullptr);
Result<> ReadBlockFromPanel(Session& s, std::uint32_t address, std::span<std::uint8_t> out,
                            Progress* progress = nullptr);

}  // namespace vq::link
