// Telephone recipients: the commit of the recipient dialog as before/after tables (dense
// tables, renumbering, delivery groups, counts), its refusals (no byte changed), the list's
// texts, the notice type options, the number filter and the Contact ID account.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <sstream>

#include "memory/configuration.hpp"
#include "memory/phone_numbers.hpp"
#include "settings/recipients.hpp"
#include "util/bytes.hpp"

using namespace vq;
using namespace vq::memory;
using namespace vq::settings;

namespace {

using u8 = std::uint8_t;
constexpr std::uint16_t kGsm = 0x0800, kPstn = 0x0400;
constexpr u8 kGsmDevice = 4, kPstnDevice = 7;  // byte 0 of their registered records

struct Ch {
  Ch(std::uint16_t t, u8 n = 0, u8 d = 0, u8 o = 0) : type(t), notice(n), dialling(d), options(o) {}
  std::uint16_t type;
  u8 notice, dialling, options;
};
struct Rc {
  Rc(u8 m = 0, u8 r = 0, u8 k = 0, std::array<u8, 6> c = {}, u8 h = 6)
      : main(m), reserve(r), mask(k), categories(c), has_main(h) {}
  u8 main, reserve, mask;
  std::array<u8, 6> categories;
  u8 has_main;
};
// The five tables (and service bytes 38, 40) spelled out record by record: channel c uses
// telephone record c + 1 unless `phone_of` says otherwise, counts are the lengths of the lists.
struct Layout {
  Layout(std::vector<std::string> p = {}, std::vector<Ch> c = {}, std::vector<int> po = {}, std::vector<Rc> r = {},
         std::vector<int> g = {}, u8 si = 0, u8 te = 0, std::map<int, u8> se = {}, bool h = true)
      : phones(std::move(p)), channels(std::move(c)), phone_of(std::move(po)), recipients(std::move(r)),
        groups(std::move(g)), sim(si), test(te), served(std::move(se)), header(h) {}
  std::vector<std::string> phones;
  std::vector<Ch> channels;
  std::vector<int> phone_of;
  std::vector<Rc> recipients;
  std::vector<int> groups;  // recipient numbers, in group order
  u8 sim, test;
  std::map<int, u8> served;  // partition -> recipient bits
  bool header;               // 96, 0, 8, 0 in the partition table
};
// A configuration that never held a recipient: every table zero.
Layout untouched() { return Layout({}, {}, {}, {}, {}, 0, 0, {}, false); }

u8 symbol(char s) {
  constexpr std::string_view letters = "WTPBI";
  return s >= '0' && s <= '9' ? static_cast<u8>(s - '0') : static_cast<u8>(10 + letters.find(s));
}

void put_phone(Configuration& c, int k, const std::string& symbols) {
  auto d = c.page(PageId::phone_numbers).data();
  std::fill_n(d.begin() + 3 + 12 * k, 12, u8{0xFF});
  for (std::size_t i = 0; i < symbols.size(); ++i) {
    const u8 v = symbol(symbols[i]);
    u8& b = d[3 + 12 * static_cast<std::size_t>(k) + i / 2];
    b = i % 2 ? static_cast<u8>((b & 0xF0) | v) : static_cast<u8>((v << 4) | 0x0F);
  }
}

void build(Configuration& c, const Layout& l) {
  auto phones = c.page(PageId::phone_numbers).data();
  for (std::size_t k = 0; k < l.phones.size(); ++k) put_phone(c, static_cast<int>(k), l.phones[k]);
  if (!l.phones.empty() || !l.channels.empty()) {
    phones[0] = static_cast<u8>(l.phones.size());
    phones[2] = 12;
  }
  auto ch = c.page(PageId::channels).data();
  ch[0] = static_cast<u8>(l.channels.size());
  for (std::size_t i = 0; i < l.channels.size(); ++i) {
    const std::size_t at = 1 + 11 * i;
    const auto& x = l.channels[i];
    ch[at] = static_cast<u8>(i + 1);
    ch[at + 2] = x.type == kGsm ? kGsmDevice : kPstnDevice;
    put_u16(ch, at + 3, x.type);
    ch[at + 5] = x.notice;
    put_u16(ch, at + 6, static_cast<std::uint16_t>(i < l.phone_of.size() ? l.phone_of[i] : int(i) + 1));
    ch[at + 8] = x.dialling;
    ch[at + 10] = x.options;
  }
  auto rc = c.page(PageId::recipients).data();
  int with_main = 0;
  for (std::size_t r = 0; r < l.recipients.size(); ++r) {
    const auto& x = l.recipients[r];
    const std::size_t at = 2 + 11 * r;
    rc[at] = x.main;
    rc[at + 1] = x.reserve;
    rc[at + 2] = x.mask;
    rc[at + 4] = x.main ? x.has_main : 0;
    std::copy(x.categories.begin(), x.categories.end(), rc.begin() + static_cast<std::ptrdiff_t>(at + 5));
    if (x.main >= 1 && x.main <= 8) ++with_main;
  }
  rc[0] = static_cast<u8>(with_main);
  auto g = c.page(PageId::delivery_groups).data();
  g[0] = static_cast<u8>(l.groups.size());
  for (std::size_t i = 0; i < l.groups.size(); ++i) {
    const u8 n = static_cast<u8>(l.groups[i]);
    const std::array<u8, 6> rec = {n, 0, 1, 0, n, 0};
    std::copy(rec.begin(), rec.end(), g.begin() + static_cast<std::ptrdiff_t>(2 + 6 * i));
  }
  auto served = c.page(PageId::recipient_partitions).data();
  if (l.header) {
    served[0] = 96;
    served[2] = 8;
  }
  for (auto [p, bits] : l.served) served[3 + static_cast<std::size_t>(p)] = bits;
  c.page(PageId::service).set_byte(38, l.sim);
  c.page(PageId::service).set_byte(40, l.test);
}

// Registered devices: GSM (517) and/or PSTN (518).
void registered(Configuration& c, bool gsm, bool pstn) {
  auto& t = c.image(ImageId::registered_devices);
  std::size_t at = 33;
  u8 count = 0;
  auto add = [&](std::uint16_t model, u8 index) {
    t.set_byte(at, index);
    t.set_byte(at + 5, static_cast<u8>(model & 0xFF));
    t.set_byte(at + 6, static_cast<u8>(model >> 8));
    at += 32;
    ++count;
  };
  if (gsm) add(517, kGsmDevice);
  if (pstn) add(518, kPstnDevice);
  t.set_byte(0, count);
}

constexpr PageId kPages[] = {PageId::phone_numbers, PageId::recipient_partitions, PageId::recipients,
                             PageId::channels, PageId::delivery_groups, PageId::service};

std::map<PageId, Bytes> snapshot(const Configuration& c) {
  std::map<PageId, Bytes> out;
  for (auto id : kPages) {
    const auto d = c.page(id).data();
    out[id] = Bytes(d.begin(), d.end());
  }
  return out;
}

// "table +offset: got X, want Y" for every byte that differs.
std::string differences(const std::map<PageId, Bytes>& got, const std::map<PageId, Bytes>& want) {
  std::ostringstream out;
  for (auto id : kPages)
    for (std::size_t i = 0; i < got.at(id).size(); ++i)
      if (got.at(id)[i] != want.at(id)[i])
        out << layout(id).name << " +" << i << ": got " << int(got.at(id)[i]) << ", want " << int(want.at(id)[i])
            << "\n";
  return out.str();
}

ChannelEdit gsm(std::string phone) { return {Communicator::gsm, std::move(phone), std::nullopt}; }
ChannelEdit pstn(std::string phone) { return {Communicator::pstn, std::move(phone), std::nullopt}; }

const std::array<u8, 6> kNoCategories{};

struct CommitCase {
  const char* what;
  Layout before;
  bool gsm_registered, pstn_registered, demo;
  int recipient;
  std::function<void(RecipientEdit&)> edit;  // applied to the recipient as stored
  Layout after;
};

}  // namespace

