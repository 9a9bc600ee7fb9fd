#include "shell/preferences.hpp"

#include <cstdlib>
#include <cstring>
#include <sstream>
#include <system_error>

#include "memory/ini_file.hpp"
#include "util/atomic_file.hpp"

namespace vq::shell {
namespace {

constexpr std::string_view kSection = "System";
constexpr std::uint64_t kMaxPreferencesSize = 1u << 20;

std::filesystem::path config_home() {
  if (const char* x = std::getenv("XDG_CONFIG_HOME"); x && *x) return x;
  if (const char* h = std::getenv("HOME"); h && *h) return std::filesystem::path(h) / ".config";
  return std::filesystem::current_path();
}

bool ieq(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

std::string trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return std::string(s);
}

// A language code is a short code of letters; anything else falls back to Russian.
std::string clean_language(std::string_view code) {
  if (code.empty() || code.size() > 8) return "RU";
  for (char c : code)
    if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))) return "RU";
  return std::string(code);
}

// A value never spills into a line of its own.
std::string one_line(std::string_view value) {
  std::string out;
  for (char c : value)
    if (c != '\n' && c != '\r') out += c;
  return trim(out);
}

}  // namespace

std::filesystem::path preferences_path(const std::filesystem::path& program_path, bool portable) {
  if (portable) return program_path.parent_path() / "vantorq.ini";
  return config_home() / "vantorq" / "vantorq.ini";
}

Preferences load_preferences(const std::filesystem::path& file) {
  Preferences p;
  auto ini = memory::IniFile::load(file);
  if (!ini) return p;
  p.show_all_soft = ini->read_integer(kSection, "ShowAllSoft", 1) != 0;
  p.default_mode = static_cast<int>(ini->read_integer(kSection, "DefaultMode", 0));
  p.default_system = static_cast<int>(ini->read_integer(kSection, "DefaultSystem", p.default_mode));
  p.language = clean_language(ini->read_string(kSection, "Language", "RU"));
  p.first_run = ini->read_integer(kSection, "FirstRun", 1) != 0;
  p.usb_ids = trim(ini->read_string(kSection, "UsbIds", ""));
  return p;
}

Result<> save_preferences(const std::filesystem::path& file, const Preferences& prefs) {
  // Keep every line outside [System] as it stands; [System] is written afresh.
  std::string preamble;  // comments before the first section stay on top
  std::string kept;
  std::error_code ec;
  if (std::filesystem::exists(file, ec)) {
    auto old = read_whole_file(file, "файл настроек", kMaxPreferencesSize, "Файл настроек слишком большой: ");
    if (!old) return std::unexpected(old.error());
    std::istringstream in(std::string(old->begin(), old->end()));
    std::string line;
    bool in_system = false;
    bool in_preamble = true;
    while (std::getline(in, line)) {
      const std::string t = trim(line);
      if (t.size() >= 2 && t.front() == '[' && t.back() == ']') {
        in_system = ieq(t.substr(1, t.size() - 2), kSection);
        in_preamble = false;
      }
      if (in_preamble) {
        if (!t.empty()) preamble += t + "\n";
      } else if (!in_system && !t.empty()) {
        kept += t + "\n";
      }
    }
  }
  std::ostringstream out;
  out << preamble << "[System]\n"
      << "ShowAllSoft=" << (prefs.show_all_soft ? 1 : 0) << "\n"
      << "DefaultMode=" << prefs.default_mode << "\n"
      << "DefaultSystem=" << prefs.default_system << "\n"
      << "Language=" << clean_language(prefs.language) << "\n"
      << "FirstRun=" << (prefs.first_run ? 1 : 0) << "\n";
  if (const std::string ids = one_line(prefs.usb_ids); !ids.empty()) out << "UsbIds=" << ids << "\n";
  if (!kept.empty()) out << "\n" << kept;

  std::filesystem::create_directories(file.parent_path(), ec);
  PendingFile pending(file);
  const std::string text = out.str();
  int err = pending.create();
  if (err == 0) err = pending.write_all(text);
  if (err == 0) err = pending.commit();
  if (err != 0) return fail("Не удалось записать файл настроек " + file.string() + ": " + std::strerror(err));
  return {};
}

}  // namespace vq::shell
