#include "shell/data_folders.hpp"

#include <cstdlib>
#include <system_error>

namespace vq::shell {
namespace {
std::optional<std::filesystem::path> env_path(const char* name) {
  const char* v = std::getenv(name);
  if (!v || !*v) return std::nullopt;
  return std::filesystem::path(v);
}
}  // namespace

std::filesystem::path resolve_data_dir(const std::optional<std::filesystem::path>& option) {
  if (option && !option->empty()) return *option;
  if (auto p = env_path("VANTORQ_DATA_DIR")) return *p;
  if (auto p = env_path("XDG_DATA_HOME")) return *p / "vantorq";
  if (auto p = env_path("HOME")) return *p / ".local" / "share" / "vantorq";
  return std::filesystem::current_path() / "vantorq-data";
}

Result<> ensure_data_dir(const std::filesystem::path& dir) {
  for (const char* sub : {"", "Conf", "Base", "Report", "Help"}) {
    const auto p = *sub ? dir / sub : dir;
    std::error_code ec;
    std::filesystem::create_directories(p, ec);
    if (ec || !std::filesystem::is_directory(p))
      return fail("Не удалось создать папку " + p.string() + (ec ? ": " + ec.message() : ""));
  }
  return {};
}

}  // namespace vq::shell
