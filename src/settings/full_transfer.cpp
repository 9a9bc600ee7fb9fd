#include "settings/full_transfer.hpp"

#include <algorithm>
#include <cstdio>
#include <unordered_map>

#include "link/frames.hpp"
#include "link/table_commands.hpp"
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
using link::check_cancel;

// What one table costs in time, in milliseconds: the fixed waits of its exchanges
// (link/table_commands) plus the link's own time for each frame exchange.
constexpr double kExchangeMs = 20;
constexpr double kReadLead = 5 + 30 + 100 + 4 * kExchangeMs;  // scenario 5, parameters, scenario 2, request
constexpr double kReadBlock = 200 + kExchangeMs;
constexpr double kWriteLead = 5 + 5 + 4 * kExchangeMs;  // scenario 5, parameters, scenario 3, header
constexpr double kWriteBlock = 5 + 2 + kExchangeMs;
constexpr double kPauseMs = 500;  // between the pages and the images of a write

struct TableCost {
  double lead = 0;
  double blocks = 0;
  double total() const { return lead + blocks; }
};
TableCost read_cost(std::size_t length) {
  return {kReadLead, static_cast<double>(link::blocks_for(length)) * kReadBlock};
}
TableCost write_cost(std::size_t length) {
  return {kWriteLead, static_cast<double>(link::blocks_for(length)) * kWriteBlock};
}

// The gauge of a whole transfer: it moves from `from` to 100 with every frame, each table
// weighted by what it costs, so on a real panel it moves as the time goes. Frame progress
// of the table under way comes in as that table's own 0..100; the cancel flag is the
// caller's, so the link looks at it between frames.
class TransferGauge final : public link::Progress {
 public:
  // The caller has shown `from` already.
  TransferGauge(link::Progress* outer, int from, double total)
      : outer_(outer), from_(from), total_(total), shown_(from) {}

  void begin(TableCost cost) {
    table_ = cost;
    reports_ = 0;
  }
  // Frame reports of the table under way. A table write reports before each data block,
  // so after a cancel (looked at after the report) k reports mean k - 1 blocks sent; after
  // a failure the k-th block may have reached the panel.
  int reports() const { return reports_; }
  void end() {
    done_ += table_.total();
    table_ = {};
    show(done_);
  }
  void pause(double ms) {
    done_ += ms;
    show(done_);
  }

  void percent(int within) override {
    ++reports_;
    show(done_ + table_.lead + table_.blocks * std::clamp(within, 0, 100) / 100.0);
  }
  void status(std::string_view text) override {
    if (outer_) outer_->status(text);
  }
  bool cancelled() const override { return outer_ && outer_->cancelled(); }

 private:
  void show(double at) {
    if (!outer_ || total_ <= 0) return;
    const int value = std::clamp(from_ + static_cast<int>((100 - from_) * at / total_), from_, 100);
    if (value <= shown_) return;  // forward only and once a value
    shown_ = value;
    outer_->percent(value);
  }

  link::Progress* outer_;
  int from_;
  double total_;
  double done_ = 0;
  TableCost table_;
  int reports_ = 0;
  int shown_;
};

double read_all_cost(const Configuration& config) {
  double total = 0;
  for (const auto& entry : config.page_list())
    if (entry.table != 0) total += read_cost(entry.data.size()).total();
  for (auto id : memory::read_order()) total += read_cost(config.image(id).length()).total();
  return total;
}

double write_all_cost(const Configuration& config) {
  double total = kPauseMs;
  for (const auto& entry : config.page_list())
    if (entry.table != 0) total += write_cost(entry.data.size()).total();
  for (auto id : memory::write_order()) total += write_cost(config.image(id).length()).total();
  return total;
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
  Error e = s.link.discovery_failure(count);
  if (e.message_id == 0) {  // no ids, or the panel could not be opened: said as it is
    if (p) p->status(e.text);
    return fail(std::move(e));
  }
  const int shown = count >= 2 ? 15082 : 15034;
  status(p, count >= 2 ? 15035 : 15034);
  return fail(Error{0, shown, shell::msg(shown), s.link.discover_error()});
}

std::string table_name(std::uint16_t table) { return "таблица " + std::to_string(table); }

}  // namespace

memory::IdentifiedDevice identified_device(const link::SystemInfo& info) {
  return {info.device_type, info.platform, {info.version[0], info.version[1], info.version[2]}, 0};
}

Result<link::SystemInfo> connect_for_settings(link::Session& s, memory::IdentifiedDevice& device,
                                              link::Progress* progress) {
  auto gate = [&device](const link::SystemInfo& info) -> Result<> {
    device = identified_device(info);
    if (info.version[0] == 2 && info.version[1] != 4) return fail(Error{0, 15327, shell::msg(15327), {}});
    if (info.device_type != link::kDevicePanel || info.version[0] != 2)
      return fail(Error{0, 15083, shell::msg(15083),
                        "прибор " + link::device_name(info) + ", версия ПО " + std::to_string(info.version[0]) +
                            "." + std::to_string(info.version[1]) + "." + std::to_string(info.version[2])});
    return {};
  };
  return link::connect_panel(s, link::SearchKind::byte_wise, progress, gate);
}

