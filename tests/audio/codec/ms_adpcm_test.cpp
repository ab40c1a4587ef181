// Microsoft ADPCM files made by sox must decode in ours as in ffmpeg; damaged blocks must decode
// without reading outside the block or the coefficient table.
#include "audio/wave/ms_adpcm.h"
#include "support/temp_dir.h"
#include "wave_files.h"

#include <gtest/gtest.h>
#include <vector>

namespace corvath {
namespace {

const std::vector<TMsAdpcmCoefficients> kStandardPairs = {
    {256, 0}, {512, -256}, {0, 0}, {192, 64}, {240, 0}, {460, -208}, {392, -232}};

// A mono block: predictor index, delta, first and second sample, then code bytes.
std::vector<uint8_t> MonoBlock(uint8_t predictor, int16_t delta, int16_t first, int16_t second,
                               std::vector<uint8_t> codes)
{
    auto le = [](int16_t value) {
        return std::vector<uint8_t>{static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)};
    };
    std::vector<uint8_t> block = {predictor};
    for (const int16_t value : {delta, first, second}) {
        const auto bytes = le(value);
        block.insert(block.end(), bytes.begin(), bytes.end());
    }
    block.insert(block.end(), codes.begin(), codes.end());
    return block;
}

std::vector<int16_t> Decode(const std::vector<uint8_t>& block, const TMsAdpcmFormat& format)
{
    std::vector<int16_t> out(2 * 2 * block.size() + 4);
    out.resize(DecodeMsAdpcmBlock(block, format, out) * format.channels);
    return out;
}

class MsAdpcmSoxFiles : public ::testing::TestWithParam<int> {};

TEST_P(MsAdpcmSoxFiles, DecodeAsInFfmpeg)
{
    const int channels = GetParam();
    if (!test::ToolInstalled("ffmpeg") || !test::ToolInstalled("sox"))
        GTEST_SKIP() << "sox makes the file and ffmpeg decodes it for comparison";
    const test::TempDir dir;
    const auto file = dir / "sox.wav";
    const std::string make = "sox -V1 -n -r 44100 -c " + std::to_string(channels) +
                             " -e ms-adpcm '" + file.string() +
                             "' synth 1 sine 440 sine 1000 gain -1";
    ASSERT_EQ(std::system(make.c_str()), 0);

    const std::vector<int16_t> ours = test::DecodeAdpcmFileOurselves(file);
    EXPECT_EQ(ours.size(), 44100u * channels);
    std::vector<int16_t> theirs = test::DecodeWithFfmpeg(file);
    ASSERT_GE(theirs.size(), ours.size());
    theirs.resize(ours.size());
    EXPECT_TRUE(ours == theirs);
}

INSTANTIATE_TEST_SUITE_P(MonoAndStereo, MsAdpcmSoxFiles, ::testing::Values(1, 2));

TEST(MsAdpcmBlock, DeltaNeverFallsBelow16)
{
    // Code 1 scales delta 16 by 230/256 to 14; the floor keeps it at 16, so each step adds 16.
    const TMsAdpcmFormat mono{1, 6, {{256, 0}}};
    EXPECT_EQ(Decode(MonoBlock(0, 16, 0, 0, {0x11, 0x11}), mono),
              (std::vector<int16_t>{0, 0, 16, 32, 48, 64}));
}

TEST(MsAdpcmBlock, PredictorIndexBeyondTheTableUsesTheFirstPair)
{
    const TMsAdpcmFormat mono{1, 8, kStandardPairs};
    const std::vector<uint8_t> codes = {0x3A, 0x7F, 0x21};
    for (const uint8_t predictor : {7, 255})
        EXPECT_EQ(Decode(MonoBlock(predictor, 300, 1000, 900, codes), mono),
                  Decode(MonoBlock(0, 300, 1000, 900, codes), mono));
}

TEST(MsAdpcmBlock, DecodesOnlyWhatTheBlockHolds)
{
    // 100 samples announced, 3 code bytes present: 2 + 6 frames.
    const TMsAdpcmFormat mono{1, 100, kStandardPairs};
    EXPECT_EQ(MsAdpcmFramesPerBlock(10, mono), 8u);
    EXPECT_EQ(Decode(MonoBlock(0, 16, 0, 0, {0x11, 0x11, 0x11}), mono).size(), 8u);

    const TMsAdpcmFormat stereo{2, 100, kStandardPairs};
    EXPECT_EQ(MsAdpcmFramesPerBlock(17, stereo), 5u);
    EXPECT_EQ(MsAdpcmFramesPerBlock(14, stereo), 2u);

    // Fewer samples than the block holds leave the rest unused.
    EXPECT_EQ(MsAdpcmFramesPerBlock(256, TMsAdpcmFormat{1, 10, kStandardPairs}), 10u);
    EXPECT_EQ(MsAdpcmFramesPerBlock(256, TMsAdpcmFormat{1, 0, kStandardPairs}), 2u);
}

TEST(MsAdpcmBlock, RefusesWhatCannotBeDecoded)
{
    std::vector<int16_t> out(64);
    const TMsAdpcmFormat mono{1, 4, kStandardPairs};
    EXPECT_EQ(DecodeMsAdpcmBlock(std::vector<uint8_t>(6), mono, out), 0u);
    EXPECT_EQ(
        DecodeMsAdpcmBlock(std::vector<uint8_t>(13), TMsAdpcmFormat{2, 4, kStandardPairs}, out),
        0u);
    EXPECT_EQ(DecodeMsAdpcmBlock(std::vector<uint8_t>(8), TMsAdpcmFormat{1, 4, {}}, out), 0u);
    EXPECT_EQ(
        DecodeMsAdpcmBlock(std::vector<uint8_t>(8), TMsAdpcmFormat{3, 4, kStandardPairs}, out), 0u);
    EXPECT_THROW(DecodeMsAdpcmBlock(std::vector<uint8_t>(8), mono, std::span(out).first(3)),
                 std::invalid_argument);
}

TEST(MsAdpcmBlock, ExtremeValuesClampWithoutOverflow)
{
    // The largest coefficients, samples and delta, then a long run of code -8: samples stick at
    // the bottom and the ever-growing delta must not overflow.
    const TMsAdpcmFormat mono{1, 2 + 2 * 500, {{-32768, -32768}}};
    const std::vector<int16_t> decoded =
        Decode(MonoBlock(0, 32767, -32768, -32768, std::vector<uint8_t>(500, 0x88)), mono);
    ASSERT_EQ(decoded.size(), 1002u);
    EXPECT_EQ(decoded[2], 32767) << "(-32768 x -32768 x 2) / 256 - 8 x 32767 clamps high";
    EXPECT_EQ(decoded.back(), -32768);
}

} // namespace
} // namespace corvath
