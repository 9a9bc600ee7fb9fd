#include "settings/speech_notices.hpp"

#include "memory/speech_notices.hpp"

namespace vq::settings {
namespace {

using memory::ImageId;

bool in_range(int v, int count) { return v >= 0 && v < count; }

std::string who(int zone, int message) {
  return "Зона " + std::to_string(zone + 1) + ", сообщение " + std::to_string(message + 1);
}

}  // namespace

const std::vector<std::string>& partition_state_names() {
  static const std::vector<std::string> names = {"Пожар",  "Внимание", "Тревога",
                                                 "Нарушение", "Взятие", "Снятие",
                                                 "Снятие под принуждением", "Тихая тревога", "Неисправность"};
  return names;
}

SpeechNotice inactive_speech_notice() { return SpeechNotice{}; }

SpeechNotice read_speech_notice(const memory::Configuration& config, int zone, int message) {
  SpeechNotice n;
  const std::uint32_t v = memory::read_notice(config.image(ImageId::speech_notices), message, zone);
  n.active = (v & 0xFF) != 0;
  n.state = static_cast<int>(v >> 8 & 0xFF);
  n.delay = static_cast<int>(v >> 16 & 0xFF);
  n.duration = static_cast<int>(v >> 24 & 0xFF);
  const auto& flags = config.image(ImageId::speech_notice_partitions);
  for (int p = 0; p < kSpeechPartitionCount; ++p)
    n.partitions[static_cast<std::size_t>(p)] = memory::partition_flag(flags, message, zone, p);
  return n;
}

Result<> set_speech_notice(memory::Configuration& config, int zone, int message, const SpeechNotice& n) {
  if (!in_range(zone, kSpeechZoneCount) || !in_range(message, kSpeechMessagesPerZone))
    return fail("Речевое оповещение: зона 1–96, сообщение 1–8");
  auto& table = config.image(ImageId::speech_notices);
  auto& flags = config.image(ImageId::speech_notice_partitions);
  const std::size_t record_end = 32 * static_cast<std::size_t>(zone) + 4 * static_cast<std::size_t>(message) + 4;
  const std::size_t last_flag = static_cast<std::size_t>(kSpeechZoneCount) * (kSpeechPartitionCount - 1) +
                                static_cast<std::size_t>(zone);
  if (table.length() < record_end || flags.length() <= last_flag)
    return fail(who(zone, message) + ": таблица речевых сообщений короче ожидаемой");
  const SpeechNotice was = read_speech_notice(config, zone, message);
  const int states = static_cast<int>(partition_state_names().size());
  if (n.state != was.state && !in_range(n.state, states))
    return fail(who(zone, message) + ", состояние раздела: выберите из списка (0–" + std::to_string(states - 1) + ")");
  if (n.delay != was.delay && (n.delay < kMinSpeechDelay || n.delay > kMaxSpeechDelay))
    return fail(who(zone, message) + ", задержка включения: от 30 до 600 секунд с шагом 10");
  if (n.duration != was.duration && (n.duration < 0 || n.duration > kMaxSpeechDuration))
    return fail(who(zone, message) + ", время звучания: от 1 до 240 минут или бесконечно (0)");

  // An active byte other than 1 stays while the message stays active.
  const std::uint32_t active = n.active == was.active ? memory::read_notice(table, message, zone) & 0xFF
                                                      : (n.active ? 1u : 0u);
  const auto value = static_cast<std::uint32_t>(active | static_cast<std::uint32_t>(n.state & 0xFF) << 8 |
                                                static_cast<std::uint32_t>(n.delay & 0xFF) << 16 |
                                                static_cast<std::uint32_t>(n.duration & 0xFF) << 24);
  memory::write_notice(table, message, zone, value);
  for (int p = 0; p < kSpeechPartitionCount; ++p)
    memory::set_partition_flag(flags, message, zone, p, n.partitions[static_cast<std::size_t>(p)]);
  return {};
}

}  // namespace vq::settings
