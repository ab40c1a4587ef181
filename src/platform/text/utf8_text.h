#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace corvath {

/// Whether the bytes are well-formed UTF-8.
bool IsUtf8(std::string_view bytes);

/// Appends a Unicode code point to text as UTF-8.
void AppendUtf8(std::string& text, uint32_t code);

/// UTF-16 bytes after their two-byte byte-order mark, as UTF-8; unpaired surrogates become
/// U+FFFD.
std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian);

/// The text as UTF-8: kept when it is UTF-8 already, else read as Windows-1252, the code page
/// Windows programs write disc images' text in (Latin-1 but for its typographic marks at 0x80 to
/// 0x9F).
std::string Utf8OrWindows1252(std::string_view bytes);

} // namespace corvath
