#include "firmware/file_checks.hpp"

#include "shell/messages.hpp"

namespace vq::firmware {
namespace {

constexpr std::uint16_t kRestrictedPlatform = 0x61;

Error refusal(CheckRefusal code, int id) { return Error{code, id, shell::msg(id), {}}; }

// On this platform a 517 running x.1.3 or later must not go back to x.1.0..x.1.2.
bool forbidden_downgrade(const FirmwareHeader& file, const link::SystemInfo& device) {
  return file.device_type == link::kDeviceGsm && file.platform == kRestrictedPlatform &&
         file.version[1] == 1 && device.version[1] == 1 && file.version[2] <= 2 && device.version[2] >= 3;
}

}  // namespace

Result<> check_header(const FirmwareHeader& file, const link::SystemInfo& device) {
  if (file.device_type != device.device_type) return fail(refusal(kWrongDeviceType, 15046));
  if (file.platform != device.platform) return fail(refusal(kWrongPlatform, 15317));
  if (forbidden_downgrade(file, device)) return fail(refusal(kForbiddenDowngrade, 15324));
  return {};
}

Result<FirmwareHeader> check_file(const CatalogueRow* selected, const link::SystemInfo& device) {
  if (!selected) return fail(refusal(kNoFileSelected, 15045));
  const auto path = selected->path();
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) {
    return fail(Error{kFileUnreadable, 0, "Выбранный файл ПО больше не существует: " + path.string(),
                      "файл удалён или перемещён после того, как попал в список"});
  }
  auto header = read_header(path);
  if (!header) {
    Error e = header.error();
    e.code = kFileUnreadable;
    return fail(std::move(e));
  }
  if (auto r = check_header(*header, device); !r) return std::unexpected(r.error());
  return *header;
}

std::string confirmation_question() { return shell::msg(kConfirmWrite); }

}  // namespace vq::firmware
