#pragma once
// Telephone recipients ("Телефоны получателей"): up to eight recipients, each with a main
// and an optional reserve channel (a telephone number, a GSM communicator or a PSTN
// module, a notice type and its delivery options), six event categories, the partitions it
// serves and its SIM-account and test notices; and the Contact ID account.
//
// The telephone, channel, recipient and delivery group tables are kept dense: used records
// first, counts in their headers, references renumbered after every removal. A commit
// either completes or changes no byte.
#include <array>
#include <bitset>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "memory/configuration.hpp"
#include "util/result.hpp"

namespace vq::settings {

inline constexpr int kRecipientCount = 8;
inline constexpr int kRecipientChannels = 8;
inline constexpr int kCategoryCount = 6;
inline constexpr int kRecipientPartitions = 96;

// ---- communicators ------------------------------------------------------------------

enum class Communicator { none, gsm, pstn };

inline constexpr std::uint16_t kGsmCommunicatorType = 0x0800;
inline constexpr std::uint16_t kPstnCommunicatorType = 0x0400;

// "GSM", "PSTN", "" for none.
std::string communicator_name(Communicator c);
std::optional<Communicator> communicator_by_name(std::string_view name);

// Which communicators the page offers: those registered in the system, both while the
// images are demo contents (not read from the connected panel).
struct Communicators {
  bool gsm_present = false;   // a registered device of model 517
  bool pstn_present = false;  // a registered device of model 518
  bool demo = false;          // the demo configuration flag
  bool gsm_available() const { return demo || gsm_present; }
  bool pstn_available() const { return demo || pstn_present; }
  bool available(Communicator c) const {
    return c == Communicator::gsm ? gsm_available() : c == Communicator::pstn && pstn_available();
  }
  bool any_available() const { return gsm_available() || pstn_available(); }
  // Numbers are shown only with a communicator or in demo contents.
  bool numbers_shown() const { return demo || gsm_present || pstn_present; }
};
Communicators registered_communicators(const memory::Configuration& config, bool demo_configuration);

// ---- notice types and their options ---------------------------------------------------

inline constexpr int kNoticeSpeech = 1;  // "Речевое"
inline constexpr int kNoticeSms = 2;     // "SMS"
inline constexpr int kNoticeTonal = 3;   // "Тональное"
inline constexpr int kNoticeContactId = 4;
inline constexpr int kNoticeSia = 5;

// The notice type's text; "-" for a value outside 1..5.
std::string notice_type_name(int notice);
std::optional<int> notice_type_by_name(std::string_view name);
// Whether this version handles the notice type on the communicator: GSM speech, SMS and
// Contact ID; PSTN Contact ID and SIA.
bool notice_supported(Communicator c, int notice);
// What the dialog falls back to for an unsupported choice: speech on GSM, SIA on PSTN.
int fallback_notice(Communicator c);

// The channel record bytes the notice type dialog sets: the notice type, dialling (attempts
// and ring wait) and the options byte.
struct ChannelFormat {
  int notice = 0;
  std::uint8_t dialling = 0;
  std::uint8_t options = 0;
  friend bool operator==(const ChannelFormat&, const ChannelFormat&) = default;
};

// The eight lists of "Настройки типа оповещения" as entry indexes.
struct FormatChoice {
  int attempts = 4;          // DialTry: "1".."16"
  int ring_wait = 12;        // WaitTime: 16..64 s in steps of 4
  bool confirm = true;       // ConfirmMes
  int phrase_pause = 0;      // PhrasePause: 0.25 .. 1.0 s
  int language = 0;          // SMSLng: русский, английский, турецкий
  bool merge_sms = true;     // MergeSMS
  bool object_number = true; // SpecObjNum
  bool proper_name = true;   // NameOrNum
  friend bool operator==(const FormatChoice&, const FormatChoice&) = default;
};
inline constexpr int kAttemptChoices = 16;
inline constexpr int kRingWaitChoices = 13;
inline constexpr int kPhrasePauseChoices = 4;
inline constexpr int kLanguageChoices = 3;

enum class FormatBox { attempts, ring_wait, confirm, phrase_pause, language, merge_sms, object_number, proper_name };
// The boxes the dialog enables for a notice type.
bool format_box_enabled(int notice, FormatBox box);
// The dialog's lists as it opens for `notice`: loaded from the stored bytes when the
// channel already carries that notice type, the initial choices otherwise.
FormatChoice format_choice(const ChannelFormat& stored, int notice);
// "Сохранить": the notice type and the bytes that type defines; the others stay as stored.
// A choice outside its list is refused.
Result<ChannelFormat> encode_format(int notice, const FormatChoice& choice, const ChannelFormat& stored);

// ---- event categories -------------------------------------------------------------------

struct CategoryOptions {
  bool urgent = true;  // "срочно" / "не срочно"
  int period = 0;      // delivery period index 0..7
  int delay = 0;       // delay index 0..7
  friend bool operator==(const CategoryOptions&, const CategoryOptions&) = default;
};
inline constexpr int kPeriodChoices = 8;
inline constexpr int kDelayChoices = 8;

std::string category_name(int k);  // k 1..6
const std::vector<std::string>& period_names();
const std::vector<std::string>& delay_names();
CategoryOptions decode_category(std::uint8_t byte);
std::uint8_t encode_category(const CategoryOptions& o);
// What checking a category row brings: k 1..6.
CategoryOptions default_category(int k);

// ---- recipients as stored ----------------------------------------------------------------

struct RecipientChannel {
  int number = 0;                  // 1..8
  std::uint16_t communicator = 0;  // as stored: 0x0800 GSM, 0x0400 PSTN
  int device = 0;                  // the communicator's device number as stored
  int phone_record = 0;            // 1..8, 0 when the channel names none
  std::string phone;               // the decoded number, without "+"
  ChannelFormat format;
  Communicator kind() const;
};

struct Recipient {
  int number = 0;  // 1..8
  std::optional<RecipientChannel> main, reserve;
  std::uint8_t category_mask = 0;  // as stored
  std::array<std::uint8_t, kCategoryCount> category_bytes{};
  bool sim_notice = false;
  bool test_notice = false;
  std::bitset<kRecipientPartitions> partitions;
  // Categories in the mask (0x00 and 0xFF count as none), k − 1 at index k − 1.
  std::array<bool, kCategoryCount> categories() const;
};

// Recipient r (1..8). A channel number outside 1..8 (0x00, 0xFF or worse) is none.
Recipient read_recipient(const memory::Configuration& config, int r);

// One row of TelRcpntsListView.
struct RecipientRow {
  std::string device, main, main_notice, reserve, reserve_notice, categories;
  friend bool operator==(const RecipientRow&, const RecipientRow&) = default;
};
RecipientRow recipient_row(const memory::Configuration& config, int r, const Communicators& c);
// The number as the page shows it: "+" in front of a GSM number (with a GSM communicator
// or demo contents); "-" while numbers are not shown.
std::string shown_phone(const RecipientChannel& ch, const Communicators& c);
// "1,3,6" for the categories in the mask; "-" for none.
std::string categories_text(std::uint8_t mask);

// ---- editing one recipient ----------------------------------------------------------------

// The channel and telephone record indexes (0..7) a recipient's edit works with: its own
// where it has them, free ones for a channel it gains.
struct EditPlan {
  int recipient = 0;
  bool had_main = false, had_reserve = false;
  std::optional<int> main_channel, main_phone, reserve_channel, reserve_phone;
};
// Refused with message 15139 when a recipient without a main channel finds no free channel.
Result<EditPlan> plan_recipient_edit(const memory::Configuration& config, int r);
// The stored format bytes of channel record `channel` (0..7), for the notice type dialog.
ChannelFormat channel_format(const memory::Configuration& config, int channel);

struct ChannelEdit {
  Communicator device = Communicator::none;
  std::string phone;                    // as typed; a leading "+" is not stored
  std::optional<ChannelFormat> format;  // set when the notice type dialog was confirmed
  friend bool operator==(const ChannelEdit&, const ChannelEdit&) = default;
};

struct RecipientEdit {
  std::optional<ChannelEdit> main, reserve;  // unchecked channels are nullopt
  bool sim_notice = false;
  bool test_notice = false;
  std::array<std::optional<CategoryOptions>, kCategoryCount> categories{};
  friend bool operator==(const RecipientEdit&, const RecipientEdit&) = default;
};

// The edit that keeps recipient r as stored (what the dialog opens with; GSM numbers with "+").
RecipientEdit current_edit(const memory::Configuration& config, int r);

// What the telephone edit keeps of typed text: upper case; digits and "+" for GSM, also
// "B", "I", "P", "T", "W" otherwise; "+" only as the first character.
std::string filter_phone(std::string_view text, Communicator c);
// A number the commit stores: not empty or "+", only the characters filter_phone keeps,
// at most 24 symbols.
Result<> check_phone(std::string_view text, Communicator c, bool main);

// "Сохранить" of the recipient dialog: the recipient's channels, telephone records,
// notices, categories and delivery group, with every table renumbered and recounted.
// Refused, changing no byte: a channel on a communicator that is not available (15283),
// a missing or bad number (15279, 15278), no communicator at all (15285), a reserve
// without a main channel, no free channel (15139), a notice type the communicator does
// not handle (15138), an option outside its list, tables too short to hold the records.
Result<> commit_recipient(memory::Configuration& config, int r, const RecipientEdit& edit, const Communicators& c);

// "Сохранить изменения": the partitions recipient r serves. Refused for a recipient
// without a main channel.
Result<> set_recipient_partitions(memory::Configuration& config, int r, const std::bitset<kRecipientPartitions>& p);

// ---- the Contact ID account -------------------------------------------------------------

inline constexpr int kContactIdMax = 9999;  // four digits
int contact_id_account(const memory::Configuration& config);
// What ObjNumEdit accepts: an empty text while typing (nullopt); a whole number 1..9999
// otherwise, or message 15270.
Result<std::optional<int>> parse_contact_id_account(std::string_view text);
// Into the service table and the copy the write sends.
Result<> set_contact_id_account(memory::Configuration& config, int account);

}  // namespace vq::settings
