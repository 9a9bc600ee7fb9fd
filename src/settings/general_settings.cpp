#include "settings/general_settings.hpp"

namespace vq::settings {
namespace {

constexpr std::size_t kSounderMode = 0, kSounderTime = 1, kBacklightMode = 2, kBacklightTime = 3;

Result<> check(int now, int was, int lo, int hi, const std::string& field) {
  if (now == was || (now >= lo && now <= hi)) return {};
  return fail(field + ": допустимо от " + std::to_string(lo) + " до " + std::to_string(hi));
}

}  // namespace

const std::vector<std::string>& backlight_mode_names() {
  static const std::vector<std::string> names = {"всегда включена", "всегда выключена", "включать на время (сек)"};
  return names;
}

const std::vector<std::string>& sounder_mode_names() {
  static const std::vector<std::string> names = {"включать на время (сек)", "всегда выключен", "только тревога (сек)"};
  return names;
}

const std::vector<std::string>& panel_language_names() {
  static const std::vector<std::string> names = {"русский", "английский", "турецкий"};
  return names;
}

bool backlight_time_applies(int mode) { return mode == kBacklightTimed; }
bool sounder_time_applies(int mode) { return mode == kSounderTimed || mode == kSounderAlarmOnly; }

GeneralSettings read_general_settings(const memory::Configuration& config) {
  const auto& ind = config.image(memory::ImageId::indication);
  GeneralSettings s;
  s.sounder_mode = ind.byte_at(kSounderMode);
  s.sounder_seconds = ind.byte_at(kSounderTime);
  s.backlight_mode = ind.byte_at(kBacklightMode);
  s.backlight_seconds = ind.byte_at(kBacklightTime);
  s.language = config.image(memory::ImageId::panel_language).byte_at(0);
  return s;
}

Result<> set_general_settings(memory::Configuration& config, const GeneralSettings& s) {
  auto& ind = config.image(memory::ImageId::indication);
  auto& lang = config.image(memory::ImageId::panel_language);
  if (ind.length() <= kBacklightTime || lang.length() < 1)
    return fail("Таблица индикации или языка прибора короче ожидаемой");
  const auto was = read_general_settings(config);
  if (auto r = check(s.backlight_mode, was.backlight_mode, 0, 2, "Режим подсветки ЖКИ"); !r) return r;
  if (auto r = check(s.sounder_mode, was.sounder_mode, 0, 2, "Режим внутреннего звука"); !r) return r;
  if (auto r = check(s.language, was.language, 0, 2, "Язык"); !r) return r;
  const bool backlight_time = backlight_time_applies(s.backlight_mode);
  const bool sounder_time = sounder_time_applies(s.sounder_mode);
  if (backlight_time)
    if (auto r = check(s.backlight_seconds, was.backlight_seconds, 1, kMaxIndicationSeconds,
                       "Время подсветки ЖКИ, с");
        !r)
      return r;
  if (sounder_time)
    if (auto r = check(s.sounder_seconds, was.sounder_seconds, 1, kMaxIndicationSeconds,
                       "Время внутреннего звука, с");
        !r)
      return r;

  ind.set_byte(kBacklightMode, static_cast<std::uint8_t>(s.backlight_mode));
  if (backlight_time) ind.set_byte(kBacklightTime, static_cast<std::uint8_t>(s.backlight_seconds));
  ind.set_byte(kSounderMode, static_cast<std::uint8_t>(s.sounder_mode));
  if (sounder_time) ind.set_byte(kSounderTime, static_cast<std::uint8_t>(s.sounder_seconds));
  lang.set_byte(0, static_cast<std::uint8_t>(s.language));
  return {};
}

}  // namespace vq::settings
