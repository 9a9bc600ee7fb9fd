#pragma once
// The 7-byte header at the start of every firmware file: device type, platform, version.
#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include "util/bytes.hpp"
#include "util/result.hpp"

namespace vq::firmware {

inline constexpr std::size_t kHeaderSize = 7;

// Where the image starts and how many blocks a write can number depend on the link.
enum class FirmwareLink { usb, rs485 };

struct FirmwareHeader {
  std::uint16_t device_type = 0;
  std::uint16_t platform = 0;
  std::array<std::uint8_t, 3> version{};

  bool operator==(const FirmwareHeader&) const = default;
};

// Codes in Error::code for a header that could not be had.
enum HeaderFault { kHeaderUnreadable = 1, kHeaderShort = 2 };

// Fewer than 7 bytes is an error, never a header of undefined bytes.
Result<FirmwareHeader> parse_header(ByteView bytes, const std::string& file_name = {});
// Reads only the first 7 bytes; the rest of the file is the device's business.
Result<FirmwareHeader> read_header(const std::filesystem::path& file);

// "%d.%d.%d" of the three numbers.
std::string full_version_text(const FirmwareHeader& h);
// "%d.%d.%d" for the panel, "%d.%d" of the second and third numbers for the other models.
std::string model_version_text(const FirmwareHeader& h);

}  // namespace vq::firmware
