#include "settings/recipients.hpp"

#include <algorithm>
#include <cctype>
#include <charconv>

#include "memory/channels.hpp"
#include "memory/phone_numbers.hpp"
#include "memory/registered_devices.hpp"
#include "memory/routines.hpp"
#include "shell/messages.hpp"
#include "util/bytes.hpp"

namespace vq::settings {
namespace {

using memory::Configuration;
using memory::PageId;
using u8 = std::uint8_t;

// Telephone table: count, 0, record length, then 12-byte records.
constexpr std::size_t kPhoneCount = 0;
constexpr u8 kPhoneRecordLength = 12;
constexpr std::size_t phone_at(int k) { return memory::phone_number_offset(k); }
// Recipient partition table: 96, 0, 8, 0, then one byte per partition p at 3 + p.
constexpr std::size_t partition_at(int p) { return 3 + static_cast<std::size_t>(p); }
// Recipient table: count, 0, then 11-byte records.
constexpr std::size_t kRecipientSize = 11;
constexpr std::size_t recipient_at(int r) { return 2 + kRecipientSize * static_cast<std::size_t>(r); }
constexpr std::size_t kMain = 0, kReserve = 1, kMask = 2, kHasMain = 4, kCategories = 5;
constexpr u8 kHasMainMark = 6;
// Channel table: count, then 11-byte records.
constexpr std::size_t channel_at(int c) { return memory::channel_record_offset(c); }
constexpr std::size_t kChNumber = 0, kChDevice = 2, kChType = 3, kChNotice = 5, kChPhone = 6, kChDialling = 8,
                      kChOptions = 10;
// Delivery groups: count, 0, then 6-byte records.
constexpr std::size_t kGroupSize = 6;
constexpr std::size_t group_at(int g) { return 2 + kGroupSize * static_cast<std::size_t>(g); }
// Service table bytes of the recipients.
constexpr std::size_t kSimNotices = 38, kTestNotices = 40, kContactId = 47;

// Category byte: bit 7 "не срочно", bits 4-6 period, bits 1-3 delay.
constexpr u8 kNotUrgent = 0x80;
// Options byte of a channel.
constexpr u8 kLanguageMask = 0x03;
constexpr int kConfirmBit = 3, kMergeBit = 3, kProperNameBit = 4, kObjectNumberBit = 5;
constexpr int kPauseShift = 4;

bool none(u8 v) { return v == 0x00 || v == 0xFF; }
// A stored reference 1..8 (channel or telephone record), as an index 0..7.
std::optional<int> ref(int v) {
  if (v >= 1 && v <= kRecipientChannels) return v - 1;
  return std::nullopt;
}

Error message_error(int id) { return Error{0, id, shell::msg(id), {}}; }

std::string num(int v) { return std::to_string(v); }

// The five tables and the service table's two bytes, copied so that a commit can be
// refused half-way without a byte changed.
struct Tables {
  Bytes phones, served, recipients, channels, groups, service;

  explicit Tables(const Configuration& c) {
    auto copy = [&](PageId id) {
      const auto d = c.page(id).data();
      return Bytes(d.begin(), d.end());
    };
    phones = copy(PageId::phone_numbers);
    served = copy(PageId::recipient_partitions);
    recipients = copy(PageId::recipients);
    channels = copy(PageId::channels);
    groups = copy(PageId::delivery_groups);
    service = copy(PageId::service);
  }

  // Every record this page touches lies inside its table.
  Result<> check_sizes() const {
    struct Need {
      const Bytes& t;
      std::size_t size;
      const char* what;
    };
    for (const Need& n : {Need{phones, phone_at(8), "номеров телефонов"},
                          Need{served, partition_at(kRecipientPartitions) + 1, "разделов получателей"},
                          Need{recipients, recipient_at(kRecipientCount), "получателей"},
                          Need{channels, channel_at(kRecipientChannels), "каналов"},
                          Need{groups, group_at(kRecipientCount), "групп доставки"},
                          Need{service, kTestNotices + 1, "сервисных настроек"}})
      if (n.t.size() < n.size)
        return fail("Таблица " + std::string(n.what) + " короче " + num(static_cast<int>(n.size)) +
                    " байт: изменить получателя нельзя");
    return {};
  }

