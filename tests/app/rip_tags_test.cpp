// What a music library reads of ripped files: every format, a title and number per track, the
// disc's fields in their places, the cover, and what a MusicBrainz release added.

#include "app/disc_session.h"
#include "codecs/mp3/lame_library.h"
#include "lookup/cover_cache.h"
#include "platform/cdrom/cd_drive_interface.h"
#include "platform/text/ascii_case.h"
#include "rip_batch_fixture.h"
#include "support/cover_archive.h"
#include "support/run_command.h"
#include "support/tagged_files.h"
#include "tags/file_tag_reader.h"
#include "tags/genre_names.h"

#include <gtest/gtest.h>

namespace corvath {
namespace {

namespace fs = std::filesystem;

constexpr const char* kTitles[] = {"Intro", "Zwei – Ünter", "Outro"};

class RippedTags : public test::RipBatchTest, public ::testing::WithParamInterface<OutputFormat> {
protected:
    void SetUp() override
    {
        RipBatchTest::SetUp();
        if (!test::HaveTool("ffprobe"))
            GTEST_SKIP() << "ffprobe reads the files back";
    }

    // Rips the three tracks of a disc whose cover is cached, with the disc fields typed.
    void RipTypedDisc(const ReleaseDetails& release = {}, int discNumber = 0, int discTotal = 0)
    {
        OpenDisc({20, 12, 16});
        CdToc toc;
        ASSERT_TRUE(ModifyCDParms(disc_.get(), kCdParmMsfAddresses, 1));
        ASSERT_EQ(ReadTOC(disc_.get(), toc), 1);
        trackTotal_ = AudioTrackTotal(toc);
        jpeg_ = test::RedSquare(dir_.path(), "jpg");
        StoreCover(DiscKeyOf(toc), *CoverPictureOf(jpeg_));
        std::vector<RipEntry> tracks;
        for (int number = 1; number <= 3; ++number)
            tracks.push_back({number, kTitles[number - 1]});
        Rip(tracks, GetParam(),
            {"The Artist", "The Album", "1999", GenreIndexOf("Rock") + 1, "ripped by me",
             discNumber, discTotal},
            release);
    }

    fs::path TrackFile(int number) const
    {
        return Output(std::string(kTitles[number - 1]) + "." +
                      std::string(InfoOf(GetParam()).extension));
    }

