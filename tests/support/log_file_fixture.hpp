#pragma once
// A small but whole event-log file (.rpt) of a 630 panel: four event records, the other
// tables at their usual lengths. For tests that hand a log file to a job that wants another.
#include "eventlog/journal.hpp"
#include "eventlog/log_file.hpp"
#include "util/bytes.hpp"

namespace vq::test {

inline Bytes small_log_file() {
  link::TableDirectory dir;
  dir.entries = {{{200, 0x112E00, 4 * 16},
                  {201, 0x002500, 873},
                  {202, 0x13A000, 192},
                  {203, 0x13A100, 16},
                  {204, 0x13A200, 96},
                  {205, 0x13A300, 250},
                  {206, 0x13A400, 96}}};
  memory::IdentifiedDevice device;
  device.device_type = 630;
  device.platform = 0x61;
  device.version = {2, 4, 7};
  auto bytes = eventlog::serialize_log_file(eventlog::Journal::from_directory(dir), device);
  return bytes ? std::move(*bytes) : Bytes{};
}

}  // namespace vq::test
