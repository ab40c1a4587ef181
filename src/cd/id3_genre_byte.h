#pragma once

#include <cstdint>

namespace corvath {

/// The ID3v1 genre byte for an item index of the main window's genre list (-1 no selection,
/// 0 the empty entry, k >= 1 the genre name GenreNames[k - 1]).
///
/// A name gives its ID3v1 genre number, compared without regard to case; the list's own
/// spellings "Christian Gangsta", "Drum & Base", "Fast-Fusion", "Folk/Rock" and "Gangsta Rap"
/// map to 136, 127, 84, 81 and 59. No selection, the empty entry and any index past the list
/// give 255, "no genre".
std::uint8_t Id3GenreByte(int genreListIndex);

} // namespace corvath
