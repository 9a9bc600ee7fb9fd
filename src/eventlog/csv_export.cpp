#include "eventlog/csv_export.hpp"

#include "eventlog/export.hpp"

namespace vq::eventlog {

namespace {

void add_line(std::string& out, std::initializer_list<std::string_view> fields) {
  bool first = true;
  for (const auto f : fields) {
    if (!first) out += ',';
    first = false;
    out += csv_field(f);
  }
  out += "\r\n";
}

}  // namespace

std::string csv_field(std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
  return out;
}

std::string csv_text(const std::vector<EventRow>& rows) {
  std::string out;
  add_line(out, {kListColumnCaptions[0], kListColumnCaptions[1], kListColumnCaptions[2], kListColumnCaptions[3],
                 kListColumnCaptions[4], kListColumnCaptions[5], kListColumnCaptions[6]});
  for (const auto& row : rows) {
    const auto c = stored_columns(row);
    add_line(out, {std::to_string(row.number), std::to_string(row.event_id), row.date_time, c[0], c[1], c[2], c[3]});
  }
  return out;
}

Result<> write_csv(const std::vector<EventRow>& rows, const std::filesystem::path& file) {
  return write_file_atomically(file, csv_text(rows), "файл CSV");
}

}  // namespace vq::eventlog
