#pragma once

#include <string>
#include <string_view>

namespace corvath {

/// Whether the bytes are well-formed UTF-8.
bool IsUtf8(std::string_view bytes);

/// The text as UTF-8: kept when it is UTF-8 already, else read as Latin-1, the other encoding
/// disc images' text comes in.
std::string Utf8OrLatin1(std::string_view bytes);

} // namespace corvath
