#include "platform/text/ascii_case.h"
#include "rip_batch_fixture.h"
#include "support/audio_tools.h"
#include "support/loudness_vectors.h"
#include "support/run_command.h"
#include "support/tagged_files.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>

namespace corvath {
namespace {

namespace fs = std::filesystem;

// A tag's value by its name in any case, as the formats spell them; "" when there is none.
std::string TagOf(const std::map<std::string, std::string>& tags, const std::string& name)
{
    for (const auto& [key, value] : tags) {
        if (EqualIgnoringCase(key, name))
            return value;
    }
    return {};
}

// "-6.91 dB" as a number.
double Decibels(const std::string& gain)
{
    EXPECT_TRUE(gain.ends_with(" dB")) << gain;
    return gain.empty() ? std::nan("") : std::stod(gain);
}

class RipLoudnessTest : public test::RipBatchTest {
protected:
    void SetUp() override
    {
        RipBatchTest::SetUp();
        if (!test::HaveTool("ffmpeg") || !test::HaveTool("ffprobe"))
            GTEST_SKIP() << "ffmpeg measures the signals and ffprobe reads the files back";
    }

    // A disc of the three album signals, 10 s each: a 1 kHz tone, a 440 Hz tone, pink noise.
    std::vector<fs::path> OpenAlbumDisc()
    {
        std::vector<fs::path> wavs;
        std::vector<test::ImageTrack> tracks;
        int number = 0;
        for (const char* source :
             {test::kTone1kSource, test::kTone440Source, test::kPinkNoiseSource}) {
            const fs::path wav =
                test::LavfiWav(dir_ / ("source" + std::to_string(++number) + ".wav"), source);
            const std::string pcm = test::WaveData(wav);
            tracks.push_back({std::vector<uint8_t>(pcm.begin(), pcm.end())});
            wavs.push_back(wav);
        }
        OpenDiscOf(tracks);
        return wavs;
    }
};

// Each format's files carry the track's gain and peak as ffmpeg measures the track, and the
// album's as ffmpeg measures the three tracks joined; Opus files carry the R128 gains alone.
TEST_F(RipLoudnessTest, EveryFormatCarriesTheTrackAndAlbumGainsOtherProgramsMeasure)
{
    const std::vector<fs::path> sources = OpenAlbumDisc();
    replayGain_ = ReplayGainMode::Album;
    alsoWrite_ = {OutputFormat::MP3, OutputFormat::OGG, OutputFormat::WMA, OutputFormat::APE,
                  OutputFormat::OPUS};
    const std::vector<std::string> titles = {"One", "Two", "Three"};
    ASSERT_NO_FATAL_FAILURE(
        Rip({{1, titles[0]}, {2, titles[1]}, {3, titles[2]}}, OutputFormat::FLAC));

    std::string list;
    for (const fs::path& source : sources)
        list += "file '" + source.string() + "'\n";
    test::WriteFile(dir_ / "list.txt", list);
    test::RunCommand("ffmpeg -nostdin -v error -y -f concat -safe 0 -i " +
                     test::Quoted(dir_ / "list.txt") + " -c copy " +
                     test::Quoted(dir_ / "joined.wav") + " 2>&1");
    const test::FfmpegLoudness album = test::FfmpegMeasure(dir_ / "joined.wav");

    for (const OutputFormat format : {OutputFormat::FLAC, OutputFormat::MP3, OutputFormat::OGG,
                                      OutputFormat::WMA, OutputFormat::APE, OutputFormat::OPUS}) {
        const OutputFormatInfo& info = InfoOf(format);
        for (std::size_t track = 0; track < titles.size(); ++track) {
            const fs::path file = Output(std::string(info.name)) /
                                  (titles[track] + "." + std::string(info.extension));
            SCOPED_TRACE(file.string());
            const std::map<std::string, std::string> tags = test::ProbeTags(file);
            const test::FfmpegLoudness expected = test::FfmpegMeasure(sources[track]);
            if (format == OutputFormat::OPUS) {
                EXPECT_NEAR(std::stoi(TagOf(tags, "R128_TRACK_GAIN")), (-23 - expected.lufs) * 256,
                            0.1 * 256);
                EXPECT_NEAR(std::stoi(TagOf(tags, "R128_ALBUM_GAIN")), (-23 - album.lufs) * 256,
                            0.1 * 256);
                EXPECT_EQ(TagOf(tags, "REPLAYGAIN_TRACK_GAIN"), "") << "no second scheme";
                continue;
            }
            EXPECT_NEAR(Decibels(TagOf(tags, "REPLAYGAIN_TRACK_GAIN")), -18 - expected.lufs, 0.1);
            EXPECT_NEAR(std::stod(TagOf(tags, "REPLAYGAIN_TRACK_PEAK")), expected.peak, 0.001);
            EXPECT_NEAR(Decibels(TagOf(tags, "REPLAYGAIN_ALBUM_GAIN")), -18 - album.lufs, 0.1);
            EXPECT_NEAR(std::stod(TagOf(tags, "REPLAYGAIN_ALBUM_PEAK")), album.peak, 0.001);
        }
    }
    const std::string log = test::ReadFile(Output("FLAC/Band - Album.log"));
    for (const char* line :
         {"\nAlbum gain: -6.91 dB, peak: 0.501190\n", "\n  Track gain: 1.99 dB, peak: 0.100006\n",
          "\n  Track gain: -11.32 dB, peak: 0.501190\n",
          "\n  Track gain: 2.72 dB, peak: 0.290771\n"})
        EXPECT_NE(log.find(line), std::string::npos) << line << " in " << log;
}

TEST_F(RipLoudnessTest, TrackGainAloneOrNoneAtAll)
{
    OpenDisc({200, 100});
    const auto tagsOfFirst = [&](ReplayGainMode mode) {
        fs::remove_all(dir_ / "out");
        replayGain_ = mode;
        view_ = test::RecordingView{};
        Rip({{1, "One"}, {2, "Two"}}, OutputFormat::OGG);
        return test::ProbeTags(Output("One.ogg"));
    };
    std::map<std::string, std::string> tags = tagsOfFirst(ReplayGainMode::Track);
    EXPECT_NE(TagOf(tags, "REPLAYGAIN_TRACK_GAIN"), "");
    EXPECT_EQ(TagOf(tags, "REPLAYGAIN_ALBUM_GAIN"), "");
    tags = tagsOfFirst(ReplayGainMode::Off);
    EXPECT_EQ(TagOf(tags, "REPLAYGAIN_TRACK_GAIN"), "");
    EXPECT_EQ(TagOf(tags, "TITLE"), "One");
    EXPECT_EQ(test::ReadFile(Output("Band - Album.log")).find("gain"), std::string::npos);
}

} // namespace
} // namespace corvath
