#pragma once
// The system search in both conventions, the connect skeleton and the identification line.
#include <cstdint>
#include <functional>
#include <string>

#include "link/session.hpp"

namespace vq::link {

struct SystemInfo {
  std::uint16_t device_type = 0;
  std::uint16_t platform = 0;
  std::uint8_t version[3] = {0, 0, 0};
};

inline constexpr std::uint16_t kDevicePanel = 630;
inline constexpr std::uint16_t kDeviceGsm = 517;
inline constexpr std::uint16_t kDeviceRelay = 526;

// Result codes of the convention A search, carried in Error::code.
enum FindSystemCode { kFindOk = 0, kFindWriteFailed = 1, kFindReceiveError = 2, kFindBadPacket = 3, kFindCrcError = 4 };

// Convention A: byte-wise, up to four requests while the start byte is wrong.
Result<SystemInfo> FindSystem(Session& s);
// Convention B: whole frames, no retry; failures go to the trace only.
Result<SystemInfo> FindSystemBlock(Session& s);

SystemInfo parse_system_answer(ByteView answer11);

// Name of the device in identification texts ("Сорвел-630М-Q", ...); the code in decimal
// for a device type we do not know.
std::string device_name(const SystemInfo& info);
// "Тип прибора: %s. Версия ПО: %d.%d.%d" from the current message table.
std::string identification_line(const SystemInfo& info);

enum class SearchKind { byte_wise, block };

// A window's own test of the device found; success unless it returns an error.
using AcceptDevice = std::function<Result<>(const SystemInfo&)>;

// Close, discover, then search: the same skeleton for every window. Status texts go to
// `progress`; a failure carries the text the window shows (15034, 15035 or 15083, or
// whatever `accept` refused the device with).
Result<SystemInfo> connect_panel(Session& s, SearchKind kind, Progress* progress = nullptr,
                                 const AcceptDevice& accept = {});

}  // namespace vq::link
