#pragma once
// The GSM service settings ("Телефоны сервисных центров/PIN-коды") and the Contact ID
// account, as the service table (table 71, 512 bytes) holds them: answering, GSM loss
// control, the SMS centres, PINs and balance requests of two SIM cards, notice periods,
// the silence interval, the time of service messages and the object name.
//
// Encoding works on the table's bytes and is all-or-nothing: every changed field is
// checked first, and a refusal changes no byte. A field equal to what the bytes already
// decode to keeps its bytes, so an untouched field is never re-encoded (odd contents a
// panel may hold survive a fill and store unchanged).
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "util/result.hpp"

namespace vq::settings {

inline constexpr std::size_t kServiceTableBytes = 65;  // bytes 0..64 carry the page
inline constexpr int kSimCards = 2;
inline constexpr std::size_t kSmsCentreDigits = 16;   // 8 bytes of two digits
inline constexpr std::size_t kPinDigits = 4;
inline constexpr std::size_t kBalanceRequestSymbols = 8;
inline constexpr std::size_t kObjectNameBytes = 15;
inline constexpr int kNoticePeriodNever = 0;           // "никогда", stored as 0xFF
inline constexpr int kMaxNoticePeriod = 15;
inline constexpr int kMaxAnswerRings = 15;
inline constexpr int kMaxGsmLossMinutes = 15;

struct ClockTime {
  int hours = 0;
  int minutes = 0;
  friend bool operator==(const ClockTime&, const ClockTime&) = default;
};

// "HH:MM" with leading zeros (a value of 100 or more keeps its digits).
std::string clock_text(ClockTime t);
// "HH:MM": hours 0..23, minutes 0..59. A blank or broken text is refused with message
// 15271, naming the field.
Result<ClockTime> parse_clock_time(std::string_view text, std::string_view field);

struct SimSettings {
  std::string sms_centre;       // digits, without "+"
  std::string pin;              // empty or 4 digits
  std::string balance_request;  // digits, '*' and '#'
  friend bool operator==(const SimSettings&, const SimSettings&) = default;
};

struct ServiceSettings {
  int answer_rings = 0;         // 0 "не брать трубку", n: after n rings
  int gsm_loss_minutes = 0;
  std::array<SimSettings, kSimCards> sim{};
  int account_period = 0;       // index of the period list, 0 "никогда"
  int test_period = 0;
  ClockTime silence_start{20, 0};
  ClockTime silence_end{8, 0};
  ClockTime service_message_time{8, 0};
  // Bytes 47-48; nothing keeps them as they are (the recipients page owns the control).
  std::optional<int> contact_id_account;
  std::string object_name;      // UTF-8
  friend bool operator==(const ServiceSettings&, const ServiceSettings&) = default;
};

// The lists the page offers, index = stored value.
const std::vector<std::string>& notice_period_names();  // "никогда", "1 раз/сутки", ...
const std::vector<std::string>& answer_ring_names();    // "не брать трубку", "1  гудок", ...
const std::vector<std::string>& gsm_loss_names();       // "0 мин" ... "15 мин"
const std::vector<std::string>& connection_check_names();  // "10 сек" ... "160 сек"
inline constexpr int kConnectionCheckIndex = 3;         // "40 сек", always written

// Decodes bytes 0..64 of a service table (bytes past its end read as 0).
ServiceSettings decode_service(std::span<const std::uint8_t> table);

// Encodes the settings into the table (bytes 7..37, 39, 41..64; 38 and 40 belong to the
// recipients page). Refused: an answering or GSM loss index outside 0..15, a period
// outside 0..15, an SMS centre of more than 16 digits or with anything but digits, a PIN
// of 1 to 3 digits (the panel keeps exactly four) or with a non-digit, a balance request
// of more than 8 symbols or with a symbol other than 0-9, '*', '#', a time out of range,
// an account outside 0..65535, an object name over 15 bytes in code page 1251, and a
// table shorter than 65 bytes.
Result<> encode_service(std::span<std::uint8_t> table, const ServiceSettings& s);

// Bytes 0-6 and the connection check period (high nibble of byte 7): what every store
// writes whatever the page holds.
void encode_service_constants(std::span<std::uint8_t> table);


// A PIN, SMS centre or balance request as typed: checked alone (CLI and the page say the
// same thing). The SMS centre may start with "+".
Result<std::string> check_sms_centre(std::string_view text, int sim);
Result<std::string> check_pin(std::string_view text, int sim);
Result<std::string> check_balance_request(std::string_view text, int sim);

}  // namespace vq::settings