TEST(RecipientCommit, ChangesExactlyTheTablesAsTheyShouldBe) {
  const std::array<u8, 6> cats_1 = {0x8C, 0, 0, 0, 0, 0};
  const std::array<u8, 6> all_defaults = {0x8C, 0x8C, 0x8C, 0x06, 0x02, 0x00};
  const Layout two_with_reserves = {
      {"84951111111", "79162222222", "84953333333", "79164444444"},
      {{kPstn, 4, 0x4C}, {kGsm, 1, 0x2A, 0x18}, {kPstn, 5, 0x41}, {kGsm, 2, 0, 0x38}},
      {},
      {{1, 2, 0x3F, all_defaults}, {3, 4, 0x01, cats_1}},
      {1, 2},
      0x03, 0x03,
      {{1, 0x03}, {2, 0x01}, {7, 0x02}}};
  const Layout four_mains = {{"111", "222", "333", "444"},
                             {{kGsm}, {kGsm}, {kGsm}, {kGsm}},
                             {},
                             {{1}, {2}, {3}, {4}},
                             {1, 2, 3, 4}};

  const CommitCase cases[] = {
      {"the first recipient on an empty configuration gets channels 1 and 2, numbers 1 and 2",
       untouched(), true, true, false, 1,
       [](RecipientEdit& e) {
         e.main = gsm("+79161234567");
         e.reserve = pstn("84951234567");
         e.categories[0] = default_category(1);
       },
       {{"79161234567", "84951234567"}, {{kGsm}, {kPstn}}, {}, {{1, 2, 0x01, cats_1}}, {1}}},

      {"a fifth recipient takes the next channels and numbers and the next group record", four_mains, true, true,
       false, 5,
       [](RecipientEdit& e) {
         e.main = pstn("84955555555");
         e.reserve = gsm("+79166666666");
       },
       {{"111", "222", "333", "444", "84955555555", "79166666666"},
        {{kGsm}, {kGsm}, {kGsm}, {kGsm}, {kPstn}, {kGsm}},
        {},
        {{1}, {2}, {3}, {4}, {5, 6}},
        {1, 2, 3, 4, 5}}},

      {"removing recipient 1's main channel: channels 3, 4 become 1, 2, their numbers move down by two",
       two_with_reserves, true, true, false, 1, [](RecipientEdit& e) { e = RecipientEdit{}; },
       {{"84953333333", "79164444444"},
        {{kPstn, 5, 0x41}, {kGsm, 2, 0, 0x38}},
        {},
        {{0, 0, 0, {}, 0}, {1, 2, 0x01, cats_1}},
        {2},
        0x02, 0x02,
        {{1, 0x02}, {2, 0x00}, {7, 0x02}}}},

      {"removing recipient 2 leaves recipient 1's channels where they are", two_with_reserves, true, true, false, 2,
       [](RecipientEdit& e) { e = RecipientEdit{}; },
       {{"84951111111", "79162222222"},
        {{kPstn, 4, 0x4C}, {kGsm, 1, 0x2A, 0x18}},
        {},
        {{1, 2, 0x3F, all_defaults}, {0, 0, 0, {}, 0}},
        {1},
        0x01, 0x01,
        {{1, 0x01}, {2, 0x01}, {7, 0x00}}}},

      {"dropping only a reserve closes the channel and number tables behind it", two_with_reserves, true, true, false,
       1, [](RecipientEdit& e) { e.reserve.reset(); },
       {{"84951111111", "84953333333", "79164444444"},
        {{kPstn, 4, 0x4C}, {kPstn, 5, 0x41}, {kGsm, 2, 0, 0x38}},
        {},
        {{1, 0, 0x3F, all_defaults}, {2, 3, 0x01, cats_1}},
        {1, 2},
        0x03, 0x03,
        {{1, 0x03}, {2, 0x01}, {7, 0x02}}}},

      {"changing only categories touches the mask and the category bytes", two_with_reserves, true, true, false, 2,
       [](RecipientEdit& e) {
         e.categories[0].reset();
         e.categories[2] = CategoryOptions{true, 2, 5};
         e.categories[5] = default_category(6);
       },
       [&] {
         Layout l = two_with_reserves;
         l.recipients[1].mask = 0x24;
         l.recipients[1].categories = {0, 0, 0x2A, 0, 0, 0x00};
         return l;
       }()},

      {"a reserve added to a recipient with a main channel takes the next channel and number", four_mains, true, true,
       false, 2, [](RecipientEdit& e) { e.reserve = gsm("+79160000000"); },
       {{"111", "222", "333", "444", "79160000000"},
        {{kGsm}, {kGsm}, {kGsm}, {kGsm}, {kGsm}},
        {},
        {{1}, {2, 5}, {3}, {4}},
        {1, 2, 3, 4}}},

      {"a GSM-only system: a GSM main channel with the communicator's device number",
       untouched(), true, false, false, 3, [](RecipientEdit& e) { e.main = gsm("+79161234567"); },
       {{"79161234567"}, {{kGsm}}, {}, {{}, {}, {1}}, {3}}},

      {"a PSTN-only system: a PSTN main channel with the module's device number",
       untouched(), false, true, false, 1, [](RecipientEdit& e) { e.main = pstn("8W495P1234567"); },
       {{"8W495P1234567"}, {{kPstn}}, {}, {{1}}, {1}}},

      {"0xFF means none: it is neither renumbered nor counted",
       {{"111", "222"}, {{kGsm}, {kGsm}}, {}, {{1, 0xFF, 0xFF}, {2, 0xFF, 0xFF}}, {1, 2}}, true, true, false, 1,
       [](RecipientEdit& e) { e = RecipientEdit{}; },
       {{"222"}, {{kGsm}}, {}, {{0, 0xFF, 0, {}, 0}, {1, 0xFF, 0xFF}}, {2}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Configuration config;
    build(config, c.before);
    registered(config, c.gsm_registered, c.pstn_registered);
    RecipientEdit edit = current_edit(config, c.recipient);
    c.edit(edit);
    const auto devices = registered_communicators(config, c.demo);
    ASSERT_TRUE(commit_recipient(config, c.recipient, edit, devices).has_value());

    Configuration expected;
    build(expected, c.after);
    const auto got = snapshot(config), want = snapshot(expected);
    EXPECT_TRUE(got == want) << differences(got, want);
  }
}

TEST(RecipientCommit, KeepsTheGroupBytesOfRecipientsThatStay) {
  // Group record bytes 2 and 3 belong to their recipient and travel with it.
  Configuration config;
  build(config, {{"111", "222", "333"}, {{kGsm}, {kGsm}, {kGsm}}, {}, {{1}, {2}, {3}}, {1, 2, 3}});
  registered(config, true, false);
  auto g = config.page(PageId::delivery_groups).data();
  g[2 + 6 * 2 + 2] = 3;  // recipient 3's priority
  ASSERT_TRUE(commit_recipient(config, 2, RecipientEdit{}, registered_communicators(config, false)).has_value());
  const Bytes want = {2, 0, 1, 0, 1, 0, 1, 0, 3, 0, 3, 0, 3, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(Bytes(g.begin(), g.begin() + 20), want);
}

TEST(RecipientCommit, ANumberStartingWithZeroZeroIsNeitherOverwrittenNorUncounted) {
  // "0049..." packs to a first byte 0x00, which the table's own count rule reads as empty.
  Configuration config;
  build(config, {{"0049301234"}, {{kPstn}}, {}, {{1}}, {1}});
  config.page(PageId::phone_numbers).data()[0] = 0;
  registered(config, true, true);
  RecipientEdit e;
  e.main = gsm("+79161234567");
  ASSERT_TRUE(commit_recipient(config, 2, e, registered_communicators(config, false)).has_value());
  const auto& phones = config.page(PageId::phone_numbers);
  EXPECT_EQ(phone_number_text(phones, 0), "0049301234");
  EXPECT_EQ(phone_number_text(phones, 1), "79161234567");
  EXPECT_EQ(phones.byte_at(0), 2);
  EXPECT_EQ(config.page(PageId::channels).byte_at(1 + 11 + 6), 2);  // channel 2 -> number 2
}

TEST(RecipientCommit, ARefusalChangesNoByte) {
  const Layout seven = {{"1", "2", "3", "4", "5", "6", "7"},
                        {{kGsm}, {kGsm}, {kGsm}, {kGsm}, {kGsm}, {kGsm}, {kGsm}},
                        {},
                        {{1}, {2}, {3}, {4}, {5}, {6}, {7}},
                        {1, 2, 3, 4, 5, 6, 7}};
  const Layout eight_channels = {{"1", "2", "3", "4", "5", "6", "7", "8"},
                                 {{kGsm}, {kGsm}, {kGsm}, {kGsm}, {kGsm}, {kGsm}, {kGsm}, {kGsm}},
                                 {},
                                 {{1, 2}, {3, 4}, {5, 6}, {7, 8}},
                                 {1, 2, 3, 4}};
  struct Case {
    const char* what;
    Layout before;
    bool gsm_registered, pstn_registered, demo;
    int recipient;
    std::function<void(RecipientEdit&)> edit;
    int message_id;           // or 0 and a text part
    const char* text = "";
  };
  const Case cases[] = {
      {"main number left as +", {}, true, true, false, 1, [](RecipientEdit& e) { e.main = gsm("+"); }, 15279},
      {"reserve number empty", {}, true, true, false, 1,
       [](RecipientEdit& e) {
         e.main = gsm("+7916");
         e.reserve = pstn("");
       },
       15278},
      {"no communicator registered outside demo contents", {}, false, false, false, 1,
       [](RecipientEdit& e) { e.main = gsm("+7916"); }, 15285},
      {"GSM without a communicator", {}, false, true, false, 1, [](RecipientEdit& e) { e.main = gsm("+7916"); },
       15283},
      {"PSTN reserve without a module, main fine", {}, true, false, false, 1,
       [](RecipientEdit& e) {
         e.main = gsm("+7916");
         e.reserve = pstn("8495");
       },
       15283},
      {"a new recipient when all eight channels are used", eight_channels, true, true, false, 5,
       [](RecipientEdit& e) { e.main = gsm("+7916"); }, 15139},
      {"half-way: the main channel fits, the reserve finds no free channel", seven, true, true, false, 8,
       [](RecipientEdit& e) {
         e.main = gsm("+7916");
         e.reserve = gsm("+7917");
       },
       15139},
      {"a notice type GSM does not carry", {}, true, true, false, 1,
       [](RecipientEdit& e) {
         e.main = gsm("+7916");
         e.main->format = ChannelFormat{kNoticeSia, 0, 0};
       },
       15138},
      {"a letter in a GSM number", {}, true, true, false, 1, [](RecipientEdit& e) { e.main = gsm("+7916P"); }, 0,
       "допустимы цифры"},
      {"a reserve without a main channel", {}, true, true, true, 1, [](RecipientEdit& e) { e.reserve = gsm("+7"); },
       0, "только вместе с основным"},
      {"a category delay outside its list", {}, true, true, false, 1,
       [](RecipientEdit& e) {
         e.main = gsm("+7916");
         e.categories[1] = CategoryOptions{true, 0, 8};
       },
       0, "от 0 до 7"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Configuration config;
    build(config, c.before);
    registered(config, c.gsm_registered, c.pstn_registered);
    const auto before = snapshot(config);
    RecipientEdit edit = current_edit(config, c.recipient);
    c.edit(edit);
    const auto r = commit_recipient(config, c.recipient, edit, registered_communicators(config, c.demo));
    ASSERT_FALSE(r.has_value());
    if (c.message_id)
      EXPECT_EQ(r.error().message_id, c.message_id) << r.error().text;
    else
      EXPECT_NE(r.error().text.find(c.text), std::string::npos) << r.error().text;
    const auto after = snapshot(config);
    EXPECT_TRUE(after == before) << differences(after, before);
  }

  // A table a file brought too short for its records.
  Configuration config;
  config.replace({true, static_cast<std::uint8_t>(PageId::channels)}, std::make_unique<TMemoryBlock>(0x10B800, 40));
  RecipientEdit e;
  e.main = gsm("+7916");
  const auto r = commit_recipient(config, 1, e, registered_communicators(config, true));
  ASSERT_FALSE(r.has_value());
  EXPECT_NE(r.error().text.find("каналов"), std::string::npos);
}

TEST(RecipientEditPlan, ChannelsAndNumbersAChannelWouldGet) {
  struct Case {
    const char* what;
    Layout layout;
    int recipient;
    std::optional<int> m, mp, r, rp;
  };
  const Case cases[] = {
      {"empty", {}, 1, 0, 0, 1, 1},
      {"own main, next free reserve", {{"1", "2"}, {{kGsm}, {kGsm}}, {}, {{1}, {2}}, {1, 2}}, 1, 0, 0, 2, 2},
      {"seven used: no reserve",
       {{"1", "2", "3", "4", "5", "6", "7"},
        {{kGsm}, {kGsm}, {kGsm}, {kGsm}, {kGsm}, {kGsm}, {kGsm}},
        {},
        {{1}, {2}, {3}, {4}, {5}, {6}, {7}},
        {}},
       8, 7, 7, std::nullopt, std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Configuration config;
    build(config, c.layout);
    const auto plan = plan_recipient_edit(config, c.recipient);
    ASSERT_TRUE(plan.has_value());
    EXPECT_EQ(plan->main_channel, c.m);
    EXPECT_EQ(plan->main_phone, c.mp);
    EXPECT_EQ(plan->reserve_channel, c.r);
    EXPECT_EQ(plan->reserve_phone, c.rp);
  }
}

TEST(RecipientList, RowsShowWhatIsRegistered) {
  Configuration config;
  build(config, {{"84951111111", "79162222222", "79163333333"},
                 {{kPstn, 4}, {kGsm, 2}, {kGsm, 9}},
                 {},
                 {{1, 2, 0x25}, {3, 0, 0xFF}},
                 {1, 2}});
  struct Case {
    const char* what;
    bool gsm, pstn, demo;
    int recipient;
    RecipientRow row;
  };
  const Case cases[] = {
      {"both registered", true, true, false, 1, {"PSTN", "84951111111", "ContactID", "+79162222222", "SMS", "1,3,6"}},
      {"mask 0xFF is none; notice 9 is -", true, true, false, 2, {"GSM", "+79163333333", "-", "-", "-", "-"}},
      {"PSTN only: a GSM number without +", false, true, false, 2, {"-", "79163333333", "-", "-", "-", "-"}},
      {"nothing registered: numbers hidden", false, false, false, 1, {"-", "-", "ContactID", "-", "SMS", "1,3,6"}},
      {"demo contents show everything", false, false, true, 2, {"GSM", "+79163333333", "-", "-", "-", "-"}},
      {"no main channel", true, true, false, 3, {"-", "-", "-", "-", "-", "-"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    registered(config, c.gsm, c.pstn);
    EXPECT_EQ(recipient_row(config, c.recipient, registered_communicators(config, c.demo)), c.row);
  }
}

TEST(RecipientFormats, ByteEightAndTenAsTheNoticeTypeDefinesThem) {
  struct Case {
    int notice;
    FormatChoice choice;
    ChannelFormat stored, written;
  };
  FormatChoice speech;
  speech.attempts = 4;
  speech.ring_wait = 12;
  speech.confirm = true;
  speech.phrase_pause = 1;
  speech.language = 2;
  FormatChoice sms;
  sms.language = 1;
  sms.merge_sms = false;
  sms.proper_name = true;
  sms.object_number = true;
  FormatChoice dial;
  dial.attempts = 15;
  dial.ring_wait = 0;
  const Case cases[] = {
      {kNoticeSpeech, speech, {0, 0x11, 0xC0}, {1, 0x4C, 0x1A}},
      {kNoticeSms, sms, {0, 0x11, 0xC0}, {2, 0x11, 0x31}},  // byte 8 stays
      {kNoticeContactId, dial, {1, 0x11, 0x1A}, {4, 0xF0, 0x1A}},  // byte 10 stays
      {kNoticeSia, dial, {0, 0, 0}, {5, 0xF0, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.notice);
    const auto w = encode_format(c.notice, c.choice, c.stored);
    ASSERT_TRUE(w.has_value());
    EXPECT_EQ(*w, c.written);
    const FormatChoice loaded = [&] {
      // What the dialog loads back: the boxes the type uses, the others as initially.
      FormatChoice f = c.choice, initial;
      if (c.notice != kNoticeSms && c.notice != kNoticeSpeech) {
        f.confirm = initial.confirm;
        f.phrase_pause = initial.phrase_pause;
        f.language = initial.language;
      }
      if (c.notice != kNoticeSms) {
        f.merge_sms = initial.merge_sms;
        f.proper_name = initial.proper_name;
        f.object_number = initial.object_number;
      }
      if (c.notice == kNoticeSms) {
        f.attempts = initial.attempts;
        f.ring_wait = initial.ring_wait;
        f.confirm = initial.confirm;
        f.phrase_pause = initial.phrase_pause;
      }
      return f;
    }();
    EXPECT_EQ(format_choice(*w, c.notice), loaded);
  }
  // Another stored type opens with the initial choices; a ring wait past the list is its end.
  EXPECT_EQ(format_choice({2, 0x11, 0x3F}, kNoticeSpeech), FormatChoice{});
  EXPECT_EQ(format_choice({1, 0x0F, 0}, kNoticeSpeech).ring_wait, 12);
  EXPECT_FALSE(encode_format(kNoticeSpeech, FormatChoice{.attempts = 16}, {}).has_value());
  EXPECT_FALSE(encode_format(6, FormatChoice{}, {}).has_value());
}

TEST(RecipientCategories, DefaultsAndBytes) {
  EXPECT_EQ(encode_category(default_category(1)), 0x8C);
  EXPECT_EQ(encode_category(default_category(4)), 0x06);
  EXPECT_EQ(encode_category(default_category(5)), 0x02);
  EXPECT_EQ(encode_category(default_category(6)), 0x00);
  EXPECT_EQ(decode_category(0xFE), (CategoryOptions{false, 7, 7}));
  EXPECT_EQ(categories_text(0x25), "1,3,6");
  EXPECT_EQ(categories_text(0x00), "-");
  EXPECT_EQ(categories_text(0xC0), "-");  // only bits 0..5 are categories
}

TEST(RecipientPhones, TypedTextIsFilteredAsTheCommunicatorAllows) {
  struct Case {
    const char* typed;
    Communicator c;
    const char* kept;
  };
  const Case cases[] = {
      {"+7916+123", Communicator::gsm, "+7916123"}, {"8P12", Communicator::gsm, "812"},
      {"8p12w", Communicator::pstn, "8P12W"},       {"8 (495) t-1", Communicator::pstn, "8495T1"},
      {"x+7", Communicator::none, "+7"},
  };
  for (const auto& c : cases) EXPECT_EQ(filter_phone(c.typed, c.c), c.kept) << c.typed;
  EXPECT_TRUE(check_phone("+7916123456789012345678901", Communicator::gsm, true).has_value() == false);
  EXPECT_TRUE(check_phone("+791612345678901234567890", Communicator::gsm, true).has_value());

  // An eleven-digit GSM number: without its plus, two digits a byte, the sixth byte holding
  // the last digit and 15, the other six 0xFF.
  Configuration config;
  RecipientEdit e;
  e.main = gsm("+79161234567");
  ASSERT_TRUE(commit_recipient(config, 1, e, registered_communicators(config, true)).has_value());
  const auto d = config.page(PageId::phone_numbers).data();
  EXPECT_EQ(Bytes(d.begin() + 3, d.begin() + 15),
            (Bytes{0x79, 0x16, 0x12, 0x34, 0x56, 0x7F, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
}

TEST(RecipientPartitions, OnlyTheRecipientsBitAndOnlyWithAMainChannel) {
  Configuration config;
  build(config, {{"1"}, {{kGsm}}, {}, {{1}, {}}, {1}, 0, 0, {{5, 0xFE}}});
  std::bitset<96> p;
  p[0] = p[95] = true;
  ASSERT_TRUE(set_recipient_partitions(config, 1, p).has_value());
  const auto& t = config.page(PageId::recipient_partitions);
  EXPECT_EQ(t.byte_at(4), 0x01);
  EXPECT_EQ(t.byte_at(8), 0xFE);  // partition 5: the others' bits stay, recipient 1's cleared
  EXPECT_EQ(t.byte_at(99), 0x01);
  EXPECT_FALSE(set_recipient_partitions(config, 2, p).has_value());
  EXPECT_EQ(t.byte_at(8), 0xFE);
}

TEST(RecipientContactId, TypedAccountAndWhereItIsStored) {
  EXPECT_EQ(parse_contact_id_account("").value(), std::nullopt);
  EXPECT_EQ(parse_contact_id_account("4821").value(), 4821);
  for (const char* bad : {"0", "12a", "-1", " 1", "10000"}) {
    const auto r = parse_contact_id_account(bad);
    ASSERT_FALSE(r.has_value()) << bad;
    EXPECT_EQ(r.error().message_id, 15270);
  }
  Configuration config;
  ASSERT_TRUE(set_contact_id_account(config, 4821).has_value());
  EXPECT_EQ(contact_id_account(config), 4821);
  EXPECT_EQ(config.page(PageId::service).byte_at(47), 0xD5);
  EXPECT_EQ(config.page(PageId::service).byte_at(48), 0x12);
  EXPECT_EQ(config.page_list_entry(PageId::service).data[47], 0xD5);
  EXPECT_EQ(config.page_list_entry(PageId::service).data[48], 0x12);
}
