#pragma once
// Table images kept in INI files (the old journal files): data byte i is the integer key
// prefix + "Item" + i of the section prefix + "Section".
#include <filesystem>
#include <string_view>

#include "memory/ini_file.hpp"
#include "memory/memory_block.hpp"
#include "util/result.hpp"

namespace vq::memory {

// Fills bytes 0 .. length - 1: a missing or non-numeric key gives 0, a number outside the
// byte range keeps its low 8 bits (300 -> 44, -1 -> 255). Keys past the length are ignored.
void load_image_from_ini(TMemoryBlock& image, const IniFile& ini, std::string_view prefix);

// The same from a file; fails, leaving the image as it was, when the file cannot be read.
Result<> load_image_from_ini(TMemoryBlock& image, const std::filesystem::path& file, std::string_view prefix);

}  // namespace vq::memory
