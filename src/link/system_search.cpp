#include "link/system_search.hpp"

#include "link/block_exchange.hpp"
#include "link/frames.hpp"
#include "shell/messages.hpp"

namespace vq::link {
namespace {

Error with_code(Error e, int code) {
  e.code = code;
  return e;
}

Result<> write_logged_a(Session& s, ByteView bytes) {
  for (auto b : bytes) {
    s.log(hex_line(b));
    if (auto w = s.link.write_byte(b); !w) return w;
  }
  return {};
}

}  // namespace

SystemInfo parse_system_answer(ByteView a) {
  SystemInfo info;
  info.device_type = get_u16(a, 2);
  info.platform = get_u16(a, 4);
  info.version[0] = a[6];
  info.version[1] = a[7];
  info.version[2] = a[8];
  return info;
}

Result<SystemInfo> FindSystem(Session& s) {
  const Bytes request = build_request(Convention::A, kCmdSystemSearch, {});
  for (int retries = 0;; ++retries) {
    s.link.flush(DeviceLink::Pipe::write);
    s.link.flush(DeviceLink::Pipe::read);
    s.log("Посылаем:");
    if (auto w = write_logged_a(s, request); !w) return fail(with_code(w.error(), kFindWriteFailed));
    s.link.flush(DeviceLink::Pipe::write);
    s.wait_ms(20);

    s.log("Принимаем:");
    Bytes answer(kSearchAnswer);
    for (auto& b : answer) {
      auto r = s.link.read_byte();
      if (!r) {
        s.log(r.error().text);
        return fail(with_code(r.error(), kFindReceiveError));
      }
      b = *r;
      s.log(hex_line(b));
    }

    if (answer[0] != kAnswerStart) {
      if (retries < 3) {
        s.wait_ms(10);
        continue;
      }
      return fail(std::string(kTextBadPacket), kFindBadPacket);
    }
    if (!crc_matches(answer, kCrcStartA)) return fail(std::string(kTextCrcError), kFindCrcError);

    const SystemInfo info = parse_system_answer(answer);
    s.log("Посылаем:");
    if (auto w = write_logged_a(s, pc_receipt(0x00)); !w) return fail(with_code(w.error(), kFindWriteFailed));
    return info;
  }
}

Result<SystemInfo> FindSystemBlock(Session& s) {
  const Bytes request = build_request(Convention::B, kCmdSystemSearch, {});
  s.link.flush(DeviceLink::Pipe::write);
  s.link.flush(DeviceLink::Pipe::read);
  s.log("Команда поиска системы");
  if (auto w = send_block_request(s, request, kTextCantSendSearch); !w)
    return fail(with_code(w.error(), kFindWriteFailed));
  s.link.flush(DeviceLink::Pipe::write);
  s.wait_ms(20);
  s.log("Принимаем...");

  Bytes answer(kSearchAnswer, 0);
  auto r = s.link.read_bytes(answer);
  log_buffer(s, answer);
  if (!r) {
    s.log(r.error().text);
    return fail(with_code(r.error(), kFindReceiveError));
  }
  if (auto c = check_block_answer(s, answer); !c)
    return fail(with_code(c.error(), answer[0] != kAnswerStart ? kFindBadPacket : kFindCrcError));
  const SystemInfo info = parse_system_answer(answer);
  if (auto w = send_block_receipt(s); !w) return fail(with_code(w.error(), kFindWriteFailed));
  return info;
}

std::string device_name(const SystemInfo& info) {
  switch (info.device_type) {
    case kDevicePanel: return shell::msg(info.version[0] == 1 ? 15038 : 15039);
    case kDeviceGsm: return shell::msg(15042);
    case kDeviceRelay: return shell::msg(15044);
    default: return std::to_string(info.device_type);
  }
}

std::string identification_line(const SystemInfo& info) {
  return shell::format_message(shell::msg(15027),
                               {device_name(info), int{info.version[0]}, int{info.version[1]}, int{info.version[2]}});
}

Result<SystemInfo> connect_panel(Session& s, SearchKind kind, Progress* progress, const AcceptDevice& accept) {
  auto status = [&](int id) {
    if (progress) progress->status(shell::msg(id));
  };
  const int count = s.link.discover();
  if (!s.link.connected()) {
    Error e = s.link.discovery_failure(count);
    if (progress) progress->status(e.text);
    return fail(std::move(e));
  }
  status(15036);
  s.wait_ms(250);
  status(15037);
  auto found = kind == SearchKind::byte_wise ? FindSystem(s) : FindSystemBlock(s);
  if (!found) {
    status(15083);
    return fail(Error{found.error().code, 15083, shell::msg(15083), found.error().full()});
  }
  if (accept) {
    if (auto ok = accept(*found); !ok) {
      if (progress) progress->status(ok.error().text);
      return fail(ok.error());
    }
  }
  status(15040);
  return found;
}

}  // namespace vq::link
