#pragma once
// "Общие настройки": the LCD backlight and the internal sounder (indication table, 4
// bytes at 0x23) and the panel language (1 byte at 0x3).
#include <string>
#include <vector>

#include "memory/configuration.hpp"
#include "util/result.hpp"

namespace vq::settings {

// Backlight modes (byte 2).
inline constexpr int kBacklightOn = 0;     // "всегда включена"
inline constexpr int kBacklightOff = 1;    // "всегда выключена"
inline constexpr int kBacklightTimed = 2;  // "включать на время (сек)"
// Sounder modes (byte 0).
inline constexpr int kSounderTimed = 0;      // "включать на время (сек)"
inline constexpr int kSounderOff = 1;        // "всегда выключен"
inline constexpr int kSounderAlarmOnly = 2;  // "только тревога (сек)"
inline constexpr int kMaxIndicationSeconds = 255;

const std::vector<std::string>& backlight_mode_names();
const std::vector<std::string>& sounder_mode_names();
const std::vector<std::string>& panel_language_names();  // "русский", "английский", "турецкий"

struct GeneralSettings {
  int backlight_mode = 0;
  int backlight_seconds = 0;  // byte 3: meant in the timed mode
  int sounder_mode = 0;
  int sounder_seconds = 0;    // byte 1: meant in modes 0 and 2
  int language = 0;
  friend bool operator==(const GeneralSettings&, const GeneralSettings&) = default;
};

bool backlight_time_applies(int backlight_mode);  // mode 2
bool sounder_time_applies(int sounder_mode);      // modes 0 and 2

GeneralSettings read_general_settings(const memory::Configuration& config);

// Stores modes and language; a time only where its mode uses it (elsewhere its byte keeps
// its value). Refused, unless the value is the stored one: a mode or language outside its
// list, a time outside 1..255 where it applies.
Result<> set_general_settings(memory::Configuration& config, const GeneralSettings& s);

}  // namespace vq::settings
