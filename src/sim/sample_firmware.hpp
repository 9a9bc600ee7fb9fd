#pragma once
// Sample firmware files for trying a firmware update on the virtual panel and the virtual
// relay module. They carry a marker, and the firmware commands refuse to send a marked file
// to anything but a virtual device: their body is filler, never a program.
#include <filesystem>
#include <string>
#include <vector>

#include "util/bytes.hpp"
#include "util/result.hpp"

namespace vq::sim {

// Where the marker stands: after the header and the RS-485 announce bytes.
inline constexpr std::size_t kSampleMarkerAt = 16;
inline constexpr std::string_view kSampleMarker = "VANTORQ SAMPLE FIRMWARE - FOR VIRTUAL DEVICES ONLY";

struct SampleFirmware {
  std::string file_name;  // as the catalogue lists it ("630M_2.4.8_SAMPLE.tsk")
  std::string device;     // who takes it, for the listing
  Bytes bytes;
};

// One file for the virtual panel (a version above the one it reports) and one for the
// virtual relay module.
std::vector<SampleFirmware> sample_firmware_files();

bool is_sample_firmware(ByteView file);

// Writes the samples into `folder` (created if missing); an existing file is replaced.
Result<std::vector<std::filesystem::path>> write_sample_firmware(const std::filesystem::path& folder);

}  // namespace vq::sim
