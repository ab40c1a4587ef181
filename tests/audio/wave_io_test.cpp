#include "audio/wave/wave_in.h"
#include "audio/wave/wave_out.h"
#include "support/audio_tools.h"
#include "support/run_command.h"

#include <cmath>
#include <fstream>
#include <gtest/gtest.h>
#include <random>

namespace corvath {
namespace {

using test::FfmpegDecode;
using test::ReadFile;
using test::RunCommand;
using test::Sox;
using test::SoxDecode;
using test::WaveData;

class WaveIoTest : public test::AudioRunFixture {
protected:
    void SetUp() override
    {
        AudioRunFixture::SetUp();
        if (!test::HaveTool("sox") || !test::HaveTool("ffmpeg"))
            GTEST_SKIP() << "sox and ffmpeg are needed to make and check the files";
        in_ = MakeComponent<TWaveIn>();
        out_ = MakeComponent<TWaveOut>();
        out_->SetInput(in_.get());
    }
    void TearDown() override
    {
        out_.reset();
        in_.reset();
        AudioRunFixture::TearDown();
    }
    std::string Copy(const std::filesystem::path& from, const std::filesystem::path& to)
    {
        in_->SetFileName(from.string());
        out_->SetFileName(to.string());
        return Run(*out_);
    }

    Owned<TWaveIn> in_;
    Owned<TWaveOut> out_;
};

TEST_F(WaveIoTest, PcmFromOtherToolsCopiesByteForByte)
{
    for (const std::string format : {"-b 8 -c 1 -r 8000", "-b 16 -c 2 -r 44100",
                                     "-b 24 -c 2 -r 96000", "-b 16 -c 1 -r 22050"}) {
        SCOPED_TRACE(format);
        const auto source = Sox(dir_ / "in.wav", format, "0.5", "sine 440 pinknoise");
        ASSERT_EQ(Copy(source, dir_ / "out.wav"), "");
        const std::string data = ReadFile(dir_ / "out.wav");
        EXPECT_EQ(data.substr(44), WaveData(source));
        EXPECT_EQ(RunCommand("sox '" + (dir_ / "out.wav").string() + "' -t raw - | md5sum"),
                  RunCommand("sox '" + source.string() + "' -t raw - | md5sum"));
    }
}

// Largest difference between our decoding and another's, over our samples.
int MaxDifference(const std::vector<int16_t>& ours, const std::vector<int16_t>& theirs)
{
    int largest = ours.size() <= theirs.size() ? 0 : 1 << 16;
    for (std::size_t i = 0; i < std::min(ours.size(), theirs.size()); ++i)
        largest = std::max(largest, std::abs(ours[i] - theirs[i]));
    return largest;
}

// IMA ADPCM has two decodings in use: the reference one, where each code bit adds its share of
// the step, and ffmpeg's, which multiplies and rounds differently. We (like sox) follow the
// reference; ffmpeg's samples stay within a few steps of ours.
constexpr int kImaRoundingDrift = 64;

TEST_F(WaveIoTest, AdpcmFromSoxDecodesLikeTheOtherTools)
{
    for (const std::string format : {"-e ima-adpcm -c 2 -r 44100", "-e ima-adpcm -c 1 -r 22050",
                                     "-e ms-adpcm -c 2 -r 44100", "-e ms-adpcm -c 1 -r 8000"}) {
        SCOPED_TRACE(format);
        const auto source = Sox(dir_ / "adpcm.wav", format, "0.5", "sine 440 square 3");
        ASSERT_EQ(Copy(source, dir_ / "out.wav"), "");
        const auto ours = test::Samples16(WaveData(dir_ / "out.wav"));
        // Exactly the frames the fact chunk announces: 0.5 s.
        const std::size_t channels = format.find("-c 2") != std::string::npos ? 2 : 1;
        EXPECT_EQ(ours.size(), in_->GetSampleRate() / 2 * channels);
        if (format.find("ima") != std::string::npos) {
            EXPECT_EQ(MaxDifference(ours, SoxDecode(source)), 0);
            EXPECT_LE(MaxDifference(ours, FfmpegDecode(source)), kImaRoundingDrift);
        } else {
            EXPECT_EQ(MaxDifference(ours, FfmpegDecode(source)), 0);
        }
    }
}

TEST_F(WaveIoTest, MpegLayer3InsideWavDecodesLikeFfmpeg)
{
    const auto source = dir_ / "mp3.wav";
    RunCommand("ffmpeg -v error -f lavfi -i sine=frequency=1000:duration=1 -ac 2 -c:a libmp3lame "
               "-b:a 128k -f wav '" +
               source.string() + "'");
    in_->SetFileName(source.string());
    ASSERT_TRUE(in_->IsValid());
    EXPECT_EQ(in_->WavType(), wtACM);
    ASSERT_EQ(Copy(source, dir_ / "out.wav"), "");
    const auto ours = test::Samples16(WaveData(dir_ / "out.wav"));
    const auto theirs = FfmpegDecode(source);
    ASSERT_GT(theirs.size(), 44100u);
    // Within one sample (one stereo frame) of delay, the signals agree.
    double best = 1e300;
    for (int shift = -2; shift <= 2; shift += 2) {
        double error = 0;
        const std::size_t count = std::min(ours.size(), theirs.size()) - 4;
        for (std::size_t i = 2; i < count; ++i)
            error += std::abs(ours[i + shift] - theirs[i]);
        best = std::min(best, error / count);
    }
    EXPECT_LT(best, 2.0);
    EXPECT_NEAR(static_cast<double>(ours.size()), static_cast<double>(theirs.size()), 1152 * 2);
}

TEST_F(WaveIoTest, OurImaAdpcmDecodesInFfmpegAndSox)
{
    for (const std::string format : {"-b 16 -c 2 -r 44100", "-b 16 -c 1 -r 32000"}) {
        SCOPED_TRACE(format);
        const auto source = Sox(dir_ / "pcm.wav", format, "0.5", "sine 300-3000");
        out_->SetWavType(wtDVIADPCM);
        ASSERT_EQ(Copy(source, dir_ / "ima.wav"), "");

        auto reader = MakeComponent<TWaveIn>();
        reader->SetFileName((dir_ / "ima.wav").string());
        ASSERT_TRUE(reader->IsValid());
        out_->SetInput(reader.get());
        out_->SetWavType(wtPCM);
        out_->SetFileName((dir_ / "back.wav").string());
        ASSERT_EQ(Run(*out_), "");
        out_->SetInput(in_.get());

        const auto ours = test::Samples16(WaveData(dir_ / "back.wav"));
        const auto original = test::Samples16(WaveData(source));
        ASSERT_EQ(ours.size(), original.size());
        const auto ffmpeg = FfmpegDecode(dir_ / "ima.wav");
        const auto sox = SoxDecode(dir_ / "ima.wav");
        double noise = 0, signal = 0;
        EXPECT_EQ(MaxDifference(ours, sox), 0);
        EXPECT_LE(MaxDifference(ours, ffmpeg), kImaRoundingDrift);
        for (std::size_t i = 0; i < ours.size(); ++i) {
            noise += std::pow(ours[i] - original[i], 2);
            signal += std::pow(original[i], 2);
        }
        EXPECT_GT(10 * std::log10(signal / noise), 20.0) << "signal to noise ratio in dB";
    }
}

} // namespace
} // namespace corvath
