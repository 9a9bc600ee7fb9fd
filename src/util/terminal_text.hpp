#pragma once
// Text from the panel or from a file, made safe to print: a terminal acts on control
// characters (ESC starts a command sequence, BEL rings), so none of them gets through.
#include <string>
#include <string_view>

namespace vq {

// The replacement for every character that must not reach a terminal: U+FFFD.
inline constexpr std::string_view kTerminalReplacement = "\xEF\xBF\xBD";

// UTF-8 in, UTF-8 out: every C0 control (U+0000..U+001F, tab and line feed included, since
// decoded data never carries layout), DEL (U+007F), every C1 control (U+0080..U+009F) and
// every byte that is not part of well-formed UTF-8 becomes U+FFFD; all else is kept.
std::string terminal_safe(std::string_view text);

}  // namespace vq
