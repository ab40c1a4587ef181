#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace corvath {

/// Reads the character at pos of UTF-8 text and moves pos past it. A byte that starts no valid
/// UTF-8 sequence (overlong forms and surrogates included) is passed alone and yields nothing.
/// pos must be below text.size(). Any thread.
std::optional<char32_t> NextUtf8Character(std::string_view text, std::size_t& pos);

/// True when every byte of the text belongs to a valid UTF-8 sequence.
bool IsValidUtf8(std::string_view text);

/// Windows-1252 bytes as UTF-8; the five bytes the code page leaves unassigned (81, 8D, 8F, 90,
/// 9D) become the C1 controls of the same number, as Windows converts them.
std::string Windows1252ToUtf8(std::string_view text);

} // namespace corvath
