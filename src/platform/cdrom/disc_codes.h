#pragma once

#include <string_view>

namespace corvath {

/// Whether the text is an ISRC: country and owner in capitals or digits, then year and serial
/// number in digits (CCOOOYYSSSSS). Twelve zeros, which some programs write for a track without
/// one, are none.
bool IsIsrc(std::string_view text);

/// Whether the text is a media catalogue number (UPC/EAN): 13 digits, not all zero.
bool IsCatalogNumber(std::string_view text);

} // namespace corvath
