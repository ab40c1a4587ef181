#include "app/conversion_chain.h"
#include "codecs/startup_libraries.h"
#include "support/audio_tools.h"
#include "support/run_command.h"

#include <gtest/gtest.h>

namespace corvath {
namespace {

using test::Quoted;
using test::RunCommand;

class ConversionChainTest : public test::AudioRunFixture {
protected:
    void SetUp() override
    {
        AudioRunFixture::SetUp();
        if (!test::HaveTool("sox") || !test::HaveTool("ffmpeg") || !test::HaveTool("ffprobe"))
            GTEST_SKIP() << "sox and ffmpeg make the inputs, ffprobe reads the outputs";
    }

    // "codec_name,sample_rate,channels,duration" of the file's audio stream as ffprobe sees it.
    static std::string Probe(const std::filesystem::path& file)
    {
        return RunCommand("ffprobe -v error -select_streams a:0 -show_entries "
                          "stream=codec_name,sample_rate,channels:format=duration -of csv=p=0 " +
                          Quoted(file) + " | tr '\\n' ','");
    }

    static double Seconds(const std::filesystem::path& file)
    {
        return std::stod(RunCommand("ffprobe -v error -show_entries format=duration -of "
                                    "default=nw=1:nk=1 " +
                                    Quoted(file)));
    }

    StartupCodecLibraries libraries_;
    CodecOptions settings_;
};

TEST_F(ConversionChainTest, ChangesRateSizeAndChannelsOnTheWay)
{
    const auto input = test::Sox(dir_ / "in.wav", "-b 16 -c 2 -r 44100", "1", "sine 440");
    ConversionChain chain(OutputFormat::WAV, false, {22050, 8, 1}, settings_);
    const auto target = dir_ / "out.wav";
    ASSERT_EQ(chain.Prepare(input.string(), target.string(), {}), "");
    ASSERT_EQ(Run(chain.Sink()), "");

    EXPECT_EQ(Probe(target).substr(0, 15), "pcm_u8,22050,1,");
    EXPECT_NEAR(Seconds(target), 1.0, 0.01);
}

// Each input kind has its reader, chosen by the extension in any case; an input that cannot be
// read is named and the chain goes on with the next.
TEST_F(ConversionChainTest, ReadsEachKindOfInputIntoOneFormat)
{
    const auto mp3 = dir_ / "song.MP3";
    RunCommand("ffmpeg -v error -f lavfi -i sine=frequency=440:duration=1 -ac 2 " + Quoted(mp3));
    if (!std::filesystem::exists(mp3))
        GTEST_SKIP() << "this ffmpeg makes no MP3 files";
    const auto wav = test::Sox(dir_ / "tone.wav", "-b 16 -c 1 -r 22050", "2", "sine 300");
    test::WriteFile(dir_ / "broken.wav", "RIFF....WAVEjunk");

    ConversionChain chain(OutputFormat::FLAC, false, {}, settings_);
    EXPECT_NE(chain.Prepare((dir_ / "broken.wav").string(), (dir_ / "broken.flac").string(), {}),
              "");
    for (const auto& [input, seconds] : {std::pair{mp3, 1.0}, std::pair{wav, 2.0}}) {
        SCOPED_TRACE(input);
        const auto target = std::filesystem::path(input).replace_extension(".flac");
        ASSERT_EQ(chain.Prepare(input.string(), target.string(), {}), "");
        ASSERT_EQ(Run(chain.Sink()), "");
        EXPECT_EQ(Probe(target).substr(0, 5), "flac,");
        EXPECT_NEAR(Seconds(target), seconds, 0.1);
    }
    EXPECT_EQ(Probe(dir_ / "tone.flac").substr(0, 15), "flac,22050,1,2.");
    EXPECT_FALSE(std::filesystem::exists(dir_ / "broken.flac"));
}

} // namespace
} // namespace corvath
