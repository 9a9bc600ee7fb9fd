#pragma once
// Connecting to the device whose firmware is to be replaced, and writing a firmware file
// into it over direct USB (the panel, model 517).
#include <filesystem>
#include <string>

#include "firmware/firmware_header.hpp"
#include "link/system_search.hpp"

namespace vq::firmware {

inline constexpr std::size_t kUsbFirmwareBlock = 252;

// The device as the firmware window lists it.
struct ConnectedDevice {
  link::SystemInfo info;
  std::string name;          // "Сорвел-630М-Q", "Сорвел-630М-РТС", "Сорвел-517", "Сорвел-526"
  std::string version_text;  // "2.4.7" for the panel, "4.7" (second and third numbers) otherwise
  std::string mask;          // catalogue mask of its firmware files; empty for an unknown model
};

// Discover, search and name the device (start mode 1). Failures carry 15034, 15035 or 15043.
Result<ConnectedDevice> connect_usb(link::Session& s, link::Progress* progress = nullptr);

// The whole file, read only when it is a regular file no larger than an image over that link
// can be (firmware::image_size_limits): a FIFO never blocks, a huge file is not read. The
// smallest size is check_file_rules' business: the write sends whatever file it is given.
Result<Bytes> read_firmware_file(const std::filesystem::path& file, FirmwareLink over);

// The file followed by zero bytes up to a whole number of blocks.
Bytes padded_image(ByteView file, std::size_t block);

// Scenario 4, then the whole file (7-byte header included, padded to 252-byte blocks) as
// table 0 at address 0. The link is closed at the end whatever happened, as after every
// firmware write. Cancel is honoured only before the first block: a started transfer runs
// to its end or its failure.
Result<> write_usb(link::Session& s, const std::filesystem::path& file, link::Progress* progress = nullptr);

}  // namespace vq::firmware
