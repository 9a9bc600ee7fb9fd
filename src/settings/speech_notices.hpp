#pragma once
// "Речевое оповещение": 768 speech messages, 8 for each of 96 zones — whether each is
// active, the partition state that starts it, its delay, its playing time, and the
// partitions it is bound to (the speech notice and speech notice partition tables).
#include <array>
#include <string>
#include <vector>

#include "memory/configuration.hpp"
#include "util/result.hpp"

namespace vq::settings {

inline constexpr int kSpeechZoneCount = 96;
inline constexpr int kSpeechMessagesPerZone = 8;
inline constexpr int kSpeechNoticeCount = kSpeechZoneCount * kSpeechMessagesPerZone;
inline constexpr int kSpeechPartitionCount = 96;
inline constexpr int kMinSpeechDelay = 3;     // tens of seconds: 30 s
inline constexpr int kMaxSpeechDelay = 60;    // 600 s
inline constexpr int kMaxSpeechDuration = 240;  // minutes; 0 "бесконечно"

// "Пожар", "Внимание", "Тревога", ... "Неисправность" (index = stored value).
const std::vector<std::string>& partition_state_names();

struct SpeechNotice {
  bool active = false;
  int state = 0;             // index into partition_state_names()
  int delay = kMinSpeechDelay;  // tens of seconds
  int duration = 0;          // minutes, 0 endless
  std::array<bool, kSpeechPartitionCount> partitions{};  // partition p + 1 at index p
  friend bool operator==(const SpeechNotice&, const SpeechNotice&) = default;
};

// What unticking "Активно" leaves: inactive, "Пожар", 30 s, endless, no partition.
SpeechNotice inactive_speech_notice();

// Zone 0..95, message 0..7 (the list's row zone * 8 + message).
SpeechNotice read_speech_notice(const memory::Configuration& config, int zone, int message);

// Stores the message's four bytes and its 96 partition bits. Refused, unless the value is
// the stored one: a zone or message out of range, a state outside the list, a delay
// outside 3..60 (30..600 s), a duration above 240; and a table too short for the message.
Result<> set_speech_notice(memory::Configuration& config, int zone, int message, const SpeechNotice& notice);

}  // namespace vq::settings
