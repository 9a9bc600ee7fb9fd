#pragma once
// Remote control by telephone ("Дистанционное"): up to eight passwords, each with the
// commands it allows, the one telephone number it is accepted from and the user it acts
// for — read out of the remote control table (table 70) and its user table (table 60), and
// changed by named operations. A refused operation changes no byte.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "memory/configuration.hpp"
#include "util/result.hpp"

namespace vq::settings {

inline constexpr int kRemoteRecordCount = 8;
inline constexpr int kRemoteCommandCount = 12;
inline constexpr std::size_t kRemotePasswordMax = 8;   // characters
inline constexpr std::size_t kRemoteTelephoneMax = 32; // digits after the "+"
inline constexpr int kRemoteUserMax = 250;
// Arming and disarming act for a user: a record allowing either needs one.
inline constexpr int kCommandArm = 2;
inline constexpr int kCommandDisarm = 3;

// The twelve commands as the dialog lists them, number n at index n.
const std::array<std::string_view, kRemoteCommandCount>& remote_command_names();

// Record i (0..7) as the page shows it.
struct RemoteRecord {
  bool active = false;      // password byte 0 neither 0x00 nor 0xFF
  std::string password;     // its digit characters, in order
  std::uint16_t commands = 0;  // bit n = command n allowed
  bool has_telephone = false;  // telephone byte 0 neither 0x00 nor 0xFF
  std::string telephone;    // "+" and the digits (a nibble 10..14 reads "?")
  std::optional<int> user;  // when the low byte of the entry is neither 0x00 nor 0xFF
  friend bool operator==(const RemoteRecord&, const RemoteRecord&) = default;
};

RemoteRecord read_remote_record(const memory::Configuration& config, int record);
// The stored active-record count (offset 0).
int remote_record_count(const memory::Configuration& config);
// The list shows records only while that count lies in 0..255.
bool remote_records_shown(const memory::Configuration& config);
// How many records are active.
int active_remote_records(const memory::Configuration& config);

// "0,2,3,11": the numbers of the allowed commands, ascending; "" for none.
std::string remote_commands_text(std::uint16_t commands);
// The commands of such a list ("" for none); numbers 0..11 and ranges.
Result<std::uint16_t> parse_remote_commands(std::string_view text);

// What the dialog's "Сохранить" stores into record i.
struct RemoteRecordEdit {
  // As typed, spaces left out; nothing keeps the stored password bytes as they are.
  std::optional<std::string> password;
  std::uint16_t commands = 0;
  // As typed: "+" and digits, a blank for a gap; "" or "+" for none. Nothing keeps the
  // stored bytes.
  std::optional<std::string> telephone;
  // As typed; "" for none. Nothing keeps the stored number.
  std::optional<std::string> user;
};

// Each check as the dialog makes it before anything is stored.
// The password: digits only (blanks are left out), at most 8; the text is never repeated.
Result<> check_remote_password(std::string_view text);
// The 16 telephone bytes of a text: an optional leading "+", then digits and blanks
// (a blank stores as 15), at most 32; anything else is refused, naming the character.
Result<std::array<std::uint8_t, 16>> encode_remote_telephone(std::string_view text);
// A user number 1..250, or 0xFFFF for an empty text.
Result<std::uint16_t> parse_remote_user(std::string_view text);
// Arming or disarming allowed with no user (a number whose low byte is 0x00 or 0xFF reads
// as none): message 15277.
Result<> check_remote_user_needed(std::uint16_t commands, std::uint16_t user);

// The dialog's "Сохранить" for record i: password, commands, telephone and user stored,
// then the active-record count. All checks first; a refusal changes no byte.
Result<> save_remote_record(memory::Configuration& config, int record, const RemoteRecordEdit& edit);
// Only the password of record i (the rest stays); an empty one is refused. The text is
// never repeated in a refusal.
Result<> set_remote_password(memory::Configuration& config, int record, std::string_view password);
// Unchecking row i: the record's password, commands, telephone and user cleared, then
// the active-record count.
Result<> clear_remote_record(memory::Configuration& config, int record);

// Checking row `row` (0..7) of the list: the row the check goes to — the first unchecked
// row from the top, when one lies above `row`; else `row` itself.
int remote_row_to_check(const std::array<bool, kRemoteRecordCount>& checked, int row);

// The user numbers the dialog offers: every user holding an identifier, each once, in the
// order of their first slots.
std::vector<int> remote_control_users(const memory::Configuration& config);

}  // namespace vq::settings