  void store(Configuration& c) const {
    auto put = [&](PageId id, const Bytes& b) { std::copy(b.begin(), b.end(), c.page(id).data().begin()); };
    put(PageId::phone_numbers, phones);
    put(PageId::recipient_partitions, served);
    put(PageId::recipients, recipients);
    put(PageId::channels, channels);
    put(PageId::delivery_groups, groups);
    // Only the recipients' two bytes of the service table.
    c.page(PageId::service).set_byte(kSimNotices, service[kSimNotices]);
    c.page(PageId::service).set_byte(kTestNotices, service[kTestNotices]);
  }

  u8& rec(int r, std::size_t i) { return recipients[recipient_at(r) + i]; }
  u8& ch(int c, std::size_t i) { return channels[channel_at(c) + i]; }
  int ch_phone(int c) const { return get_u16(channels, channel_at(c) + kChPhone); }
  void set_ch_phone(int c, int v) { put_u16(channels, channel_at(c) + kChPhone, static_cast<std::uint16_t>(v)); }

  std::optional<int> main_of(int r) const { return ref(recipients[recipient_at(r) + kMain]); }
  std::optional<int> reserve_of(int r) const { return ref(recipients[recipient_at(r) + kReserve]); }

  // Whether a recipient other than (r, slot) refers to channel index c.
  bool channel_referenced(int c, int r_skip, std::size_t slot_skip) const {
    for (int r = 0; r < kRecipientCount; ++r)
      for (std::size_t slot : {kMain, kReserve}) {
        if (r == r_skip && slot == slot_skip) continue;
        if (ref(recipients[recipient_at(r) + slot]) == c) return true;
      }
    return false;
  }
  // Whether a channel record other than c that is in use refers to telephone record k.
  bool phone_referenced(int k, int c_skip) const {
    for (int c = 0; c < kRecipientChannels; ++c)
      if (c != c_skip && !none(channels[channel_at(c) + kChNumber]) && ref(ch_phone(c)) == k) return true;
    return false;
  }

  // Takes the channel (index c, telephone record k) out of slot `slot` of recipient r. A
  // channel record or a telephone record that someone else still refers to stays; one
  // that goes closes up behind it, and every reference above it comes down by one.
  // References outside 1..8 (0x00, 0xFF: none) are never renumbered.
  void remove_channel(int r, std::size_t slot, int c, std::optional<int> k) {
    rec(r, slot) = 0;
    if (channel_referenced(c, r, slot)) return;
    if (k && !phone_referenced(*k, c)) {
      auto* at = phones.data() + phone_at(*k);
      std::copy(at + kPhoneRecordLength, phones.data() + phone_at(kRecipientChannels), at);
      std::fill_n(phones.data() + phone_at(kRecipientChannels - 1), kPhoneRecordLength, u8{0});
      for (int i = 0; i < kRecipientChannels; ++i)
        if (const auto p = ref(ch_phone(i)); p && *p > *k) set_ch_phone(i, *p);
    }
    for (int i = 0; i < kRecipientChannels; ++i)
      if (const auto n = ref(ch(i, kChNumber)); n && *n > c) ch(i, kChNumber) = static_cast<u8>(*n);
    auto* at = channels.data() + channel_at(c);
    std::copy(at + memory::kChannelRecordSize, channels.data() + channel_at(kRecipientChannels), at);
    std::fill_n(channels.data() + channel_at(kRecipientChannels - 1), memory::kChannelRecordSize, u8{0});
    for (int i = 0; i < kRecipientCount; ++i)
      for (std::size_t s : {kMain, kReserve})
        if (const auto n = ref(rec(i, s)); n && *n > c) rec(i, s) = static_cast<u8>(*n);
  }

  void put_phone(int k, std::string_view text) {
    auto* at = phones.data() + phone_at(k);
    std::fill_n(at, kPhoneRecordLength, u8{0xFF});
    if (text.starts_with('+')) text.remove_prefix(1);
    auto symbol = [](char s) -> u8 {
      if (s >= '0' && s <= '9') return static_cast<u8>(s - '0');
      constexpr std::string_view letters = "WTPBI";
      const auto i = letters.find(s);
      return i == std::string_view::npos ? u8{15} : static_cast<u8>(10 + i);
    };
    for (std::size_t i = 0; i < text.size() && i / 2 < kPhoneRecordLength; i += 2) {
      const u8 low = i + 1 < text.size() ? symbol(text[i + 1]) : u8{15};
      at[i / 2] = static_cast<u8>(symbol(text[i]) << 4 | low);
    }
  }

