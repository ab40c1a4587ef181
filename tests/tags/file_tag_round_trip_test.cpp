// Every field the tag writer puts into a file must come back through ffprobe, through TagLib's
// own view of the format, and through our reader.
#include "support/cover_archive.h"
#include "support/run_command.h"
#include "support/tagged_files.h"
#include "tags/file_tag_reader.h"
#include "tags/file_tag_writer.h"

#include <apefile.h>
#include <asffile.h>
#include <attachedpictureframe.h>
#include <commentsframe.h>
#include <gtest/gtest.h>
#include <mpegfile.h>
#include <textidentificationframe.h>
#include <uniquefileidentifierframe.h>

namespace corvath {
namespace {

using std::filesystem::path;
using StringMap = std::map<std::string, std::string>;

struct FormatCase {
    const char* name;
    FileTagFormat format;
    /// What ffprobe shows of the full record, beside what the bare file showed already.
    StringMap probed;
    bool holdsTrackTotal = true;
};

class FileTagRoundTrip : public test::TaggedFileFixture,
                         public ::testing::WithParamInterface<FormatCase> {
protected:
    void SetUp() override
    {
        TaggedFileFixture::SetUp();
        for (const char* tool : {"ffmpeg", "ffprobe", "lame", "sox"}) {
            if (!test::HaveTool(tool))
                GTEST_SKIP() << tool << " is needed to make and read the files";
        }
    }

    // A file of the format without tags.
    path BareFile(FileTagFormat format)
    {
        switch (format) {
        case FileTagFormat::Id3v2:
            return LameMp3("bare.mp3");
        case FileTagFormat::Ape:
            return MacApe("bare.ape");
        case FileTagFormat::Wav:
            return test::Sox(dir_ / "bare.wav", "-b 16 -c 2 -r 44100", "1", "sine 440");
        case FileTagFormat::Asf:
            break;
        }
        return test::FfmpegTone(dir_ / "bare.wma", "-c:a wmav2");
    }
};

TEST_P(FileTagRoundTrip, EveryFieldComesBackThroughFfprobeAndOurReader)
{
    const path file = BareFile(GetParam().format);
    const StringMap before = test::ProbeTags(file);
    const TrackRecord record = test::FullRecord(JpegCover());
    WriteFileTags(file.string(), GetParam().format, record);

    StringMap expected = before;
    expected.insert(GetParam().probed.begin(), GetParam().probed.end());
    EXPECT_EQ(test::ProbeTags(file), expected);
    TrackRecord readBack = record;
    if (!GetParam().holdsTrackTotal)
        readBack.trackTotal = 0;
    EXPECT_EQ(ReadFileTags(file.string()), readBack);
    EXPECT_EQ(test::ProbeAttachedPicture(file), "codec_name=mjpeg\nDISPOSITION:attached_pic=1\n");
}

TEST_P(FileTagRoundTrip, WritingAgainReplacesEveryFieldAndEmptyOnesGo)
{
    const path file = BareFile(GetParam().format);
    const CoverPicture first = JpegCover();
    WriteFileTags(file.string(), GetParam().format, test::FullRecord(first));
    TrackRecord second;
    second.title = "Second";
    second.trackNumber = 4;
    second.cover = CoverPictureOf(test::RedSquare(dir_.path(), "png"));
    WriteFileTags(file.string(), GetParam().format, second);
    EXPECT_EQ(ReadFileTags(file.string()), second);

    const std::string bytes = test::ReadFile(file);
    const auto count = [&bytes](std::string_view what) {
        std::size_t found = 0;
        for (auto at = bytes.find(what); at != std::string::npos; at = bytes.find(what, at + 1))
            ++found;
        return found;
    };
    ASSERT_TRUE(second.cover.has_value());
    EXPECT_EQ(count(second.cover->data), 1u) << "one picture";
    EXPECT_EQ(count(first.data), 0u) << "the first picture is gone";
}

const FormatCase kFormats[] = {
    {"Mp3",
     FileTagFormat::Id3v2,
     {
         {"title", "Tïtle ✓ 東京"},
         {"artist", "Ärtist feat. Ōno"},
         {"album_artist", "Ärtist"},
         {"album", "Albüm – Live"},
         {"date", "2024-05-17"},
         {"genre", "Synthpop"},
         {"comment", "Ripped ✓"},
         {"track", "3/12"},
         {"disc", "1/2"},
         {"TSRC", "SEXYZ0300001"},
         {"MusicBrainz Album Id", "0b9f5a4c-8f0d-4d6e-9c0a-1a2b3c4d5e6f"},
         {"MusicBrainz Release Group Id", "1c2d3e4f-5a6b-4c7d-8e9f-0a1b2c3d4e5f"},
         {"MusicBrainz Album Artist Id", "2d3e4f5a-6b7c-4d8e-9f0a-1b2c3d4e5f6a"},
         {"MusicBrainz Artist Id", "3e4f5a6b-7c8d-4e9f-0a1b-2c3d4e5f6a7b"},
         {"MusicBrainz Release Track Id", "5a6b7c8d-9e0f-4a1b-2c3d-4e5f6a7b8c9d"},
         {"MusicBrainz Disc Id", "xL4mz9Rz2kq.uZ3vP1bYdWf0tH8-"},
     }},
    {"Ape",
     FileTagFormat::Ape,
     {
         {"Title", "Tïtle ✓ 東京"},
         {"Artist", "Ärtist feat. Ōno"},
         {"Album Artist", "Ärtist"},
         {"Album", "Albüm – Live"},
         {"Year", "2024-05-17"},
         {"Genre", "Synthpop"},
         {"Comment", "Ripped ✓"},
         {"Track", "3/12"},
         {"Disc", "1/2"},
         {"ISRC", "SEXYZ0300001"},
         {"MUSICBRAINZ_TRACKID", "4f5a6b7c-8d9e-4f0a-1b2c-3d4e5f6a7b8c"},
         {"MUSICBRAINZ_RELEASETRACKID", "5a6b7c8d-9e0f-4a1b-2c3d-4e5f6a7b8c9d"},
         {"MUSICBRAINZ_ALBUMID", "0b9f5a4c-8f0d-4d6e-9c0a-1a2b3c4d5e6f"},
         {"MUSICBRAINZ_RELEASEGROUPID", "1c2d3e4f-5a6b-4c7d-8e9f-0a1b2c3d4e5f"},
         {"MUSICBRAINZ_ARTISTID", "3e4f5a6b-7c8d-4e9f-0a1b-2c3d4e5f6a7b"},
         {"MUSICBRAINZ_ALBUMARTISTID", "2d3e4f5a-6b7c-4d8e-9f0a-1b2c3d4e5f6a"},
         {"MUSICBRAINZ_DISCID", "xL4mz9Rz2kq.uZ3vP1bYdWf0tH8-"},
     }},
    {"Wma",
     FileTagFormat::Asf,
     {
         {"title", "Tïtle ✓ 東京"},
         {"artist", "Ärtist feat. Ōno"},
         {"album_artist", "Ärtist"},
         {"album", "Albüm – Live"},
         {"WM/Year", "2024-05-17"},
         {"genre", "Synthpop"},
         {"comment", "Ripped ✓"},
         {"track", "3"},
         {"disc", "1/2"},
         {"WM/ISRC", "SEXYZ0300001"},
         {"MusicBrainz/Track Id", "4f5a6b7c-8d9e-4f0a-1b2c-3d4e5f6a7b8c"},
         {"MusicBrainz/Release Track Id", "5a6b7c8d-9e0f-4a1b-2c3d-4e5f6a7b8c9d"},
         {"MusicBrainz/Album Id", "0b9f5a4c-8f0d-4d6e-9c0a-1a2b3c4d5e6f"},
         {"MusicBrainz/Release Group Id", "1c2d3e4f-5a6b-4c7d-8e9f-0a1b2c3d4e5f"},
         {"MusicBrainz/Artist Id", "3e4f5a6b-7c8d-4e9f-0a1b-2c3d4e5f6a7b"},
         {"MusicBrainz/Album Artist Id", "2d3e4f5a-6b7c-4d8e-9f0a-1b2c3d4e5f6a"},
         {"MusicBrainz/Disc Id", "xL4mz9Rz2kq.uZ3vP1bYdWf0tH8-"},
     },
     false},
    {"Wav",
     FileTagFormat::Wav,
     {
         {"title", "Tïtle ✓ 東京"},
         {"artist", "Ärtist feat. Ōno"},
         {"album", "Albüm – Live"},
         {"date", "2024-05-17"},
         {"genre", "Synthpop"},
         {"comment", "Ripped ✓"},
         {"track", "3"},
     }},
};

INSTANTIATE_TEST_SUITE_P(Formats, FileTagRoundTrip, ::testing::ValuesIn(kFormats),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace corvath
