#pragma once
// A configuration as a person reads it: sections of named fields where the layout is
// known, raw bytes elsewhere. Rendered as text or JSON, and compared field by field.
#include <string>
#include <vector>

#include "memory/configuration.hpp"
#include "util/bytes.hpp"

namespace vq::settings {

struct ReportField {
  // How JSON carries the value: text as a string, number as a number, flag as true/false,
  // choice (an enumeration) as its name in "value" and the stored number in "code".
  enum class Type { text, number, flag, choice };

  std::string key;    // stable, for JSON, diff and `config set/get` (after the section's key)
  std::string label;  // what a person reads
  std::string value;  // the value as a person reads it
  Type type = Type::text;
  long long number = 0;  // number, flag (0/1) or choice code
  // A secret shown masked keeps its value here, never rendered: a diff can still tell
  // that it changed.
  std::string hidden = {};
};

ReportField text_field(std::string key, std::string label, std::string value);
ReportField number_field(std::string key, std::string label, long long value);
ReportField flag_field(std::string key, std::string label, bool value);
ReportField choice_field(std::string key, std::string label, long long code, std::string name);

struct ReportSection {
  std::string key;
  std::string title;
  std::vector<ReportField> fields;  // decoded sections
  bool raw = false;                 // raw sections carry their bytes instead
  std::uint32_t address = 0;
  Bytes bytes;
};

struct ReportOptions {
  bool show_secrets = false;
};

std::vector<ReportSection> build_report(const memory::Configuration& config, const ReportOptions& options = {});

std::string render_text(const std::vector<ReportSection>& report);
std::string render_json(const std::vector<ReportSection>& report);

// The field whose full key (section key, '.', field key) is `key`.
const ReportField* find_field(const std::vector<ReportSection>& report, std::string_view key);

// What differs between two configurations: changed fields by name; when a decoding names
// no change but its tables differ (bytes no field shows), those bytes by offset. Two
// configurations that differ anywhere never give an empty list.
std::vector<std::string> diff_configurations(const memory::Configuration& a, const memory::Configuration& b,
                                             const ReportOptions& options = {});

// Lines "section: label: old → new" for fields, "section +offset: 0xAA → 0xBB" for raw bytes;
// a masked secret that changed: "section: label: изменён (скрыто; --show-secrets)".
std::vector<std::string> diff_reports(const std::vector<ReportSection>& a, const std::vector<ReportSection>& b);

}  // namespace vq::settings
