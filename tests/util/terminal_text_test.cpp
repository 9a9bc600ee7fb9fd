// Text bound for a terminal: control characters and broken UTF-8 never get through.
#include <gtest/gtest.h>

#include <string>

#include "util/terminal_text.hpp"

TEST(TerminalText, ControlsAndBrokenBytesBecomeTheReplacement) {
  const std::string r(vq::kTerminalReplacement);
  struct Case {
    std::string in, out;
  };
  const Case cases[] = {
      {"Склад №1", "Склад №1"},
      {"\x1b[31mred\x07", r + "[31mred" + r},
      {"tab\there\nline\r", "tab" + r + "here" + r + "line" + r},
      {std::string("nul\0x", 5), "nul" + r + "x"},
      {"del\x7f", "del" + r},
      {"\xC2\x9B" "2J \xC2\x85 \xC2\xA0", r + "2J " + r + " \xC2\xA0"},  // C1 CSI and NEL out, NBSP kept
      {"\x9B" "2J", r + "2J"},                                          // a bare 8-bit CSI byte
      {"\xD0", r},                                                      // cut sequence
      {"\xED\xA0\x80", r + r + r},                                      // a surrogate
      {"\xF0\x9F\x94\xA5", "\xF0\x9F\x94\xA5"},
  };
  for (const auto& c : cases) EXPECT_EQ(vq::terminal_safe(c.in), c.out) << c.in;
}
