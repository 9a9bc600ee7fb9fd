#include "settings/voice_module.hpp"

#include <algorithm>

#include "memory/routines.hpp"
#include "shell/messages.hpp"

namespace vq::settings {
namespace {

using u8 = std::uint8_t;
constexpr std::size_t kEnabled = 0, kNotices1 = 1, kNotices2 = 2, kAuto1 = 3, kAuto2 = 5, kSilenceStart = 7,
                      kSilenceEnd = 9, kDisarmReminder = 11, kAutoReminders = 12, kVolume = 13, kFaults = 14,
                      kUsedBytes = 15;
constexpr int kVolumeBase = 48;

ClockTime time_at(const memory::TMemoryBlock& t, std::size_t at) { return {t.byte_at(at), t.byte_at(at + 1)}; }

Result<> check_time(ClockTime now, ClockTime was, const char* field) {
  if (now == was || (now.hours >= 0 && now.hours <= 23 && now.minutes >= 0 && now.minutes <= 59)) return {};
  return fail(shell::msg(15271) + " (" + field + ": часы 00–23, минуты 00–59)");
}

}  // namespace

const std::vector<std::string>& voice_notice_names() {
  static const std::vector<std::string> names = {"Тревога",
                                                  "Пожар",
                                                  "Пожарная опасность",
                                                  "Взят/Снят",
                                                  "Тревога - неисправность в системе",
                                                  "Тревога - неисправность в разделе",
                                                  "Неисправность в системе",
                                                  "Неисправность в разделе",
                                                  "Неисправность питания извещателя",
                                                  "Восстановление неисправности системы",
                                                  "Восстановление неисправности раздела",
                                                  "Раздел не готов"};
  return names;
}

const std::vector<std::string>& voice_reminder_names() {
  static const std::vector<std::string> names = {"Неисправность в системе", "Неисправность в разделе",
                                                 "Неисправность питания извещателя", "Напоминание по снятию"};
  return names;
}

int volume_level(std::uint8_t stored) { return std::clamp((int{stored} - kVolumeBase) / 2, 0, kMaxVolumeLevel); }

VoiceModuleSettings read_voice_module(const memory::Configuration& config) {
  const auto& t = config.image(memory::ImageId::voice_module);
  VoiceModuleSettings s;
  s.enabled = t.byte_at(kEnabled) == 1;
  for (int i = 0; i < kVoiceNotices; ++i)
    s.notices[static_cast<std::size_t>(i)] =
        i < 8 ? memory::bit_test(t.byte_at(kNotices1), i) : memory::bit_test(t.byte_at(kNotices2), i - 8);
  s.auto_reminder_1 = time_at(t, kAuto1);
  s.auto_reminder_2 = time_at(t, kAuto2);
  s.silence_start = time_at(t, kSilenceStart);
  s.silence_end = time_at(t, kSilenceEnd);
  s.disarm_reminder = t.byte_at(kDisarmReminder) == 1;
  s.auto_reminders = t.byte_at(kAutoReminders) == 1;
  s.volume = volume_level(t.byte_at(kVolume));
  for (int i = 0; i < kVoiceFaultReminders; ++i)
    s.fault_reminders[static_cast<std::size_t>(i)] = memory::bit_test(t.byte_at(kFaults), i);
  return s;
}

Result<> set_voice_module(memory::Configuration& config, const VoiceModuleSettings& s) {
  auto& t = config.image(memory::ImageId::voice_module);
  if (t.length() < kUsedBytes) return fail("Таблица голосового модуля короче " + std::to_string(kUsedBytes) + " байт");
  const auto was = read_voice_module(config);
  if (s.volume != was.volume && (s.volume < 0 || s.volume > kMaxVolumeLevel))
    return fail("Громкость: уровень от 0 до " + std::to_string(kMaxVolumeLevel));
  if (auto r = check_time(s.auto_reminder_1, was.auto_reminder_1, "Метка 1"); !r) return r;
  if (auto r = check_time(s.auto_reminder_2, was.auto_reminder_2, "Метка 2"); !r) return r;
  if (auto r = check_time(s.silence_start, was.silence_start, "Интервал тишины, начало"); !r) return r;
  if (auto r = check_time(s.silence_end, was.silence_end, "Интервал тишины, конец"); !r) return r;

  auto flag = [&](bool now, bool old, std::size_t at) {
    if (now != old) t.set_byte(at, now ? 1 : 0);
  };
  flag(s.enabled, was.enabled, kEnabled);
  if (s.notices != was.notices) {
    u8 low = 0, high = static_cast<u8>(t.byte_at(kNotices2) & 0xF0);
    for (int i = 0; i < kVoiceNotices; ++i) {
      if (!s.notices[static_cast<std::size_t>(i)]) continue;
      if (i < 8)
        memory::bit_set(low, i);
      else
        memory::bit_set(high, i - 8);
    }
    t.set_byte(kNotices1, low);
    t.set_byte(kNotices2, high);
  }
  auto put_time = [&](ClockTime now, ClockTime old, std::size_t at) {
    if (now == old) return;
    t.set_byte(at, static_cast<u8>(now.hours));
    t.set_byte(at + 1, static_cast<u8>(now.minutes));
  };
  put_time(s.auto_reminder_1, was.auto_reminder_1, kAuto1);
  put_time(s.auto_reminder_2, was.auto_reminder_2, kAuto2);
  put_time(s.silence_start, was.silence_start, kSilenceStart);
  put_time(s.silence_end, was.silence_end, kSilenceEnd);
  flag(s.disarm_reminder, was.disarm_reminder, kDisarmReminder);
  flag(s.auto_reminders, was.auto_reminders, kAutoReminders);
  if (s.volume != was.volume) t.set_byte(kVolume, static_cast<u8>(kVolumeBase + 2 * s.volume));
  if (s.fault_reminders != was.fault_reminders) {
    u8 b = 0;
    for (int i = 0; i < kVoiceFaultReminders; ++i)
      if (s.fault_reminders[static_cast<std::size_t>(i)]) memory::bit_set(b, i);
    t.set_byte(kFaults, b);
  }
  return {};
}

}  // namespace vq::settings
