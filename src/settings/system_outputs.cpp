#include "settings/system_outputs.hpp"

namespace vq::settings {
namespace {

using memory::ImageId;

constexpr std::size_t kRecordSize = 20;

std::size_t record(int n) { return static_cast<std::size_t>(n - 1) * kRecordSize; }

}  // namespace

OutputBinding output_binding(const memory::Configuration& config, int n) {
  const auto& t = config.image(ImageId::system_outputs);
  const std::uint8_t b0 = t.byte_at(record(n));
  return {b0 >> 4, t.byte_at(record(n) + 1), (b0 & 0x0F) + 1};
}

int free_outputs_bound_to(memory::Configuration& config, int device_class, int device) {
  auto& t = config.image(ImageId::system_outputs);
  int freed = 0;
  for (int n = 1; n <= kSystemOutputCount; ++n) {
    const auto at = record(n);
    if ((t.byte_at(at) >> 4) != device_class || t.byte_at(at + 1) != device) continue;
    t.set_byte(at, 0);
    t.set_byte(at + 1, 0);
    ++freed;
  }
  return freed;
}

}  // namespace vq::settings
