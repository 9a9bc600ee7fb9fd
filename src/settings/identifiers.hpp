#pragma once
// User identifiers ("Идентификаторы"): the 1000 slots of PIN codes, touch-memory keys and
// radio key fobs, their users, ordinals, tactics, quick arming and partition links — read
// out of the configuration and changed by named operations. A refused operation changes no
// byte.
//
// Ordinals: each user's identifiers carry 1..n without gaps. A new identifier gets the
// user's count plus one; deleting one (or moving it to another user) moves the later
// ordinals of its user down by one, and the quick-arm setting follows the identifier it
// names.
#include <array>
#include <bitset>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "memory/configuration.hpp"
#include "util/result.hpp"

namespace vq::settings {

inline constexpr int kIdentifierSlots = 1000;
inline constexpr int kIdentifierUsers = 250;
inline constexpr int kIdentifiersPerUser = 8;
inline constexpr int kTacticCount = 5;
inline constexpr std::size_t kCodeBytes = 6;

// Kinds as stored.
inline constexpr int kKindPin = 16;  // ПИН
inline constexpr int kKindKey = 32;  // ТМ, touch-memory key
inline constexpr int kKindFob = 48;  // БР, radio key fob

inline constexpr std::size_t kPinMinDigits = 3;
inline constexpr std::size_t kPinMaxDigits = 6;
inline constexpr std::size_t kKeyDigits = 12;
inline constexpr int kFobMax = 255;

using IdentifierCode = std::array<std::uint8_t, kCodeBytes>;

// "ПИН", "ТМ", "БР"; "Unknown ID" for any other kind.
std::string kind_name(int kind);
// The kind by its name or stored number ("ТМ" or "32").
std::optional<int> kind_from_text(std::string_view text);
// The five tactics as the dialog lists them; "тактика N" for a stored value above 4.
std::string tactic_name(int tactic);
std::optional<int> tactic_from_text(std::string_view text);

// The value as the list shows it: a PIN's digits, a key's 12 hexadecimal digits, a fob's
// number; "Unknown ID" for an unknown kind.
std::string identifier_value_text(int kind, const IdentifierCode& code);

// The value a person types, checked and encoded: a PIN of 3 to 6 digits (0xFF after
// them), a key code of 1 to 12 hexadecimal digits (left-padded with 0, the last pair in
// byte 0), a fob number of three or more characters from 1 to 255. The refusal never
// quotes the value.
Result<IdentifierCode> encode_identifier_value(int kind, std::string_view text);

struct Identifier {
  int slot = 0;     // 1..1000
  int user = 0;     // 1..250; 0: the slot is empty
  int ordinal = 0;  // among the user's identifiers, 1..8
  int tactic = 0;
  int kind = 0;
  IdentifierCode code{};
  bool quick_arm = false;
  std::bitset<96> partitions;
  bool empty() const { return user == 0; }
  friend bool operator==(const Identifier&, const Identifier&) = default;
};

// Slot s (1..1000) as stored.
Identifier read_identifier(const memory::Configuration& config, int slot);
// The occupied slots, in slot order.
std::vector<Identifier> read_identifiers(const memory::Configuration& config);

// The users who hold identifiers, in increasing order, each with theirs by ordinal.
struct UserIdentifiers {
  int user = 0;
  std::vector<Identifier> identifiers;
};
std::vector<UserIdentifiers> identifier_users(const memory::Configuration& config);

// How many slots belong to the user, not counting `except_slot`.
int user_identifier_count(const memory::Configuration& config, int user, int except_slot = 0);

// What the identifier dialog for slot s checks against: the other 999 slots.
struct IdentifierNeighbours {
  int slot = 0;
  int own_user = 0, own_ordinal = 0;
  std::array<int, kIdentifierUsers + 1> counts{};  // per user, slot s not counted
  std::vector<std::pair<int, IdentifierCode>> others;  // kind and code of each other occupied slot

  // Choosing user u: refused at the limit of 8 (message 15057), slot s itself not
  // counted. Otherwise the ordinal s would get: its own when it already belongs to u,
  // else u's count plus one.
  Result<int> ordinal_for(int user) const;
  // How many identifiers u holds, slot s included when it is u's.
  int count_of(int user) const;
  // Another slot holds this code with this kind.
  bool taken(int kind, const IdentifierCode& code) const;
};
IdentifierNeighbours identifier_neighbours(const memory::Configuration& config, int slot);
Result<int> ordinal_for(const memory::Configuration& config, int slot, int user);

// What the identifier dialog confirms.
struct IdentifierEdit {
  int kind = kKindPin;
  IdentifierCode code{};
  int user = 0;
  int tactic = 0;
  bool quick_arm = false;
};

// The dialog's confirm for slot s: kind and code, user, ordinal (ordinal_for), slot
// number and tactic stored; the counter in bytes 0–1 of both the record and the code
// table raised by one and bytes 2–3 set to it plus one; quick arming set to this
// identifier, or cleared (0, 0) when it named it and is unticked. Refused: no user
// (15282), a user outside 1..250, an unknown kind or tactic, the ninth identifier of a
// user (15057), a code another slot holds with the same kind (15058).
Result<> set_identifier(memory::Configuration& config, int slot, const IdentifierEdit& edit);

// Deletes slot s: counter lowered by one (never below 0), kind, code, user, ordinal, slot
// number, tactic and partition links zero; quick arming 0xFF, 0xFF when it named this
// identifier; the user's later ordinals closed up. An empty slot is left as it is.
Result<> delete_identifier(memory::Configuration& config, int slot);

// Partition p in bit p − 1.
std::bitset<96> identifier_partitions(const memory::Configuration& config, int slot);
// "Сохранить изменения": every listed slot that holds an identifier gets these links (an
// empty slot shows none, so it gets none).
Result<> set_identifier_partitions(memory::Configuration& config, const std::vector<int>& slots,
                                   const std::bitset<96>& links);

// Bytes 0–1 of the record table.
int identifier_counter(const memory::Configuration& config);

}  // namespace vq::settings
