// Our IMA ADPCM files must decode in sox and ffmpeg as in our own decoder, and files made by sox
// must decode in ours as in those tools.
#include "audio/wave/ima_adpcm.h"
#include "support/temp_dir.h"
#include "wave_files.h"

#include <cmath>
#include <gtest/gtest.h>
#include <numbers>
#include <random>
#include <vector>

namespace corvath {
namespace {

using test::TempDir;

// A 440 Hz tone with noise, loud enough to need large steps.
std::vector<int16_t> TestSignal(std::size_t frames, int channels)
{
    std::mt19937 random(7);
    std::normal_distribution<double> noise(0.0, 1500.0);
    std::vector<int16_t> samples(frames * channels);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const double t = static_cast<double>(i / channels) / 44100.0;
        const double tone = 14000.0 * std::sin(2 * std::numbers::pi * 440.0 * t + (i % channels));
        samples[i] = static_cast<int16_t>(std::clamp(tone + noise(random), -32768.0, 32767.0));
    }
    return samples;
}

// Encodes whole blocks; the last one is filled up with silence.
std::string EncodeBlocks(std::vector<int16_t> samples, int channels, std::size_t blockAlign)
{
    const std::size_t blockSamples = ImaAdpcmFramesPerBlock(blockAlign, channels) * channels;
    samples.resize((samples.size() + blockSamples - 1) / blockSamples * blockSamples, 0);
    TImaAdpcmEncoder encoder;
    std::string blocks;
    std::vector<uint8_t> block(blockAlign);
    for (std::size_t start = 0; start < samples.size(); start += blockSamples) {
        encoder.EncodeBlock(std::span(samples).subspan(start, blockSamples), channels, block);
        blocks.append(block.begin(), block.end());
    }
    return blocks;
}

double SignalToNoiseDb(const std::vector<int16_t>& signal, const std::vector<int16_t>& decoded)
{
    double power = 0, error = 0;
    for (std::size_t i = 0; i < signal.size(); ++i) {
        power += double(signal[i]) * signal[i];
        error += (double(signal[i]) - decoded[i]) * (double(signal[i]) - decoded[i]);
    }
    return 10 * std::log10(power / error);
}

// sox decodes by the same reference steps as we do but clamps at -32768, not -32767; no other
// difference is allowed.
void ExpectSameAsSox(const std::vector<int16_t>& ours, std::vector<int16_t> sox)
{
    ASSERT_GE(sox.size(), ours.size());
    sox.resize(ours.size());
    std::size_t differences = 0;
    for (std::size_t i = 0; i < ours.size(); ++i) {
        if (ours[i] != sox[i] && !(ours[i] == -32767 && sox[i] == -32768) && ++differences <= 5)
            ADD_FAILURE() << "sample " << i << ": ours " << ours[i] << ", sox " << sox[i];
    }
    EXPECT_EQ(differences, 0u);
}

// ffmpeg computes (2 x code + 1) x step / 8 where the reference adds step fractions, so its
// samples drift a few units from ours within a block; a wrong layout or table would not.
void ExpectCloseToFfmpeg(const std::vector<int16_t>& ours, std::vector<int16_t> ffmpeg)
{
    ASSERT_GE(ffmpeg.size(), ours.size());
    ffmpeg.resize(ours.size());
    EXPECT_GT(SignalToNoiseDb(ours, ffmpeg), 45.0);
}

class ImaAdpcmOurFiles : public ::testing::TestWithParam<int> {};

TEST_P(ImaAdpcmOurFiles, DecodeInRealToolsAsInOurDecoder)
{
    const int channels = GetParam();
    if (!test::ToolInstalled("ffmpeg") || !test::ToolInstalled("sox"))
        GTEST_SKIP() << "ffmpeg and sox are needed to decode our IMA ADPCM files";
    const std::size_t frames = 30000; // not whole blocks, so the last one is padded
    const std::vector<int16_t> signal = TestSignal(frames, channels);
    const TempDir dir;
    const auto file = dir / "ours.wav";
    test::WriteFile(
        file, test::ImaAdpcmWav(channels, 44100, 512, frames, EncodeBlocks(signal, channels, 512)));

    const std::vector<int16_t> ours = test::DecodeAdpcmFileOurselves(file);
    ASSERT_EQ(ours.size(), signal.size());
    EXPECT_GT(SignalToNoiseDb(signal, ours), 20.0);
    ExpectSameAsSox(ours, test::DecodeWithSox(file));
    ExpectCloseToFfmpeg(ours, test::DecodeWithFfmpeg(file));
}

INSTANTIATE_TEST_SUITE_P(MonoAndStereo, ImaAdpcmOurFiles, ::testing::Values(1, 2));

class ImaAdpcmSoxFiles : public ::testing::TestWithParam<int> {};

TEST_P(ImaAdpcmSoxFiles, DecodeAsInSoxAndCloseToFfmpeg)
{
    const int channels = GetParam();
    if (!test::ToolInstalled("ffmpeg") || !test::ToolInstalled("sox"))
        GTEST_SKIP() << "sox makes the file; sox and ffmpeg decode it for comparison";
    const TempDir dir;
    const auto file = dir / "sox.wav";
    const std::string make = "sox -V1 -n -r 44100 -c " + std::to_string(channels) +
                             " -e ima-adpcm '" + file.string() +
                             "' synth 1 sine 440 sine 1000 gain -1";
    ASSERT_EQ(std::system(make.c_str()), 0);

    const std::vector<int16_t> ours = test::DecodeAdpcmFileOurselves(file);
    EXPECT_EQ(ours.size(), 44100u * channels);
    ExpectSameAsSox(ours, test::DecodeWithSox(file));
    ExpectCloseToFfmpeg(ours, test::DecodeWithFfmpeg(file));
}

INSTANTIATE_TEST_SUITE_P(MonoAndStereo, ImaAdpcmSoxFiles, ::testing::Values(1, 2));

TEST(ImaAdpcmBlock, ReconstructionStopsAtMinus32767)
{
    // Predictor -32767 at the largest step; code 15 asks for the largest fall.
    std::vector<uint8_t> block = {0x01, 0x80, kImaMaxStepIndex, 0, 0x0F};
    std::vector<int16_t> out(3);
    ASSERT_EQ(DecodeImaAdpcmBlock(block, 1, out), 3u);
    EXPECT_EQ(out[0], -32767);
    EXPECT_EQ(out[1], -32767);
}

TEST(ImaAdpcmBlock, StepIndexAbove88IsTakenAs88)
{
    std::vector<uint8_t> damaged = {0, 0, 200, 0, 0x12, 0x34, 0x56, 0x78};
    std::vector<uint8_t> clamped = damaged;
    clamped[2] = kImaMaxStepIndex;
    std::vector<int16_t> fromDamaged(9), fromClamped(9);
    ASSERT_EQ(DecodeImaAdpcmBlock(damaged, 1, fromDamaged), 9u);
    DecodeImaAdpcmBlock(clamped, 1, fromClamped);
    EXPECT_EQ(fromDamaged, fromClamped);

    TImaAdpcmEncoder encoder{{200, 0}};
    std::vector<uint8_t> block(8);
    encoder.EncodeBlock(std::vector<int16_t>(9, 1000), 1, block);
    EXPECT_EQ(block[2], kImaMaxStepIndex);
    EXPECT_LE(encoder.stepIndex[0], kImaMaxStepIndex);
}

TEST(ImaAdpcmBlock, RefusesBlocksAndBuffersThatDoNotFit)
{
    std::vector<int16_t> out(64);
    EXPECT_EQ(DecodeImaAdpcmBlock(std::vector<uint8_t>(3), 1, out), 0u);
    EXPECT_EQ(DecodeImaAdpcmBlock(std::vector<uint8_t>(7), 2, out), 0u);
    EXPECT_EQ(DecodeImaAdpcmBlock({}, 1, out), 0u);
    EXPECT_THROW(DecodeImaAdpcmBlock(std::vector<uint8_t>(64), 1, out), std::invalid_argument);

    TImaAdpcmEncoder encoder;
    std::vector<uint8_t> block(16);
    EXPECT_THROW(encoder.EncodeBlock(std::vector<int16_t>(24), 1, block), std::invalid_argument);
    EXPECT_THROW(encoder.EncodeBlock(std::vector<int16_t>(25), 3, block), std::invalid_argument);
}

// Stereo blocks whose codes are not whole 8-byte groups, and odd sizes, stay inside the block
// and still round-trip.
TEST(ImaAdpcmBlock, UnusualStereoBlockSizesRoundTrip)
{
    for (const std::size_t blockAlign : {516u, 13u, 12u, 9u}) {
        const std::size_t frames = ImaAdpcmFramesPerBlock(blockAlign, 2);
        const std::vector<int16_t> signal = TestSignal(frames * 20, 2);
        const std::string blocks = EncodeBlocks(signal, 2, blockAlign);
        std::vector<int16_t> decoded;
        std::vector<int16_t> out(frames * 2);
        for (std::size_t start = 0; start < blocks.size(); start += blockAlign) {
            const auto* bytes = reinterpret_cast<const uint8_t*>(blocks.data()) + start;
            ASSERT_EQ(DecodeImaAdpcmBlock({bytes, blockAlign}, 2, out), frames);
            decoded.insert(decoded.end(), out.begin(), out.end());
        }
        ASSERT_EQ(decoded.size(), signal.size());
        EXPECT_GT(SignalToNoiseDb(signal, decoded), 10.0) << "block align " << blockAlign;
    }
}

TEST(ImaAdpcmBlock, StepIndexCarriesIntoTheNextBlock)
{
    const std::vector<int16_t> loud = TestSignal(ImaAdpcmFramesPerBlock(64, 2), 2);
    TImaAdpcmEncoder encoder;
    std::vector<uint8_t> first(64), second(64);
    encoder.EncodeBlock(loud, 2, first);
    EXPECT_EQ(first[2], 0);
    EXPECT_EQ(first[6], 0);
    const auto carried = encoder.stepIndex;
    ASSERT_GT(carried[0], 0);
    encoder.EncodeBlock(loud, 2, second);
    EXPECT_EQ(second[2], carried[0]);
    EXPECT_EQ(second[6], carried[1]);
    EXPECT_EQ(second[3], 0);
    EXPECT_EQ(second[7], 0);
}

} // namespace
} // namespace corvath
