#include "link/block_exchange.hpp"

#include "link/frames.hpp"

namespace vq::link {

void log_buffer(Session& s, ByteView bytes) {
  if (!s.trace) return;
  for (std::size_t i = 0; i < bytes.size(); ++i) s.log(buffer_line(i, bytes[i]));
}

Result<> send_block_request(Session& s, ByteView request, std::string_view cant_send, int message_id) {
  s.log("Отсылаем...");
  log_buffer(s, request);
  if (auto w = s.link.write_bytes(request); !w) {
    s.log(cant_send);
    return fail(Error{0, message_id, std::string(cant_send), w.error().text});
  }
  return {};
}

Result<> check_block_answer(Session& s, ByteView answer) {
  switch (check_answer(answer, Convention::B)) {
    case AnswerCheck::good: return {};
    case AnswerCheck::bad_packet: s.log(kTextBadPacket); return fail(std::string(kTextBadPacket));
    case AnswerCheck::crc_error: s.log(kTextCrcError); return fail(std::string(kTextCrcError));
  }
  return {};
}

Result<> send_block_receipt(Session& s) {
  s.link.flush(DeviceLink::Pipe::read);
  if (auto r = send_block_request(s, pc_receipt(0xFF), kTextCantSendReceipt); !r) return r;
  s.link.flush(DeviceLink::Pipe::write);
  return {};
}

}  // namespace vq::link
