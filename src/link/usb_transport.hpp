#pragma once
// The panel on USB through libusb: found by its vendor:product ids, reached through the
// first interface that has a bulk OUT (write) and a bulk IN (read) endpoint.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "link/transport.hpp"
#include "link/usb_ids.hpp"

namespace vq::link {

struct UsbOptions {
  Millis write_timeout{2000};
  // One bulk IN request; rounded up to a multiple of the endpoint's packet size so a
  // device transfer never overflows it.
  std::size_t read_size = 4096;
};

class UsbContext;

class UsbEndpoint final : public Endpoint {
 public:
  explicit UsbEndpoint(std::vector<UsbId> ids, UsbOptions options = {});
  ~UsbEndpoint() override;

  // Counts attached devices with a listed id (one that cannot be opened still counts);
  // opens and claims it when there is exactly one.
  Discovery discover() override;
  std::string describe() const override { return "usb"; }
  const std::vector<UsbId>& ids() const { return ids_; }

 private:
  std::vector<UsbId> ids_;
  UsbOptions options_;
  std::shared_ptr<UsbContext> context_;  // made on first discover, shared with open transports
};

}  // namespace vq::link