  void put_channel(int c, int k, const ChannelEdit& e, const Configuration& config) {
    const auto& devices = config.image(memory::ImageId::registered_devices);
    const bool gsm = e.device == Communicator::gsm;
    ch(c, kChNumber) = static_cast<u8>(c + 1);
    set_ch_phone(c, k + 1);
    ch(c, kChDevice) = gsm ? memory::device_index_of_model_517(devices) : memory::device_index_of_model_518(devices);
    put_u16(channels, channel_at(c) + kChType, gsm ? kGsmCommunicatorType : kPstnCommunicatorType);
    if (e.format) {
      ch(c, kChNotice) = static_cast<u8>(e.format->notice);
      ch(c, kChDialling) = e.format->dialling;
      ch(c, kChOptions) = e.format->options;
    }
  }

  // Headers and delivery groups from the recipients: a group record for each recipient
  // with a main channel, in recipient order, keeping the bytes of its own record.
  void recount() {
    std::array<std::array<u8, kGroupSize>, kRecipientCount> old{};
    const int old_count = std::min<int>(groups[0], kRecipientCount);
    for (int g = 0; g < kRecipientCount; ++g)
      std::copy_n(groups.begin() + static_cast<std::ptrdiff_t>(group_at(g)), kGroupSize, old[g].begin());
    int count = 0;
    for (int r = 0; r < kRecipientCount; ++r) {
      if (!main_of(r)) continue;
      std::array<u8, kGroupSize> rec_bytes = {static_cast<u8>(r + 1), 0, 1, 0, static_cast<u8>(r + 1), 0};
      for (int g = 0; g < old_count; ++g)
        if (old[g][0] == r + 1) {
          rec_bytes[2] = old[g][2];
          rec_bytes[3] = old[g][3];
          break;
        }
      std::copy(rec_bytes.begin(), rec_bytes.end(), groups.begin() + static_cast<std::ptrdiff_t>(group_at(count)));
      ++count;
    }
    for (int g = count; g < kRecipientCount; ++g)
      std::fill_n(groups.begin() + static_cast<std::ptrdiff_t>(group_at(g)), kGroupSize, u8{0});
    groups[0] = recipients[0] = static_cast<u8>(count);
    groups[1] = recipients[1] = 0;

    int phones_used = 0, channels_used = 0;
    for (int k = 0; k < kRecipientChannels; ++k) {
      // A number beginning "00" packs to a first byte 0x00: its channel still counts it.
      if (!none(phones[phone_at(k)]) || phone_referenced(k, -1)) ++phones_used;
      if (!none(ch(k, kChNumber))) ++channels_used;
    }
    phones[kPhoneCount] = static_cast<u8>(phones_used);
    phones[1] = 0;
    phones[2] = kPhoneRecordLength;
    channels[0] = static_cast<u8>(channels_used);
    served[0] = kRecipientPartitions;
    served[1] = 0;
    served[2] = kRecipientCount;
    served[3] = 0;
  }
};

bool bit_of(u8 b, int n) { return memory::bit_test(b, n); }
void put_bit(u8& b, int n, bool on) {
  if (on)
    memory::bit_set(b, n);
  else
    memory::bit_clear(b, n);
}

// The lowest index in 0..7 above `above` for which `used` is false.
std::optional<int> lowest_free(const std::array<bool, 8>& used, int above = -1) {
  for (int i = above + 1; i < 8; ++i)
    if (!used[static_cast<std::size_t>(i)]) return i;
  return std::nullopt;
}

bool valid_recipient(int r) { return r >= 1 && r <= kRecipientCount; }

RecipientChannel read_channel(const Configuration& config, int number) {
  const auto& t = config.page(PageId::channels);
  RecipientChannel ch;
  ch.number = number;
  ch.communicator = memory::channel_communicator_type(t, number - 1);
  ch.phone_record = memory::channel_telephone_record(t, number - 1);
  ch.phone = memory::phone_number_text(config.page(PageId::phone_numbers), ch.phone_record - 1);
  for (int c = 0; c < kRecipientChannels; ++c)
    if (t.byte_at(channel_at(c) + kChNumber) == number) {
      ch.device = t.byte_at(channel_at(c) + kChDevice);
      ch.format = {t.byte_at(channel_at(c) + kChNotice), t.byte_at(channel_at(c) + kChDialling),
                   t.byte_at(channel_at(c) + kChOptions)};
      break;
    }
  return ch;
}

}  // namespace

// ---- communicators ------------------------------------------------------------------------

std::string communicator_name(Communicator c) {
  switch (c) {
    case Communicator::gsm: return "GSM";
    case Communicator::pstn: return "PSTN";
    default: return "";
  }
}

std::optional<Communicator> communicator_by_name(std::string_view name) {
  if (name == "GSM" || name == "gsm") return Communicator::gsm;
  if (name == "PSTN" || name == "pstn") return Communicator::pstn;
  return std::nullopt;
}

Communicators registered_communicators(const Configuration& config, bool demo_configuration) {
  const auto& t = config.image(memory::ImageId::registered_devices);
  return {memory::has_model_517(t), memory::has_model_518(t), demo_configuration};
}

Communicator RecipientChannel::kind() const {
  if (communicator == kGsmCommunicatorType) return Communicator::gsm;
  if (communicator == kPstnCommunicatorType) return Communicator::pstn;
  return Communicator::none;
}

// ---- notice types ------------------------------------------------------------------------

std::string notice_type_name(int notice) {
  switch (notice) {
    case kNoticeSpeech: return shell::msg(15070);
    case kNoticeSms: return shell::msg(15071);
    case kNoticeTonal: return shell::msg(15072);
    case kNoticeContactId: return shell::msg(15073);
    case kNoticeSia: return shell::msg(15280);
    default: return "-";
  }
}

std::optional<int> notice_type_by_name(std::string_view name) {
  for (int n = kNoticeSpeech; n <= kNoticeSia; ++n)
    if (notice_type_name(n) == name) return n;
  return std::nullopt;
}

bool notice_supported(Communicator c, int notice) {
  if (c == Communicator::gsm) return notice == kNoticeSpeech || notice == kNoticeSms || notice == kNoticeContactId;
  if (c == Communicator::pstn) return notice == kNoticeContactId || notice == kNoticeSia;
  return false;
}

int fallback_notice(Communicator c) { return c == Communicator::pstn ? kNoticeSia : kNoticeSpeech; }

bool format_box_enabled(int notice, FormatBox box) {
  switch (notice) {
    case kNoticeSpeech:
      return box == FormatBox::attempts || box == FormatBox::ring_wait || box == FormatBox::confirm ||
             box == FormatBox::phrase_pause || box == FormatBox::language;
    case kNoticeSms:
      return box == FormatBox::language || box == FormatBox::merge_sms || box == FormatBox::proper_name ||
             box == FormatBox::object_number;
    case kNoticeTonal:
    case kNoticeContactId:
    case kNoticeSia: return box == FormatBox::attempts || box == FormatBox::ring_wait;
    default: return false;
  }
}

FormatChoice format_choice(const ChannelFormat& stored, int notice) {
  FormatChoice f;
  if (stored.notice != notice) return f;
  if (format_box_enabled(notice, FormatBox::attempts)) {
    f.attempts = stored.dialling >> 4;
    // Ring wait indexes past the list (13..15) open as its last entry.
    f.ring_wait = std::min(stored.dialling & 0x0F, kRingWaitChoices - 1);
  }
  if (notice == kNoticeSpeech || notice == kNoticeSms)
    f.language = std::min(stored.options & kLanguageMask, kLanguageChoices - 1);
  if (notice == kNoticeSpeech) {
    f.confirm = bit_of(stored.options, kConfirmBit);
    f.phrase_pause = std::min(stored.options >> kPauseShift, kPhrasePauseChoices - 1);
  }
  if (notice == kNoticeSms) {
    f.merge_sms = bit_of(stored.options, kMergeBit);
    f.proper_name = bit_of(stored.options, kProperNameBit);
    f.object_number = bit_of(stored.options, kObjectNumberBit);
  }
  return f;
}

Result<ChannelFormat> encode_format(int notice, const FormatChoice& f, const ChannelFormat& stored) {
  if (notice < kNoticeSpeech || notice > kNoticeSia) return fail("Тип оповещения: допустимо от 1 до 5");
  auto in = [](int v, int count) { return v >= 0 && v < count; };
  if (!in(f.attempts, kAttemptChoices)) return fail("Количество попыток связи: от 1 до 16");
  if (!in(f.ring_wait, kRingWaitChoices)) return fail("Время ожидания снятия трубки: от 16 до 64 с с шагом 4 с");
  if (!in(f.phrase_pause, kPhrasePauseChoices)) return fail("Длительность паузы между фразами: от 0 до 3");
  if (!in(f.language, kLanguageChoices)) return fail("Выбор языка: 0 (русский), 1 (английский) или 2 (турецкий)");
  ChannelFormat out = stored;
  out.notice = notice;
  if (notice != kNoticeSms) out.dialling = static_cast<u8>(f.attempts * 16 + f.ring_wait);
  if (notice == kNoticeSpeech)
    out.options = static_cast<u8>(f.language + (f.confirm ? 8 : 0) + f.phrase_pause * 16);
  else if (notice == kNoticeSms)
    out.options = static_cast<u8>(f.language + (f.merge_sms ? 8 : 0) + (f.proper_name ? 16 : 0) +
                                  (f.object_number ? 32 : 0));
  return out;
}

// ---- categories -----------------------------------------------------------------------------

std::string category_name(int k) {
  static const char* const names[] = {"Информационная",          "Обходы, исключения",
                                      "Некритичные неисправности", "Критичные неисправности",
                                      "События в системе",         "Тревожная"};
  return k >= 1 && k <= kCategoryCount ? names[k - 1] : "";
}

const std::vector<std::string>& period_names() {
  static const std::vector<std::string> v = {"всегда или 0", "30 минут", "1 час",   "2 часа",
                                             "4 часа",       "8 часов",  "16 часов", "32 часа"};
  return v;
}

const std::vector<std::string>& delay_names() {
  static const std::vector<std::string> v = {"0 сек",  "10 сек", "20 сек", "30 сек",
                                             "40 сек", "50 сек", "60 сек", "70 сек"};
  return v;
}

CategoryOptions decode_category(u8 b) { return {(b & kNotUrgent) == 0, (b >> 4) & 0x07, (b >> 1) & 0x07}; }

u8 encode_category(const CategoryOptions& o) {
  return static_cast<u8>(o.delay * 2 + o.period * 16 + (o.urgent ? 0 : 128));
}

CategoryOptions default_category(int k) {
  switch (k) {
    case 4: return {true, 0, 3};
    case 5: return {true, 0, 1};
    case 6: return {true, 0, 0};
    default: return {false, 0, 6};
  }
}

// ---- recipients as stored -------------------------------------------------------------------

std::array<bool, kCategoryCount> Recipient::categories() const {
  std::array<bool, kCategoryCount> on{};
  if (none(category_mask)) return on;
  for (int k = 0; k < kCategoryCount; ++k) on[static_cast<std::size_t>(k)] = bit_of(category_mask, k);
  return on;
}

Recipient read_recipient(const Configuration& config, int r) {
  Recipient out;
  if (!valid_recipient(r)) return out;
  out.number = r;
  const auto& t = config.page(PageId::recipients);
  const std::size_t at = recipient_at(r - 1);
  if (const auto m = ref(t.byte_at(at + kMain))) out.main = read_channel(config, *m + 1);
  if (const auto v = ref(t.byte_at(at + kReserve))) out.reserve = read_channel(config, *v + 1);
  out.category_mask = t.byte_at(at + kMask);
  for (int k = 0; k < kCategoryCount; ++k)
    out.category_bytes[static_cast<std::size_t>(k)] = t.byte_at(at + kCategories + static_cast<std::size_t>(k));
  const auto& service = config.page(PageId::service);
  out.sim_notice = bit_of(service.byte_at(kSimNotices), r - 1);
  out.test_notice = bit_of(service.byte_at(kTestNotices), r - 1);
  const auto& served = config.page(PageId::recipient_partitions);
  for (int p = 1; p <= kRecipientPartitions; ++p) out.partitions[p - 1] = bit_of(served.byte_at(partition_at(p)), r - 1);
  return out;
}

std::string shown_phone(const RecipientChannel& ch, const Communicators& c) {
  if (!c.numbers_shown()) return "-";
  const bool plus = ch.communicator == kGsmCommunicatorType && (c.demo || c.gsm_present);
  return (plus ? "+" : "") + ch.phone;
}

std::string categories_text(u8 mask) {
  if (none(mask)) return "-";
  std::string out;
  for (int k = 0; k < kCategoryCount; ++k)
    if (bit_of(mask, k)) out += (out.empty() ? "" : ",") + num(k + 1);
  return out.empty() ? "-" : out;
}

RecipientRow recipient_row(const Configuration& config, int r, const Communicators& c) {
  RecipientRow row{"-", "-", "-", "-", "-", "-"};
  const Recipient rc = read_recipient(config, r);
  if (rc.main) {
    const auto kind = rc.main->kind();
    if (kind == Communicator::pstn && c.pstn_available()) row.device = "PSTN";
    if (kind == Communicator::gsm && c.gsm_available()) row.device = "GSM";
    row.main = shown_phone(*rc.main, c);
    row.main_notice = notice_type_name(rc.main->format.notice);
  }
  if (rc.reserve) {
    row.reserve = shown_phone(*rc.reserve, c);
    row.reserve_notice = notice_type_name(rc.reserve->format.notice);
  }
  row.categories = categories_text(rc.category_mask);
  return row;
}

// ---- editing ----------------------------------------------------------------------------------

ChannelFormat channel_format(const Configuration& config, int channel) {
  if (channel < 0 || channel >= kRecipientChannels) return {};
  const auto& t = config.page(PageId::channels);
  const std::size_t at = channel_at(channel);
  return {t.byte_at(at + kChNotice), t.byte_at(at + kChDialling), t.byte_at(at + kChOptions)};
}

Result<EditPlan> plan_recipient_edit(const Configuration& config, int r) {
  if (!valid_recipient(r)) return fail("Получатель " + num(r) + ": номер от 1 до 8");
  const Tables t(config);
  if (auto ok = t.check_sizes(); !ok) return std::unexpected(ok.error());
  const int i = r - 1;
  EditPlan plan;
  plan.recipient = r;

  // Channels any recipient uses; telephone records those channels use.
  std::array<bool, 8> channel_used{}, phone_used{};
  for (int q = 0; q < kRecipientCount; ++q)
    for (auto c : {t.main_of(q), t.reserve_of(q)})
      if (c) channel_used[static_cast<std::size_t>(*c)] = true;
  for (int c = 0; c < kRecipientChannels; ++c)
    if (channel_used[static_cast<std::size_t>(c)])
      if (const auto k = ref(t.ch_phone(c))) phone_used[static_cast<std::size_t>(*k)] = true;
  auto take_phone = [&]() -> std::optional<int> {
    auto k = lowest_free(phone_used);
    if (k) phone_used[static_cast<std::size_t>(*k)] = true;
    return k;
  };
  // A channel's own telephone record, or a free one when it names none.
  auto own_phone = [&](int c) -> std::optional<int> {
    if (const auto k = ref(t.ch_phone(c))) return k;
    return take_phone();
  };

  if (const auto m = t.main_of(i)) {
    plan.had_main = true;
    plan.main_channel = m;
    plan.main_phone = own_phone(*m);
  }
  if (const auto v = t.reserve_of(i)) {
    plan.had_reserve = true;
    plan.reserve_channel = v;
    plan.reserve_phone = own_phone(*v);
  }
  if (!plan.main_channel) {
    const auto m = lowest_free(channel_used);
    if (!m) return fail(message_error(15139));
    plan.main_channel = m;
    channel_used[static_cast<std::size_t>(*m)] = true;
    plan.main_phone = take_phone();
    if (!plan.main_phone) return fail(message_error(15139));
  }
  if (!plan.reserve_channel) {
    const auto v = lowest_free(channel_used, *plan.main_channel);
    const auto k = v ? take_phone() : std::nullopt;
    if (v && k) {
      plan.reserve_channel = v;
      plan.reserve_phone = k;
    }
  }
  return plan;
}

RecipientEdit current_edit(const Configuration& config, int r) {
  RecipientEdit e;
  const Recipient rc = read_recipient(config, r);
  auto channel = [](const RecipientChannel& ch) {
    // A GSM number is written with its "+", as the dialog shows it.
    return ChannelEdit{ch.kind(), (ch.kind() == Communicator::gsm ? "+" : "") + ch.phone, std::nullopt};
  };
  if (rc.main) e.main = channel(*rc.main);
  if (rc.reserve && rc.main) e.reserve = channel(*rc.reserve);
  e.sim_notice = rc.sim_notice;
  e.test_notice = rc.test_notice;
  const auto on = rc.categories();
  for (int k = 0; k < kCategoryCount; ++k)
    if (on[static_cast<std::size_t>(k)])
      e.categories[static_cast<std::size_t>(k)] = decode_category(rc.category_bytes[static_cast<std::size_t>(k)]);
  return e;
}

std::string filter_phone(std::string_view text, Communicator c) {
  std::string out;
  for (char ch : text) {
    const char u = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    const bool digit = u >= '0' && u <= '9';
    const bool letter = c != Communicator::gsm && std::string_view("BIPTW").find(u) != std::string_view::npos;
    if (u == '+') {
      if (out.empty()) out.push_back(u);
      continue;
    }
    if (digit || letter) out.push_back(u);
  }
  return out;
}

Result<> check_phone(std::string_view text, Communicator c, bool main) {
  if (text.empty() || text == "+") return fail(message_error(main ? 15279 : 15278));
  const std::string which = main ? "основного" : "резервного";
  if (filter_phone(text, c) != text)
    return fail("Номер телефона " + which + " канала: допустимы " +
                (c == Communicator::gsm ? std::string("цифры") : std::string("цифры и буквы B, I, P, T, W")) +
                ", «+» только первым знаком");
  const std::size_t symbols = text.size() - (text.starts_with('+') ? 1 : 0);
  if (symbols > memory::kPhoneNumberSymbols)
    return fail("Номер телефона " + which + " канала: не длиннее 24 знаков");
  return {};
}

Result<> commit_recipient(Configuration& config, int r, const RecipientEdit& edit, const Communicators& devices) {
  if (!valid_recipient(r)) return fail("Получатель " + num(r) + ": номер от 1 до 8");
  // The dialog's checks, in its order.
  if (edit.main) {
    if (auto ok = check_phone(edit.main->phone, edit.main->device, true); !ok) return ok;
  }
  if (edit.reserve) {
    if (auto ok = check_phone(edit.reserve->phone, edit.reserve->device, false); !ok) return ok;
  }
  if (!devices.any_available()) return fail(message_error(15285));
  if (edit.reserve && !edit.main) return fail("Резервный канал задаётся только вместе с основным");
  for (const ChannelEdit* ch : {edit.main ? &*edit.main : nullptr, edit.reserve ? &*edit.reserve : nullptr}) {
    if (!ch) continue;
    if (!devices.available(ch->device)) return fail(message_error(15283));
    if (ch->format && !notice_supported(ch->device, ch->format->notice)) return fail(message_error(15138));
  }
  for (const auto& o : edit.categories)
    if (o && (o->period < 0 || o->period >= kPeriodChoices || o->delay < 0 || o->delay >= kDelayChoices))
      return fail("Период доставки и задержка до передачи: индексы от 0 до 7");

  Tables t(config);
  if (auto ok = t.check_sizes(); !ok) return ok;
  auto planned = plan_recipient_edit(config, r);
  if (!planned) {
    // Without a free channel a recipient that has no main channel can still be cleared.
    if (edit.main || planned.error().message_id != 15139) return std::unexpected(planned.error());
    planned = EditPlan{r, false, false, std::nullopt, std::nullopt, std::nullopt, std::nullopt};
  }
  const EditPlan& plan = *planned;
  if (edit.reserve && !plan.reserve_channel) return fail(message_error(15139));

  const int i = r - 1;
  if (edit.main) {
    const int c = *plan.main_channel, k = *plan.main_phone;
    t.rec(i, kMain) = static_cast<u8>(c + 1);
    t.put_phone(k, edit.main->phone);
    t.put_channel(c, k, *edit.main, config);
    put_bit(t.service[kSimNotices], i, edit.sim_notice);
    put_bit(t.service[kTestNotices], i, edit.test_notice);
    t.rec(i, kHasMain) = kHasMainMark;
    u8 mask = 0;
    for (int q = 0; q < kCategoryCount; ++q) {
      const auto& o = edit.categories[static_cast<std::size_t>(q)];
      if (o) mask = static_cast<u8>(mask | (1u << q));
      t.rec(i, kCategories + static_cast<std::size_t>(q)) = o ? encode_category(*o) : u8{0};
    }
    t.rec(i, kMask) = mask;
  } else {
    put_bit(t.service[kSimNotices], i, false);
    put_bit(t.service[kTestNotices], i, false);
    t.rec(i, kMask) = 0;
    t.rec(i, kHasMain) = 0;
    for (int q = 0; q < kCategoryCount; ++q) t.rec(i, kCategories + static_cast<std::size_t>(q)) = 0;
    // Only the telephone record the channel really names goes with it.
    if (const auto c = t.main_of(i)) t.remove_channel(i, kMain, *c, ref(t.ch_phone(*c)));
    t.rec(i, kMain) = 0;
    for (int p = 1; p <= kRecipientPartitions; ++p) put_bit(t.served[partition_at(p)], i, false);
  }

  if (edit.reserve) {
    const int c = *plan.reserve_channel, k = *plan.reserve_phone;
    t.rec(i, kReserve) = static_cast<u8>(c + 1);
    t.put_phone(k, edit.reserve->phone);
    t.put_channel(c, k, *edit.reserve, config);
  } else {
    // The reserve as the table refers to it now: the main channel's removal renumbered
    // what sat above it.
    if (const auto c = t.reserve_of(i)) t.remove_channel(i, kReserve, *c, ref(t.ch_phone(*c)));
  }

  t.recount();
  t.store(config);
  return {};
}

Result<> set_recipient_partitions(Configuration& config, int r, const std::bitset<kRecipientPartitions>& p) {
  if (!valid_recipient(r)) return fail("Получатель " + num(r) + ": номер от 1 до 8");
  if (!read_recipient(config, r).main)
    return fail("Получатель " + num(r) + ": разделы задаются только получателю с основным каналом");
  auto& served = config.page(PageId::recipient_partitions);
  if (served.length() < partition_at(kRecipientPartitions) + 1)
    return fail("Таблица разделов получателей короче 100 байт: изменить разделы нельзя");
  for (int q = 1; q <= kRecipientPartitions; ++q) {
    u8 b = served.byte_at(partition_at(q));
    put_bit(b, r - 1, p[static_cast<std::size_t>(q - 1)]);
    served.set_byte(partition_at(q), b);
  }
  return {};
}

// ---- Contact ID account ------------------------------------------------------------------------

int contact_id_account(const Configuration& config) {
  const auto& t = config.page(PageId::service);
  return t.byte_at(kContactId) | t.byte_at(kContactId + 1) << 8;
}

Result<std::optional<int>> parse_contact_id_account(std::string_view text) {
  if (text.empty()) return std::optional<int>{};
  int v = 0;
  const auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (ec != std::errc{} || p != text.data() + text.size() || v < 1 || v > kContactIdMax)
    return fail(message_error(15270));
  return std::optional<int>{v};
}

Result<> set_contact_id_account(Configuration& config, int account) {
  if (account < 1 || account > kContactIdMax) return fail(message_error(15270));
  auto& t = config.page(PageId::service);
  if (t.length() < kContactId + 2) return fail("Таблица сервисных настроек короче 49 байт");
  t.set_byte(kContactId, static_cast<u8>(account & 0xFF));
  t.set_byte(kContactId + 1, static_cast<u8>(account >> 8));
  // The write sends the service table from its copy in the page list.
  auto& entry = config.page_list_entry(PageId::service);
  entry.data[kContactId] = static_cast<u8>(account & 0xFF);
  entry.data[kContactId + 1] = static_cast<u8>(account >> 8);
  return {};
}

}  // namespace vq::settings
