#pragma once
// The steps every whole-frame (convention B) exchange shares: logged request, answer check
// and closing receipt, each leaving its lines in the trace.
#include <string_view>

#include "link/session.hpp"

namespace vq::link {

// "TxRxBuffer[%d] - %x" for every byte.
void log_buffer(Session& s, ByteView bytes);

// "Отсылаем...", the byte lines, then the request in one write. A failed write logs
// `cant_send` and fails with it (and `message_id` when the text is a message's).
Result<> send_block_request(Session& s, ByteView request, std::string_view cant_send, int message_id = 0);

// Start byte, then CRC (start 0xFFFF); the failing check's text is logged and returned.
Result<> check_block_answer(Session& s, ByteView answer);

// Flush the read pipe, then the receipt 55 FF FF 00 with its lines.
Result<> send_block_receipt(Session& s);

}  // namespace vq::link
