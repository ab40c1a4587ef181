#include "tags/id3v1_genres.h"
#include "tags/id3v1_tags.h"

#include <gtest/gtest.h>
#include <set>

namespace corvath {
namespace {

TEST(Id3v1Genre, NeverSetReadsAsBlues)
{
    TId3v1Tags tags;
    EXPECT_EQ(tags.GenreId(), 0);
    EXPECT_EQ(tags.Genre(), "Blues");
}

TEST(Id3v1Genre, NumbersPastTheListReadAsOther)
{
    TId3v1Tags tags;
    tags.SetGenreId(255);
    EXPECT_EQ(tags.GenreId(), 12);
    EXPECT_EQ(tags.Genre(), "Other");
    EXPECT_EQ(tags.AsInteger("genre"), 255) << "the stored number is kept";

    tags.SetGenreId(148);
    EXPECT_EQ(tags.GenreId(), 12);
    tags.SetGenreId(147);
    EXPECT_EQ(tags.Genre(), "Synthpop");
    tags.SetValue("genre", TagValue::FromInteger(-1));
    EXPECT_EQ(tags.GenreId(), 12);
}

TEST(Id3v1Genre, ListUsesOurSpellings)
{
    const std::pair<int, const char*> spellings[] = {
        {22, "Death metal"},           {40, "Alt. Rock"},
        {46, "Instrumental pop"},      {47, "Instrumental rock"},
        {67, "Psychedelic"},           {84, "Fast Fusion"},
        {104, "Chamber music"},        {118, "Rhythmic soul"},
        {123, "A Cappella"},           {127, "Drum & Bass"},
        {136, "Christian Gangsta Rap"}};
    for (const auto& [id, name] : spellings)
        EXPECT_EQ(Id3v1GenreName(id), name) << id;
    EXPECT_EQ(Id3v1GenreName(-1), "");
    EXPECT_EQ(Id3v1GenreName(148), "");
}

TEST(Id3v1Genre, NamesAreDistinctWithoutRegardToCase)
{
    std::set<int> ids;
    for (int id = 0; id < kId3v1GenreCount; ++id)
        ids.insert(Id3v1GenreIdOf(Id3v1GenreName(id)));
    EXPECT_EQ(ids.size(), static_cast<std::size_t>(kId3v1GenreCount));
    EXPECT_EQ(ids.count(-1), 0u);
}

TEST(Id3v1Genre, SetterTrimsAndIgnoresCase)
{
    TId3v1Tags tags;
    tags.SetGenre("  hard ROCK\t");
    EXPECT_EQ(tags.GenreId(), 79);
    EXPECT_EQ(tags.Genre(), "Hard Rock");

    tags.SetGenre("christian gangsta rap");
    EXPECT_EQ(tags.GenreId(), 136);
}

TEST(Id3v1Genre, UnknownNameLeavesTheValue)
{
    TId3v1Tags tags;
    tags.SetGenre("Jazz");
    tags.SetGenre("Not a genre");
    tags.SetGenre("");
    EXPECT_EQ(tags.Genre(), "Jazz");

    TId3v1Tags fresh;
    fresh.SetGenre("Not a genre");
    EXPECT_FALSE(fresh.Changed());
}

TEST(Id3v1Genre, StoredTextIsReadAsNameThenNumber)
{
    TId3v1Tags tags;
    tags.SetValue("genre", TagValue::FromWideText(" Trance "));
    EXPECT_EQ(tags.GenreId(), 31);
    tags.SetValue("genre", TagValue::FromText("17"));
    EXPECT_EQ(tags.Genre(), "Rock");
    tags.SetValue("genre", TagValue::FromText("400"));
    EXPECT_EQ(tags.GenreId(), 12);
}

TEST(Id3v1Numbers, OutOfRangeReadAsZero)
{
    TId3v1Tags tags;
    tags.SetValue("year", TagValue::FromText("70000"));
    tags.SetValue("track", TagValue::FromInteger(256));
    EXPECT_EQ(tags.Year(), 0);
    EXPECT_EQ(tags.Track(), 0);

    tags.SetValue("year", TagValue::FromText("65535"));
    tags.SetValue("track", TagValue::FromText("255"));
    EXPECT_EQ(tags.Year(), 65535);
    EXPECT_EQ(tags.Track(), 255);
}

} // namespace
} // namespace corvath
