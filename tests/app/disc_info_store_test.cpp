#include "app/disc_info_store.h"
#include "platform/profile/profile_file.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace corvath {
namespace {

using test::TempDir;
using test::WriteFile;

class DiscInfoStoreTest : public ::testing::Test {
protected:
    TempDir dir_;
    std::filesystem::path file_ = dir_ / "cd.dat";
};

TEST_F(DiscInfoStoreTest, DiscSeenForTheFirstTimeGetsDefaultTitlesAndEmptyFields)
{
    TCDInfo info;
    info.CDArtist = "left over";
    LoadDiscInfo(info, file_, "-12345");
    EXPECT_EQ(info.CDArtist, "");
    EXPECT_EQ(info.CDGenre, -1);
    EXPECT_EQ(info.CDTrackNumber, 100);
    EXPECT_EQ(info.Titles[1], "Track01");
    EXPECT_EQ(info.Titles[99], "Track99");
    EXPECT_EQ(info.Titles[100], "Track100");
}

TEST_F(DiscInfoStoreTest, SavedSectionLoadsBack)
{
    TCDInfo info;
    info.CDTrackNumber = 3;
    info.Titles[1] = "Intro";
    info.Titles[2] = "Ça plane pour moi";
    info.Titles[3] = "Outro";
    const TDiscFields fields{"Artist", "Album", "1999", 118, "Comment"};
    SaveDiscInfo(info, fields, file_, "305419896");

    EXPECT_EQ(test::ReadFile(file_), "[305419896]\nCDArtist=Artist\nCDAlbum=Album\nCDYear=1999\n"
                                     "CDGenre=118\nCDComment=Comment\nCDTrackNumber=3\n"
                                     "1=Intro\n2=Ça plane pour moi\n3=Outro\n");

    TCDInfo loaded;
    LoadDiscInfo(loaded, file_, "305419896");
    EXPECT_EQ(loaded.CDArtist, "Artist");
    EXPECT_EQ(loaded.CDYear, "1999");
    EXPECT_EQ(loaded.CDGenre, 118);
    EXPECT_EQ(loaded.CDComment, "Comment");
    EXPECT_EQ(loaded.CDTrackNumber, 3);
    EXPECT_EQ(loaded.Titles[2], "Ça plane pour moi");
}

TEST_F(DiscInfoStoreTest, TitleCountRulesOnLoading)
{
    WriteFile(file_, "[7]\nCDTrackNumber=0\n"
                     "[8]\nCDTrackNumber=2\n1=\n2=Second\n3=Stale\n"
                     "[9]\nCDTrackNumber=500\n100=Last\n");
    TCDInfo info;
    info.Titles[1] = "kept";
    LoadDiscInfo(info, file_, "7");
    EXPECT_EQ(info.Titles[1], "kept");

    info.Titles[3] = "also kept";
    LoadDiscInfo(info, file_, "8");
    EXPECT_EQ(info.Titles[1], "Track01"); // an empty stored title reads as the default
    EXPECT_EQ(info.Titles[2], "Second");
    EXPECT_EQ(info.Titles[3], "also kept");

    LoadDiscInfo(info, file_, "9");
    EXPECT_EQ(info.CDTrackNumber, 500);
    EXPECT_EQ(info.Titles[100], "Last");
}

TEST_F(DiscInfoStoreTest, EmptyIdentifierNeitherLoadsNorSaves)
{
    TCDInfo info;
    info.CDArtist = "unchanged";
    LoadDiscInfo(info, file_, "");
    EXPECT_EQ(info.CDArtist, "unchanged");
    SaveDiscInfo(info, {}, file_, "");
    EXPECT_FALSE(std::filesystem::exists(file_));
}

TEST_F(DiscInfoStoreTest, OtherDiscsAndOldTitleKeysStay)
{
    WriteFile(file_, "[1]\nCDArtist=First disc\n[2]\nCDTrackNumber=3\n1=a\n2=b\n3=c\n");
    TCDInfo info;
    info.CDTrackNumber = 1;
    info.Titles[1] = "only";
    SaveDiscInfo(info, {}, file_, "2");
    const auto saved = LoadProfile(file_);
    EXPECT_EQ(saved.ReadString("1", "CDArtist", ""), "First disc");
    EXPECT_EQ(saved.ReadString("2", "1", ""), "only");
    EXPECT_EQ(saved.ReadString("2", "3", ""), "c");
    EXPECT_EQ(saved.ReadString("2", "CDGenre", ""), "-1");
}

// A release's details are kept after the titles, and only for a disc that has or had one.
TEST_F(DiscInfoStoreTest, ASetsDiscNumberAndAReleasesDetailsLoadBackAndGoWhenTheyGo)
{
    TCDInfo info;
    info.CDTrackNumber = 2;
    info.Titles[1] = "One";
    info.Titles[2] = "Two";
    info.Release.albumArtist = "Band";
    info.Release.albumId = "album-id";
    info.Release.releaseGroupId = "group-id";
    info.Release.albumArtistId = "band-id";
    info.Release.discId = "49HHV7Eb8UKF3aQiNmu1GR8vKTY-";
    info.Release.tracks = {{"", "band-id", "rec-1", "track-1", "GBAYE0000001"},
                           {"Guest", "guest-id", "rec-2", "track-2", ""}};
    TDiscFields secondOfThree;
    secondOfThree.DiscNumber = 2;
    secondOfThree.DiscTotal = 3;
    SaveDiscInfo(info, secondOfThree, file_, "7");
    SaveDiscInfo(TCDInfo{}, {}, file_, "8");

    TCDInfo loaded;
    LoadDiscInfo(loaded, file_, "7");
    EXPECT_EQ(loaded.Release, info.Release);
    EXPECT_EQ(loaded.CDDiscNumber, 2);
    EXPECT_EQ(loaded.CDDiscTotal, 3);
    EXPECT_EQ(LoadProfile(file_).ReadString("7", "Artist2", ""), "Guest");
    EXPECT_TRUE(test::ReadFile(file_).ends_with("[8]\nCDArtist=\nCDAlbum=\nCDYear=\nCDGenre=-1\n"
                                                "CDComment=\nCDTrackNumber=0\n"))
        << "a disc without a release keeps the few keys it always had";

    info.Release = {};
    SaveDiscInfo(info, {}, file_, "7");
    LoadDiscInfo(loaded, file_, "7");
    EXPECT_TRUE(loaded.Release.Empty());
    EXPECT_EQ(loaded.CDDiscNumber, 0);
}

// A title that an older version stored with a NUL byte costs no disc its information, and
// the next save leaves a file without it.
TEST_F(DiscInfoStoreTest, ATitleStoredWithANulByteCostsNoDiscItsInformation)
{
    using namespace std::string_literals;
    WriteFile(file_, "[7]\nCDArtist=Band\nCDTrackNumber=2\n1=nul\0byte\n2=Two\n"
                     "[8]\nCDTrackNumber=1\n1=One\n"s);
    TCDInfo info;
    const DiscInfoLoad load = LoadDiscInfo(info, file_, "7");
    EXPECT_TRUE(load.stored);
    EXPECT_EQ(load.note, "Line 4 of " + file_.string() + " held NUL bytes, read as blanks");
    EXPECT_EQ(info.CDArtist, "Band");
    EXPECT_EQ(info.Titles[1], "nul byte");
    EXPECT_EQ(info.Titles[2], "Two");

    info.Titles[2] = "Typed\x01title";
    SaveDiscInfo(info, StoredDiscFields(info), file_, "7");
    TCDInfo other;
    EXPECT_EQ(LoadDiscInfo(other, file_, "8").note, "");
    EXPECT_EQ(other.Titles[1], "One");
    LoadDiscInfo(info, file_, "7");
    EXPECT_EQ(info.Titles[1], "nul byte");
    EXPECT_EQ(info.Titles[2], "Typed title");
}

} // namespace
} // namespace corvath
