#include "eventlog/decoder.hpp"

#include <array>
#include <charconv>
#include <initializer_list>
#include <utility>

#include "shell/messages.hpp"

namespace vq::eventlog {
namespace {

// Message ids of the decoded texts.
enum : int {
  kSmk = 15060, kIk = 15061, kAk = 15062, kRpd = 15063, kBr = 15064, kIp = 15065, kIpr = 15066,
  kRtm = 15067, kRpp = 15068, kPin = 15123, kTm = 15124,
  kBadEvent = 15189, kRazd = 15190, kGsm = 15191, kMr = 15192, kInfo = 15193, kSystem = 15194,
  kTamperRestored = 15195, kBatteryLidOpen = 15196, kPanel = 15197, kPowerRestored = 15198,
  kMainsRestored = 15199, kBatteryChargeRestored = 15200, kPowerOn = 15201, kBatteryRestored = 15202,
  kBatteryFitted = 15203, kCircuitRestored = 15204, kChargeRestored = 15205, kSyncRestored = 15206,
  kRadioRestored = 15207, kSimFitted = 15208, kGsmNo = 15209, kPinEntered = 15210, kFaultRestored = 15211,
  kRestored = 15212, kPanelSlash = 15213, kGeneralRestored = 15214, kLinkRestored = 15215, kFault = 15216,
  kTamper = 15217, kPowerFault = 15218, kNoMains220 = 15219, kBatteryLow = 15220, kFirmwareChange = 15221,
  kBuiltInModules = 15222, kRadioDevices = 15223, kUnknown = 15224, kBatteryFault = 15225,
  kNoBattery = 15226, kSettingsRestored = 15227, kOpenCircuit = 15228, kShortCircuit = 15229,
  kNoMains = 15230, kRadioBlocked = 15231, kNoSim = 15232, kNoPin = 15233, kNoRadio = 15234,
  kNotDelivered = 15236, kGeneralFault = 15237, kNoLink = 15238, kFire = 15239, kAttention = 15240,
  kAlarm = 15241, kViolation = 15242, kArmed = 15243, kUser = 15244, kAutoArmed = 15245,
  kAutoArming = 15246, kDeleted = 15247, kArmedNo = 15248, kTestAlarm = 15249, kTestFire = 15250,
  kChange = 15251, kDateTime = 15252, kEngineerIn = 15253, kEngineerOut = 15254, kDisarmed = 15255,
  kAccessAttempt = 15256, kPasswordGuess = 15257, kRegistered = 15258, kRearmed = 15259,
  kRegisteredNew = 15260, kRadioRestoredGsm = 15272, kTest = 15274, kRemoteNotice = 15275,
  kAccountSent = 15276, kDone = 15289, kRemoteCommand = 15290, kCommandNo = 15291, kWrong = 15292,
  kSimSwitch = 15293, kSwitchedOn = 15294, kNotice = 15295, kZone = 15296, kMessage = 15297,
  kCancel = 15298, kTriggeredAuto = 15299, kOpr = 15300, kPstn = 15301, kUnblocked = 15303,
  kRemote = 15304, kRemoteGuess = 15305, kTestViolation = 15307, kService = 15308,
  kMainSupplyLow = 15309, kBackupSupplyLow = 15310, kNoMainSupply = 15311, kNoBackupSupply = 15312,
  kMainSupplyRestored = 15313, kBackupSupplyRestored = 15314, kSzo = 15315, kNoLine = 15318,
  kIpt = 15319, kDuv = 15320, kOps = 15321, kVbr = 15326, kOpi = 15328, kHighTemperature = 15329,
  kLowTemperature = 15330,
};

// Texts that stay as they are in every language.
constexpr std::string_view kFixedRadio = "РПД";
constexpr std::string_view kSos = "SOS";
constexpr std::string_view kSim = "SIM";
constexpr std::string_view kBlank = " ";

constexpr std::uint16_t kGsmModule = 517;

// Radio device type code -> message id; 0 = the fixed "РПД".
constexpr std::array<int, 256> kRadioIds = [] {
  std::array<int, 256> ids{};
  ids[1] = kSmk, ids[2] = kIk, ids[3] = kAk, ids[4] = kRpd, ids[5] = kVbr, ids[18] = kBr;
  ids[31] = ids[32] = kIp;
  ids[33] = ids[34] = kIpr;
  ids[35] = kIpt, ids[65] = kSzo, ids[66] = kOpr, ids[70] = kOps, ids[80] = kOpi, ids[90] = kDuv;
  ids[224] = ids[225] = ids[226] = ids[228] = ids[229] = kRtm;
  ids[238] = kRpp;
  return ids;
}();

int radio_id(std::uint32_t code) { return code < kRadioIds.size() ? kRadioIds[code] : 0; }

int module_id(std::uint32_t type) {
  switch (type) {
    case 526: return kMr;
    case 518: return kPstn;
    case 517: return kGsm;
    case 6172: return kRpp;
    default: return 0;
  }
}

int identifier_id(std::uint32_t type) {
  switch (type) {
    case 1: return kPin;
    case 2: return kTm;
    case 3: return kBr;
    default: return 0;
  }
}

std::string decimal(std::uint64_t n) {
  char buf[24];
  const auto end = std::to_chars(buf, buf + sizeof buf, n).ptr;
  return std::string(buf, end);
}

std::string cat(std::initializer_list<std::string_view> parts) {
  std::size_t n = 0;
  for (auto p : parts) n += p.size();
  std::string out;
  out.reserve(n);
  for (auto p : parts) out += p;
  return out;
}

// Two digits at least, three for a BCD byte whose nibbles run past 9.
void append_field(std::string& out, int v) {
  if (v >= 100) out += static_cast<char>('0' + v / 100);
  out += static_cast<char>('0' + v / 10 % 10);
  out += static_cast<char>('0' + v % 10);
}

void append_fields(std::string& out, int a, int b, int c, char sep) {
  append_field(out, a);
  out += sep;
  append_field(out, b);
  out += sep;
  append_field(out, c);
}

std::string three_fields(int a, int b, int c, char sep) {
  std::string out;
  append_fields(out, a, b, c, sep);
  return out;
}

bool leap(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int days_in_month(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && leap(year) ? 29 : kDays[month - 1];
}

// The list shows a date-time only when the text reads back as one; a year field past 99 is
// no two-digit year, so it counts as no date either.
bool valid_date_time(int yy, int month, int day, int hour, int minute, int second) {
  if (yy > 99 || month < 1 || month > 12 || day < 1) return false;
  if (day > days_in_month(2000 + yy, month)) return false;
  return hour <= 23 && minute <= 59 && second <= 59;
}

std::string label_of(std::string_view name, std::uint32_t partition, const std::string& razd) {
  std::string out(name);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');  // Latin only: Cyrillic keeps its case
  // An empty marker text would match every name.
  if (!razd.empty() && out.find(razd) != std::string::npos) out += decimal(partition);
  std::erase(out, ' ');
  return out;
}

constexpr unsigned ev(unsigned group, unsigned sub) { return group * 256 + sub; }

struct Fields {
  std::uint8_t sub, group, b2, b3, b4, b9;
  std::uint16_t w2, w4, w5, p;
};

// One decoding pass: the message table, the module lookup and the partition labels are
// taken once and shared by every record.
class Decoder {
 public:
  explicit Decoder(const Companions& c) : m_(shell::messages()), c_(c) {
    // The first entry with an address wins, as a front-to-back search would find it.
    for (auto it = c.modules.rbegin(); it != c.modules.rend(); ++it) module_types_[it->address] = it->type;
  }

  EventRow decode(ByteView record, std::uint32_t number) {
    std::array<std::uint8_t, kRecordSize> r{};
    for (std::size_t i = 0; i < r.size() && i < record.size(); ++i) r[i] = record[i];
    const Fields f{r[0],         r[1],         r[2],         r[3],         r[4],        r[9],
                   get_u16(r, 2), get_u16(r, 4), get_u16(r, 5), get_u16(r, 7)};

    EventRow row;
    row.number = number;
    row.event_id = ev(f.group, f.sub);
    const int second = bcd_value(r[10]), minute = bcd_value(r[11]), hour = bcd_value(r[12]);
    const int day = bcd_value(r[13]), month = bcd_value(r[14]), yy = bcd_value(r[15]);
    if (valid_date_time(yy, month, day, hour, minute, second)) {
      row.when = EventDateTime{2000 + yy, month, day, hour, minute, second};
      row.date_time.reserve(17);
      append_fields(row.date_time, day, month, yy, kDateSeparator);
      row.date_time += ' ';
      append_fields(row.date_time, hour, minute, second, kTimeSeparator);
    } else {
      row.date_time = kZeroDateText;
    }
    row.columns.reserve(4);
    texts(f, row.columns);
    return row;
  }

 private:
  const shell::MessageTable& m_;
  const Companions& c_;
  std::array<std::uint16_t, 256> module_types_{};  // 0: no module at that address
  std::vector<std::string> labels_;                // partition labels as first asked for
  std::vector<bool> labelled_;

  const std::string& t(int id) const { return m_.text(id); }
  std::string_view named(int id, std::string_view fallback = {}) const {
    return id ? std::string_view(t(id)) : fallback;
  }

  std::string part(std::uint32_t p) {
    if (p == 0) return t(kBadEvent);
    const std::size_t i = p - 1;
    if (i >= c_.partition_names.size()) return cat({t(kRazd), decimal(p)});
    if (labels_.empty()) {
      labels_.resize(c_.partition_names.size());
      labelled_.resize(c_.partition_names.size());
    }
    if (!labelled_[i]) {
      labels_[i] = label_of(c_.partition_names[i], p, t(kRazd));
      labelled_[i] = true;
    }
    return labels_[i];
  }
  // None for partition 0 or one the type table does not reach: no table row names it.
  int part_type(std::uint32_t p) const { return p >= 1 && p <= c_.partition_types.size() ? c_.partition_types[p - 1] : -1; }
  std::uint16_t module_type(std::uint8_t address) const { return module_types_[address]; }

  std::string radio(const Fields& f) const { return cat({named(radio_id(f.b9), kFixedRadio), "#", pad(f.b3, 3)}); }
  std::string module(const Fields& f) const {
    return cat({named(module_id(module_type(f.b2))), "#", pad(f.b2 + 1u, 3)});
  }
  std::string module_circuit(const Fields& f) const { return cat({module(f), "/", pad((f.b4 & 0x7Fu) + 1u, 2)}); }
  std::string panel_loop(const Fields& f) const { return cat({t(kPanelSlash), pad(f.b4, 2)}); }
  std::string loop(const Fields& f) const {
    if (f.b9 != 0) return radio(f);
    if (f.b4 == 3) return std::string(kSos);
    return panel_loop(f);
  }
  std::string fire_loop(const Fields& f) const {
    if (f.b4 == 0) return radio(f);
    if (f.b9 != 0) return cat({radio(f), "/", pad(f.b4, 2)});
    if (f.b4 == 3) return std::string(kSos);
    return panel_loop(f);
  }
  std::string user(std::uint32_t n) const { return cat({t(kUser), pad(n, 3)}); }
  std::string ident(const Fields& f) const { return cat({named(identifier_id(f.b4 >> 4)), "#", pad(f.b4 & 0x0Fu, 3)}); }
  std::string gsm_no(std::uint32_t n) const { return cat({t(kGsmNo), pad(n, 3)}); }
  std::string zone(const Fields& f) const { return cat({t(kZone), "#", decimal(f.w2)}); }
  std::string message(const Fields& f) const { return cat({t(kMessage), "#", decimal(f.b9)}); }
  std::string numbered_module(const Fields& f) const {
    return cat({named(module_id(f.w4)), "#", pad(f.b2 + 1u, 3)});
  }

  void texts(const Fields& f, std::vector<std::string>& out);
};

template <class... T>
void put(std::vector<std::string>& out, T&&... texts) {
  (out.emplace_back(std::forward<T>(texts)), ...);
}

void Decoder::texts(const Fields& f, std::vector<std::string>& out) {
  const std::string& info = t(kInfo);
  const std::string& system = t(kSystem);
  const std::string& panel = t(kPanel);
  const std::string& fault = t(kFault);

  // Fitted or missing battery: a radio device in a partition, else a module, else the panel.
  auto battery = [&](const std::string& detail) {
    if (f.p != 0)
      put(out, info, part(f.p), detail, radio(f));
    else if (f.b2 != 0)
      put(out, info, system, detail, module(f));
    else
      put(out, info, system, detail, panel);
  };
  // Alerts addressed to a zone and a voice message.
  auto notice = [&](int event) { put(out, t(event), t(kNotice), zone(f), message(f)); };

  switch (ev(f.group, f.sub)) {
    // Group 51: restorations and information.
    case ev(51, 0):
      if (f.b9 == 0)
        put(out, info, system, t(kTamperRestored), panel);
      else if (f.b9 == 1)
        put(out, info, system, t(kBatteryLidOpen), panel);
      else
        put(out, info, system, panel);
      break;
    case ev(51, 1): put(out, info, system, t(f.b9 != 0 ? kMainsRestored : kPowerRestored), panel); break;
    case ev(51, 2): put(out, info, system, t(kBatteryChargeRestored), panel); break;
    case ev(51, 8): put(out, info, system, t(kPowerOn), panel); break;
    case ev(51, 9): put(out, info, system, t(kBatteryRestored), panel); break;
    case ev(51, 17): battery(t(kBatteryFitted)); break;
    case ev(51, 21): put(out, t(kService), part(f.p), t(kMainSupplyRestored), radio(f)); break;
    case ev(51, 22): put(out, t(kService), part(f.p), t(kBackupSupplyRestored), radio(f)); break;
    case ev(51, 36): put(out, info, part(f.p), t(kCircuitRestored), module_circuit(f)); break;
    case ev(51, 55):
      put(out, info, system, t(module_type(f.b2) == kGsmModule ? kBatteryRestored : kPowerRestored), module(f));
      break;
    case ev(51, 56):
      if (f.p != 0)
        put(out, info, part(f.p), t(kChargeRestored), radio(f));
      else
        put(out, info, system, t(kChargeRestored), module(f));
      break;
    case ev(51, 65): put(out, info, system, t(kTamperRestored), module(f)); break;
    case ev(51, 66):
      if (f.b3 == 255)
        put(out, info, system, t(kMainsRestored), module(f));
      else
        put(out, info, part(f.p), t(kPowerRestored), radio(f));
      break;
    case ev(51, 67):
      if (f.b3 == 255) put(out, info, system, t(kSyncRestored), module(f));
      break;
    case ev(51, 68):
      if (f.b3 == 255) put(out, info, system, t(kRadioRestored), module(f));
      break;
    case ev(51, 83): {
      std::string detail;
      if (f.b9 == 3)
        detail = t(kSimFitted);
      else if (f.b9 == 5)
        detail = t(kPinEntered);
      else if (f.b9 == 7)
        detail = t(kRadioRestoredGsm);
      else
        detail = cat({t(kFaultRestored), " ", decimal(f.b9)});
      put(out, info, system, std::move(detail), gsm_no(f.b2 + 1u));
      break;
    }
    case ev(51, 112): put(out, info, part(f.p), t(kRestored), loop(f)); break;
    case ev(51, 128): put(out, info, part(f.p), t(kGeneralRestored), radio(f)); break;
    case ev(51, 129): put(out, info, part(f.p), t(kLinkRestored), radio(f)); break;
    case ev(51, 130): put(out, info, system, t(kLinkRestored), module(f)); break;
    case ev(51, 131): put(out, info, part(f.p), t(kTamperRestored), radio(f)); break;
    case ev(51, 132):
      put(out, info, part(f.p), t(f.b9 == 226 ? kBatteryRestored : kPowerRestored), radio(f));
      break;

    // Group 19: faults.
    case ev(19, 0):
      if (f.b9 == 0)
        put(out, fault, system, t(kTamper), panel);
      else if (f.b9 == 1)
        put(out, fault, system, t(kBatteryLidOpen), panel);
      else
        put(out, fault, system, panel);
      break;
    case ev(19, 1):
      if (f.b9 == 0)
        put(out, fault, system, t(kPowerFault), panel);
      else if (f.b9 == 1)
        put(out, info, system, t(kNoMains220), panel);
      break;
    case ev(19, 2): put(out, fault, system, t(kBatteryLow), panel); break;
    case ev(19, 6): {
      const int source = f.b9 == 0 ? kPanel : f.b9 == 1 ? kBuiltInModules : f.b9 == 2 ? kRadioDevices : kUnknown;
      put(out, info, system, t(kFirmwareChange), t(source));
      break;
    }
    case ev(19, 9): put(out, fault, system, t(kBatteryFault), panel); break;
    case ev(19, 17): battery(t(kNoBattery)); break;
    case ev(19, 19): put(out, info, system, t(kSettingsRestored), panel); break;
    case ev(19, 21): put(out, t(kService), part(f.p), t(kNoMainSupply), radio(f)); break;
    case ev(19, 22): put(out, t(kService), part(f.p), t(kNoBackupSupply), radio(f)); break;
    case ev(19, 23): put(out, t(kService), part(f.p), t(kMainSupplyLow), radio(f)); break;
    case ev(19, 24): put(out, t(kService), part(f.p), t(kBackupSupplyLow), radio(f)); break;
    case ev(19, 36):
      put(out, info, part(f.p), t(f.b4 & 0x80 ? kShortCircuit : kOpenCircuit), module_circuit(f));
      break;
    case ev(19, 55):
      put(out, fault, system, t(module_type(f.b2) == kGsmModule ? kBatteryFault : kPowerFault), module(f));
      break;
    case ev(19, 56):
      if (f.p != 0)
        put(out, fault, part(f.p), t(kBatteryLow), radio(f));
      else
        put(out, fault, system, t(kBatteryLow), module(f));
      break;
    case ev(19, 65): put(out, fault, system, t(kTamper), module(f)); break;
    case ev(19, 66):
      if (f.b3 == 255)
        put(out, info, system, t(kNoMains), module(f));
      else
        put(out, info, part(f.p), t(kNoMains), radio(f));
      break;
    case ev(19, 68):
      if (f.b3 == 255) put(out, fault, system, t(kRadioBlocked), module(f));
      break;
    case ev(19, 83):
      if (f.b9 == 3)
        put(out, fault, system, t(kNoSim), module(f));
      else if (f.b9 == 5)
        put(out, info, system, t(kNoPin), module(f));
      else if (f.b9 == 7)
        put(out, fault, system, t(module_type(f.b2) == kGsmModule ? kNoRadio : kNoLine), module(f));
      else
        put(out, fault, system, cat({fault, "#", decimal(f.b9)}), module(f));
      break;
    case ev(19, 84): put(out, info, system, t(kNotDelivered), pad(f.w5, 4)); break;
    case ev(19, 112): put(out, fault, part(f.p), fault, loop(f)); break;
    case ev(19, 128): put(out, fault, part(f.p), t(kGeneralFault), radio(f)); break;
    case ev(19, 129): put(out, fault, part(f.p), t(kNoLink), radio(f)); break;
    case ev(19, 130): put(out, fault, system, t(kNoLink), module(f)); break;
    case ev(19, 131): put(out, fault, part(f.p), t(kTamper), radio(f)); break;
    case ev(19, 132): {
      const bool battery_type = f.b9 == 224 || f.b9 == 225 || f.b9 == 226 || f.b9 == 228 || f.b9 == 229;
      put(out, fault, part(f.p), t(battery_type ? kBatteryFault : kPowerFault), radio(f));
      break;
    }

    // Group 17: alarms.
    case ev(17, 16): put(out, t(kFire), part(f.p), t(kFire), fire_loop(f)); break;
    case ev(17, 24): put(out, t(kAttention), part(f.p), t(kAttention), radio(f)); break;
    case ev(17, 32): notice(kTriggeredAuto); break;
    case ev(17, 48):
      // Security partitions raise an alarm, technological ones a violation; any other
      // type leaves the row to its source.
      if (const int type = part_type(f.p); type == 0)
        put(out, t(kAlarm), part(f.p), t(kAlarm), loop(f));
      else if (type == 4)
        put(out, t(kViolation), part(f.p), t(kViolation), loop(f));
      else
        put(out, loop(f));
      break;
    case ev(17, 88): put(out, t(kViolation), part(f.p), t(kHighTemperature), radio(f)); break;
    case ev(17, 89): put(out, t(kViolation), part(f.p), t(kLowTemperature), radio(f)); break;

    // Group 52: arming and users.
    case ev(52, 2): put(out, t(kArmed), part(f.p), user(f.w2), ident(f)); break;
    case ev(52, 3): put(out, t(kAutoArmed), part(f.p), t(kAutoArming), kBlank); break;
    case ev(52, 33): put(out, info, system, t(kUnblocked), t(kRemote)); break;
    case ev(52, 49): put(out, info, system, cat({t(kDeleted), pad(f.w2, 3)}), ident(f)); break;
    case ev(52, 86): put(out, t(kArmedNo), part(f.p), user(f.w2), ident(f)); break;
    case ev(52, 101): put(out, t(kCancel), t(kNotice), t(kCancel), cat({t(kUser), "#", decimal(f.b4)})); break;

    // Group 20: disarming, remote commands and access.
    case ev(20, 2): put(out, t(kDisarmed), part(f.p), user(f.w2), ident(f)); break;
    case ev(20, 18):
      put(out, t(kDone), t(kRemoteCommand), user(f.b2 + 1u), cat({t(kCommandNo), pad(f.b3, 2)}));
      break;
    case ev(20, 19):
      put(out, t(kWrong), t(kRemoteCommand), user(f.b2 + 1u), cat({t(kCommandNo), pad(f.b3, 2)}));
      break;
    case ev(20, 33): put(out, info, system, t(kAccessAttempt), t(f.b9 != 0 ? kRemoteGuess : kPasswordGuess)); break;
    case ev(20, 49): put(out, info, system, cat({t(kRegistered), pad(f.w2, 3)}), ident(f)); break;
    case ev(20, 99):
      if (f.w2 != 0)
        put(out, t(kRearmed), part(f.p), user(f.w2), ident(f));
      else
        put(out, t(kRearmed), part(f.p), t(kAutoArming), kBlank);
      break;

    // Group 21: modules; the type comes with the record.
    case ev(21, 49): put(out, info, system, t(kRegisteredNew), numbered_module(f)); break;
    case ev(21, 50): put(out, info, system, t(kDeleted), numbered_module(f)); break;

    // Group 22: tests and service.
    case ev(22, 4):
      if (const int type = part_type(f.p); type == 0 || type == 5)
        put(out, info, part(f.p), t(kTestAlarm), radio(f));
      else if (type == 2 || type == 3)
        put(out, info, part(f.p), t(kTestFire), radio(f));
      else if (type == 4)
        put(out, info, part(f.p), t(kTestViolation), radio(f));
      else
        put(out, radio(f));
      break;
    case ev(22, 24):
      put(out, info, system, cat({t(kSimSwitch), "#", decimal(f.b9 + 1u)}),
          cat({t(kGsm), "#", pad(f.w2 + 1u, 3)}));
      break;
    case ev(22, 37): put(out, info, system, t(kChange), t(kDateTime)); break;
    case ev(22, 39): put(out, info, system, t(kEngineerIn), panel); break;
    case ev(22, 40): put(out, info, system, t(kEngineerOut), panel); break;

    // Group 102: remote notification and account.
    case ev(102, 2): put(out, info, system, t(kTest), t(kRemoteNotice)); break;
    case ev(102, 22): put(out, info, system, t(kAccountSent), kSim); break;

    // Groups 49 and 54: notification.
    case ev(49, 32): notice(kSwitchedOn); break;
    case ev(54, 20): notice(kTest); break;

    default: break;  // unknown: the row stays incomplete
  }
}

}  // namespace

std::vector<EventRow> decode_journal(const Journal& journal, const Companions& companions) {
  const auto log = journal.image(JournalTable::event_log).data();
  const std::size_t count = log.size() / kRecordSize;
  std::vector<EventRow> rows;
  rows.reserve(count);
  Decoder decoder(companions);
  for (std::size_t n = 0; n < count; ++n)
    rows.push_back(decoder.decode(log.subspan(n * kRecordSize, kRecordSize), static_cast<std::uint32_t>(n + 1)));
  return rows;
}

EventRow decode_record(ByteView record16, std::uint32_t number, const Companions& companions) {
  return Decoder(companions).decode(record16, number);
}

std::string partition_label(std::uint32_t partition, const Companions& companions) {
  if (partition == 0) return shell::msg(kBadEvent);
  const std::string razd = shell::msg(kRazd);
  if (partition > companions.partition_names.size()) return razd + decimal(partition);
  return label_of(companions.partition_names[partition - 1], partition, razd);
}

std::string module_name(std::uint32_t type) {
  const int id = module_id(type);
  return id ? shell::msg(id) : std::string();
}

std::string radio_abbreviation(std::uint32_t code) {
  const int id = radio_id(code);
  return id ? shell::msg(id) : std::string(kFixedRadio);
}

std::string identifier_name(std::uint32_t type) {
  const int id = identifier_id(type);
  return id ? shell::msg(id) : std::string();
}

std::string pad(std::string_view text, std::size_t width, char fill) {
  std::size_t chars = 0;
  for (char c : text)
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++chars;
  std::string out;
  if (chars < width) out.assign(width - chars, fill);
  out += text;
  return out;
}

std::string pad(std::uint64_t number, std::size_t width) { return pad(decimal(number), width); }

std::string date_text(std::uint8_t day, std::uint8_t month, std::uint8_t year) {
  return three_fields(bcd_value(day), bcd_value(month), bcd_value(year), kDateSeparator);
}

std::string time_text(std::uint8_t hours, std::uint8_t minutes, std::uint8_t seconds) {
  return three_fields(bcd_value(hours), bcd_value(minutes), bcd_value(seconds), kTimeSeparator);
}

}  // namespace vq::eventlog
