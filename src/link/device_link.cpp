#include "link/device_link.hpp"

#include "shell/messages.hpp"

namespace vq::link {

DeviceLink::DeviceLink(std::shared_ptr<Endpoint> endpoint, Millis timeout)
    : endpoint_(std::move(endpoint)), timeout_(timeout) {}

int DeviceLink::discover() {
  close();
  discover_error_.clear();
  discover_error_code_ = 0;
  if (!endpoint_) return 0;
  auto found = endpoint_->discover();
  discover_error_ = std::move(found.error);
  discover_error_code_ = found.error_code;
  if (found.count == 1) {
    transport_ = std::move(found.transport);
    connected_ = transport_ != nullptr;
    if (transport_) transport_->flush();
  }
  // With two or more panels both pipes stay empty: only one panel can be served.
  return found.count;
}

Error DeviceLink::discovery_failure(int count) const {
  // Told apart from "no panel attached": nothing was looked for.
  if (count == 0 && discover_error_code_ == kTransportNotConfigured)
    return Error{kTransportNotConfigured, 0, discover_error_, {}};
  // Attached but closed to us: "disconnected" would send the user to the cable.
  if (count == 1 && !discover_error_.empty()) return Error{kTransportOpenFailed, 0, discover_error_, {}};
  const int id = count >= 2 ? 15035 : 15034;
  return Error{0, id, shell::msg(id), discover_error_};
}

void DeviceLink::close() {
  transport_.reset();
  connected_ = false;
}

void DeviceLink::flush(Pipe pipe) {
  if (transport_ && pipe == Pipe::write) transport_->flush();
}

Result<> DeviceLink::write_byte(std::uint8_t b) {
  const std::uint8_t one[] = {b};
  return write_bytes(one);
}

Result<> DeviceLink::write_bytes(ByteView data) {
  if (!transport_) return fail(std::string(kTextNotOpen));
  return transport_->write(data);
}

Result<std::size_t> DeviceLink::read_some(std::span<std::uint8_t> out) {
  if (!transport_) return fail(std::string(kTextNotOpen));
  auto r = transport_->read(out, timeout_);
  if (!r && r.error().code == kTransportTimeout)
    return fail(Error{kTransportTimeout, 0, std::string(kTextNoAnswer), {}});
  return r;
}

Result<std::uint8_t> DeviceLink::read_byte() {
  std::uint8_t b = 0;
  auto r = read_some({&b, 1});
  if (!r) return std::unexpected(r.error());
  return b;
}

Result<> DeviceLink::read64(std::span<std::uint8_t, 64> out) {
  // A device may hand the 64 bytes over in pieces; each piece has the full time-out.
  std::size_t got = 0;
  while (got < out.size()) {
    auto r = read_some(std::span<std::uint8_t>(out).subspan(got));
    if (!r) return std::unexpected(r.error());
    got += *r;
  }
  return {};
}

Result<std::size_t> DeviceLink::read_bytes(std::span<std::uint8_t> out) { return read_some(out); }

}  // namespace vq::link
