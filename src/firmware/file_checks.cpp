#include "firmware/file_checks.hpp"

#include "eventlog/log_file.hpp"
#include "firmware/firmware_write.hpp"
#include "memory/config_file.hpp"
#include "link/rs485/frame.hpp"
#include "shell/file_kind.hpp"
#include "shell/messages.hpp"
#include "util/atomic_file.hpp"

namespace vq::firmware {
namespace {

constexpr std::uint16_t kRestrictedPlatform = 0x61;


Error refusal(CheckRefusal code, int id) { return Error{code, id, shell::msg(id), {}}; }

// On this platform a 517 running x.1.3 or later must not go back to x.1.0..x.1.2.
bool forbidden_downgrade(const FirmwareHeader& file, const link::SystemInfo& device) {
  return file.device_type == link::kDeviceGsm && file.platform == kRestrictedPlatform &&
         file.version[1] == 1 && device.version[1] == 1 && file.version[2] <= 2 && device.version[2] >= 3;
}

// The kind by content, a configuration or log file only when its own loader takes it: a
// firmware image starts with a device header too, and the code after it can look like
// offset fields.
shell::FileKind confirmed_kind(ByteView bytes) {
  const auto kind = shell::detect_file_kind(bytes);
  if (kind == shell::FileKind::configuration) {
    memory::Configuration scratch;
    return memory::load_configuration_bytes(scratch, bytes) ? kind : shell::FileKind::unknown;
  }
  if (kind == shell::FileKind::event_log) {
    eventlog::Journal scratch;
    memory::IdentifiedDevice device;
    return eventlog::load_log_file_bytes(scratch, device, bytes) ? kind : shell::FileKind::unknown;
  }
  return kind;
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

ImageSizeLimits image_size_limits(FirmwareLink link) {
  constexpr std::uint64_t kMaxBlocks = 0xFFFF - 1;
  if (link == FirmwareLink::rs485) return {link::rs485::kHeaderSize + 1, kMaxBlocks * link::rs485::kBlockSize};
  return {kHeaderSize + 1, kMaxBlocks * kUsbFirmwareBlock};
}

Result<> check_file_rules(const std::filesystem::path& file, FirmwareLink link) {
  const auto fault = [](CheckRefusal code, Error e) {
    e.code = code;
    return fail(std::move(e));
  };
  if (auto regular = shell::check_regular_file(file, "файл ПО"); !regular) return fault(kNotFirmware, regular.error());
  const auto limits = image_size_limits(link);
  std::error_code ec;
  const auto size = std::filesystem::file_size(file, ec);
  if (ec) return fail(Error{kNotFirmware, 0, "Не удалось открыть файл ПО: " + file.string(), ec.message()});
  // A file of another kind is named first: "это файл настроек" says more than a wrong size.
  if (size <= limits.max) {
    auto bytes = read_whole_file(file, "файл ПО", limits.max, "Файл ПО " + file.string() + " не подходит: ");
    if (!bytes) return fault(kNotFirmware, bytes.error());
    if (const auto kind = confirmed_kind(*bytes); kind != shell::FileKind::firmware && kind != shell::FileKind::unknown)
      return fault(kNotFirmware, shell::wrong_kind_error(kind, shell::FileKind::firmware, file));
  }
  // Case matters, as for a dropped file.
  if (file.extension().string() != ".tsk") {
    Error e = refusal(kNotTsk, 15269);
    e.detail = "имя файла ПО оканчивается на .tsk: " + file.filename().string();
    return fail(std::move(e));
  }
  if (size < limits.min || size > limits.max)
    return fail(Error{kImpossibleSize, 0,
                      "Файл " + file.string() + " не может быть файлом ПО: его размер " + std::to_string(size) +
                          " байт, а файл ПО занимает от " + std::to_string(limits.min) + " до " +
                          std::to_string(limits.max) + " байт",
                      {}});
  return {};
}

Result<> check_catalogue_mask(const std::filesystem::path& file, std::string_view mask,
                              std::string_view device_name) {
  if (mask.empty() || mask_matches(mask, file.filename().string())) return {};
  return fail(Error{kOtherModel, 0,
                    "Файл " + file.filename().string() + " не для прибора " + std::string(device_name) +
                        ": имена файлов ПО этого прибора соответствуют маске " + std::string(mask),
                    {}});
}

std::string confirmation_question() { return shell::msg(kConfirmWrite); }

}  // namespace vq::firmware
