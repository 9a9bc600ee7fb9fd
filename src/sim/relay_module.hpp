#pragma once
// The virtual relay module (device type 526): the bus side of the RS-485 commands.
// It reads the byte stream a frame at a time, answers, and keeps what it was sent.
#include <array>
#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "link/rs485/adapter.hpp"
#include "util/bytes.hpp"

namespace vq::sim {

class RelayModule {
 public:
  struct Identity {
    std::uint16_t device_type = 526;
    std::uint16_t platform = 0x0105;
    std::array<std::uint8_t, 3> version{1, 2, 3};
  };
  // What scenario code 4 answers: where the firmware goes.
  struct Target {
    std::uint16_t table = 0x0040;
    std::uint32_t address = 0x00010000;
    std::uint32_t length = 0x0001E000;
  };
  struct Announce {
    std::uint16_t table = 0;
    std::uint32_t address = 0;
    std::uint16_t blocks_plus_one = 0;
    Bytes header;  // the 10 header bytes and the byte after them, as received
  };
  struct Faults {
    bool silent = false;          // reads frames, answers nothing
    int refuse_next = 0;          // write commands answered with refuse_code this many times
    std::uint8_t refuse_code = 1;
    bool corrupt_crc = false;     // answers go out with their CRC bytes swapped
  };

  // Result codes of a write command the module refuses on its own.
  static constexpr std::uint8_t kNoAnnounce = 2;
  static constexpr std::uint8_t kBadBlock = 3;

  Identity& identity() { return identity_; }
  Target& target() { return target_; }
  Faults& faults() { return faults_; }

  // Bytes from the bus; the answers they cause are appended to the outgoing stream.
  void feed(ByteView bytes);
  // Everything answered so far and not yet taken.
  Bytes take_output();

  // Kept for inspection.
  const std::vector<std::uint8_t>& scenario_codes() const { return scenario_codes_; }
  const std::optional<Announce>& announce() const { return announce_; }
  const std::map<std::uint16_t, Bytes>& blocks() const { return blocks_; }
  int searches() const { return searches_; }
  int acks() const { return acks_; }
  int bad_frames() const { return bad_frames_; }
  // Blocks 1..n-1 of the last announce in order; missing blocks are zeros.
  Bytes image() const;

 private:
  void handle(ByteView frame);
  void answer(std::uint16_t txn, std::uint8_t command, ByteView data);
  void answer_write(std::uint16_t txn, std::uint8_t code);
  bool refused();  // counts down Faults::refuse_next

  Identity identity_;
  Target target_;
  Faults faults_;
  Bytes input_, output_;
  std::vector<std::uint8_t> scenario_codes_;
  std::optional<Announce> announce_;
  std::map<std::uint16_t, Bytes> blocks_;
  int searches_ = 0, acks_ = 0, bad_frames_ = 0;
};

// An adapter that talks to the module in-process: what is written is fed at once.
class RelayModuleAdapter final : public link::rs485::Adapter {
 public:
  explicit RelayModuleAdapter(RelayModule& module) : module_(module) {}
  Result<> write(ByteView data) override;
  Result<std::size_t> read(std::span<std::uint8_t> buf, link::rs485::Millis timeout) override;
  void purge() override;

 private:
  RelayModule& module_;
  Bytes pending_;
};

// A pseudo-terminal whose slave end a serial adapter can open.
class RelayPty {
 public:
  RelayPty() = default;
  RelayPty(RelayPty&& other) noexcept;
  RelayPty& operator=(RelayPty&&) = delete;
  ~RelayPty();

  const std::string& slave_path() const { return slave_path_; }
  // Serves `module` on the master end until `stop` is set; polls with a short time-out.
  void serve(RelayModule& module, const std::atomic<bool>& stop);

 private:
  friend Result<RelayPty> open_relay_pty();
  int master_ = -1;
  int slave_ = -1;  // held open so the master never sees a hang-up between clients
  std::string slave_path_;
};

// posix_openpt, grantpt, unlockpt, both ends in raw mode.
Result<RelayPty> open_relay_pty();

}  // namespace vq::sim
