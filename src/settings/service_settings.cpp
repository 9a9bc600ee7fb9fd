#include "settings/service_settings.hpp"

#include <algorithm>
#include <charconv>

#include "settings/field_input.hpp"
#include "shell/messages.hpp"
#include "util/bytes.hpp"
#include "util/cp1251.hpp"

namespace vq::settings {
namespace {

using u8 = std::uint8_t;

constexpr std::size_t kAnswerByte = 7, kGsmLossByte = 8, kAccountPeriodByte = 37, kTestPeriodByte = 39;
constexpr std::size_t kSilenceStartByte = 41, kSilenceEndByte = 43, kServiceMinutesByte = 45,
                      kServiceHoursByte = 46, kAccountByte = 47, kNameByte = 49, kNameField = 16;
constexpr std::size_t kSmsCentreByte[kSimCards] = {9, 17}, kSmsCentreBytes = 8;
constexpr std::size_t kPinByte[kSimCards] = {25, 27}, kPinBytes = 2;
constexpr std::size_t kBalanceByte[kSimCards] = {29, 33}, kBalanceBytes = 4;
constexpr u8 kNoSymbol = 15, kStar = 10, kHash = 11, kPeriodNever = 0xFF;
constexpr std::array<u8, 7> kLeadingBytes = {1, 0, 1, 0, 0, 8, 0};

u8 at(std::span<const u8> t, std::size_t i) { return i < t.size() ? t[i] : 0; }

// Every nibble but "none", high nibble first; a nibble above 9 reads as its number.
std::string nibbles(std::span<const u8> t, std::size_t from, std::size_t count, bool symbols) {
  std::string out;
  for (std::size_t i = from; i < from + count; ++i) {
    for (int v : {at(t, i) >> 4, at(t, i) & 0x0F}) {
      if (v == kNoSymbol) continue;
      if (symbols && v == kStar)
        out += '*';
      else if (symbols && v == kHash)
        out += '#';
      else
        out += std::to_string(v);
    }
  }
  return out;
}

u8 symbol_code(char c) { return c == '*' ? kStar : c == '#' ? kHash : static_cast<u8>(c - '0'); }

// Symbols in pairs, high nibble first; a last symbol without a partner gets "none" beside it.
void pack(std::span<u8> t, std::size_t from, std::size_t count, std::string_view symbols) {
  std::fill_n(t.begin() + static_cast<std::ptrdiff_t>(from), count, u8{0xFF});
  for (std::size_t i = 0; i < symbols.size(); i += 2) {
    const u8 hi = symbol_code(symbols[i]);
    const u8 lo = i + 1 < symbols.size() ? symbol_code(symbols[i + 1]) : kNoSymbol;
    t[from + i / 2] = static_cast<u8>(hi << 4 | lo);
  }
}

std::string sim_name(int sim) { return "SIM#" + std::to_string(sim); }

bool only(std::string_view s, std::string_view allowed) {
  return std::all_of(s.begin(), s.end(), [&](char c) { return allowed.find(c) != std::string_view::npos; });
}

std::string name_of(std::span<const u8> t) {
  Bytes name;
  bool terminated = false;
  for (std::size_t i = kNameByte; i < kNameByte + kNameField; ++i) {
    if (at(t, i) == 0) {
      terminated = true;
      break;
    }
    name.push_back(at(t, i));
  }
  // A name this program stored ends in a zero byte, so 0xFF inside it is the letter "я";
  // without a zero the field is filler (an erased table), and 0xFF bytes are left out.
  if (!terminated) std::erase(name, u8{0xFF});
  return cp1251_to_utf8(name);
}

Result<> check_index(int v, int hi, std::string_view field) {
  if (v < 0 || v > hi) return fail(std::string(field) + ": выберите значение из списка (0–" + std::to_string(hi) + ")");
  return {};
}

Result<> check_time(ClockTime t, std::string_view field) {
  if (t.hours < 0 || t.hours > 23 || t.minutes < 0 || t.minutes > 59)
    return fail(shell::msg(15271) + " (" + std::string(field) + ": часы 00–23, минуты 00–59)");
  return {};
}

std::vector<std::string> numbered(int lo, int hi, std::string_view suffix) {
  std::vector<std::string> out;
  for (int v = lo; v <= hi; ++v) out.push_back(std::to_string(v) + std::string(suffix));
  return out;
}

}  // namespace

std::string clock_text(ClockTime t) {
  auto two = [](int v) { return (v >= 0 && v < 10 ? "0" : "") + std::to_string(v); };
  return two(t.hours) + ":" + two(t.minutes);
}

Result<ClockTime> parse_clock_time(std::string_view text, std::string_view field) {
  auto refuse = [&] { return fail(shell::msg(15271) + " (" + std::string(field) + ": время ЧЧ:ММ, например 08:30)"); };
  const auto colon = text.find(':');
  if (colon == std::string_view::npos) return refuse();
  auto number = [](std::string_view s, int& out) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    if (s.empty() || s.size() > 2 || !only(s, "0123456789")) return false;
    std::from_chars(s.data(), s.data() + s.size(), out);
    return true;
  };
  ClockTime t;
  if (!number(text.substr(0, colon), t.hours) || !number(text.substr(colon + 1), t.minutes)) return refuse();
  if (auto r = check_time(t, field); !r) return std::unexpected(r.error());
  return t;
}