    const test::CoverCacheIn cache_{dir_ / "cache"};
    std::string jpeg_;
};

// ffprobe's name for a field in this file, of those the formats use.
std::string Probed(const std::map<std::string, std::string>& tags,
                   std::initializer_list<const char*> names)
{
    for (const char* name : names) {
        for (const auto& [key, value] : tags) {
            if (EqualIgnoringCase(key, name))
                return value;
        }
    }
    return "(none)";
}

TEST_P(RippedTags, EachTrackHasItsOwnTitleAndNumberAndTheDiscFieldsInTheirPlaces)
{
    RipTypedDisc();
    const bool totals = GetParam() != OutputFormat::WMA; // WMA has no field for the total
    for (int number = 1; number <= 3; ++number) {
        SCOPED_TRACE(number);
        const fs::path file = TrackFile(number);
        const TrackRecord read = ReadFileTags(file.string());
        EXPECT_EQ(read.title, kTitles[number - 1]);
        EXPECT_EQ(read.trackNumber, number);
        EXPECT_EQ(read.trackTotal, totals ? 3 : 0);
        EXPECT_EQ(read.artist, "The Artist");
        EXPECT_EQ(read.album, "The Album");
        EXPECT_EQ(read.date, "1999");
        EXPECT_EQ(read.genre, "Rock");
        EXPECT_EQ(read.comment, "ripped by me");
        EXPECT_EQ(read.discNumber, 0) << "one disc is no set";
        ASSERT_TRUE(read.cover);
        EXPECT_EQ(read.cover->data, jpeg_);

        const auto probed = test::ProbeTags(file);
        EXPECT_EQ(Probed(probed, {"title"}), kTitles[number - 1]);
        EXPECT_EQ(Probed(probed, {"artist"}), "The Artist");
        EXPECT_EQ(Probed(probed, {"album"}), "The Album");
        EXPECT_EQ(Probed(probed, {"date", "year", "WM/Year"}), "1999");
        EXPECT_EQ(Probed(probed, {"genre"}), "Rock");
        EXPECT_EQ(Probed(probed, {"comment", "description"}), "ripped by me");
        EXPECT_EQ(std::stoi(Probed(probed, {"track"})), number);
        EXPECT_NE(test::ProbeAttachedPicture(file).find("attached_pic=1"), std::string::npos);
    }
}

INSTANTIATE_TEST_SUITE_P(EveryFormat, RippedTags,
                         ::testing::Values(OutputFormat::MP3, OutputFormat::WAV, OutputFormat::OGG,
                                           OutputFormat::WMA, OutputFormat::FLAC, OutputFormat::APE,
                                           OutputFormat::OPUS),
                         [](const auto& format) { return std::string(InfoOf(format.param).name); });

class RippedMp3Tags : public RippedTags {};

class RippedTagsInFolders : public test::RipBatchTest {
protected:
    const test::CoverCacheIn cache_{dir_ / "cache"};
};

TEST_P(RippedMp3Tags, AnId3v2TagComesFirstAndTheId3v1TagLast)
{
    RipTypedDisc();
    const std::string mp3 = test::ReadFile(TrackFile(2));
    ASSERT_GT(mp3.size(), 256u);
    EXPECT_EQ(mp3.substr(0, 4), std::string("ID3\x04", 4)) << "ID3v2.4 at the start";
    const std::string v1 = mp3.substr(mp3.size() - 128);
    EXPECT_EQ(v1.substr(0, 3), "TAG");
    // ID3v1 holds Latin-1: the title's "–" is not in it.
    EXPECT_EQ(v1.substr(33, 10), std::string("The Artist"));
    EXPECT_EQ(static_cast<uint8_t>(v1[126]), 2) << "the track byte";
    EXPECT_EQ(test::RunCommand("ffprobe -v error -show_entries format_tags=title -of "
                               "default=nw=1:nk=1 " +
                               test::Quoted(TrackFile(2))),
              std::string(kTitles[1]) + "\n")
        << "players read the ID3v2 tag first";
}

INSTANTIATE_TEST_SUITE_P(Mp3, RippedMp3Tags, ::testing::Values(OutputFormat::MP3));

// A release applied before the rip names the album, the disc's place in its set and each track.
TEST_P(RippedTags, AReleaseAddsItsIdentifiersAndTheDiscsPlaceInTheSet)
{
    ReleaseDetails release;
    release.albumArtist = "The Artist";
    release.albumId = "6f8c1b0e-3d3c-4bb5-a2b5-1f6b7b6c0a01";
    release.discId = "49HHV7Eb8UKF3aQiNmu1GR8vKTY-";
    release.tracks = {{"", "", "aa1", "bb1", "GBAYE0000001"},
                      {"Guest", "", "aa2", "bb2", ""},
                      {"", "", "aa3", "bb3", ""}};
    RipTypedDisc(release, 2, 2);
    const TrackRecord first = ReadFileTags(TrackFile(1).string());
    EXPECT_EQ(first.musicBrainz.albumId, release.albumId);
    EXPECT_EQ(first.discNumber, 2);
    EXPECT_EQ(first.discTotal, 2);
    EXPECT_EQ(first.isrc, "GBAYE0000001");
    EXPECT_EQ(first.musicBrainz.recordingId, "aa1");
    EXPECT_EQ(first.albumArtist, "The Artist");
    const TrackRecord second = ReadFileTags(TrackFile(2).string());
    EXPECT_EQ(second.artist, "Guest");
    EXPECT_EQ(second.albumArtist, "The Artist");
}

// A pattern puts each track where a library looks for it, with the log, the cue sheet and the
// cover beside the files; titles a file system cannot take become safe names.
TEST_F(RippedTagsInFolders, APatternMakesTheFoldersAndTheReportsFollow)
{
    OpenDisc({20, 12, 16});
    CdToc toc;
    ASSERT_TRUE(ModifyCDParms(disc_.get(), kCdParmMsfAddresses, 1));
    ASSERT_EQ(ReadTOC(disc_.get(), toc), 1);
    StoreCover(DiscKeyOf(toc), *CoverPictureOf(test::RedSquare(dir_.path(), "jpg")));
    namePattern_ = "%albumartist%/%album%/%track% - %title%";
    trackTotal_ = 3;
    Rip({{1, "One"}, {2, "Why? Not: now."}, {3, "One"}}, OutputFormat::FLAC,
        {"Artist", "Album", "", -1, ""});
    const fs::path album = Output("Artist/Album");
    for (const char* file : {"01 - One.flac", "02 - Why_ Not_ now.flac", "03 - One.flac",
                             "folder.jpg", "Artist - Album.log", "Artist - Album.cue"})
        EXPECT_TRUE(fs::exists(album / file)) << file;
    EXPECT_FALSE(fs::exists(album / "01 - One.wav")) << "the WAVs go after encoding";
    const std::string cue = test::ReadFile(album / "Artist - Album.cue");
    EXPECT_NE(cue.find("FILE \"02 - Why_ Not_ now.flac\""), std::string::npos) << cue;
    EXPECT_NE(test::ReadFile(album / "Artist - Album.log").find("03 - One.flac"),
              std::string::npos);
}

// Two tracks named alike: the second gets " (2)", whatever the pattern.
TEST_F(RippedTagsInFolders, TheTitleAlonePatternNamesAsBeforeAndAlikeNamesAreKeptApart)
{
    OpenDisc({20, 12});
    Rip({{1, "Same"}, {2, "Same"}}, OutputFormat::WAV);
    EXPECT_TRUE(fs::exists(Output("Same.wav")));
    EXPECT_TRUE(fs::exists(Output("Same (2).wav")));
    namePattern_ = "%album%/x";
    view_ = test::RecordingView{};
    Rip({{1, "Same"}, {2, "Other"}}, OutputFormat::WAV);
    EXPECT_TRUE(fs::exists(Output("Album/x.wav")));
    EXPECT_TRUE(fs::exists(Output("Album/x (2).wav")));
}

// Each format's files go below a folder of its name, encoded from the same WAVs; a format whose
// encoder cannot be loaded fails on its own, and the WAVs stay for it.
TEST_F(RippedTagsInFolders, SeveralFormatsFromOneRipAndAFormatThatFailsAlone)
{
    if (!test::HaveTool("ffprobe"))
        GTEST_SKIP() << "ffprobe reads the files back";
    OpenDisc({20, 12});
    namePattern_ = "%album%/%track% %title%";
    alsoWrite_ = {OutputFormat::MP3, OutputFormat::OPUS};
    const auto ripBothTracks = [&] {
        view_ = test::RecordingView{};
        Rip({{1, "One"}, {2, "Two"}}, OutputFormat::FLAC, {"Band", "Album", "", -1, ""});
    };
    const auto probedFormat = [](const fs::path& file) {
        return test::RunCommand("ffprobe -v error -show_entries format=format_name -of csv=p=0 " +
                                test::Quoted(file));
    };
    ripBothTracks();
    for (const char* track : {"01 One", "02 Two"}) {
        EXPECT_EQ(probedFormat(Output("FLAC/Album") / (std::string(track) + ".flac")), "flac\n");
        EXPECT_EQ(probedFormat(Output("MP3/Album") / (std::string(track) + ".mp3")), "mp3\n");
        EXPECT_EQ(probedFormat(Output("OPUS/Album") / (std::string(track) + ".opus")), "ogg\n");
        EXPECT_FALSE(fs::exists(Output("FLAC/Album") / (std::string(track) + ".wav")));
    }
    EXPECT_EQ(view_.lines.back(), "close") << "no failure to sum up";

    fs::remove_all(dir_ / "out");
    LameLibrary().SetFileName("libmissing-lame.so.0");
    ripBothTracks();
    LameLibrary().SetFileName("libmp3lame.so.0");
    const std::string reason = "MP3: libmissing-lame.so.0 library could not be loaded.";
    const std::vector<std::string>& lines = view_.lines;
    EXPECT_EQ(
        std::vector<std::string>(lines.end() - 3, lines.end()),
        (std::vector<std::string>{"failed One: " + reason, "failed Two: " + reason, "close"}));
    for (const char* track : {"01 One", "02 Two"}) {
        EXPECT_EQ(probedFormat(Output("FLAC/Album") / (std::string(track) + ".flac")), "flac\n");
        EXPECT_EQ(probedFormat(Output("OPUS/Album") / (std::string(track) + ".opus")), "ogg\n");
        EXPECT_TRUE(fs::exists(Output("FLAC/Album") / (std::string(track) + ".wav")))
            << "the WAV is all there is for the MP3 file";
    }
    EXPECT_FALSE(fs::exists(Output("MP3")));
}

} // namespace
} // namespace corvath
