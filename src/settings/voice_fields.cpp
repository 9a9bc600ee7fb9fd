// General settings, the voice module and the speech notices as named fields for
// `config show/set/get`. A value goes through the operation the page's "Сохранить
// изменения" uses, and a field the page keeps disabled is refused with the reason.
#include <string>

#include "settings/config_fields.hpp"
#include "settings/field_input.hpp"
#include "settings/general_settings.hpp"
#include "settings/speech_notices.hpp"
#include "settings/voice_module.hpp"

namespace vq::settings {
namespace {

using memory::Configuration;
using memory::ImageId;

std::string num(long long v) { return std::to_string(v); }

std::string list_name(const std::vector<std::string>& names, int v) {
  return v >= 0 && v < static_cast<int>(names.size()) ? names[static_cast<std::size_t>(v)] : "значение " + num(v);
}

Result<int> parse_choice(std::string_view value, const std::vector<std::string>& names, std::string_view field) {
  for (std::size_t i = 0; i < names.size(); ++i)
    if (names[i] == value) return static_cast<int>(i);
  if (auto n = parse_whole_number(value, 0, static_cast<int>(names.size()) - 1, field)) return n;
  std::string all;
  for (std::size_t i = 0; i < names.size(); ++i) all += (i ? ", " : "") + num(static_cast<long long>(i)) + " «" + names[i] + "»";
  return fail(std::string(field) + ": " + all);
}

// ---- general settings -----------------------------------------------------------------

void report_general(const Configuration& c, std::vector<ReportSection>& out) {
  const auto g = read_general_settings(c);
  ReportSection s{"general", "Общие настройки", {}, false, 0, {}};
  s.fields.push_back(choice_field("backlight_mode", "режим подсветки ЖКИ", g.backlight_mode,
                                  list_name(backlight_mode_names(), g.backlight_mode)));
  if (backlight_time_applies(g.backlight_mode))
    s.fields.push_back(number_field("backlight_seconds", "время подсветки, с", g.backlight_seconds));
  s.fields.push_back(choice_field("sounder_mode", "режим внутреннего звука", g.sounder_mode,
                                  list_name(sounder_mode_names(), g.sounder_mode)));
  if (sounder_time_applies(g.sounder_mode))
    s.fields.push_back(number_field("sounder_seconds", "время внутреннего звука, с", g.sounder_seconds));
  s.fields.push_back(choice_field("language", "язык прибора", g.language, list_name(panel_language_names(), g.language)));
  out.push_back(std::move(s));
}

Result<> set_general_field(Configuration& c, std::string_view field, std::string_view value) {
  auto g = read_general_settings(c);
  Result<int> v = 0;
  if (field == "backlight_mode") {
    v = parse_choice(value, backlight_mode_names(), "Режим подсветки ЖКИ");
    if (v) g.backlight_mode = *v;
  } else if (field == "sounder_mode") {
    v = parse_choice(value, sounder_mode_names(), "Режим внутреннего звука");
    if (v) g.sounder_mode = *v;
  } else if (field == "language") {
    v = parse_choice(value, panel_language_names(), "Язык прибора");
    if (v) g.language = *v;
  } else if (field == "backlight_seconds") {
    if (!backlight_time_applies(g.backlight_mode))
      return fail("Время подсветки задаётся только в режиме «" + backlight_mode_names()[2] + "»");
    v = parse_whole_number(value, 1, kMaxIndicationSeconds, "Время подсветки, с");
    if (v) g.backlight_seconds = *v;
  } else if (field == "sounder_seconds") {
    if (!sounder_time_applies(g.sounder_mode))
      return fail("Время внутреннего звука задаётся только в режимах «" + sounder_mode_names()[0] + "» и «" +
                  sounder_mode_names()[2] + "»");
    v = parse_whole_number(value, 1, kMaxIndicationSeconds, "Время внутреннего звука, с");
    if (v) g.sounder_seconds = *v;
  } else {
    return fail("Нет такого ключа: general." + std::string(field));
  }
  if (!v) return std::unexpected(v.error());
  return set_general_settings(c, g);
}

// ---- voice module ---------------------------------------------------------------------

constexpr const char* kFaultKeys[kVoiceFaultReminders] = {"reminder_system_fault", "reminder_partition_fault",
                                                          "reminder_detector_power"};

void report_voice(const Configuration& c, std::vector<ReportSection>& out) {
  const auto v = read_voice_module(c);
  ReportSection s{"voice_module", "Голосовой модуль", {}, false, 0, {}};
  s.fields.push_back(flag_field("enabled", "голосовой модуль включен", v.enabled));
  s.fields.push_back(number_field("volume", "громкость (0–8)", v.volume));
  for (int i = 0; i < kVoiceNotices; ++i)
    s.fields.push_back(flag_field("notice_" + num(i + 1), "извещение «" + voice_notice_names()[static_cast<std::size_t>(i)] + "»",
                                  v.notices[static_cast<std::size_t>(i)]));
  for (int i = 0; i < kVoiceFaultReminders; ++i)
    s.fields.push_back(flag_field(kFaultKeys[i], "напоминание «" + voice_reminder_names()[static_cast<std::size_t>(i)] + "»",
                                  v.fault_reminders[static_cast<std::size_t>(i)]));
  s.fields.push_back(flag_field("disarm_reminder", "«Напоминание по снятию»", v.disarm_reminder));
  s.fields.push_back(flag_field("auto_reminders", "автонапоминания", v.auto_reminders));
  s.fields.push_back(text_field("auto_reminder_1", "автонапоминание, метка 1", clock_text(v.auto_reminder_1)));
  s.fields.push_back(text_field("auto_reminder_2", "автонапоминание, метка 2", clock_text(v.auto_reminder_2)));
  s.fields.push_back(text_field("silence_start", "интервал тишины, начало", clock_text(v.silence_start)));
  s.fields.push_back(text_field("silence_end", "интервал тишины, конец", clock_text(v.silence_end)));
  out.push_back(std::move(s));
}

Result<> set_voice_field(Configuration& c, std::string_view field, std::string_view value) {
  auto v = read_voice_module(c);
  auto flag = [&](std::string_view what, bool& into) -> Result<> {
    auto b = parse_flag(value, what);
    if (!b) return std::unexpected(b.error());
    into = *b;
    return {};
  };
  auto time = [&](std::string_view what, ClockTime& into) -> Result<> {
    auto t = parse_clock_time(value, what);
    if (!t) return std::unexpected(t.error());
    into = *t;
    return {};
  };
  Result<> parsed;
  if (field == "enabled") {
    parsed = flag("Голосовой модуль", v.enabled);
  } else if (field == "volume") {
    auto n = parse_whole_number(value, 0, kMaxVolumeLevel, "Громкость");
    if (!n) return std::unexpected(n.error());
    v.volume = *n;
  } else if (field == "disarm_reminder") {
    parsed = flag("Напоминание по снятию", v.disarm_reminder);
  } else if (field == "auto_reminders") {
    parsed = flag("Автонапоминания", v.auto_reminders);
  } else if (field == "auto_reminder_1") {
    parsed = time("Метка 1", v.auto_reminder_1);
  } else if (field == "auto_reminder_2") {
    parsed = time("Метка 2", v.auto_reminder_2);
  } else if (field == "silence_start") {
    parsed = time("Интервал тишины, начало", v.silence_start);
  } else if (field == "silence_end") {
    parsed = time("Интервал тишины, конец", v.silence_end);
  } else {
    bool known = false;
    for (int i = 0; i < kVoiceNotices && !known; ++i)
      if (field == "notice_" + num(i + 1)) {
        known = true;
        parsed = flag(voice_notice_names()[static_cast<std::size_t>(i)], v.notices[static_cast<std::size_t>(i)]);
      }
    for (int i = 0; i < kVoiceFaultReminders && !known; ++i)
      if (field == kFaultKeys[i]) {
        known = true;
        parsed = flag(voice_reminder_names()[static_cast<std::size_t>(i)], v.fault_reminders[static_cast<std::size_t>(i)]);
      }
    if (!known) return fail("Нет такого ключа: voice_module." + std::string(field));
  }
  if (!parsed) return parsed;
  return set_voice_module(c, v);
}

// ---- speech notices -------------------------------------------------------------------

std::string duration_name(int minutes) { return minutes == 0 ? "бесконечно" : num(minutes) + " мин"; }

std::string partition_list(const SpeechNotice& n) {
  std::string out;
  for (int p = 0; p < kSpeechPartitionCount; ++p)
    if (n.partitions[static_cast<std::size_t>(p)]) out += (out.empty() ? "" : ",") + num(p + 1);
  return out;
}

void report_speech(const Configuration& c, std::vector<ReportSection>& out) {
  ReportSection s{"speech_notices", "Речевое оповещение", {}, false, 0, {}};
  for (int z = 0; z < kSpeechZoneCount; ++z)
    for (int m = 0; m < kSpeechMessagesPerZone; ++m) {
      const auto n = read_speech_notice(c, z, m);
      const std::string key = num(z + 1) + "." + num(m + 1) + ".";
      const std::string who = "зона " + num(z + 1) + ", сообщение " + num(m + 1) + ": ";
      s.fields.push_back(flag_field(key + "active", who + "активно", n.active));
      if (!n.active) continue;
      s.fields.push_back(choice_field(key + "state", who + "состояние раздела", n.state,
                                      list_name(partition_state_names(), n.state)));
      s.fields.push_back(number_field(key + "delay", who + "задержка включения, с", n.delay * 10));
      s.fields.push_back(choice_field(key + "duration", who + "время звучания", n.duration, duration_name(n.duration)));
      s.fields.push_back(text_field(key + "partitions", who + "разделы", partition_list(n)));
    }
  out.push_back(std::move(s));
}

Result<> set_speech_field(Configuration& c, int zone, int message, std::string_view field, std::string_view value) {
  auto n = read_speech_notice(c, zone, message);
  const std::string who = "Зона " + num(zone + 1) + ", сообщение " + num(message + 1);
  if (field == "active") {
    auto on = parse_flag(value, who + ", активно");
    if (!on) return std::unexpected(on.error());
    if (*on == n.active) return {};
    if (*on)
      n.active = true;
    else
      n = inactive_speech_notice();  // as unticking "Активно" does
    return set_speech_notice(c, zone, message, n);
  }
  if (field != "state" && field != "delay" && field != "duration" && field != "partitions")
    return fail("Нет такого ключа: speech_notices." + num(zone + 1) + "." + num(message + 1) + "." + std::string(field));
  if (!n.active)
    return fail(who + ": сообщение не активно, его параметры не задаются (сначала speech_notices." + num(zone + 1) +
                "." + num(message + 1) + ".active=1)");
  if (field == "state") {
    auto v = parse_choice(value, partition_state_names(), who + ", состояние раздела");
    if (!v) return std::unexpected(v.error());
    n.state = *v;
  } else if (field == "delay") {
    auto v = parse_whole_number(value, kMinSpeechDelay * 10, kMaxSpeechDelay * 10, who + ", задержка включения, с");
    if (!v) return std::unexpected(v.error());
    if (*v % 10 != 0) return fail(who + ", задержка включения: от 30 до 600 секунд с шагом 10");
    n.delay = *v / 10;
  } else if (field == "duration") {
    if (value == "бесконечно") {
      n.duration = 0;
    } else {
      auto v = parse_whole_number(value, 0, kMaxSpeechDuration, who + ", время звучания, мин (0 — бесконечно)");
      if (!v) return std::unexpected(v.error());
      n.duration = *v;
    }
  } else {
    n.partitions = {};
    if (value.find_first_not_of(' ') != std::string_view::npos) {
      auto list = parse_number_list(value, 1, kSpeechPartitionCount, who + ", разделы");
      if (!list) return std::unexpected(list.error());
      for (int p : *list) n.partitions[static_cast<std::size_t>(p - 1)] = true;
    }
  }
  return set_speech_notice(c, zone, message, n);
}

}  // namespace

FieldDomain voice_fields() {
  FieldDomain d;
  d.report = [](const Configuration& c, const ReportOptions&, std::vector<ReportSection>& out) {
    report_general(c, out);
    report_voice(c, out);
    report_speech(c, out);
  };
  d.images = {ImageId::indication, ImageId::panel_language, ImageId::voice_module, ImageId::speech_notices,
              ImageId::speech_notice_partitions};
  d.set = [](Configuration& c, std::string_view key, std::string_view value) -> std::optional<Result<>> {
    const auto parts = split_key(key);
    if (parts.size() == 2 && parts[0] == "general") return set_general_field(c, parts[1], value);
    if (parts.size() == 2 && parts[0] == "voice_module") return set_voice_field(c, parts[1], value);
    if (parts[0] == "general" || parts[0] == "voice_module") return fail("Нет такого ключа: " + std::string(key));
    if (parts[0] == "speech_notices") {
      const auto z = parts.size() == 4 ? key_item(parts[1], kSpeechZoneCount) : std::nullopt;
      const auto m = parts.size() == 4 ? key_item(parts[2], kSpeechMessagesPerZone) : std::nullopt;
      if (!z || !m)
        return fail("Нет такого ключа: " + std::string(key) + " (speech_notices.ЗОНА.СООБЩЕНИЕ.поле, зона 1–96, сообщение 1–8)");
      return set_speech_field(c, *z - 1, *m - 1, parts[3], value);
    }
    return std::nullopt;
  };
  return d;
}

}  // namespace vq::settings
