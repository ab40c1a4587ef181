#include "cd/album_disc_suffix.h"

#include <gtest/gtest.h>

namespace corvath {
namespace {

TEST(AlbumDiscSuffix, TheWaysEntriesOfSetsNameTheirDisc)
{
    struct Case {
        const char* title;
        const char* album;
        int number;
        int total;
    };
    for (const Case& c : {Case{"Live (Disc 2)", "Live", 2, 0},
                          {"Live [CD 2/3]", "Live", 2, 3},
                          {"Live - CD2", "Live", 2, 0},
                          {"Live, disc 1 of 2", "Live", 1, 2},
                          {"The Wall CD1", "The Wall", 1, 0},
                          {"Best of (disk 10)", "Best of", 10, 0}}) {
        SCOPED_TRACE(c.title);
        const std::optional<AlbumDisc> disc = SplitAlbumDisc(c.title);
        ASSERT_TRUE(disc);
        EXPECT_EQ(disc->album, c.album);
        EXPECT_EQ(disc->number, c.number);
        EXPECT_EQ(disc->total, c.total);
    }
}

TEST(AlbumDiscSuffix, TitlesThatNameNoDiscStayAsTheyAre)
{
    for (const char* title : {"Live", "ABCD2", "CD2", "Disc 2", "Live (Disc 0)", "Discotheque 2",
                              "Live (Disc 2) Remastered", ""})
        EXPECT_FALSE(SplitAlbumDisc(title)) << title;
}

} // namespace
} // namespace corvath
