// Any bytes in the identifier tables (a file or a panel may hold anything) and any typed
// value: reading never fails, a refused confirm changes no byte, a deleted slot is empty,
// and an accepted value shows as it was typed.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "settings/identifiers.hpp"

namespace {

using namespace vq;
using memory::ImageId;

std::vector<std::uint8_t> tables(const memory::Configuration& c) {
  std::vector<std::uint8_t> out;
  for (auto id : {ImageId::identifier_records, ImageId::identifier_codes, ImageId::identifier_partitions,
                  ImageId::identifier_settings}) {
    const auto d = c.image(id).data();
    out.insert(out.end(), d.begin(), d.end());
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vq::settings;
  if (size < 12) return 0;
  memory::Configuration c;
  // The head picks the slot, user, kind and tactic; the rest fills the tables from their
  // start, where the first slots lie, and is also the typed value.
  const int slot = (data[0] | data[1] << 8) % (kIdentifierSlots + 2);
  const int user = data[2];
  const int kinds[] = {kKindPin, kKindKey, kKindFob, data[3]};
  const int kind = kinds[data[4] % 4];
  const int tactic = data[5] % 7;
  const std::size_t value_len = data[6] % 14;
  const std::uint8_t* body = data + 12;
  const std::size_t n = size - 12;
  for (auto id : {ImageId::identifier_records, ImageId::identifier_codes, ImageId::identifier_partitions,
                  ImageId::identifier_settings}) {
    auto t = c.image(id).data();
    std::copy_n(body, std::min(n, t.size()), t.begin());
  }
  for (const auto& u : identifier_users(c))
    for (const auto& id : u.identifiers) (void)identifier_value_text(id.kind, id.code);

  const std::string text(reinterpret_cast<const char*>(body), std::min(n, value_len));
  const auto code = encode_identifier_value(kind, text);
  if (code && kind == kKindPin && identifier_value_text(kind, *code) != text) __builtin_trap();

  const auto before = tables(c);
  const IdentifierEdit edit{kind, code ? *code : IdentifierCode{}, user, tactic, (data[7] & 1) != 0};
  if (!set_identifier(c, slot, edit)) {
    if (tables(c) != before) __builtin_trap();
  } else if (read_identifier(c, slot).user != user) {
    __builtin_trap();
  }
  const bool occupied = !read_identifier(c, slot).empty();
  if (delete_identifier(c, slot) && occupied && !read_identifier(c, slot).empty()) __builtin_trap();
  return 0;
}
