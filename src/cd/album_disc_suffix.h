#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace corvath {

/// An album title that names the disc of a set at its end, split into the two.
struct AlbumDisc {
    std::string album; ///< the title without the disc's part
    int number = 0;
    int total = 0; ///< 0 when the title does not tell
};

/// The disc a CDDB album title names at its end, as entries of sets do: "Album (Disc 2)",
/// "Album [CD 2/3]", "Album - CD2", "Album, Disc 1 of 2"; case does not matter. Nothing for a
/// title without such an end, or one that would be left empty.
std::optional<AlbumDisc> SplitAlbumDisc(std::string_view title);

} // namespace corvath
