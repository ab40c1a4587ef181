#include "tags/id3v1_genres.h"

#include "platform/text/ascii_case.h"

#include <array>

namespace corvath {

namespace {

// Indexed by genre number. A few names are spelled the way our genre list spells them rather
// than the usual way (22, 40, 46, 47, 67, 84, 104, 118, 123, 127, 136).
// clang-format off
constexpr std::array<std::string_view, kId3v1GenreCount> kGenres = {
    /*   0 */ "Blues", "Classic Rock", "Country", "Dance", "Disco", "Funk", "Grunge",
    /*   7 */ "Hip-Hop", "Jazz", "Metal", "New Age", "Oldies", "Other", "Pop", "R&B", "Rap",
    /*  16 */ "Reggae", "Rock", "Techno", "Industrial", "Alternative", "Ska", "Death metal",
    /*  23 */ "Pranks", "Soundtrack", "Euro-Techno", "Ambient", "Trip-Hop", "Vocal",
    /*  29 */ "Jazz+Funk", "Fusion", "Trance", "Classical", "Instrumental", "Acid", "House",
    /*  36 */ "Game", "Sound Clip", "Gospel", "Noise", "Alt. Rock", "Bass", "Soul", "Punk",
    /*  44 */ "Space", "Meditative", "Instrumental pop", "Instrumental rock", "Ethnic",
    /*  49 */ "Gothic", "Darkwave", "Techno-Industrial", "Electronic", "Pop-Folk",
    /*  54 */ "Eurodance", "Dream", "Southern Rock", "Comedy", "Cult", "Gangsta", "Top 40",
    /*  61 */ "Christian Rap", "Pop/Funk", "Jungle", "Native American", "Cabaret", "New Wave",
    /*  67 */ "Psychedelic", "Rave", "Showtunes", "Trailer", "Lo-Fi", "Tribal", "Acid Punk",
    /*  74 */ "Acid Jazz", "Polka", "Retro", "Musical", "Rock & Roll", "Hard Rock", "Folk",
    /*  81 */ "Folk-Rock", "National Folk", "Swing", "Fast Fusion", "Bebob", "Latin",
    /*  87 */ "Revival", "Celtic", "Bluegrass", "Avantgarde", "Gothic Rock",
    /*  92 */ "Progressive Rock", "Psychedelic Rock", "Symphonic Rock", "Slow Rock",
    /*  96 */ "Big Band", "Chorus", "Easy Listening", "Acoustic", "Humour", "Speech",
    /* 102 */ "Chanson", "Opera", "Chamber music", "Sonata", "Symphony", "Booty Bass",
    /* 108 */ "Primus", "Porn Groove", "Satire", "Slow Jam", "Club", "Tango", "Samba",
    /* 115 */ "Folklore", "Ballad", "Power Ballad", "Rhythmic soul", "Freestyle", "Duet",
    /* 121 */ "Punk Rock", "Drum Solo", "A Cappella", "Euro-House", "Dance Hall", "Goa",
    /* 127 */ "Drum & Bass", "Club-House", "Hardcore", "Terror", "Indie", "BritPop",
    /* 133 */ "Negerpunk", "Polsk Punk", "Beat", "Christian Gangsta Rap", "Heavy Metal",
    /* 138 */ "Black Metal", "Crossover", "Contemporary Christian", "Christian Rock",
    /* 142 */ "Merengue", "Salsa", "Thrash Metal", "Anime", "JPop", "Synthpop",
};
// clang-format on

} // namespace

std::string_view Id3v1GenreName(int id)
{
    if (id < 0 || id >= kId3v1GenreCount)
        return {};
    return kGenres[static_cast<std::size_t>(id)];
}

int Id3v1GenreIdOf(std::string_view name)
{
    for (int id = 0; id < kId3v1GenreCount; ++id) {
        if (EqualIgnoringCase(kGenres[static_cast<std::size_t>(id)], name))
            return id;
    }
    return -1;
}

} // namespace corvath
