#pragma once
// A virtual panel and a link to it, the way every exchange test needs them: in-process, or
// behind the link bridge on a Unix socket served from a thread.
#include <atomic>
#include <chrono>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

#include "link/bridge_transport.hpp"
#include "link/session.hpp"
#include "sim/sim_endpoint.hpp"
#include "support/bridge_server_thread.hpp"

namespace vq::test {

class RecordingProgress final : public link::Progress {
 public:
  void percent(int v) override {
    values.push_back(v);
    if (cancel_at_percent >= 0 && v >= cancel_at_percent) cancel = true;
  }
  void status(std::string_view s) override { statuses.emplace_back(s); }
  bool cancelled() const override { return cancel; }

  std::vector<int> values;
  std::vector<std::string> statuses;
  int cancel_at_percent = -1;
  bool cancel = false;
};

enum class RigKind { in_process, unix_bridge };

inline std::string rig_name(RigKind k) { return k == RigKind::in_process ? "InProcess" : "UnixBridge"; }

// The server thread's view of the panel: counts what it has taken in, so the test can
// wait until the panel has seen everything the link sent before looking at it.
class CountingDevice final : public link::DeviceSide {
 public:
  explicit CountingDevice(link::DeviceSide& inner) : inner_(inner) {}
  void receive(ByteView t) override {
    std::lock_guard lock(m_);
    inner_.receive(t);
    received_.fetch_add(1, std::memory_order_release);
  }
  std::optional<Bytes> take_answer() override {
    std::lock_guard lock(m_);
    return inner_.take_answer();
  }
  std::size_t received() const { return received_.load(std::memory_order_acquire); }
  std::mutex& mutex() { return m_; }

 private:
  link::DeviceSide& inner_;
  std::mutex m_;
  std::atomic<std::size_t> received_{0};
};

// Counts the transfers the link writes.
class CountingEndpoint final : public link::Endpoint {
 public:
  class Counting final : public link::Transport {
   public:
    Counting(std::unique_ptr<link::Transport> t, std::size_t& writes) : t_(std::move(t)), writes_(writes) {}
    Result<> write(ByteView d) override {
      auto r = t_->write(d);
      if (r) ++writes_;
      return r;
    }
    Result<std::size_t> read(std::span<std::uint8_t> b, link::Millis to) override { return t_->read(b, to); }
    void flush() override { t_->flush(); }

   private:
    std::unique_ptr<link::Transport> t_;
    std::size_t& writes_;
  };

  explicit CountingEndpoint(std::unique_ptr<link::Endpoint> inner) : inner_(std::move(inner)) {}
  Discovery discover() override {
    auto d = inner_->discover();
    if (d.transport) d.transport = std::make_unique<Counting>(std::move(d.transport), writes);
    return d;
  }
  std::string describe() const override { return inner_->describe(); }
  std::size_t writes = 0;

 private:
  std::unique_ptr<link::Endpoint> inner_;
};

class PanelRig {
 public:
  explicit PanelRig(RigKind kind = RigKind::in_process) : kind_(kind) {
    if (kind == RigKind::in_process) {
      link_ = std::make_unique<link::DeviceLink>(std::make_shared<sim::SimEndpoint>(panel));
    } else {
      start_bridge();
    }
    // Answers of a silent panel are not coming: keep failing reads short.
    link_->set_timeout(std::chrono::milliseconds(kind == RigKind::in_process ? 2000 : 300));
    session_ = std::make_unique<link::Session>(link::Session{*link_, pacing, &trace});
    link_->discover();
  }

  ~PanelRig() { link_.reset(); }

  PanelRig(const PanelRig&) = delete;
  PanelRig& operator=(const PanelRig&) = delete;

  // The panel, once it has taken in every transfer sent so far.
  sim::VirtualPanel& p() {
    if (kind_ == RigKind::unix_bridge) {
      const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
      while (device_->received() < counter_->writes && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::microseconds(50));
    }
    return *panel;
  }
  link::DeviceLink& link() { return *link_; }
  link::Session& session() { return *session_; }

  std::shared_ptr<sim::VirtualPanel> panel = std::make_shared<sim::VirtualPanel>();
  link::RecordingPacing pacing;
  link::VectorTrace trace;

 private:
  void start_bridge() {
    device_ = std::make_unique<CountingDevice>(*panel);
    server_ = std::make_unique<BridgeServerThread>(*device_);
    auto bridge = link::BridgeEndpoint::open(server_->uri());
    auto counting = std::make_shared<CountingEndpoint>(std::move(*bridge));
    counter_ = counting.get();
    link_ = std::make_unique<link::DeviceLink>(counting);
  }

  RigKind kind_;
  std::unique_ptr<CountingDevice> device_;
  std::unique_ptr<BridgeServerThread> server_;  // stops before the device it serves goes
  std::unique_ptr<link::DeviceLink> link_;
  std::unique_ptr<link::Session> session_;
  CountingEndpoint* counter_ = nullptr;
};

}  // namespace vq::test
