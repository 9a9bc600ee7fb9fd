#pragma once
// A device in the same process: writes go straight to it, its answers queue up as records.
// No threads and no sockets, so nothing can arrive while a read waits: an empty queue is
// a time-out at once.
#include "link/device_side.hpp"
#include "link/record_queue.hpp"
#include "link/transport.hpp"

namespace vq::link {

class LoopbackTransport final : public Transport {
 public:
  explicit LoopbackTransport(DeviceSide& device) : device_(device) {}

  Result<> write(ByteView data) override {
    if (data.empty()) return fail("Пустая передача", kTransportIo);
    device_.receive(data);
    while (auto a = device_.take_answer()) queue_.push(std::move(*a));
    return {};
  }

  Result<std::size_t> read(std::span<std::uint8_t> buf, Millis) override {
    if (auto n = queue_.take(buf); n > 0) return n;
    return fail("Прибор не отвечает", kTransportTimeout);
  }

  void flush() override {}

 private:
  DeviceSide& device_;
  RecordQueue queue_;
};

}  // namespace vq::link
