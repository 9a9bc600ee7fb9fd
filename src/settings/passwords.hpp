#pragma once
// Keypad passwords ("Пароли"): the user password, the engineer password and whether the
// password may be reset. A password is 3 (user) or 4 (engineer) to 6 digits, stored one
// digit a byte as 0x80 + digit and padded with zeros; the two must differ. A refused
// operation changes no byte, and no refusal quotes the digits.
#include <string>
#include <string_view>

#include "memory/configuration.hpp"
#include "util/result.hpp"

namespace vq::settings {

enum class PasswordKind { user, engineer };

inline constexpr std::size_t kPasswordMaxDigits = 6;
// The shortest password the dialog takes: 3 digits for the user, 4 for the engineer.
std::size_t password_min_digits(PasswordKind kind);
// "Пароль пользователя", "Пароль инженера".
std::string password_title(PasswordKind kind);

// The stored digits: up to the first byte that is 0 or 0xFF, each byte's low four bits.
std::string password_digits(const memory::Configuration& config, PasswordKind kind);

// A typed password checked as the dialog checks it: digits only (message 15020), at least
// the kind's minimum (15022), at most 6.
Result<> check_password(PasswordKind kind, std::string_view digits);

// Checks and stores the password. Refused also when its bytes equal the other password's
// (message 15284).
Result<> set_password(memory::Configuration& config, PasswordKind kind, std::string_view digits);

// The password reset byte: 0 "Да" (reset allowed), 1 "Нет"; any other stored value has
// no entry (-1).
int password_reset_entry(const memory::Configuration& config);
Result<> set_password_reset(memory::Configuration& config, bool allowed);

}  // namespace vq::settings
