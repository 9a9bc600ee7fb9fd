#include "memory/configuration.hpp"

namespace vq::memory {

Configuration::Configuration() {
  for (const auto& s : images())
    images_[static_cast<std::size_t>(s.id)] = std::make_unique<TMemoryBlock>(s.address, s.length, 0);
  for (const auto& p : pages())
    pages_[static_cast<std::size_t>(p.id)] = std::make_unique<TMemoryBlock>(p.address, kPageSize, 0);
  const auto& layout = page_list_layout();
  for (std::size_t i = 0; i < kPageListEntries; ++i) {
    page_list_[i].table = layout[i].table;
    page_list_[i].address = layout[i].address;
  }
}

void Configuration::replace(const ConfigSlot& s, std::unique_ptr<TMemoryBlock> block) {
  if (!block) return;
  if (s.is_page)
    pages_[s.index] = std::move(block);
  else
    images_[s.index] = std::move(block);
}

}  // namespace vq::memory
