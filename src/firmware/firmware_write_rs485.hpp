#pragma once
// Firmware of the relay module over the USB–RS-485 adapter.
#include <filesystem>

#include "firmware/firmware_write.hpp"
#include "link/rs485/commands.hpp"

namespace vq::firmware {

// The search on the bus; the device is listed as "Сорвел-526" whatever type it reports.
Result<ConnectedDevice> connect_rs485(link::rs485::Rs485Session& s, link::Progress* progress = nullptr);

// The data blocks as they travel: the file from offset 11 on, zero-padded to as many 192-byte
// blocks as the whole file needs; `header` gets the first 11 bytes.
Bytes rs485_blocks(ByteView file, Bytes& header);

// Scenario 4, the announce frame (block count + 1 and the header), then every block, each
// with up to three attempts. Cancel is honoured only before the announce.
Result<> write_rs485(link::rs485::Rs485Session& s, const std::filesystem::path& file,
                     link::Progress* progress = nullptr);

}  // namespace vq::firmware
