#include "memory/type_names.hpp"

#include "shell/messages.hpp"

namespace vq::memory {

std::optional<int> device_type_message_id(int code) {
  switch (code) {
    case 1: return 15060;
    case 2: return 15061;
    case 3: return 15062;
    case 4: return 15063;
    case 5: return 15326;
    case 18: return 15064;
    case 31: case 32: return 15065;
    case 33: case 34: return 15066;
    case 35: return 15319;
    case 65: return 15315;
    case 66: return 15300;
    case 70: return 15321;
    case 90: return 15320;
    case 224: case 225: case 226: case 228: case 229: return 15067;
    case 238: return 15068;
    default: return std::nullopt;
  }
}

std::string device_type_name(int code, link::Trace* log) {
  // Looked up at call time: a language switch changes the names.
  if (const auto id = device_type_message_id(code)) return std::string(shell::msg(*id));
  link::trace_line(log, std::to_string(code));
  return {};
}

std::string notice_type_name(int code) {
  switch (code) {
    case 1: return std::string(shell::msg(15070));
    case 2: return std::string(shell::msg(15071));
    case 3: return std::string(shell::msg(15072));
    case 4: return std::string(shell::msg(15073));
    case 5: return std::string(shell::msg(15280));
    default: return "-";
  }
}

}  // namespace vq::memory
