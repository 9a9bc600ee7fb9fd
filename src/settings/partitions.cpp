#include "settings/partitions.hpp"

#include <string>

#include "memory/routines.hpp"

namespace vq::settings {
namespace {

using memory::ImageId;

// ШС1 in bit 0, ШС2 in bit 2; a set bit means 70 ms.
int integration_bit(int loop) { return loop == 1 ? 0 : 2; }

}  // namespace

int loop_integration_ms(const memory::Configuration& config, int loop) {
  const std::uint8_t b = config.image(ImageId::integration_time).byte_at(0);
  return memory::bit_test(b, integration_bit(loop)) ? 70 : 500;
}

Result<> set_loop_integration_ms(memory::Configuration& config, int loop, int ms) {
  if (loop != 1 && loop != 2) return fail("Шлейф " + std::to_string(loop) + ": есть только ШС1 и ШС2");
  if (ms != 500 && ms != 70)
    return fail("Время интегрирования ШС" + std::to_string(loop) + ": допустимо 500 или 70 мс");
  auto& image = config.image(ImageId::integration_time);
  std::uint8_t b = image.byte_at(0);
  if (ms == 70)
    memory::bit_set(b, integration_bit(loop));
  else
    memory::bit_clear(b, integration_bit(loop));
  image.set_byte(0, b);
  return {};
}

}  // namespace vq::settings
