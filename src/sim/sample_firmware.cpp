#include "sim/sample_firmware.hpp"

#include <algorithm>
#include <system_error>

#include "sim/relay_module.hpp"
#include "sim/virtual_panel.hpp"
#include "util/atomic_file.hpp"

namespace vq::sim {
namespace {

// Header (type, platform, version) and then filler with the marker in it.
Bytes sample(std::uint16_t type, std::uint16_t platform, std::array<std::uint8_t, 3> version, std::size_t size) {
  Bytes b(size);
  for (std::size_t i = 0; i < size; ++i) b[i] = static_cast<std::uint8_t>((i * 7 + 3) & 0xFF);
  put_u16(b, 0, type);
  put_u16(b, 2, platform);
  std::copy(version.begin(), version.end(), b.begin() + 4);
  std::copy(kSampleMarker.begin(), kSampleMarker.end(), b.begin() + kSampleMarkerAt);
  return b;
}

std::array<std::uint8_t, 3> next_version(std::array<std::uint8_t, 3> v) {
  ++v[2];
  return v;
}

}  // namespace

std::vector<SampleFirmware> sample_firmware_files() {
  const PanelIdentity panel;
  const RelayModule::Identity relay;
  auto name = [](std::string_view stem, std::array<std::uint8_t, 3> v) {
    return std::string(stem) + "_" + std::to_string(v[0]) + "." + std::to_string(v[1]) + "." + std::to_string(v[2]) +
           "_SAMPLE.tsk";
  };
  const auto pv = next_version(panel.version);
  const auto rv = next_version(relay.version);
  return {
      {name("630M", pv), "виртуальный прибор", sample(panel.device_type, panel.platform, pv, 64 * 1024)},
      {name("526", rv), "виртуальный модуль реле (RS-485)", sample(relay.device_type, relay.platform, rv, 16 * 1024)},
  };
}

bool is_sample_firmware(ByteView file) {
  if (file.size() < kSampleMarkerAt + kSampleMarker.size()) return false;
  return std::equal(kSampleMarker.begin(), kSampleMarker.end(), file.begin() + kSampleMarkerAt);
}

Result<std::vector<std::filesystem::path>> write_sample_firmware(const std::filesystem::path& folder) {
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (ec) return fail("Не удалось создать папку " + folder.string() + ": " + ec.message());
  std::vector<std::filesystem::path> written;
  for (const auto& s : sample_firmware_files()) {
    const auto path = folder / s.file_name;
    PendingFile out(path);
    int err = out.create();
    if (!err) err = out.write_all(ByteView(s.bytes));
    if (!err) err = out.commit();
    if (err) return fail("Не удалось записать " + path.string() + ": " + std::error_code(err, std::generic_category()).message());
    written.push_back(path);
  }
  return written;
}

}  // namespace vq::sim
