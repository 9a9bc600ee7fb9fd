#pragma once
// Request frames, answers and 4-byte receipts of the USB protocol.
#include <cstdint>
#include <string_view>

#include "link/crc16.hpp"
#include "util/bytes.hpp"
#include "util/result.hpp"

namespace vq::link {

enum class Convention { A, B };

inline std::uint16_t crc_start(Convention c) { return c == Convention::A ? kCrcStartA : kCrcStartB; }
inline std::uint8_t convention_byte(Convention c) { return c == Convention::A ? 0x00 : 0xFF; }

inline constexpr std::uint8_t kRequestStart = 0x55;
inline constexpr std::uint8_t kAnswerStart = 0xAA;

inline constexpr std::uint8_t kCmdSystemSearch = 0x80;
inline constexpr std::uint8_t kCmdScenario = 0x81;
inline constexpr std::uint8_t kCmdTableWrite = 0x54;
inline constexpr std::uint8_t kCmdTableRead = 0x82;

inline constexpr std::size_t kBlockData = 252;         // data bytes of a table-write/read block
inline constexpr std::size_t kDataBlockFrame = 261;    // 5 + 2 + 252 + 2
inline constexpr std::size_t kReadBlockFrame = 258;    // convention A read block; also max convention B answer
inline constexpr std::size_t kSearchAnswer = 11;
inline constexpr std::size_t kScenarioAnswer = 14;
inline constexpr std::size_t kDirectoryAnswer = 74;
inline constexpr std::size_t kReadFirstAnswer = 8;
inline constexpr std::size_t kReceipt = 4;
inline constexpr std::uint16_t kTableDirect = 15;      // absolute memory access
inline constexpr std::uint16_t kTableTransfer = 18;    // transfer parameters

// Texts of the answer checks and send failures.
inline constexpr std::string_view kTextBadPacket = "Ответ получен. Пакет неверный !";
inline constexpr std::string_view kTextCrcError = "Ответ получен. Ошибка CRC !";
inline constexpr std::string_view kTextCantSendReceipt = "Не могу отправить команду квитанции !";
inline constexpr std::string_view kTextCantSendRead = "Не могу отправить команду чтения таблицы !";
inline constexpr std::string_view kTextCantSendScenario = "Не могу отправить команду управления сценарием !";
inline constexpr std::string_view kTextCantSendSearch = "Не могу отправить команду поиска системы !";

// 0x55, convention bytes, command, N, parameters, CRC: N + 7 bytes.
Bytes build_request(Convention c, std::uint8_t command, ByteView params);

enum class AnswerCheck { good, bad_packet, crc_error };
// The start byte is tested before the CRC.
AnswerCheck check_answer(ByteView answer, Convention c);

// 55 00 00 status / 55 FF FF status.
Bytes pc_receipt(std::uint8_t fill, std::uint8_t status = 0);

enum class ReceiptKind {
  header,      // after a table-write header or the transfer parameters: 0xFF accepted
  data_block,  // after a table-write data block: 0xFF is a failure
};

// Accepted, or the failure with its text (no text when byte 0 is not 0xAA).
Result<> judge_receipt(ByteView receipt, ReceiptKind kind);

// --- Frames of the table and scenario commands ---
Bytes scenario_request(std::uint8_t code);                       // convention A, 8 bytes
Bytes directory_request();                                       // convention B scenario 1
Bytes transfer_parameters_frame(std::uint16_t table, std::uint32_t address, std::uint32_t length);
Bytes table_write_header(std::uint16_t packets, std::uint16_t table, std::uint32_t address);
// 261 bytes: 55 FF FF 54 FE, block number, 252 data bytes, CRC with start 0x0000.
Bytes table_write_block(std::uint16_t number, ByteView data252);
Bytes table_read_request(Convention c, std::uint16_t table, std::uint32_t address);

inline std::size_t blocks_for(std::size_t length) { return (length + kBlockData - 1) / kBlockData; }

}  // namespace vq::link
