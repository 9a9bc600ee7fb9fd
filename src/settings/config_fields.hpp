#pragma once
// The configuration as named fields, one domain a page family: what `config show` decodes,
// and what `config set KEY=VALUE` changes through the same operations the pages use.
// A field's key is its section's key, a dot and the field's own key ("partitions.5.type").
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "memory/configuration.hpp"
#include "settings/config_report.hpp"
#include "util/result.hpp"

namespace vq::settings {

struct FieldDomain {
  // Appends the domain's sections to the report.
  std::function<void(const memory::Configuration&, const ReportOptions&, std::vector<ReportSection>&)> report;
  // The tables the sections decode: they are not dumped as raw bytes as well.
  std::vector<memory::ImageId> images;
  std::vector<memory::PageId> pages;
  // Sets the field with that full key from the text; nothing when the key is not one of
  // the domain's. A refusal changes no byte.
  std::function<std::optional<Result<>>(memory::Configuration&, std::string_view key, std::string_view value)> set;
  // Tables holding secrets: a diff without secrets shown names their change, not their bytes.
  std::vector<memory::ImageId> secret_images;
  // Whether the key takes a secret (a code or password), which never comes from the command line.
  std::function<bool(std::string_view key)> secret_key;
};

// Every domain, in the order `config show` prints them.
const std::vector<FieldDomain>& field_domains();

// One domain each (partitions_fields.cpp, radio_network_fields.cpp, system_outputs_fields.cpp).
FieldDomain partition_fields();
FieldDomain radio_network_fields();
FieldDomain system_output_fields();
FieldDomain remote_control_fields();
FieldDomain identifier_fields();  // identifiers_fields.cpp: identifiers, passwords

// Whether a key takes a secret: `config set` reads such a value from standard input.
bool is_secret_key(std::string_view key);
FieldDomain recipient_fields();  // recipients_fields.cpp
FieldDomain service_fields();  // service_fields.cpp: GSM service settings, PSTN module
FieldDomain voice_fields();    // voice_fields.cpp: general settings, voice module, speech notices

// Sets one field by its full key; an unknown key is refused.
Result<> set_config_field(memory::Configuration& config, std::string_view key, std::string_view value);

// The parts of a key between its dots: "partitions.5.type" -> {"partitions", "5", "type"}.
std::vector<std::string_view> split_key(std::string_view key);

// An item number of a key ("5" of "partitions.5.type") within 1..count.
std::optional<int> key_item(std::string_view part, int count);

}  // namespace vq::settings
