#pragma once

#include <string_view>

namespace corvath {

/// Genre numbers 0..147: the standard ID3v1 set and its common extension.
inline constexpr int kId3v1GenreCount = 148;

/// The genre number used when a stored number is not a genre: 12, "Other".
inline constexpr int kId3v1OtherGenre = 12;

/// The name of ID3v1 genre number id; empty outside 0..147.
std::string_view Id3v1GenreName(int id);

/// The lowest genre number whose name equals name apart from letter case; -1 if none.
int Id3v1GenreIdOf(std::string_view name);

} // namespace corvath
