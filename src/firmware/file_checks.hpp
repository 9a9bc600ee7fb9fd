#pragma once
// The checks before a firmware file is written: the file must be for the connected device,
// then the engineer confirms.
#include <string>

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
};

// Reads the selected row's header again and holds it against the connected device.
// Success gives the selected file record; the caller then asks confirmation_question().
Result<FirmwareHeader> check_file(const CatalogueRow* selected, const link::SystemInfo& device);

// The same checks for a header already read.
Result<> check_header(const FirmwareHeader& file, const link::SystemInfo& device);

// "Вы уверены, что хотите записать выбранный файл в прибор?" (Yes/No, No by default).
std::string confirmation_question();

}  // namespace vq::firmware
