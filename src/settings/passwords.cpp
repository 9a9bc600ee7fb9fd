#include "settings/passwords.hpp"

#include <algorithm>
#include <array>

#include "shell/messages.hpp"

namespace vq::settings {
namespace {

using memory::ImageId;

constexpr std::uint8_t kDigitBase = 0x80;

ImageId image_of(PasswordKind kind) {
  return kind == PasswordKind::user ? ImageId::first_password : ImageId::second_password;
}
PasswordKind other(PasswordKind kind) {
  return kind == PasswordKind::user ? PasswordKind::engineer : PasswordKind::user;
}

std::array<std::uint8_t, kPasswordMaxDigits> encode(std::string_view digits) {
  std::array<std::uint8_t, kPasswordMaxDigits> out{};
  for (std::size_t i = 0; i < digits.size() && i < out.size(); ++i)
    out[i] = static_cast<std::uint8_t>(kDigitBase + (digits[i] - '0'));
  return out;
}

Error message(int id) { return Error{0, id, shell::msg(id), {}}; }

}  // namespace

std::size_t password_min_digits(PasswordKind kind) { return kind == PasswordKind::user ? 3 : 4; }

std::string password_title(PasswordKind kind) {
  return kind == PasswordKind::user ? "Пароль пользователя" : "Пароль инженера";
}

std::string password_digits(const memory::Configuration& config, PasswordKind kind) {
  const auto& t = config.image(image_of(kind));
  std::string out;
  for (std::size_t i = 0; i < t.length(); ++i) {
    const auto b = t.byte_at(i);
    if (b == 0 || b == 0xFF) break;
    out += std::to_string(b & 0x0F);
  }
  return out;
}

Result<> check_password(PasswordKind kind, std::string_view digits) {
  if (!std::all_of(digits.begin(), digits.end(), [](char ch) { return ch >= '0' && ch <= '9'; }))
    return fail(message(15020));
  const auto min = password_min_digits(kind);
  if (digits.size() < min) {
    Error e = message(15022);
    e.text = shell::format_message(e.text, {static_cast<int>(min)});
    return fail(e);
  }
  if (digits.size() > kPasswordMaxDigits) return fail(password_title(kind) + ": не более 6 цифр");
  return {};
}

Result<> set_password(memory::Configuration& config, PasswordKind kind, std::string_view digits) {
  if (auto r = check_password(kind, digits); !r) return r;
  auto& t = config.image(image_of(kind));
  if (t.length() < kPasswordMaxDigits) return fail(password_title(kind) + ": таблица пароля короче 6 байт");
  const auto bytes = encode(digits);
  const auto& o = config.image(image_of(other(kind)));
  bool same = o.length() >= kPasswordMaxDigits;
  for (std::size_t i = 0; same && i < kPasswordMaxDigits; ++i) same = o.byte_at(i) == bytes[i];
  if (same) return fail(message(15284));
  for (std::size_t i = 0; i < kPasswordMaxDigits; ++i) t.set_byte(i, bytes[i]);
  return {};
}

int password_reset_entry(const memory::Configuration& config) {
  const auto& t = config.image(ImageId::password_reset);
  if (t.length() < 1) return -1;
  const int b = t.byte_at(0);
  return b <= 1 ? b : -1;
}

Result<> set_password_reset(memory::Configuration& config, bool allowed) {
  auto& t = config.image(ImageId::password_reset);
  if (!t.set_byte(0, allowed ? 0 : 1)) return fail("Таблица сброса пароля пуста");
  return {};
}

}  // namespace vq::settings
