#include "cd/id3_genre_byte.h"

#include "tags/genre_names.h"
#include "tags/id3v1_genres.h"

#include <array>
#include <string_view>
#include <utility>

namespace corvath {

namespace {

constexpr std::uint8_t kNoGenre = 255;

// Genre list names that the ID3v1 list spells differently.
constexpr std::array<std::pair<std::string_view, std::uint8_t>, 5> kRespelled = {{
    {"Christian Gangsta", 136},
    {"Drum & Base", 127},
    {"Fast-Fusion", 84},
    {"Folk/Rock", 81},
    {"Gangsta Rap", 59},
}};

} // namespace

std::uint8_t Id3GenreByte(int genreListIndex)
{
    if (genreListIndex < 1 || genreListIndex > static_cast<int>(GenreNames.size()))
        return kNoGenre;
    const std::string_view name = GenreNames[static_cast<std::size_t>(genreListIndex - 1)];
    for (const auto& [spelling, id] : kRespelled) {
        if (name == spelling)
            return id;
    }
    const int id = Id3v1GenreIdOf(name);
    return id < 0 ? kNoGenre : static_cast<std::uint8_t>(id);
}

} // namespace corvath
