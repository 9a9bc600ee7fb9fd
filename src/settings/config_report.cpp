#include "settings/config_report.hpp"

#include <algorithm>
#include <cstdio>
#include <map>

#include "memory/channels.hpp"
#include "memory/phone_numbers.hpp"
#include "memory/registered_devices.hpp"
#include "memory/type_names.hpp"
#include "settings/config_fields.hpp"
#include "shell/messages.hpp"
#include "util/terminal_text.hpp"

namespace vq::settings {

using memory::Configuration;
using memory::ImageId;
using memory::PageId;

namespace {

std::string hex2(std::uint8_t b) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%02x", static_cast<unsigned>(b));
  return buf;
}

std::string model_name(std::uint16_t model) {
  switch (model) {
    case 517: return shell::msg(15042);
    case 526: return shell::msg(15044);
    default: return "модель " + std::to_string(model);
  }
}

ReportSection device_section(const Configuration& c) {
  ReportSection s{"device", "Прибор", {}, false, 0, {}};
  const auto& d = c.device;
  s.fields.push_back({"device_type", "Тип прибора", std::to_string(d.device_type)});
  s.fields.push_back({"platform", "Платформа", std::to_string(d.platform)});
  s.fields.push_back({"version", "Версия ПО",
                      std::to_string(d.version[0]) + "." + std::to_string(d.version[1]) + "." +
                          std::to_string(d.version[2])});
  return s;
}

ReportSection registered_devices_section(const Configuration& c) {
  const auto& table = c.image(ImageId::registered_devices);
  ReportSection s{"registered_devices", "Зарегистрированные устройства системы", {}, false, 0, {}};
  s.fields.push_back({"count", "Количество", std::to_string(table.byte_at(0))});
  memory::for_each_counted_device(table, [&](std::size_t at, std::uint16_t model) {
    const std::string number = std::to_string(table.byte_at(at) + 1);
    s.fields.push_back({"device_" + number, "Устройство " + number, model_name(model)});
  });
  return s;
}

ReportSection phone_section(const Configuration& c) {
  const auto& table = c.page(PageId::phone_numbers);
  ReportSection s{"phone_numbers", "Телефонные номера", {}, false, 0, {}};
  for (int n = 0; n < 8; ++n) {
    // Cleared numbers are zero bytes, not filler: no number either way.
    bool cleared = true;
    for (std::size_t i = 0; i < memory::kPhoneNumberBytes; ++i)
      cleared = cleared && table.byte_at(memory::phone_number_offset(n) + i) == 0;
    const auto text = cleared ? std::string() : memory::phone_number_text(table, n);
    if (!text.empty())
      s.fields.push_back({"number_" + std::to_string(n + 1), "Номер " + std::to_string(n + 1), text});
  }
  return s;
}

ReportSection channel_section(const Configuration& c) {
  const auto& table = c.page(PageId::channels);
  ReportSection s{"channels", "Каналы оповещения", {}, false, 0, {}};
  s.fields.push_back({"count", "Каналов используется", std::to_string(table.byte_at(0))});
  for (int k = 0; k < 8; ++k) {
    const bool used = [&] {
      for (int r = 0; r < 8; ++r)
        if (table.byte_at(memory::channel_record_offset(r)) == k + 1) return true;
      return false;
    }();
    if (!used) continue;
    const std::string n = std::to_string(k + 1);
    s.fields.push_back({"channel_" + n, "Канал " + n,
                        "оповещение " + memory::notice_type_name(memory::channel_notice_type(table, k)) +
                            ", телефонная запись " + std::to_string(memory::channel_telephone_record(table, k)) +
                            ", тип коммуникатора " + std::to_string(memory::channel_communicator_type(table, k))});
  }
  return s;
}

ReportSection raw_section(std::string_view key, const memory::TMemoryBlock& block) {
  ReportSection s{std::string(key), std::string(key), {}, true, block.start_address(), {}};
  const auto d = block.data();
  s.bytes.assign(d.begin(), d.end());
  return s;
}

std::string json_escape(std::string_view in) {
  std::string out;
  for (unsigned char ch : in) {
    switch (ch) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (ch < 0x20) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", ch);
          out += buf;
        } else {
          out += static_cast<char>(ch);
        }
    }
  }
  return out;
}

}  // namespace

ReportField text_field(std::string key, std::string label, std::string value) {
  return {std::move(key), std::move(label), std::move(value), ReportField::Type::text, 0};
}
ReportField number_field(std::string key, std::string label, long long value) {
  return {std::move(key), std::move(label), std::to_string(value), ReportField::Type::number, value};
}
ReportField flag_field(std::string key, std::string label, bool value) {
  return {std::move(key), std::move(label), value ? "да" : "нет", ReportField::Type::flag, value ? 1 : 0};
}
ReportField choice_field(std::string key, std::string label, long long code, std::string name) {
  return {std::move(key), std::move(label), std::move(name), ReportField::Type::choice, code};
}

