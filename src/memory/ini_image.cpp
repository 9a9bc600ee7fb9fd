#include "memory/ini_image.hpp"

#include <string>

namespace vq::memory {

void load_image_from_ini(TMemoryBlock& image, const IniFile& ini, std::string_view prefix) {
  const std::string section = std::string(prefix) + "Section";
  const std::string key_stem = std::string(prefix) + "Item";
  const auto data = image.data();
  for (std::size_t i = 0; i < data.size(); ++i)
    data[i] = static_cast<std::uint8_t>(ini.read_integer(section, key_stem + std::to_string(i), 0));
}

Result<> load_image_from_ini(TMemoryBlock& image, const std::filesystem::path& file, std::string_view prefix) {
  auto ini = IniFile::load(file);
  if (!ini) return fail(ini.error());
  load_image_from_ini(image, *ini, prefix);
  return {};
}

}  // namespace vq::memory
