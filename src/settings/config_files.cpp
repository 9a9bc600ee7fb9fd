#include "settings/config_files.hpp"

#include <algorithm>
#include <chrono>
#include <ctime>

#include "memory/config_file.hpp"
#include "settings/full_transfer.hpp"
#include "shell/messages.hpp"

namespace vq::settings {
namespace {

std::string now_text() {
  const std::time_t t = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
  std::tm tm{};
  localtime_r(&t, &tm);
  char buf[16];
  std::strftime(buf, sizeof buf, "%H:%M:%S", &tm);
  return buf;
}

void status(link::Progress* p, int id) {
  if (p) p->status(shell::msg(id));
}

}  // namespace

Result<> save_settings_file(memory::Configuration& config, const std::filesystem::path& file,
                            link::Progress* progress, link::Trace* trace) {
  link::trace_line(trace, "Saving...");
  if (progress) progress->percent(0);
  status(progress, 15075);
  link::trace_line(trace, "Start saving file - " + now_text());

  // The window has stored its service page into page-list entry 14 (StoreServicePage).
  auto& service = config.page(memory::PageId::service);
  const auto& entry = config.page_list_entry(memory::PageId::service);
  const std::uint8_t keep_a = service.byte_at(38), keep_b = service.byte_at(40);
  auto d = service.data();
  std::copy_n(entry.data.begin(), std::min<std::size_t>(d.size(), entry.data.size()), d.begin());
  service.set_byte(38, keep_a);
  service.set_byte(40, keep_b);

  auto saved = memory::save_configuration(config, file, progress);
  link::trace_line(trace, "End saving file - " + now_text());
  if (progress) progress->percent(0);
  if (!saved) return saved;
  status(progress, 15077);
  return {};
}

Result<> open_settings_file(memory::Configuration& config, const std::filesystem::path& file,
                            link::Progress* progress, link::Trace* trace) {
  link::trace_line(trace, "Loading...");
  if (progress) progress->percent(0);
  status(progress, 15078);
  auto loaded = memory::load_configuration(config, file, progress);
  if (!loaded) {
    if (progress) progress->percent(0);
    return loaded;
  }
  telephone_channel_cleanup(config);
  pages_to_page_list(config);
  link::trace_line(trace, "loading from file...");
  // The window fills its service page from page-list entry 14 (FillServicePage).
  status(progress, 15079);
  if (progress) progress->percent(0);
  return {};
}

}  // namespace vq::settings
