#include "tags/vorbis_tags.h"

#include <gtest/gtest.h>

namespace corvath {
namespace {

TEST(VorbisTags, AFullRecordGivesEveryFieldInPlayersOrder)
{
    TrackRecord record;
    record.title = "Intro";
    record.trackNumber = 3;
    record.trackTotal = 12;
    record.discNumber = 2;
    record.discTotal = 2;
    record.artist = "Ane Brun feat. José";
    record.albumArtist = "Ane Brun";
    record.album = "Live";
    record.date = "2003-05-17";
    record.genre = "Folk";
    record.comment = "ripped by me";
    record.isrc = "SEXYZ0300001";
    record.musicBrainz = {"album",     "group",        "albumartist", "artist",
                          "recording", "releasetrack", "disc"};
    TVorbisTags tags;
    FillVorbisTags(tags, record);
    EXPECT_EQ(tags.CommentLines(), (std::vector<std::string>{
                                       "TITLE=Intro",
                                       "ARTIST=Ane Brun feat. José",
                                       "ALBUMARTIST=Ane Brun",
                                       "ALBUM=Live",
                                       "DATE=2003-05-17",
                                       "GENRE=Folk",
                                       "TRACKNUMBER=3",
                                       "TRACKTOTAL=12",
                                       "DISCNUMBER=2",
                                       "DISCTOTAL=2",
                                       "COMMENT=ripped by me",
                                       "ISRC=SEXYZ0300001",
                                       "MUSICBRAINZ_TRACKID=recording",
                                       "MUSICBRAINZ_RELEASETRACKID=releasetrack",
                                       "MUSICBRAINZ_ALBUMID=album",
                                       "MUSICBRAINZ_RELEASEGROUPID=group",
                                       "MUSICBRAINZ_ARTISTID=artist",
                                       "MUSICBRAINZ_ALBUMARTISTID=albumartist",
                                       "MUSICBRAINZ_DISCID=disc",
                                   }));
    EXPECT_EQ(tags.Title(), "Intro");
    EXPECT_EQ(tags.Track(), "3");
}

TEST(VorbisTags, UnknownFieldsWriteNothingAndANewRecordReplacesTheOld)
{
    TVorbisTags tags;
    tags.SetAlbum("Kept from before?");
    TrackRecord record;
    record.title = "Only a title";
    FillVorbisTags(tags, record);
    EXPECT_EQ(tags.CommentLines(), std::vector<std::string>{"TITLE=Only a title"});

    FillVorbisTags(tags, TrackRecord{});
    EXPECT_TRUE(tags.CommentLines().empty());
    EXPECT_TRUE(tags.Empty());
}

} // namespace
} // namespace corvath
