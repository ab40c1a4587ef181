#include "tags/genre_names.h"

#include "platform/text/ascii_case.h"

#include <algorithm>

namespace corvath {

// clang-format off
extern constexpr std::array<std::string_view, kGenreNameCount> GenreNames = {
    "A Cappella", "Acid", "Acid Jazz", "Acid Punk", "Acoustic", "Alt. Rock", "Alternative",
    "Ambient", "Anime", "Avantgarde", "Ballad", "Bass", "Beat", "Bebob", "Big Band",
    "Black Metal", "Bluegrass", "Blues", "Booty Bass", "BritPop", "Cabaret", "Celtic",
    "Chamber Music", "Chanson", "Chorus", "Christian Gangsta", "Christian Rap",
    "Christian Rock", "Classic Rock", "Classical", "Club", "Club-House", "Comedy",
    "Contemporary Christian", "Country", "Crossover", "Cult", "Dance", "Dance Hall", "Darkwave",
    "Death Metal", "Disco", "Dream", "Drum & Base", "Drum Solo", "Duet", "Easy Listening",
    "Electronic", "Ethnic", "Eurodance", "Euro-House", "Euro-Techno", "Fast-Fusion", "Folk",
    "Folk/Rock", "Folklore", "Freestyle", "Funk", "Fusion", "Game", "Gangsta Rap", "Goa",
    "Gospel", "Gothic", "Gothic Rock", "Grunge", "Hard Rock", "Hardcore", "Heavy Metal",
    "Hip-Hop", "House", "Humour", "Indie", "Industrial", "Instrumental", "Instrumental Pop",
    "Instrumental Rock", "Jazz", "Jazz+Funk", "JPop", "Jungle", "Latin", "Lo-Fi", "Meditative",
    "Merengue", "Metal", "Musical", "National Folk", "Native American", "Negerpunk", "New Age",
    "New Wave", "Noise", "Oldies", "Opera", "Other", "Polka", "Polsk Punk", "Pop", "Pop/Funk",
    "Pop-Folk", "Porn Groove", "Power Ballad", "Pranks", "Primus", "Progressive Rock",
    "Psychedelic", "Psychedelic Rock", "Punk", "Punk Rock", "R&B", "Rap", "Rave", "Reggae",
    "Retro", "Revival", "Rhythmic Soul", "Rock", "Rock & Roll", "Salsa", "Samba", "Satire",
    "Showtunes", "Ska", "Slow Jam", "Slow Rock", "Sonata", "Soul", "Sound Clip", "Soundtrack",
    "Southern Rock", "Space", "Speech", "Swing", "Symphonic Rock", "Symphony", "Synthpop",
    "Tango", "Techno", "Techno-Industrial", "Terror", "Thrash Metal", "Top 40", "Trailer",
    "Trance", "Tribal", "Trip-Hop", "Vocal",
};
// clang-format on

int GenreIndexOf(std::string_view name)
{
    const auto found = std::find(GenreNames.begin(), GenreNames.end(), name);
    return found == GenreNames.end() ? -1 : static_cast<int>(found - GenreNames.begin());
}

int GenreIndexMatching(std::string_view name)
{
    if (const int exact = GenreIndexOf(name); exact >= 0)
        return exact;
    const auto found = std::ranges::find_if(
        GenreNames, [name](std::string_view genre) { return EqualIgnoringCase(genre, name); });
    return found == GenreNames.end() ? -1 : static_cast<int>(found - GenreNames.begin());
}

} // namespace corvath
