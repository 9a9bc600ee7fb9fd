// Any .rpt bytes: the loader must refuse or load without reading outside the file, a refused
// file must leave the journal and the device untouched, and a loaded one must save and load
// again to the same bytes.
#include <cstddef>
#include <cstdint>

#include "eventlog/log_file.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vq::eventlog;
  // A journal that already holds images, so a refusal that touched one would show.
  static const auto seeded = [] {
    Journal j;
    for (std::size_t t = 0; t < kJournalTables; ++t) {
      j.images[t] = std::make_unique<vq::memory::TMemoryBlock>(static_cast<std::uint32_t>(t), 3,
                                                               static_cast<std::uint8_t>(t + 1));
      j.images[t]->set_table_number(static_cast<std::uint32_t>(t + 10));
    }
    return j;
  };
  static const vq::memory::IdentifiedDevice kDevice{630, 1, {2, 3, 4}, 5};
  static const vq::Bytes before = *serialize_log_file(seeded(), kDevice);

  Journal journal = seeded();
  auto device = kDevice;
  if (!load_log_file_bytes(journal, device, vq::ByteView(data, size))) {
    if (*serialize_log_file(journal, device) != before) __builtin_trap();
    return 0;
  }
  // What was loaded over the seeded journal, and what was loaded into an empty one.
  const auto once = serialize_log_file(journal, device);
  if (!once) __builtin_trap();
  Journal again;
  vq::memory::IdentifiedDevice again_device;
  if (!load_log_file_bytes(again, again_device, *once)) __builtin_trap();
  if (*serialize_log_file(again, again_device) != *once) __builtin_trap();

  Journal fresh;
  vq::memory::IdentifiedDevice fresh_device;
  if (!load_log_file_bytes(fresh, fresh_device, vq::ByteView(data, size))) __builtin_trap();
  const auto own = serialize_log_file(fresh, fresh_device);
  Journal reloaded;
  if (!own || !load_log_file_bytes(reloaded, fresh_device, *own)) __builtin_trap();
  if (*serialize_log_file(reloaded, fresh_device) != *own) __builtin_trap();
  return 0;
}