const ReportField* find_field(const std::vector<ReportSection>& report, std::string_view key) {
  for (const auto& s : report) {
    if (s.raw || key.size() <= s.key.size() + 1 || key.substr(0, s.key.size()) != s.key || key[s.key.size()] != '.')
      continue;
    const auto rest = key.substr(s.key.size() + 1);
    for (const auto& f : s.fields)
      if (f.key == rest) return &f;
  }
  return nullptr;
}

namespace {

// The report in parts: the sections of one decoding and the tables they decode.
struct ReportPart {
  std::vector<ReportSection> sections;
  std::vector<ImageId> images;
  std::vector<PageId> pages;
  std::vector<ImageId> secret_images;
};

std::vector<ReportPart> report_parts(const Configuration& c, const ReportOptions& options) {
  std::vector<ReportPart> parts;
  ReportPart base;
  base.sections.push_back(device_section(c));
  base.sections.push_back(registered_devices_section(c));
  base.sections.push_back(phone_section(c));
  base.sections.push_back(channel_section(c));
  base.images = {ImageId::registered_devices};
  base.pages = {PageId::phone_numbers, PageId::channels};
  parts.push_back(std::move(base));
  for (const auto& domain : field_domains()) {
    ReportPart part;
    domain.report(c, options, part.sections);
    part.images = domain.images;
    part.pages = domain.pages;
    part.secret_images = domain.secret_images;
    parts.push_back(std::move(part));
  }
  std::vector<bool> image_decoded(memory::kImageCount, false), page_decoded(memory::kPageCount, false);
  for (const auto& part : parts) {
    for (auto id : part.images) image_decoded[static_cast<std::size_t>(id)] = true;
    for (auto id : part.pages) page_decoded[static_cast<std::size_t>(id)] = true;
  }
  ReportPart raw;
  for (const auto& slot : memory::config_slots()) {
    if (slot.is_page ? page_decoded[slot.index] : image_decoded[slot.index]) continue;
    const auto name = slot.is_page ? memory::layout(static_cast<PageId>(slot.index)).name
                                   : memory::layout(static_cast<ImageId>(slot.index)).name;
    raw.sections.push_back(raw_section(name, c.slot(slot)));
  }
  parts.push_back(std::move(raw));
  return parts;
}

void raw_byte_lines(std::string_view title, const memory::TMemoryBlock& a, const memory::TMemoryBlock& b,
                    std::vector<std::string>& lines) {
  if (a.start_address() != b.start_address() || a.length() != b.length())
    lines.push_back(std::string(title) + ": адрес/длина " + std::to_string(a.start_address()) + "/" +
                    std::to_string(a.length()) + " → " + std::to_string(b.start_address()) + "/" +
                    std::to_string(b.length()));
  const std::size_t n = std::min(a.length(), b.length());
  for (std::size_t i = 0; i < n; ++i) {
    if (a.byte_at(i) == b.byte_at(i)) continue;
    char buf[64];
    std::snprintf(buf, sizeof buf, " +%zu: 0x%02x → 0x%02x", i, a.byte_at(i), b.byte_at(i));
    lines.push_back(std::string(title) + buf);
  }
}

}  // namespace

std::vector<ReportSection> build_report(const Configuration& c, const ReportOptions& options) {
  std::vector<ReportSection> report;
  for (auto& part : report_parts(c, options))
    for (auto& s : part.sections) report.push_back(std::move(s));
  return report;
}

std::vector<std::string> diff_configurations(const Configuration& a, const Configuration& b,
                                             const ReportOptions& options) {
  std::vector<std::string> lines;
  const auto parts_a = report_parts(a, options);
  const auto parts_b = report_parts(b, options);
  for (std::size_t i = 0; i < parts_a.size() && i < parts_b.size(); ++i) {
    auto part_lines = diff_reports(parts_a[i].sections, parts_b[i].sections);
    // Bytes no field shows (reserved bytes, bits the pages keep) still make the files
    // differ: when a decoding names no change, its tables speak for themselves.
    if (part_lines.empty()) {
      const auto& secret = parts_a[i].secret_images;
      for (auto id : parts_a[i].images) {
        const auto& ia = a.image(id);
        const auto& ib = b.image(id);
        if (!options.show_secrets && std::find(secret.begin(), secret.end(), id) != secret.end()) {
          if (ia.start_address() != ib.start_address() || ia.length() != ib.length() ||
              !std::equal(ia.data().begin(), ia.data().end(), ib.data().begin()))
            part_lines.push_back(std::string(memory::layout(id).name) + ": байты изменены (скрыто; --show-secrets)");
          continue;
        }
        raw_byte_lines(memory::layout(id).name, ia, ib, part_lines);
      }
      for (auto id : parts_a[i].pages) raw_byte_lines(memory::layout(id).name, a.page(id), b.page(id), part_lines);
    }
    lines.insert(lines.end(), part_lines.begin(), part_lines.end());
  }
  return lines;
}

