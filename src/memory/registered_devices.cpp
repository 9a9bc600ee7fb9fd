#include "memory/registered_devices.hpp"

#include <optional>

namespace vq::memory {
namespace {

std::optional<std::size_t> last_record_of(const TMemoryBlock& t, std::uint16_t model) {
  std::optional<std::size_t> last;
  for_each_counted_device(t, [&](std::size_t at, std::uint16_t m) {
    if (m == model) last = at;
  });
  return last;
}

std::uint8_t byte_of_last(const TMemoryBlock& t, std::uint16_t model, std::size_t i) {
  const auto at = last_record_of(t, model);
  return at ? t.byte_at(*at + i) : 0;
}

}  // namespace

void for_each_counted_device(const TMemoryBlock& table,
                             const std::function<void(std::size_t, std::uint16_t)>& fn) {
  const std::size_t count = table.byte_at(0);
  std::size_t counted = 0;
  for (std::size_t at = kRegisteredDevicesFirstRecord;
       counted < count && at + kRegisteredDeviceRecordSize <= table.length(); at += kRegisteredDeviceRecordSize) {
    const auto model = static_cast<std::uint16_t>(table.byte_at(at + 5) | table.byte_at(at + 6) << 8);
    if (!is_counted_model(model)) continue;
    fn(at, model);
    ++counted;
  }
}

bool has_model_517(const TMemoryBlock& table) { return last_record_of(table, kModelGsmCommunicator).has_value(); }
bool has_model_518(const TMemoryBlock& table) { return last_record_of(table, kModel518).has_value(); }

std::uint8_t device_index_of_model_517(const TMemoryBlock& table) { return byte_of_last(table, kModelGsmCommunicator, 0); }
std::uint8_t device_index_of_model_518(const TMemoryBlock& table) { return byte_of_last(table, kModel518, 0); }

std::uint8_t model_518_byte_20(const TMemoryBlock& table) { return byte_of_last(table, kModel518, 20); }
std::uint8_t model_518_byte_11(const TMemoryBlock& table) { return byte_of_last(table, kModel518, 11); }

std::uint8_t set_model_518_byte_11(TMemoryBlock& table, std::uint8_t value) {
  for_each_counted_device(table, [&](std::size_t at, std::uint16_t model) {
    if (model == kModel518) table.set_byte(at + 11, value);
  });
  return table.byte_at(0);
}

}  // namespace vq::memory
