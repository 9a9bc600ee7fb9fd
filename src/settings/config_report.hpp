#pragma once
// A configuration as a person reads it: sections of named fields where the layout is
// known, raw bytes elsewhere. Rendered as text or JSON, and compared field by field.
#include <string>
#include <vector>

#include "memory/configuration.hpp"
#include "util/bytes.hpp"

namespace vq::settings {

struct ReportField {
  std::string key;    // stable, for JSON and diff
  std::string label;  // what a person reads
  std::string value;
};

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

// Lines "section: label: old → new" for fields, "section +offset: 0xAA → 0xBB" for raw bytes.
std::vector<std::string> diff_reports(const std::vector<ReportSection>& a, const std::vector<ReportSection>& b);

}  // namespace vq::settings
