#include "tags/apev2_tags.h"
#include "tags/id3v1_tags.h"
#include "tags/id3v2_tags.h"
#include "tags/vorbis_tags.h"

#include <gtest/gtest.h>
#include <vector>

namespace corvath {
namespace {

std::vector<std::string> NamesOf(const TAuTags& tags)
{
    std::vector<std::string> names;
    for (int i = 0; i < tags.Count(); ++i)
        names.push_back(tags.NameAt(i));
    return names;
}

TEST(AuTagsNames, AreSortedWithoutRegardToCaseAndIgnoreDuplicates)
{
    TAuTags tags;
    for (const char* name : {"beta", "Alpha", "", "GAMMA", "ALPHA", "delta"})
        tags.DeclareName(name);

    EXPECT_EQ(NamesOf(tags), (std::vector<std::string>{"Alpha", "beta", "delta", "GAMMA"}));
    EXPECT_EQ(tags.NameAt(-1), "");
    EXPECT_EQ(tags.NameAt(4), "");
}

TEST(AuTagsNames, EachContainerDeclaresItsFixedSet)
{
    EXPECT_EQ(TId3v1Tags().Count(), 7);
    EXPECT_EQ(TId3v2Tags().Count(), 24);
    EXPECT_EQ(TAPEv2Tags().Count(), 25);
    EXPECT_EQ(TVorbisTags().Count(), 19);
    // The ID3v2.2 ids sort among the ID3v2.3 ones.
    const std::vector<std::string> id3v2 = NamesOf(TId3v2Tags());
    EXPECT_EQ(std::vector<std::string>(id3v2.begin(), id3v2.begin() + 4),
              (std::vector<std::string>{"COM", "COMM", "TAL", "TALB"}));
}

TEST(AuTagsValues, NamesMatchWithoutRegardToCase)
{
    TVorbisTags tags;
    tags.SetValue("TITLE", TagValue::FromText("Song"));
    EXPECT_EQ(tags.Title(), "Song");
    EXPECT_EQ(tags.GetValue("Title"), TagValue::FromText("Song"));
}

TEST(AuTagsFlags, NewContainerIsEmptyAndUnchanged)
{
    TVorbisTags tags;
    EXPECT_TRUE(tags.Empty());
    EXPECT_FALSE(tags.Changed());
}

TEST(AuTagsFlags, UndeclaredNameChangesNothing)
{
    TVorbisTags tags;
    tags.SetValue("copyright", TagValue::FromText("ignored"));

    EXPECT_TRUE(tags.Empty());
    EXPECT_FALSE(tags.Changed());
    EXPECT_TRUE(tags.GetValue("copyright").IsNull());
}

TEST(AuTagsFlags, ChangeClearsEmptyAndSetsChanged)
{
    TVorbisTags tags;
    tags.SetTitle("Song");
    EXPECT_FALSE(tags.Empty());
    EXPECT_TRUE(tags.Changed());
}

TEST(AuTagsFlags, SameValueLeavesFlagsAsTheyWere)
{
    TVorbisTags tags;
    tags.SetValue("title", TagValue()); // null over null
    EXPECT_TRUE(tags.Empty());
    EXPECT_FALSE(tags.Changed());
}

TEST(AuTagsFlags, SameValueMeansSameKindAndContent)
{
    TId3v1Tags tags;
    tags.SetValue("track", TagValue::FromText("7"));
    tags.SetTrack(7);
    EXPECT_EQ(tags.GetValue("track").Kind(), TagKind::Integer);

    tags.SetValue("title", TagValue::FromText("Song"));
    tags.SetValue("title", TagValue::FromWideText("Song"));
    EXPECT_EQ(tags.GetValue("title").Kind(), TagKind::WideText);
}

TEST(AuTagsFlags, ClearMakesEveryValueNullAndSetsBothFlags)
{
    TId3v1Tags tags;
    tags.SetTitle("Song");
    tags.SetYear(1999);
    tags.Clear();

    EXPECT_TRUE(tags.Empty());
    EXPECT_TRUE(tags.Changed());
    for (int i = 0; i < tags.Count(); ++i)
        EXPECT_TRUE(tags.GetValue(tags.NameAt(i)).IsNull()) << tags.NameAt(i);
}

TEST(AuTagsConversions, AsIntegerParsesOnlyWholeDecimalNumbers)
{
    TAPEv2Tags tags;
    const auto integerOf = [&tags](const TagValue& value) {
        tags.SetValue("Track", value);
        return tags.AsInteger("Track");
    };
    EXPECT_EQ(integerOf(TagValue::FromInteger(-42)), -42);
    EXPECT_EQ(integerOf(TagValue::FromText("12")), 12);
    EXPECT_EQ(integerOf(TagValue::FromWideText("-3")), -3);
    EXPECT_EQ(integerOf(TagValue::FromText("12abc")), 0);
    EXPECT_EQ(integerOf(TagValue::FromText("5/12")), 0);
    EXPECT_EQ(integerOf(TagValue::FromText("twelve")), 0);
    EXPECT_EQ(integerOf(TagValue::FromText("")), 0);
    EXPECT_EQ(integerOf(TagValue::FromText("99999999999999999999")), 0);
    EXPECT_EQ(integerOf(TagValue()), 0);
    EXPECT_EQ(tags.AsInteger("undeclared"), 0);
}

TEST(AuTagsConversions, AsStringWritesIntegersInDecimal)
{
    TId3v1Tags tags;
    tags.SetTrack(7);
    EXPECT_EQ(tags.AsString("track"), "7");
    EXPECT_EQ(tags.AsWideString("track"), "7");
    EXPECT_EQ(tags.AsString("title"), "");

    tags.SetTitle("Grüße");
    EXPECT_EQ(tags.AsWideString("title"), "Grüße");
}

TEST(AuTagsAssign, ApeToId3v1CarriesTheSharedFields)
{
    TAPEv2Tags ape;
    ape.SetTitle("Song");
    ape.SetArtist("Band");
    ape.SetAlbum("Record");
    ape.SetYear("2001");
    ape.SetComment("Live");
    ape.SetTrack("5");
    ape.SetGenre("rock");
    ape.SetPublisher("Label"); // no ID3v1 field

    TId3v1Tags id3;
    id3.SetYear(1980);
    id3.Assign(ape);

    EXPECT_EQ(id3.Title(), "Song");
    EXPECT_EQ(id3.Artist(), "Band");
    EXPECT_EQ(id3.Album(), "Record");
    EXPECT_EQ(id3.Year(), 2001);
    EXPECT_EQ(id3.Comment(), "Live");
    EXPECT_EQ(id3.Track(), 5);
    EXPECT_EQ(id3.Genre(), "Rock");
    EXPECT_EQ(id3.GenreId(), 17);
}

TEST(AuTagsAssign, VorbisToId3v2OnlyClears)
{
    TVorbisTags vorbis;
    vorbis.SetTitle("Song");
    vorbis.SetArtist("Band");
    TId3v2Tags id3;
    id3.SetTitle("Old");

    id3.Assign(vorbis);

    EXPECT_EQ(id3.Title(), "");
    EXPECT_TRUE(id3.Empty());
    EXPECT_TRUE(id3.Changed());
}

TEST(AuTagsAssign, AssignToCopiesIntoTheDestination)
{
    TId3v2Tags source;
    source.SetTitle("Song");
    source.SetComposer("Writer");
    TId3v2Tags destination;
    destination.SetEncoder("Old");

    source.AssignTo(destination);

    EXPECT_EQ(destination.Title(), "Song");
    EXPECT_EQ(destination.Composer(), "Writer");
    EXPECT_EQ(destination.Encoder(), "");
}

TEST(AuTagsAssign, SelfAssignmentKeepsTheValues)
{
    TVorbisTags tags;
    tags.SetTitle("Song");
    const TAuTags& same = tags;
    tags.Assign(same);
    EXPECT_EQ(tags.Title(), "Song");
}

} // namespace
} // namespace corvath
