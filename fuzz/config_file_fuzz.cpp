// Any .cfg bytes: the loader must refuse or load without reading outside the file, a refused
// file must leave the configuration untouched, and a loaded one must save and load again to
// the same bytes.
#include <cstddef>
#include <cstdint>

#include "memory/config_file.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vq::memory;
  static const vq::Bytes fresh = serialize_configuration(Configuration{});

  Configuration config;
  if (!load_configuration_bytes(config, vq::ByteView(data, size), nullptr)) {
    if (serialize_configuration(config) != fresh) __builtin_trap();
    return 0;
  }
  const vq::Bytes once = serialize_configuration(config);
  Configuration again;
  if (!load_configuration_bytes(again, once, nullptr)) __builtin_trap();
  if (serialize_configuration(again) != once) __builtin_trap();
  return 0;
}
