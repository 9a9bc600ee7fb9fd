#pragma once
// The checks before a firmware file is written: the file must be for the connected device,
// then the engineer confirms.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "firmware/catalogue.hpp"
#include "firmware/firmware_header.hpp"
#include "link/system_search.hpp"

namespace vq::firmware {

// Caption of the checks' message boxes and of the confirmation question.
inline constexpr int kChecksCaption = 15021;
inline constexpr int kConfirmWrite = 15047;

// Codes in Error::code of a refusal, in the order the checks run. Only kNoFileSelected is
// a warning; the others are errors.
enum CheckRefusal {
  kNoFileSelected = 1,  // 15045
  kFileUnreadable,      // the listed file vanished or cannot be read any more
  kWrongDeviceType,     // 15046
  kWrongPlatform,       // 15317
  kForbiddenDowngrade,  // 15324
  kNotFirmware,         // a file of another kind, a folder, a FIFO or a device
  kNotTsk,              // 15269: the name does not end in ".tsk"
  kImpossibleSize,      // too small or too large to be a firmware image
  kOtherModel,          // the name does not fit the connected device's catalogue mask
};

// The sizes a firmware file can have. Over USB the whole file, its 7-byte header included,
// is the image: at least 8 bytes. Over RS-485 the first 11 bytes are the announce header
// and the image follows: at least 12. At most: the write numbers its blocks and one more in
// 16 bits, so 65,534 blocks, of 252 bytes over USB (16,514,568 bytes) and of 192 bytes over
// RS-485 (12,582,528 bytes); no larger file can be written at all.
struct ImageSizeLimits {
  std::uint64_t min = 0;
  std::uint64_t max = 0;
};
ImageSizeLimits image_size_limits(FirmwareLink link);

// The rules the window's file dialog and drop apply, checked before anything is sent:
// a regular file (a FIFO is never opened), no file of another kind ("это файл настроек, а
// не файл прошивки"), a name ending in exactly ".tsk", a size within image_size_limits.
Result<> check_file_rules(const std::filesystem::path& file, FirmwareLink link);

// After a connection the window lists only the files of the device's catalogue mask
// ("630M*.tsk", "517*.tsk", "526*.tsk"); a file named for another model is refused. An
// empty mask (a model the window does not name) leaves the header checks to decide.
Result<> check_catalogue_mask(const std::filesystem::path& file, std::string_view mask,
                              std::string_view device_name);

// Reads the selected row's header again and holds it against the connected device.
// Success gives the selected file record; the caller then asks confirmation_question().
Result<FirmwareHeader> check_file(const CatalogueRow* selected, const link::SystemInfo& device);

// The same checks for a header already read.
Result<> check_header(const FirmwareHeader& file, const link::SystemInfo& device);

// "Вы уверены, что хотите записать выбранный файл в прибор?" (Yes/No, No by default).
std::string confirmation_question();

}  // namespace vq::firmware