const std::vector<std::string>& notice_period_names() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> v = {"никогда", "1 раз/сутки", "1 раз/2 дня", "1 раз/3 дня", "1 раз/4 дня"};
    for (int d = 5; d <= kMaxNoticePeriod; ++d) v.push_back("1 раз/" + std::to_string(d) + " дней");
    return v;
  }();
  return names;
}

const std::vector<std::string>& answer_ring_names() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> v = {"не брать трубку", "1  гудок", "2  гудка", "3  гудка", "4  гудка"};
    for (int n = 5; n <= kMaxAnswerRings; ++n) v.push_back(std::to_string(n) + "  гудков");
    return v;
  }();
  return names;
}

const std::vector<std::string>& gsm_loss_names() {
  static const std::vector<std::string> names = [] {
    auto v = numbered(0, kMaxGsmLossMinutes, " мин");
    for (int n : {3, 7, 10, 14}) v[static_cast<std::size_t>(n)] += " ";
    return v;
  }();
  return names;
}

const std::vector<std::string>& connection_check_names() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> v;
    for (int s = 10; s <= 160; s += 10) v.push_back(std::to_string(s) + " сек");
    return v;
  }();
  return names;
}

ServiceSettings decode_service(std::span<const std::uint8_t> t) {
  ServiceSettings s;
  s.answer_rings = at(t, kAnswerByte) & 0x0F;
  s.gsm_loss_minutes = at(t, kGsmLossByte) & 0x0F;
  for (int k = 0; k < kSimCards; ++k) {
    auto& sim = s.sim[static_cast<std::size_t>(k)];
    sim.sms_centre = nibbles(t, kSmsCentreByte[k], kSmsCentreBytes, false);
    sim.pin = nibbles(t, kPinByte[k], kPinBytes, false);
    sim.balance_request = nibbles(t, kBalanceByte[k], kBalanceBytes, true);
  }
  auto period = [&](std::size_t i) { return at(t, i) == kPeriodNever ? kNoticePeriodNever : int{at(t, i)}; };
  s.account_period = period(kAccountPeriodByte);
  s.test_period = period(kTestPeriodByte);
  s.silence_start = {at(t, kSilenceStartByte), at(t, kSilenceStartByte + 1)};
  s.silence_end = {at(t, kSilenceEndByte), at(t, kSilenceEndByte + 1)};
  s.service_message_time = {at(t, kServiceHoursByte), at(t, kServiceMinutesByte)};
  s.contact_id_account = int{at(t, kAccountByte)} | int{at(t, kAccountByte + 1)} << 8;
  s.object_name = name_of(t);
  return s;
}

Result<std::string> check_sms_centre(std::string_view text, int sim) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  const std::string field = sim_name(sim) + ", номер СЦ SMS";
  if (!only(text, "0123456789")) return fail(field + ": только цифры (знак «+» стоит перед номером)");
  if (text.size() > kSmsCentreDigits)
    return fail(field + ": не более " + std::to_string(kSmsCentreDigits) + " цифр (в приборе под номер 8 байт)");
  return std::string(text);
}

Result<std::string> check_pin(std::string_view text, int sim) {
  const std::string field = sim_name(sim) + ", PIN-код";
  if (!only(text, "0123456789")) return fail(field + ": только цифры");
  if (!text.empty() && text.size() != kPinDigits)
    return fail(field + ": введите 4 цифры или оставьте поле пустым (PIN не задан); прибор хранит PIN из 4 цифр");
  return std::string(text);
}

Result<std::string> check_balance_request(std::string_view text, int sim) {
  const std::string field = sim_name(sim) + ", запрос состояния счета";
  if (!only(text, "0123456789*#")) return fail(field + ": только цифры и знаки «*», «#»");
  if (text.size() > kBalanceRequestSymbols)
    return fail(field + ": не более " + std::to_string(kBalanceRequestSymbols) + " знаков");
  return std::string(text);
}