std::string render_text(const std::vector<ReportSection>& report) {
  std::string out;
  for (const auto& s : report) {
    out += "== " + s.title + " ==\n";
    if (!s.raw) {
      // Values come from the file (names, telephone numbers): nothing in them may act on a terminal.
      for (const auto& f : s.fields) out += "  " + f.label + ": " + terminal_safe(f.value) + "\n";
      continue;
    }
    char head[96];
    std::snprintf(head, sizeof head, "  адрес 0x%06X, %zu байт\n", s.address, s.bytes.size());
    out += head;
    bool any = false;
    for (std::size_t row = 0; row < s.bytes.size(); row += 16) {
      const std::size_t end = std::min(row + 16, s.bytes.size());
      if (std::all_of(s.bytes.begin() + static_cast<std::ptrdiff_t>(row),
                      s.bytes.begin() + static_cast<std::ptrdiff_t>(end), [](auto b) { return b == 0; }))
        continue;
      any = true;
      char off[32];
      std::snprintf(off, sizeof off, "  %05zx:", row);
      out += off;
      for (std::size_t i = row; i < end; ++i) out += " " + hex2(s.bytes[i]);
      out += "\n";
    }
    out += any ? "  (строки из одних нулей не показаны)\n" : "  (все байты нулевые)\n";
  }
  return out;
}

std::string render_json(const std::vector<ReportSection>& report) {
  std::string out = "{\n  \"format\": \"vantorq-config/1\",\n  \"sections\": [";
  for (std::size_t i = 0; i < report.size(); ++i) {
    const auto& s = report[i];
    out += i ? ",\n    {" : "\n    {";
    out += "\"key\": \"" + json_escape(s.key) + "\", \"title\": \"" + json_escape(s.title) + "\", ";
    if (s.raw) {
      out += "\"address\": " + std::to_string(s.address) + ", \"length\": " + std::to_string(s.bytes.size()) +
             ", \"hex\": \"";
      for (auto b : s.bytes) out += hex2(b);
      out += "\"}";
      continue;
    }
    out += "\"fields\": [";
    for (std::size_t f = 0; f < s.fields.size(); ++f) {
      const auto& fl = s.fields[f];
      out += (f ? ", " : "") + std::string("{\"key\": \"") + json_escape(fl.key) + "\", \"label\": \"" +
             json_escape(fl.label) + "\", \"value\": ";
      switch (fl.type) {
        case ReportField::Type::number: out += std::to_string(fl.number); break;
        case ReportField::Type::flag: out += fl.number ? "true" : "false"; break;
        case ReportField::Type::choice:
          out += "\"" + json_escape(fl.value) + "\", \"code\": " + std::to_string(fl.number);
          break;
        case ReportField::Type::text: out += "\"" + json_escape(fl.value) + "\""; break;
      }
      out += "}";
    }
    out += "]}";
  }
  out += "\n  ]\n}\n";
  return out;
}

std::vector<std::string> diff_reports(const std::vector<ReportSection>& a, const std::vector<ReportSection>& b) {
  std::vector<std::string> lines;
  std::map<std::string, const ReportSection*> right;
  for (const auto& s : b) right[s.key] = &s;
  for (const auto& s : a) {
    auto it = right.find(s.key);
    if (it == right.end()) continue;
    const ReportSection& t = *it->second;
    if (!s.raw) {
      std::map<std::string, const ReportField*> fields_b;
      for (const auto& f : t.fields) fields_b[f.key] = &f;
      for (const auto& f : s.fields) {
        auto fb = fields_b.find(f.key);
        const std::string other = fb == fields_b.end() ? "—" : fb->second->value;
        if (other != f.value)
          lines.push_back(s.title + ": " + f.label + ": " + f.value + " → " + other);
        else if (fb != fields_b.end() && f.hidden != fb->second->hidden)
          lines.push_back(s.title + ": " + f.label + ": изменён (скрыто; --show-secrets)");
        if (fb != fields_b.end()) fields_b.erase(fb);
      }
      for (const auto& [key, f] : fields_b) lines.push_back(s.title + ": " + f->label + ": — → " + f->value);
      continue;
    }
    if (s.address != t.address || s.bytes.size() != t.bytes.size()) {
      lines.push_back(s.title + ": адрес/длина " + std::to_string(s.address) + "/" + std::to_string(s.bytes.size()) +
                      " → " + std::to_string(t.address) + "/" + std::to_string(t.bytes.size()));
    }
    const std::size_t n = std::min(s.bytes.size(), t.bytes.size());
    for (std::size_t i = 0; i < n; ++i) {
      if (s.bytes[i] == t.bytes[i]) continue;
      char buf[64];
      std::snprintf(buf, sizeof buf, " +%zu: 0x%02x → 0x%02x", i, s.bytes[i], t.bytes[i]);
      lines.push_back(s.title + buf);
    }
  }
  return lines;
}

}  // namespace vq::settings
