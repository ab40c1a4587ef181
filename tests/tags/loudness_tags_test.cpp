// Loudness tags written into files made by other tools, read back by ffprobe.
#include "platform/text/ascii_case.h"
#include "support/tagged_files.h"
#include "tags/file_tag_writer.h"
#include "tags/loudness_tags.h"

#include <gtest/gtest.h>
#include <stdexcept>

namespace corvath {
namespace {

using std::filesystem::path;
using StringMap = std::map<std::string, std::string>;

// The measurements of the 1 kHz tone, the 440 Hz tone and the album of the test signals.
constexpr Loudness kTone1k{-19.990456, 0.100006};
constexpr Loudness kTone440{-6.679102, 0.501190};
constexpr Loudness kAlbum{-11.091685, 0.501190};

// The value ffprobe shows for the name, case ignored; "" without one.
std::string TagOf(const StringMap& tags, const std::string& name)
{
    for (const auto& [key, value] : tags) {
        if (EqualIgnoringCase(key, name))
            return value;
    }
    return "";
}

class LoudnessTagsTest : public test::TaggedFileFixture {
protected:
    void SetUp() override
    {
        TaggedFileFixture::SetUp();
        for (const char* tool : {"ffmpeg", "ffprobe", "lame", "sox"}) {
            if (!test::HaveTool(tool))
                GTEST_SKIP() << tool << " is needed to make the files";
        }
    }

    /// A one-second file of the format titled "Song"; the Opus file carries a ReplayGain gain
    /// from before.
    path SongFile(LoudnessTagFormat format)
    {
        const std::string title = " -metadata title=Song";
        switch (format) {
        case LoudnessTagFormat::Flac:
            return test::FfmpegTone(dir_ / "song.flac", "-c:a flac" + title);
        case LoudnessTagFormat::OggVorbis:
            return test::FfmpegTone(dir_ / "song.ogg", "-c:a libvorbis" + title);
        case LoudnessTagFormat::Opus:
            return test::FfmpegTone(dir_ / "song.opus", "-c:a libopus -metadata "
                                                        "REPLAYGAIN_TRACK_GAIN='-1.00 dB'" +
                                                            title);
        case LoudnessTagFormat::Mp3:
            return LameMp3("song.mp3", "--add-id3v2 --tt Song");
        case LoudnessTagFormat::Ape: {
            const path ape = MacApe("song.ape");
            TrackRecord record;
            record.title = "Song";
            WriteFileTags(ape.string(), FileTagFormat::Ape, record);
            return ape;
        }
        case LoudnessTagFormat::Wma:
            break;
        }
        return test::FfmpegTone(dir_ / "song.wma", "-c:a wmav2" + title);
    }
};

TEST_F(LoudnessTagsTest, TrackThenAlbumValuesInEachFormat)
{
    struct Case {
        LoudnessTagFormat format;
        const char* name;
    };
    const Case cases[] = {
        {LoudnessTagFormat::Flac, "FLAC"}, {LoudnessTagFormat::OggVorbis, "Ogg Vorbis"},
        {LoudnessTagFormat::Opus, "Opus"}, {LoudnessTagFormat::Mp3, "MP3"},
        {LoudnessTagFormat::Ape, "APE"},   {LoudnessTagFormat::Wma, "WMA"},
    };
    const StringMap replayGainTrackOnly = {{"REPLAYGAIN_TRACK_GAIN", "-11.32 dB"},
                                           {"REPLAYGAIN_TRACK_PEAK", "0.501190"},
                                           {"REPLAYGAIN_ALBUM_GAIN", ""},
                                           {"REPLAYGAIN_ALBUM_PEAK", ""}};
    const StringMap replayGainBoth = {{"REPLAYGAIN_TRACK_GAIN", "1.99 dB"},
                                      {"REPLAYGAIN_TRACK_PEAK", "0.100006"},
                                      {"REPLAYGAIN_ALBUM_GAIN", "-6.91 dB"},
                                      {"REPLAYGAIN_ALBUM_PEAK", "0.501190"}};
    const StringMap noR128 = {{"R128_TRACK_GAIN", ""}, {"R128_ALBUM_GAIN", ""}};
    const StringMap r128TrackOnly = {{"R128_TRACK_GAIN", "-4178"}, {"R128_ALBUM_GAIN", ""}};
    const StringMap r128Both = {{"R128_TRACK_GAIN", "-770"}, {"R128_ALBUM_GAIN", "-3049"}};
    StringMap noReplayGain;
    for (const auto& [name, value] : replayGainBoth)
        noReplayGain[name] = "";

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const bool opus = c.format == LoudnessTagFormat::Opus;
        const path file = SongFile(c.format);
        const std::string before = test::ReadFile(file);
        const std::string lastBytes = before.substr(before.size() - 128);
        if (opus) {
            ASSERT_EQ(TagOf(test::ProbeTags(file), "REPLAYGAIN_TRACK_GAIN"), "-1.00 dB");
        }

        const auto expectTags = [&](const StringMap& replayGain, const StringMap& r128) {
            const StringMap tags = test::ProbeTags(file);
            for (const StringMap* expected : {&replayGain, &r128}) {
                for (const auto& [name, value] : *expected)
                    EXPECT_EQ(TagOf(tags, name), value) << name;
            }
            EXPECT_EQ(TagOf(tags, "title"), "Song");
        };
        // A first track value is replaced by the second; the album's joins them later.
        WriteLoudnessTags(file.string(), c.format, kTone1k, std::nullopt);
        WriteLoudnessTags(file.string(), c.format, kTone440, std::nullopt);
        expectTags(opus ? noReplayGain : replayGainTrackOnly, opus ? r128TrackOnly : noR128);
        WriteLoudnessTags(file.string(), c.format, kTone1k, kAlbum);
        WriteLoudnessTags(file.string(), c.format, std::nullopt, kAlbum);
        expectTags(opus ? noReplayGain : replayGainBoth, opus ? r128Both : noR128);

        if (c.format == LoudnessTagFormat::Mp3) {
            const std::string after = test::ReadFile(file);
            ASSERT_TRUE(lastBytes.starts_with("TAG"));
            EXPECT_EQ(after.substr(after.size() - 128), lastBytes) << "the ID3v1 tag changed";
        }
    }
}

TEST_F(LoudnessTagsTest, RefusesAFileOfAnotherFormat)
{
    const path file = SongFile(LoudnessTagFormat::Flac);
    try {
        WriteLoudnessTags(file.string(), LoudnessTagFormat::Opus, kTone1k, std::nullopt);
        ADD_FAILURE() << "wrote Opus tags into a FLAC file";
    } catch (const std::runtime_error& refused) {
        EXPECT_EQ(std::string(refused.what()),
                  "Cannot write the tags of " + file.string() + ": it is not an Opus file");
    }
    EXPECT_THROW(WriteLoudnessTags((dir_ / "missing.flac").string(), LoudnessTagFormat::Flac,
                                   kTone1k, std::nullopt),
                 std::runtime_error);
}

} // namespace
} // namespace corvath