Result<link::SystemInfo> connect_for_settings(link::Session& s, Configuration& config, link::Progress* progress) {
  return connect_for_settings(s, config.device, progress);
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

Result<Configuration> read_configuration(link::Session& s, const memory::IdentifiedDevice& device,
                                         link::Progress* progress) {
  Configuration config;
  config.device = device;
  percent(progress, 10);
  s.log("Receiving...");
  if (auto r = rediscover(s, progress); !r) return std::unexpected(r.error());
  status(progress, 15089);
  TransferGauge gauge(progress, 10, read_all_cost(config));

  for (auto& entry : config.page_list()) {
    if (entry.table == 0) continue;
    gauge.begin(read_cost(entry.data.size()));
    if (auto r = link::ReadTable(s, entry.data, entry.table, entry.address, &gauge); !r) {
      if (link::is_cancel(r.error())) return std::unexpected(r.error());
      percent(progress, 0);
      return fail(with_message(15059, r.error(), table_name(entry.table)));
    }
    gauge.end();
  }
  page_list_to_pages(config);
  telephone_channel_cleanup(config);
  // The window fills its service page from page-list entry 14 (FillServicePage).
  status(progress, 15089);

  status(progress, 15091);
  for (auto id : memory::read_order()) {
    auto& image = config.image(id);
    gauge.begin(read_cost(image.length()));
    if (auto r = link::ReadBlockFromPanel(s, image.start_address(), image.data(), &gauge); !r) {
      const Error& e = r.error();
      if (link::is_cancel(e)) return fail(e);
      percent(progress, 0);
      return fail(Error{e.code, e.message_id, e.text, std::string(memory::layout(id).name) + ": " + e.detail});
    }
    gauge.end();
  }
  status(progress, 15092);
  s.wait_ms(500);
  percent(progress, 0);
  status(progress, 15090);
  return config;
}

Result<> read_all(link::Session& s, Configuration& config, link::Progress* progress) {
  auto fresh = read_configuration(s, config.device, progress);
  if (!fresh) return std::unexpected(fresh.error());
  config = std::move(*fresh);
  return {};
}

Result<> write_all(link::Session& s, Configuration& config, link::Progress* progress) {
  percent(progress, 10);
  if (auto r = rediscover(s, progress); !r) return r;
  // The window has stored its service page into page-list entry 14 (StoreServicePage).
  s.log("Sending...");
  status(progress, 15085);
  pages_to_page_list_for_write(config);
  TransferGauge gauge(progress, 10, write_all_cost(config));

  bool anything_written = false;
  // The failed or cancelled table itself may have reached the panel in part.
  auto partly = [&](Error e, bool cancelled) {
    const bool touched = anything_written || gauge.reports() >= (cancelled ? 2 : 1);
    if (touched) e.detail = e.detail.empty() ? std::string(kTextPartlyWritten)
                                             : e.detail + ". " + std::string(kTextPartlyWritten);
    return e;
  };

  for (const auto& entry : config.page_list()) {
    if (entry.table == 0) continue;
    gauge.begin(write_cost(entry.data.size()));
    if (auto r = link::write_table_sequence(s, entry.table, entry.address, entry.data, false, &gauge); !r) {
      if (link::is_cancel(r.error())) return fail(partly(r.error(), true));
      return fail(partly(with_message(15052, r.error(), table_name(entry.table)), false));
    }
    anything_written = true;
    gauge.end();
  }
  if (auto c = check_cancel(progress); !c) return fail(partly(c.error(), true));
  s.wait_ms(500);
  gauge.pause(kPauseMs);
  status(progress, 15085);

  const auto& order = memory::write_order();
  for (std::size_t i = 0; i < order.size(); ++i) {
    const auto& image = config.image(order[i]);
    gauge.begin(write_cost(image.length()));
    if (auto r = link::WriteBlockToPanel(s, image.start_address(), image.data(), &gauge); !r) {
      Error e = r.error();
      if (link::is_cancel(e)) return fail(partly(e, true));
      e.detail = std::string(memory::layout(order[i]).name) + ": " + e.detail;
      return fail(partly(e, false));
    }
    gauge.end();
    if (order[i] == ImageId::radio_device_params && s.trace) {
      s.log("TableRadioNetDev");
      const auto d = image.data();
      char line[48];
      for (std::size_t b = 0; b < d.size(); ++b) {
        std::snprintf(line, sizeof line, "TableRadioNetDev[%zu] = 0x%x", b, static_cast<unsigned>(d[b]));
        s.log(line);
      }
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
  double total = static_cast<double>(memory::kPageCount) * read_cost(memory::kPageSize).total();
  for (auto id : memory::write_order()) total += read_cost(config.image(id).length()).total();
  TransferGauge gauge(progress, 0, total);
  for (const auto& p : memory::pages()) {
    Bytes back(memory::kPageSize);
    gauge.begin(read_cost(back.size()));
    if (auto r = link::ReadTable(s, back, p.table, p.address, &gauge); !r) {
      if (link::is_cancel(r.error())) return std::unexpected(r.error());
      return fail(with_message(15059, r.error(), table_name(p.table)));
    }
    gauge.end();
    compare(p.name, p.address, back);
  }
  for (auto id : memory::write_order()) {
    const auto& image = config.image(id);
    Bytes back(image.length());
    gauge.begin(read_cost(back.size()));
    if (auto r = link::ReadBlockFromPanel(s, image.start_address(), back, &gauge); !r) {
      if (link::is_cancel(r.error())) return std::unexpected(r.error());
      return fail(Error{r.error().code, r.error().message_id, r.error().text,
                        std::string(memory::layout(id).name) + ": " + r.error().detail});
    }
    gauge.end();
    compare(memory::layout(id).name, image.start_address(), back);
  }
  return diffs;
}

}  // namespace vq::settings
