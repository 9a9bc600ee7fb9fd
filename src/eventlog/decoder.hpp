#pragma once
// Journal records to event rows: a pure function of the journal images, the parsed
// companion tables and the message table in force. No state survives a call.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "eventlog/event_row.hpp"
#include "eventlog/journal.hpp"
#include "util/bytes.hpp"

namespace vq::eventlog {

inline constexpr char kDateSeparator = '.';
inline constexpr char kTimeSeparator = ':';
// What the list shows for a time stamp that is not a date-time: the zero date, date only.
inline constexpr std::string_view kZeroDateText = "30.12.1899";

// One row per 16-byte record of the EventLog image (a trailing part record is ignored),
// numbered from 1.
std::vector<EventRow> decode_journal(const Journal& journal, const Companions& companions);

// One record; fewer than 16 bytes are read as if the missing ones were zero.
EventRow decode_record(ByteView record16, std::uint32_t number, const Companions& companions);

// The partition's name in lower-case Latin letters without blanks, its number appended
// when the name holds "разд". Partition 0 gives "Неверное событие". A partition the name
// table does not reach gives "разд" and its number, as a partition named just "разд"
// would: it still reads as that partition and stays apart from the others in a filter.
std::string partition_label(std::uint32_t partition, const Companions& companions);

// 526 МР, 518 PSTN, 517 GSM, 6172 РПП; any other type an empty text.
std::string module_name(std::uint32_t type);
// The abbreviation of a radio device type code; an unknown code gives the fixed "РПД".
std::string radio_abbreviation(std::uint32_t code);
// Identifier type (high nibble of the identifier byte): 1 ПИН, 2 ТМ, 3 БР, others empty.
std::string identifier_name(std::uint32_t type);

// `text` left-filled with `fill` to `width` characters; a longer text is kept whole.
std::string pad(std::string_view text, std::size_t width, char fill = '0');
// The decimal number left-filled with "0" to `width` digits.
std::string pad(std::uint64_t number, std::size_t width);

// A BCD byte read without checking its nibbles: 0x1A reads as 20.
inline int bcd_value(std::uint8_t b) { return (b >> 4) * 10 + (b & 0x0F); }
// "dd.mm.yy" and "hh:mm:ss" from BCD bytes, each field padded to two digits.
std::string date_text(std::uint8_t day, std::uint8_t month, std::uint8_t year);
std::string time_text(std::uint8_t hours, std::uint8_t minutes, std::uint8_t seconds);

}  // namespace vq::eventlog
