#include "settings/full_transfer.hpp"

#include <algorithm>
#include <cstdio>
#include <unordered_map>

#include "link/table_commands.hpp"
#include "settings/service_page.hpp"
#include "shell/messages.hpp"

namespace vq::settings {

using memory::Configuration;
using memory::ImageId;
using memory::PageId;

namespace {

constexpr std::size_t kServiceByteA = 38;
constexpr std::size_t kServiceByteB = 40;

void percent(link::Progress* p, int v) {
  if (p) p->percent(v);
}
void status(link::Progress* p, int id) {
  if (p) p->status(shell::msg(id));
}
Result<> check_cancel(link::Progress* p) {
  if (p && p->cancelled()) return fail(std::string(link::kTextCancelled));
  return {};
}

Error with_message(int id, const Error& cause, std::string_view where = {}) {
  std::string detail(where);
  if (!detail.empty()) detail += ": ";
  detail += cause.full();
  return Error{cause.code, id, shell::msg(id), detail};
}

// Read-all and write-all find the panel again before they start.
Result<> rediscover(link::Session& s, link::Progress* p) {
  const int count = s.link.discover();
  if (count == 1 && s.link.connected()) return {};
  const int shown = count >= 2 ? 15082 : 15034;
  status(p, count >= 2 ? 15035 : 15034);
  return fail(Error{0, shown, shell::msg(shown), s.link.discover_error()});
}

std::string table_name(std::uint16_t table) { return "таблица " + std::to_string(table); }

}  // namespace

Result<link::SystemInfo> connect_for_settings(link::Session& s, Configuration& config, link::Progress* progress) {
  auto gate = [&config](const link::SystemInfo& info) -> Result<> {
    config.device = {info.device_type, info.platform, {info.version[0], info.version[1], info.version[2]}, 0};
    if (info.version[0] == 2 && info.version[1] != 4) return fail(Error{0, 15327, shell::msg(15327), {}});
    if (info.device_type != link::kDevicePanel || info.version[0] != 2)
      return fail(Error{0, 15083, shell::msg(15083),
                        "прибор " + link::device_name(info) + ", версия ПО " + std::to_string(info.version[0]) +
                            "." + std::to_string(info.version[1]) + "." + std::to_string(info.version[2])});
    return {};
  };
  return link::connect_panel(s, link::SearchKind::byte_wise, progress, gate);
}

void telephone_channel_cleanup(Configuration& config) {
  auto& phones = config.page(PageId::phone_numbers);
  auto& channels = config.page(PageId::channels);
  const std::uint8_t count = channels.byte_at(0);
  if (count == 0 || count == 0xFF) {
    for (auto id : {PageId::phone_numbers, PageId::recipient_partitions, PageId::recipients, PageId::channels}) {
      auto d = config.page(id).data();
      std::fill(d.begin(), d.end(), std::uint8_t{0});
    }
    return;
  }
  for (std::size_t r = count; r <= 7; ++r) {
    phones.set_byte(3 + 12 * r, 0);
    channels.set_byte(1 + 11 * r, 0);
  }
}

void page_list_to_pages(Configuration& config) {
  for (const auto& p : memory::pages()) {
    auto& entry = config.page_list_entry(p.id);
    auto d = config.page(p.id).data();
    std::copy_n(entry.data.begin(), std::min<std::size_t>(d.size(), entry.data.size()), d.begin());
  }
}

void pages_to_page_list(Configuration& config) {
  for (const auto& p : memory::pages()) {
    auto& entry = config.page_list_entry(p.id);
    const auto d = config.page(p.id).data();
    std::copy_n(d.begin(), std::min<std::size_t>(d.size(), entry.data.size()), entry.data.begin());
  }
}

void pages_to_page_list_for_write(Configuration& config) {
  for (const auto& p : memory::pages()) {
    auto& entry = config.page_list_entry(p.id);
    const auto& page = config.page(p.id);
    if (p.id == PageId::service) {
      entry.data[kServiceByteA] = page.byte_at(kServiceByteA);
      entry.data[kServiceByteB] = page.byte_at(kServiceByteB);
      continue;
    }
    const auto d = page.data();
    std::copy_n(d.begin(), std::min<std::size_t>(d.size(), entry.data.size()), entry.data.begin());
  }
}

Result<> read_all(link::Session& s, Configuration& config, link::Progress* progress) {
  percent(progress, 10);
  s.log("Receiving...");
  if (auto r = rediscover(s, progress); !r) return r;
  status(progress, 15089);

  for (auto& entry : config.page_list()) {
    if (entry.table == 0) continue;
    if (auto c = check_cancel(progress); !c) return c;
    if (auto r = link::ReadTable(s, entry.data, entry.table, entry.address); !r) {
      percent(progress, 0);
      return fail(with_message(15059, r.error(), table_name(entry.table)));
    }
  }
  page_list_to_pages(config);
  telephone_channel_cleanup(config);
  FillServicePage(config);
  status(progress, 15089);

  status(progress, 15091);
  const auto& order = memory::read_order();
  for (std::size_t i = 0; i < order.size(); ++i) {
    if (auto c = check_cancel(progress); !c) return c;
    auto& image = config.image(order[i]);
    if (auto r = link::ReadBlockFromPanel(s, image.start_address(), image.data()); !r) {
      percent(progress, 0);
      return fail(Error{r.error().code, r.error().message_id, r.error().text,
                        std::string(memory::spec(order[i]).name) + ": " + r.error().detail});
    }
    switch (i + 1) {
      case 7: percent(progress, 25); break;
      case 17: percent(progress, 50); break;
      case 24: percent(progress, 75); break;
      case 28: percent(progress, 100); break;
      default: break;
    }
  }
  status(progress, 15092);
  s.wait_ms(500);
  percent(progress, 0);
  status(progress, 15090);
  return {};
}

Result<> write_all(link::Session& s, Configuration& config, link::Progress* progress) {
  percent(progress, 10);
  if (auto r = rediscover(s, progress); !r) return r;
  StoreServicePage(config);
  s.log("Sending...");
  status(progress, 15085);
  pages_to_page_list_for_write(config);

  bool anything_written = false;
  auto partly = [&](Error e) {
    if (anything_written) e.detail = e.detail.empty() ? std::string(kTextPartlyWritten)
                                                      : e.detail + ". " + std::string(kTextPartlyWritten);
    return e;
  };

  for (const auto& entry : config.page_list()) {
    if (entry.table == 0) continue;
    if (auto c = check_cancel(progress); !c) return fail(partly(c.error()));
    if (auto r = link::write_table_sequence(s, entry.table, entry.address, entry.data, false); !r)
      return fail(partly(with_message(15052, r.error(), table_name(entry.table))));
    anything_written = true;
  }
  s.wait_ms(500);
  status(progress, 15085);

  const auto& order = memory::write_order();
  for (std::size_t i = 0; i < order.size(); ++i) {
    if (auto c = check_cancel(progress); !c) return fail(partly(c.error()));
    const auto& image = config.image(order[i]);
    if (auto r = link::WriteBlockToPanel(s, image.start_address(), image.data()); !r) {
      Error e = r.error();
      e.detail = std::string(memory::spec(order[i]).name) + ": " + e.detail;
      return fail(partly(e));
    }
    if (order[i] == ImageId::radio_device_params && s.trace) {
      s.log("TableRadioNetDev");
      const auto d = image.data();
      char line[48];
      for (std::size_t b = 0; b < d.size(); ++b) {
        std::snprintf(line, sizeof line, "TableRadioNetDev[%zu] = 0x%x", b, static_cast<unsigned>(d[b]));
        s.log(line);
      }
    }
    switch (i + 1) {
      case 10: percent(progress, 15); break;
      case 17: percent(progress, 50); break;
      case 27: percent(progress, 100); break;
      default: break;
    }
  }
  status(progress, 15088);
  s.wait_ms(500);
  percent(progress, 0);
  return {};
}

Result<std::vector<Difference>> verify_written(link::Session& s, const Configuration& config,
                                               link::Progress* progress) {
  // What the panel should hold: pages as the page list sent them, then images in write
  // order, a later image winning a byte it shares with an earlier one.
  std::unordered_map<std::uint32_t, std::uint8_t> expected;
  for (const auto& entry : config.page_list())
    if (entry.table != 0)
      for (std::size_t i = 0; i < entry.data.size(); ++i)
        expected[entry.address + static_cast<std::uint32_t>(i)] = entry.data[i];
  for (auto id : memory::write_order()) {
    const auto& image = config.image(id);
    const auto d = image.data();
    for (std::size_t i = 0; i < d.size(); ++i) expected[image.start_address() + static_cast<std::uint32_t>(i)] = d[i];
  }

  std::vector<Difference> diffs;
  auto compare = [&](std::string_view name, std::uint32_t base, std::span<const std::uint8_t> found) {
    for (std::size_t i = 0; i < found.size(); ++i) {
      const auto want = expected.at(base + static_cast<std::uint32_t>(i));
      if (want != found[i]) diffs.push_back({std::string(name), static_cast<std::uint32_t>(i), want, found[i]});
    }
  };

  percent(progress, 0);
  const std::size_t total = memory::kPageCount + memory::write_order().size();
  std::size_t done = 0;
  for (const auto& p : memory::pages()) {
    if (auto c = check_cancel(progress); !c) return std::unexpected(c.error());
    Bytes back(memory::kPageSize);
    if (auto r = link::ReadTable(s, back, p.table, p.address); !r)
      return fail(with_message(15059, r.error(), table_name(p.table)));
    compare(p.name, p.address, back);
    percent(progress, static_cast<int>(++done * 100 / total));
  }
  for (auto id : memory::write_order()) {
    if (auto c = check_cancel(progress); !c) return std::unexpected(c.error());
    const auto& image = config.image(id);
    Bytes back(image.length());
    if (auto r = link::ReadBlockFromPanel(s, image.start_address(), back); !r)
      return fail(Error{r.error().code, r.error().message_id, r.error().text,
                        std::string(memory::spec(id).name) + ": " + r.error().detail});
    compare(memory::spec(id).name, image.start_address(), back);
    percent(progress, static_cast<int>(++done * 100 / total));
  }
  return diffs;
}

}  // namespace vq::settings