Result<> encode_service(std::span<std::uint8_t> t, const ServiceSettings& s) {
  if (t.size() < kServiceTableBytes)
    return fail("Таблица сервисных настроек короче " + std::to_string(kServiceTableBytes) + " байт");
  const ServiceSettings old = decode_service(t);

  // Everything is checked before the first byte changes.
  if (s.answer_rings != old.answer_rings)
    if (auto r = check_index(s.answer_rings, kMaxAnswerRings, "Задержка снятия трубки"); !r) return r;
  if (s.gsm_loss_minutes != old.gsm_loss_minutes)
    if (auto r = check_index(s.gsm_loss_minutes, kMaxGsmLossMinutes, "Контроль отсутствия GSM канала"); !r) return r;
  if (s.account_period != old.account_period)
    if (auto r = check_index(s.account_period, kMaxNoticePeriod, "Периодичность сообщения о счете SIM карт"); !r)
      return r;
  if (s.test_period != old.test_period)
    if (auto r = check_index(s.test_period, kMaxNoticePeriod, "Периодичность сообщения ТЕСТ"); !r) return r;
  for (int k = 0; k < kSimCards; ++k) {
    const auto& now = s.sim[static_cast<std::size_t>(k)];
    const auto& was = old.sim[static_cast<std::size_t>(k)];
    if (now.sms_centre != was.sms_centre)
      if (auto r = check_sms_centre(now.sms_centre, k + 1); !r) return std::unexpected(r.error());
    if (now.pin != was.pin)
      if (auto r = check_pin(now.pin, k + 1); !r) return std::unexpected(r.error());
    if (now.balance_request != was.balance_request)
      if (auto r = check_balance_request(now.balance_request, k + 1); !r) return std::unexpected(r.error());
  }
  if (s.silence_start != old.silence_start)
    if (auto r = check_time(s.silence_start, "Интервал тишины, начало"); !r) return r;
  if (s.silence_end != old.silence_end)
    if (auto r = check_time(s.silence_end, "Интервал тишины, конец"); !r) return r;
  if (s.service_message_time != old.service_message_time)
    if (auto r = check_time(s.service_message_time, "Время отправки сервисных сообщений"); !r) return r;
  if (s.contact_id_account && s.contact_id_account != old.contact_id_account &&
      (*s.contact_id_account < 0 || *s.contact_id_account > 0xFFFF))
    return fail("Номер объекта (Contact ID): введите число от 0 до 65535");
  Bytes name;
  if (s.object_name != old.object_name) {
    auto n = encode_name(s.object_name, kObjectNameBytes, "Имя объекта");
    if (!n) return std::unexpected(n.error());
    name = std::move(*n);
  }

  if (s.answer_rings != old.answer_rings)
    t[kAnswerByte] = static_cast<u8>((t[kAnswerByte] & 0xF0) | s.answer_rings);
  if (s.gsm_loss_minutes != old.gsm_loss_minutes) t[kGsmLossByte] = static_cast<u8>(s.gsm_loss_minutes * 0x11);
  for (int k = 0; k < kSimCards; ++k) {
    const auto& now = s.sim[static_cast<std::size_t>(k)];
    const auto& was = old.sim[static_cast<std::size_t>(k)];
    std::string_view centre = now.sms_centre;
    if (!centre.empty() && centre.front() == '+') centre.remove_prefix(1);
    if (now.sms_centre != was.sms_centre) pack(t, kSmsCentreByte[k], kSmsCentreBytes, centre);
    if (now.pin != was.pin) pack(t, kPinByte[k], kPinBytes, now.pin);
    if (now.balance_request != was.balance_request) pack(t, kBalanceByte[k], kBalanceBytes, now.balance_request);
  }
  auto period = [](int v) { return v == kNoticePeriodNever ? kPeriodNever : static_cast<u8>(v); };
  if (s.account_period != old.account_period) t[kAccountPeriodByte] = period(s.account_period);
  if (s.test_period != old.test_period) t[kTestPeriodByte] = period(s.test_period);
  auto put_time = [&](ClockTime now, ClockTime was, std::size_t hours, std::size_t minutes) {
    if (now == was) return;
    t[hours] = static_cast<u8>(now.hours);
    t[minutes] = static_cast<u8>(now.minutes);
  };
  put_time(s.silence_start, old.silence_start, kSilenceStartByte, kSilenceStartByte + 1);
  put_time(s.silence_end, old.silence_end, kSilenceEndByte, kSilenceEndByte + 1);
  put_time(s.service_message_time, old.service_message_time, kServiceHoursByte, kServiceMinutesByte);
  if (s.contact_id_account && s.contact_id_account != old.contact_id_account)
    put_u16(t, kAccountByte, static_cast<std::uint16_t>(*s.contact_id_account));
  if (s.object_name != old.object_name) {
    std::fill_n(t.begin() + kNameByte, kNameField, u8{0});
    std::copy(name.begin(), name.end(), t.begin() + kNameByte);
  }
  return {};
}

void encode_service_constants(std::span<std::uint8_t> t) {
  if (t.size() < kServiceTableBytes) return;
  std::copy(kLeadingBytes.begin(), kLeadingBytes.end(), t.begin());
  t[kAnswerByte] = static_cast<u8>(kConnectionCheckIndex << 4 | (t[kAnswerByte] & 0x0F));
}

}  // namespace vq::settings
