#include "app/track_records.h"
#include "tags/genre_names.h"

#include <gtest/gtest.h>

namespace corvath {
namespace {

const TDiscFields kDisc{"The Artist", "The Album", "1999", GenreIndexOf("Rock") + 1, "my rip"};

TEST(RippedTrackRecord, WithoutAReleaseTheDiscFieldsAndTheTrackOnly)
{
    const TrackRecord record = RippedTrackRecord({1, "Second", 2, 12}, kDisc, {});
    TrackRecord expected;
    expected.title = "Second";
    expected.trackNumber = 2;
    expected.trackTotal = 12;
    expected.artist = "The Artist";
    expected.album = "The Album";
    expected.date = "1999";
    expected.genre = "Rock";
    expected.comment = "my rip";
    EXPECT_EQ(record, expected) << "no album artist, disc number or identifiers";
}

TEST(RippedTrackRecord, AReleaseAddsTheIdentifiersAndAGuestsOwnArtistTheFieldsTheSet)
{
    ReleaseDetails release;
    release.albumArtist = "MusicBrainz's spelling";
    release.albumId = "album";
    release.albumArtistId = "artist-id";
    release.tracks = {{"", "", "rec-1", "rt-1", "ISRC1"},
                      {"Guest", "guest-id", "rec-2", "rt-2", ""}};

    TDiscFields disc = kDisc;
    disc.DiscNumber = 2;
    disc.DiscTotal = 2;
    const TrackRecord first = RippedTrackRecord({0, "One", 1, 2}, disc, release);
    EXPECT_EQ(first.artist, "The Artist");
    EXPECT_EQ(first.albumArtist, "The Artist") << "the field as shown, which the user may fix";
    EXPECT_EQ(first.discNumber, 2);
    EXPECT_EQ(first.discTotal, 2);
    EXPECT_EQ(first.isrc, "ISRC1");
    EXPECT_EQ(first.musicBrainz.artistId, "artist-id");
    EXPECT_EQ(first.musicBrainz.recordingId, "rec-1");
    EXPECT_EQ(first.musicBrainz.albumId, "album");

    const TrackRecord second = RippedTrackRecord({1, "Two", 2, 2}, disc, release);
    EXPECT_EQ(second.artist, "Guest");
    EXPECT_EQ(second.albumArtist, "The Artist");
    EXPECT_EQ(second.musicBrainz.artistId, "guest-id");

    // A row the release does not reach, and a disc alone in its set.
    disc.DiscNumber = 1;
    disc.DiscTotal = 1;
    const TrackRecord third = RippedTrackRecord({2, "Three", 3, 3}, disc, release);
    EXPECT_EQ(third.artist, "The Artist");
    EXPECT_EQ(third.musicBrainz.recordingId, "");
    EXPECT_EQ(third.discNumber, 0);
    // Of a set whose size nobody told, the number counts.
    disc.DiscNumber = 2;
    disc.DiscTotal = 0;
    EXPECT_EQ(RippedTrackRecord({0, "One", 1, 3}, disc, {}).discNumber, 2);
}

TEST(ConvertedTrackRecord, TheInputsTagsFirstTheDiscFieldsForWhatTheyLack)
{
    struct Case {
        const char* what;
        TrackRecord own;
        TrackRecord expected;
    };
    TrackRecord tagged;
    tagged.title = "Song";
    tagged.trackNumber = 7;
    tagged.artist = "Own Artist";
    tagged.comment = "own comment";
    TrackRecord taggedFilled = tagged;
    taggedFilled.album = "The Album";
    taggedFilled.date = "1999";
    taggedFilled.genre = "Rock";
    TrackRecord untagged;
    untagged.title = "take 3";
    untagged.artist = "The Artist";
    untagged.album = "The Album";
    untagged.date = "1999";
    untagged.genre = "Rock";
    untagged.comment = "my rip";
    for (const Case& c : {Case{"tagged", tagged, taggedFilled}, Case{"untagged", {}, untagged}}) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(ConvertedTrackRecord(c.own, kDisc, "/music/in/take 3.wav"), c.expected);
    }
}

} // namespace
} // namespace corvath
