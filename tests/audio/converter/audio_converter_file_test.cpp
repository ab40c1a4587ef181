// TAudioConverter between the WAV reader and writer on a file made by sox.
#include "audio/filters/audio_converter.h"
#include "audio/wave/wave_in.h"
#include "audio/wave/wave_out.h"
#include "support/audio_tools.h"
#include "support/run_command.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace corvath {
namespace {

int32_t Sample24(const std::string& data, std::size_t at)
{
    const auto byte = [&](std::size_t i) { return static_cast<uint8_t>(data[at + i]); };
    return static_cast<int32_t>(static_cast<uint32_t>(byte(0) | byte(1) << 8 | byte(2) << 16)
                                << 8) >>
           8;
}

class AudioConverterFileTest : public test::AudioRunFixture {};

TEST_F(AudioConverterFileTest, TwentyFourBitStereoToSixteenBitMono)
{
    if (!test::HaveTool("sox"))
        GTEST_SKIP() << "sox is needed to make the file";
    const auto source = dir_ / "in.wav";
    const auto reference = dir_ / "sox.wav";
    const auto converted = dir_ / "out.wav";
    test::RunCommand("sox -n -b 24 -c 2 -r 44100 '" + source.string() +
                     "' synth 0.5 sine 440 pinknoise 2>&1");
    // No dither, so that sox differs from us only in rounding.
    test::RunCommand("sox -D '" + source.string() + "' -b 16 -c 1 '" + reference.string() +
                     "' 2>&1");

    auto in = MakeComponent<TWaveIn>();
    auto converter = MakeComponent<TAudioConverter>();
    auto out = MakeComponent<TWaveOut>();
    in->SetFileName(source.string());
    converter->SetInput(in.get());
    converter->SetOutBitsPerSample(16);
    converter->SetOutChannels(1);
    out->SetInput(converter.get());
    out->SetFileName(converted.string());
    ASSERT_EQ(Run(*out), "");

    const std::string input = test::WaveData(source);
    const std::vector<int16_t> ours = test::Samples16(test::WaveData(converted));
    const std::vector<int16_t> theirs = test::SoxDecode(reference);
    ASSERT_EQ(ours.size(), input.size() / 6);
    ASSERT_EQ(theirs.size(), ours.size());
    for (std::size_t i = 0; i < ours.size(); ++i) {
        // Averaged and narrowed by shifts, both rounding down.
        const int32_t expected = (Sample24(input, 6 * i) + Sample24(input, 6 * i + 3)) >> 1 >> 8;
        ASSERT_EQ(ours[i], expected) << "frame " << i;
        // sox averages in its wider format and rounds to nearest.
        ASSERT_LE(std::abs(ours[i] - theirs[i]), 1) << "frame " << i;
    }
}

} // namespace
} // namespace corvath
