#pragma once
// Everything the settings editor holds: the 28 images, the 9 pages, the page list that
// carries the pages to and from the panel, and the device the images belong to.
#include <array>
#include <cstdint>
#include <memory>

#include "memory/memory_block.hpp"
#include "memory/memory_map.hpp"

namespace vq::memory {

struct IdentifiedDevice {
  std::uint16_t device_type = 0;
  std::uint16_t platform = 0;
  std::array<std::uint8_t, 3> version{};
  std::uint8_t extra = 0;  // the byte kept after the version in configuration files

  friend bool operator==(const IdentifiedDevice&, const IdentifiedDevice&) = default;
};

struct PageListEntry {
  std::uint16_t table = 0;
  std::uint32_t address = 0;
  std::array<std::uint8_t, kPageSize> data{};
};

class Configuration {
 public:
  // A fresh configuration: every image and page zero, the page list set up.
  Configuration();

  Configuration(const Configuration&) = delete;
  Configuration& operator=(const Configuration&) = delete;
  Configuration(Configuration&&) = default;
  Configuration& operator=(Configuration&&) = default;

  TMemoryBlock& image(ImageId id) { return *images_[static_cast<std::size_t>(id)]; }
  const TMemoryBlock& image(ImageId id) const { return *images_[static_cast<std::size_t>(id)]; }
  TMemoryBlock& page(PageId id) { return *pages_[static_cast<std::size_t>(id)]; }
  const TMemoryBlock& page(PageId id) const { return *pages_[static_cast<std::size_t>(id)]; }

  // The image of a configuration-file slot.
  TMemoryBlock& slot(const ConfigSlot& s) {
    return s.is_page ? page(static_cast<PageId>(s.index)) : image(static_cast<ImageId>(s.index));
  }
  const TMemoryBlock& slot(const ConfigSlot& s) const {
    return s.is_page ? page(static_cast<PageId>(s.index)) : image(static_cast<ImageId>(s.index));
  }
  // Replaces a slot's image (a loaded file brings its own address and length).
  void replace(const ConfigSlot& s, std::unique_ptr<TMemoryBlock> block);

  std::array<PageListEntry, kPageListEntries>& page_list() { return page_list_; }
  const std::array<PageListEntry, kPageListEntries>& page_list() const { return page_list_; }
  PageListEntry& page_list_entry(PageId id) {
    return page_list_[static_cast<std::size_t>(layout(id).page_list_entry)];
  }

  IdentifiedDevice device;

 private:
  std::array<std::unique_ptr<TMemoryBlock>, kImageCount> images_;
  std::array<std::unique_ptr<TMemoryBlock>, kPageCount> pages_;
  std::array<PageListEntry, kPageListEntries> page_list_{};
};

}  // namespace vq::memory
