#pragma once
// "Голосовой модуль": the voice module table (16 bytes at 0x13) — on/off, which notices it
// speaks, reminders and auto-reminders, its silence interval and volume.
#include <array>
#include <string>
#include <vector>

#include "memory/configuration.hpp"
#include "settings/service_settings.hpp"
#include "util/result.hpp"

namespace vq::settings {

inline constexpr int kVoiceNotices = 12;
inline constexpr int kVoiceFaultReminders = 3;
inline constexpr int kMaxVolumeLevel = 8;

// The notice list in stored bit order (items 1..8 bits 0..7 of byte 1, 9..12 bits 0..3 of byte 2).
const std::vector<std::string>& voice_notice_names();
// The reminder list as the page shows it: the three fault reminders (bits 0..2 of byte 14),
// then "Напоминание по снятию" (byte 11).
const std::vector<std::string>& voice_reminder_names();

struct VoiceModuleSettings {
  bool enabled = false;
  std::array<bool, kVoiceNotices> notices{};
  ClockTime auto_reminder_1, auto_reminder_2, silence_start, silence_end;
  bool disarm_reminder = false;  // "Напоминание по снятию"
  bool auto_reminders = false;
  int volume = 0;                // level 0..8, stored as 48 + 2 x level
  std::array<bool, kVoiceFaultReminders> fault_reminders{};
  friend bool operator==(const VoiceModuleSettings&, const VoiceModuleSettings&) = default;
};

// Volume level of a stored byte, kept within 0..8.
int volume_level(std::uint8_t stored);

VoiceModuleSettings read_voice_module(const memory::Configuration& config);

// Stores every field that differs from what the table holds (an untouched field keeps its
// bytes; byte 2 bits 4-7 always stay; byte 14 bits 3-7 are cleared when the reminders
// change). Refused: a time out of range, a level outside 0..8, a table shorter than 15 bytes.
Result<> set_voice_module(memory::Configuration& config, const VoiceModuleSettings& s);

}  // namespace vq::settings
