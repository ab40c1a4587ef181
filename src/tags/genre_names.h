#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace corvath {

inline constexpr std::size_t kGenreNameCount = 148;

/// The genre names behind the main window's genre list, in their fixed order. Stored genre
/// indexes and the ID3v1 genre mapping count on this order, so it never changes.
extern const std::array<std::string_view, kGenreNameCount> GenreNames;

/// Position of name in GenreNames (0..147), compared exactly and case-sensitively; -1 if absent.
int GenreIndexOf(std::string_view name);

/// Position of the name in GenreNames that a name from elsewhere (a CDDB entry, a MusicBrainz
/// release) stands for: the one equal to it, else one equal to it ignoring ASCII case ("rock"
/// is "Rock"); -1 if absent.
int GenreIndexMatching(std::string_view name);

} // namespace corvath
