#pragma once
// The panel's side of the USB protocol, fed through the same transport interface a real
// panel is reached by. Tests, benchmarks, the demo and `--device sim` stand on it.
#include <array>
#include <cstdint>
#include <deque>
#include <optional>

#include "link/device_side.hpp"
#include "link/table_commands.hpp"
#include "util/bytes.hpp"

namespace vq::sim {

struct PanelIdentity {
  std::uint16_t device_type = 630;
  std::uint16_t platform = 0x61;
  std::array<std::uint8_t, 3> version = {2, 4, 7};
};

// Knobs that make the panel misbehave on purpose. Counters are consumed as they fire.
struct Faults {
  int bad_start_answers = 0;   // the next k transmissions (answers and receipts) start with 0x55
  int bad_crc_answers = 0;     // the next k CRC-carrying answers have a broken CRC
  int block_status_at = 0;     // data block k (from 1) of the next table write ...
  std::uint8_t block_status = 0;  // ... is answered with this receipt status
  int silent_at_frame = 0;     // the n-th frame from now (1 = next) gets no answer at all
  bool silent = false;         // answer nothing
  int discover_count = 1;      // panels the discovery reports: 0, 1 or 2
};

struct PanelStats {
  std::size_t frames = 0;         // request frames received, data blocks included
  std::size_t receipts = 0;       // PC receipts received
  std::size_t corrupt_frames = 0; // frames whose CRC did not match
  std::size_t dropped_bytes = 0;  // bytes that could not start a frame
};

class VirtualPanel final : public link::DeviceSide {
 public:
  static constexpr std::uint32_t kMemorySize = 0x150000;
  static constexpr std::size_t kPageSize = 512;

  VirtualPanel();

  void receive(ByteView transfer) override;
  std::optional<Bytes> take_answer() override;
  // Drops the half-received frame, the answers not taken, the transfer parameters and any
  // table read, write or firmware transfer under way. Memory, the firmware received,
  // identity, faults and statistics stay.
  void reset_exchange() override;

  PanelIdentity& identity() { return identity_; }
  Faults& faults() { return faults_; }
  const PanelStats& stats() const { return stats_; }

  // The whole panel memory, absolute addresses.
  Bytes& memory() { return memory_; }
  const Bytes& memory() const { return memory_; }
  // The last firmware image received (table 0 after scenario 4), padding included.
  const Bytes& firmware() const { return firmware_; }
  std::uint8_t last_scenario() const { return last_scenario_; }

  // Data bytes per single-frame read answer (1..254).
  void set_chunk_size(std::size_t n);
  std::size_t chunk_size() const { return chunk_size_; }
  link::TableDirectory& directory() { return directory_; }

  // Panel address of a page table (30, 33..37, 60, 70, 71), if `table` is one.
  static std::optional<std::uint32_t> page_address(std::uint32_t table);

 private:
  enum class Await { nothing, read_receipt };

  struct Target {
    std::uint32_t base = 0;
    std::uint32_t limit = 0;  // bytes that may be stored or served from base
    bool firmware = false;
  };

  void process();
  void on_frame(ByteView frame);
  void on_receipt();
  void on_search(bool conv_b);
  void on_scenario(std::uint8_t code, bool conv_b);
  void on_write_header(ByteView params);
  void on_data_block(ByteView params);
  void on_read(ByteView params, bool conv_b);
  void send_next_read_block();

  std::optional<Target> resolve(std::uint32_t table, std::uint32_t address, std::uint32_t length) const;
  void send_answer(Bytes frame, std::uint16_t crc_start);  // appends the CRC
  void send_raw(Bytes frame);
  void send_receipt(std::uint8_t status);

  PanelIdentity identity_;
  Faults faults_;
  PanelStats stats_;
  Bytes memory_;
  Bytes firmware_;
  Bytes rx_;
  std::deque<Bytes> tx_;
  std::size_t chunk_size_ = 254;
  link::TableDirectory directory_;
  std::uint8_t last_scenario_ = 0;
  bool answer_suppressed_ = false;

  // Transfer parameters last written (table 18).
  std::uint32_t tp_table_ = 0, tp_address_ = 0, tp_length_ = 0;
  bool tp_valid_ = false;

  // A table write in progress.
  std::optional<Target> write_;
  std::size_t write_blocks_ = 0, write_next_ = 1;

  // A convention A table read in progress.
  Await await_ = Await::nothing;
  Target read_{};
  std::size_t read_blocks_ = 0, read_next_ = 0;
};

}  // namespace vq::sim
