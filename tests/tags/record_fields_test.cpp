#include "tags/record_fields.h"

#include <gtest/gtest.h>

namespace corvath {
namespace {

TEST(RecordFields, NumberPairsReadAsTagsWriteThem)
{
    struct Case {
        std::string text;
        int number, total;
    };
    for (const Case& c : {
             Case{"3/12", 3, 12},
             Case{"7", 7, 0},
             Case{" 03 / 12 ", 3, 12},
             Case{"/12", 0, 12},
             Case{"3/", 3, 0},
             Case{"", 0, 0},
             Case{"x", 0, 0},
             Case{"-2/5", 0, 5},
             Case{"4a/9", 0, 9},
             Case{"99999999999/1", 0, 1},
         }) {
        SCOPED_TRACE(c.text);
        int number = -1;
        int total = -1;
        ReadNumberPair(c.text, number, total);
        EXPECT_EQ(number, c.number);
        EXPECT_EQ(total, c.total);
    }
    EXPECT_EQ(NumberPairText(3, 12), "3/12");
    EXPECT_EQ(NumberPairText(3, 0), "3");
    EXPECT_EQ(NumberPairText(0, 12), "") << "a total alone says nothing";
}

TEST(RecordFields, GapsAreFilledFieldByFieldAndNumbersWithTheirTotals)
{
    TrackRecord record;
    record.title = "From the first tag";
    record.trackNumber = 7;
    TrackRecord fallback;
    fallback.title = "From the second";
    fallback.album = "Album";
    fallback.musicBrainz.discId = "disc";
    fallback.trackNumber = 5;
    fallback.trackTotal = 9;
    fallback.discNumber = 1;
    fallback.discTotal = 2;
    fallback.cover = CoverPicture{"image/png", "png", 1, 1, 8};

    FillGaps(record, fallback);
    TrackRecord expected = fallback;
    expected.title = "From the first tag";
    expected.trackNumber = 7;
    expected.trackTotal = 0; // 5/9 is another track's total
    EXPECT_EQ(record, expected);
}

} // namespace
} // namespace corvath
