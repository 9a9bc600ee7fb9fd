// Codes and passwords never reach the diagnostic trace: a read-all and a write-all of
// tables holding them leave no run of traced bytes that spells one of them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "memory/memory_map.hpp"
#include "settings/full_transfer.hpp"
#include "support/panel_rig.hpp"

using namespace vq;
using namespace vq::memory;
using vq::test::PanelRig;

namespace {

// The byte a trace line shows: "0x%x" or "TxRxBuffer[i] - %x".
std::optional<std::uint8_t> traced_byte(const std::string& line) {
  unsigned v = 0;
  std::size_t index = 0;
  char rest = 0;
  if (std::sscanf(line.c_str(), "0x%x%c", &v, &rest) == 1 && v <= 0xFF) return static_cast<std::uint8_t>(v);
  if (std::sscanf(line.c_str(), "TxRxBuffer[%zu] - %x%c", &index, &v, &rest) == 2 && v <= 0xFF)
    return static_cast<std::uint8_t>(v);
  if (line.find(" = 0x") != std::string::npos && std::sscanf(line.substr(line.find(" = 0x") + 3).c_str(), "0x%x", &v) == 1)
    return static_cast<std::uint8_t>(v);
  return std::nullopt;
}

bool spelled(const std::vector<std::string>& lines, const Bytes& secret) {
  Bytes run;
  auto check = [&] {
    return std::search(run.begin(), run.end(), secret.begin(), secret.end()) != run.end();
  };
  for (const auto& l : lines) {
    if (auto b = traced_byte(l)) {
      run.push_back(*b);
      continue;
    }
    if (check()) return true;
    run.clear();
  }
  return check();
}

}  // namespace

TEST(SecretsInTrace, ReadAndWriteOfCodesAndPasswordsTraceNoneOfThem) {
  PanelRig rig;
  auto& mem = rig.p().memory();
  const Bytes user{0x81, 0x82, 0x83, 0x84, 0x85, 0x86}, engineer{0x89, 0x88, 0x87, 0x86, 0x85, 0x84};
  const Bytes key{0x42, 0x9E, 0x3B, 0x17, 0xC5, 0xA1};
  std::copy(user.begin(), user.end(), mem.begin() + layout(ImageId::first_password).address);
  std::copy(engineer.begin(), engineer.end(), mem.begin() + layout(ImageId::second_password).address);
  for (int slot = 0; slot < 1000; slot += 97)
    std::copy(key.begin(), key.end(), mem.begin() + layout(ImageId::identifier_codes).address + 5 + 6 * slot);

  Configuration config;
  ASSERT_TRUE(settings::connect_for_settings(rig.session(), config));
  ASSERT_TRUE(settings::read_all(rig.session(), config));
  ASSERT_TRUE(settings::write_all(rig.session(), config));
  const auto& lines = rig.trace.lines;
  ASSERT_GT(lines.size(), 20u);
  EXPECT_TRUE(spelled(lines, {0x55, 0x00})) << "the test reads the trace's byte lines";
  for (const auto& secret : {user, engineer, key}) EXPECT_FALSE(spelled(lines, secret));
}
