// TrackLoudness fed directly: every sample size and any chunking of the same sound measure alike.
#include "audio/filters/track_loudness.h"
#include "audio/model/au_exception.h"
#include "support/audio_tools.h"
#include "support/loudness_vectors.h"
#include "support/run_command.h"

#include <cmath>
#include <cstdint>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace corvath {
namespace {

/// The 16-bit samples as the sources deliver another sample size: the same values, scaled.
std::vector<uint8_t> Resized(const std::vector<int16_t>& samples, uint32_t bits)
{
    std::vector<uint8_t> bytes;
    for (const int16_t sample : samples) {
        const auto wide = static_cast<uint32_t>(static_cast<int32_t>(sample) * 65536);
        if (bits == 8)
            bytes.push_back(static_cast<uint8_t>((wide >> 24) ^ 0x80u));
        else
            for (uint32_t shift = 32 - bits; shift < 32; shift += 8)
                bytes.push_back(static_cast<uint8_t>(wide >> shift));
    }
    return bytes;
}

class TrackLoudnessTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!test::HaveTool("ffmpeg"))
            GTEST_SKIP() << "ffmpeg makes the test signal";
        ASSERT_TRUE(Ebur128Library().Load()) << Ebur128Library().NotLoadedMessage();
        tone_ =
            test::Samples16(test::WaveData(test::LavfiWav(dir_ / "t.wav", test::kTone1kSource)));
        ASSERT_EQ(tone_.size(), 2u * 441000u);
    }

    test::TempDir dir_;
    std::vector<int16_t> tone_; // the 1 kHz tone, stereo
};

TEST_F(TrackLoudnessTest, AnySampleSizeAndChunkingGivesTheSameLoudness)
{
    struct Case {
        uint32_t bits;
        std::size_t chunkBytes;
        std::size_t offset; // where the bytes start in their buffer, to try unaligned data
        double tolerance;   // 8 bits lose the tone's low bits
    };
    const Case cases[] = {
        {16, SIZE_MAX, 0, 1e-6}, {16, 1001, 0, 1e-6}, {16, 4096, 1, 1e-6}, {24, 999, 0, 1e-6},
        {32, 4096, 0, 1e-6},     {32, 1001, 3, 1e-6}, {8, 777, 0, 0.02},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.bits) + " bits in chunks of " + std::to_string(c.chunkBytes) +
                     " at offset " + std::to_string(c.offset));
        std::vector<uint8_t> buffer(c.offset);
        const std::vector<uint8_t> bytes = Resized(tone_, c.bits);
        buffer.insert(buffer.end(), bytes.begin(), bytes.end());
        const std::span<const uint8_t> all = std::span<const uint8_t>(buffer).subspan(c.offset);

        TrackLoudness track(2, 44100);
        for (std::size_t at = 0; at < all.size(); at += std::min(c.chunkBytes, all.size() - at))
            track.Add(all.subspan(at, std::min(c.chunkBytes, all.size() - at)), c.bits);
        const Loudness loudness = track.Result();
        EXPECT_NEAR(loudness.lufs, -19.990456, c.tolerance);
        if (c.bits != 8) {
            EXPECT_EQ(ReplayGainPeakText(loudness), "0.100006");
        }
    }
}

TEST_F(TrackLoudnessTest, LessThanABlockHasNoLoudnessButItsPeak)
{
    struct Case {
        std::size_t frames;
        bool loudness;
    };
    for (const Case c : {Case{13230, false}, Case{19845, true}}) { // 0.30 s and 0.45 s
        SCOPED_TRACE(std::to_string(c.frames) + " frames");
        TrackLoudness track(2, 44100);
        track.Add({reinterpret_cast<const uint8_t*>(tone_.data()), c.frames * 4}, 16);
        const Loudness loudness = track.Result();
        EXPECT_EQ(std::isfinite(loudness.lufs), c.loudness) << loudness.lufs;
        EXPECT_EQ(ReplayGainText(loudness), c.loudness ? "1.99 dB" : "0.00 dB");
        EXPECT_EQ(ReplayGainPeakText(loudness), "0.100006");
    }
}

TEST_F(TrackLoudnessTest, RefusesWhatItCannotMeasure)
{
    EXPECT_THROW(TrackLoudness(0, 44100), EAuException);
    EXPECT_THROW(TrackLoudness(2, 0), EAuException);
    TrackLoudness track(2, 44100);
    EXPECT_THROW(track.Add({}, 12), EAuException);
}

TEST_F(TrackLoudnessTest, NamesTheMissingLibrary)
{
    Ebur128Library().Unload();
    Ebur128Library().SetFileName("libebur128.so.missing");
    try {
        TrackLoudness track(2, 44100);
        ADD_FAILURE() << "made without its library";
    } catch (const EAuException& refused) {
        EXPECT_STREQ(refused.what(), "libebur128.so.missing library could not be loaded.");
    }
    Ebur128Library().SetFileName("libebur128.so.1");
    EXPECT_TRUE(Ebur128Library().Load());
}

} // namespace
} // namespace corvath
