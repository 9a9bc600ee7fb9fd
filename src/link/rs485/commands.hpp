#pragma once
// The four bus commands. Each traces its name and its frames byte by byte, waits 200 ms
// after writing, reads the answer within the adapter's time-out and checks its CRC.
#include <array>
#include <cstdint>

#include "link/pacing.hpp"
#include "link/rs485/adapter.hpp"
#include "link/trace.hpp"

namespace vq::link::rs485 {

struct Rs485Session {
  Adapter& adapter;
  Pacing& pacing;
  Trace* trace = nullptr;
  Millis read_timeout = kAdapterTimeout;
};

struct DeviceIdentity {
  std::uint16_t device_type = 0;
  std::uint16_t platform = 0;
  std::array<std::uint8_t, 3> version{};
};

struct ScenarioAnswer {
  std::uint16_t table = 0;
  std::uint32_t address = 0;
  std::uint32_t length = 0;
};

inline constexpr std::uint8_t kScenarioFirmware = 4;

Result<DeviceIdentity> FindSystem485(Rs485Session& s);
Result<ScenarioAnswer> ScenarioControl485(Rs485Session& s, std::uint8_t code);
// `header` is the caller's 11-byte header; only its first 10 bytes are sent.
Result<> WriteInitTable485(Rs485Session& s, std::uint16_t table, std::uint32_t address,
                           std::uint16_t blocks_plus_one, ByteView header);
// Sends data[first, end) (192 bytes) as the numbered block, one byte per write.
Result<> WriteTableData485(Rs485Session& s, std::uint16_t block_number, std::uint32_t first,
                           std::uint32_t end, ByteView data);

// Failure texts, for callers that tell them apart.
inline constexpr std::string_view kTextWriteFailed = "Ошибка записи в адаптер RS-485";
inline constexpr std::string_view kTextNoAnswer = "Устройство RS-485 не ответило";
inline constexpr std::string_view kTextBadCrc = "Ошибка контрольной суммы в ответе устройства RS-485";
inline constexpr std::string_view kTextRefused = "Устройство RS-485 вернуло код ошибки";

}  // namespace vq::link::rs485
