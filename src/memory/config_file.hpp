#pragma once
// The configuration file (.cfg): a 168-byte header (the identified device and 40 slot
// offsets), then one entry per image: table number, start address, length, data.
// Only the bytes live here; storing the service page, the table 71 refresh and the page-list
// copy around a save or a load belong to the settings layer.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string_view>
#include <vector>

#include "link/progress.hpp"
#include "memory/configuration.hpp"
#include "util/bytes.hpp"
#include "util/result.hpp"

namespace vq::memory {

inline constexpr std::size_t kConfigHeaderSize = 8 + 4 * kConfigSlots;  // 168
inline constexpr std::size_t kConfigEntryHeadSize = 12;
// No image comes near this; a larger length can only be a damaged file.
inline constexpr std::uint32_t kConfigEntryMaxLength = 1u << 20;

// The file as the configurator writes it: every slot present, entries from offset 168 in
// slot order, header slots 36..39 zero.
Bytes serialize_configuration(const Configuration& config);

// Writes the file atomically: a temporary file in the same folder, synced, then renamed over
// the target, so a failure never leaves a damaged or truncated file behind.
Result<> save_configuration(const Configuration& config, const std::filesystem::path& file,
                            link::Progress* progress = nullptr);

// Checks the whole file first; a file that does not pass leaves `config` exactly as it was:
// a file of another kind (an event log, an old journal, firmware) is refused naming what it
// is, a directory, FIFO or device is never opened, and a file with no table at all (all
// zero, a bare header) is refused. On success the device and every slot present in the file
// are replaced; absent slots keep their images.
Result<> load_configuration(Configuration& config, const std::filesystem::path& file,
                            link::Progress* progress = nullptr);
Result<> load_configuration_bytes(Configuration& config, ByteView bytes, link::Progress* progress = nullptr);

// The whole file, after the checks load_configuration makes (kind, regular file, sound
// entries, at least one table), so that one read serves a check and a later load.
Result<Bytes> read_configuration_file(const std::filesystem::path& file);

// The slots (0..35) the file holds, in slot order, after the same checks.
Result<std::vector<std::size_t>> configuration_file_slots(ByteView bytes);

// The slot's stable English name (the image's or page's name in the memory map).
std::string_view config_slot_name(std::size_t slot);

}  // namespace vq::memory
