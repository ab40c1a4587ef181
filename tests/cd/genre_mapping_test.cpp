#include "cd/id3_genre_byte.h"
#include "tags/genre_names.h"
#include "tags/id3v1_genres.h"

#include <gtest/gtest.h>
#include <set>
#include <utility>

namespace corvath {
namespace {

int ListIndexOf(std::string_view name)
{
    return GenreIndexOf(name) + 1;
}

TEST(GenreNames, IndexIsExactAndCaseSensitive)
{
    EXPECT_EQ(GenreIndexOf("Rock"), 117);
    EXPECT_EQ(GenreIndexOf("rock"), -1);
    EXPECT_EQ(GenreIndexOf("Rock "), -1);
    EXPECT_EQ(GenreIndexOf(""), -1);
    EXPECT_EQ(GenreIndexOf("A Cappella"), 0);
    EXPECT_EQ(GenreIndexOf("Vocal"), 147);
}

TEST(GenreNames, MatchingTakesTheExactNameFirstThenIgnoresAsciiCase)
{
    const std::pair<const char*, const char*> cases[] = {
        {"Rock", "Rock"},       {"rock", "Rock"},         {"ROCK", "Rock"}, {"other", "Other"},
        {"hip-hop", "Hip-Hop"}, {"pop/funk", "Pop/Funk"}, {"r&b", "R&B"},   {"Vocal", "Vocal"},
    };
    for (const auto& [name, listed] : cases)
        EXPECT_EQ(GenreIndexMatching(name), GenreIndexOf(listed)) << name;
    for (const char* unknown : {"", "Rock ", "Rocks", "Röck", "Trip Hop"})
        EXPECT_EQ(GenreIndexMatching(unknown), -1) << unknown;
    // No two names differ only in case, so the exact one never hides another.
    for (std::size_t i = 0; i < GenreNames.size(); ++i)
        EXPECT_EQ(GenreIndexMatching(GenreNames[i]), static_cast<int>(i)) << GenreNames[i];
}

TEST(GenreNames, AreDistinct)
{
    for (std::size_t i = 0; i < GenreNames.size(); ++i)
        EXPECT_EQ(GenreIndexOf(GenreNames[i]), static_cast<int>(i)) << GenreNames[i];
}

TEST(Id3GenreByte, EveryListNameGetsItsOwnId3v1Genre)
{
    std::set<int> bytes;
    for (std::size_t i = 0; i < GenreNames.size(); ++i) {
        const int byte = Id3GenreByte(static_cast<int>(i) + 1);
        EXPECT_LT(byte, kId3v1GenreCount) << GenreNames[i];
        bytes.insert(byte);
    }
    EXPECT_EQ(bytes.size(), GenreNames.size());
}

TEST(Id3GenreByte, NameMatchesWithoutRegardToCase)
{
    EXPECT_EQ(Id3GenreByte(ListIndexOf("Rock")), 17);
    EXPECT_EQ(Id3GenreByte(ListIndexOf("Death Metal")), 22);
    EXPECT_EQ(Id3GenreByte(ListIndexOf("Rhythmic Soul")), 118);
    EXPECT_EQ(Id3GenreByte(ListIndexOf("A Cappella")), 123);
}

TEST(Id3GenreByte, RespelledNamesMapToTheirGenres)
{
    EXPECT_EQ(Id3GenreByte(ListIndexOf("Christian Gangsta")), 136);
    EXPECT_EQ(Id3GenreByte(ListIndexOf("Drum & Base")), 127);
    EXPECT_EQ(Id3GenreByte(ListIndexOf("Fast-Fusion")), 84);
    EXPECT_EQ(Id3GenreByte(ListIndexOf("Folk/Rock")), 81);
    EXPECT_EQ(Id3GenreByte(ListIndexOf("Gangsta Rap")), 59);
}

TEST(Id3GenreByte, NoGenreGives255)
{
    for (int index : {-2, -1, 0, 149, 1000})
        EXPECT_EQ(Id3GenreByte(index), 255) << index;
    EXPECT_EQ(Id3GenreByte(148), 28) << "the last entry, Vocal";
}

} // namespace
} // namespace corvath
