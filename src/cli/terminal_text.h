#pragma once

#include <string>
#include <string_view>

namespace corvath::cli {

/// Text from outside (a CDDB server, a tag, a file name) made safe to print on a terminal:
/// control characters, which could move the cursor or change the terminal's settings, and
/// bytes that are not UTF-8 each become U+FFFD; everything else is kept.
std::string TerminalText(std::string_view text);

} // namespace corvath::cli
