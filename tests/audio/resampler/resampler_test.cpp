#include "audio/filters/resampler.h"
#include "audio/model/au_exception.h"
#include "audio/wave/wave_in.h"
#include "audio/wave/wave_out.h"
#include "support/audio_tools.h"
#include "support/run_command.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace corvath {
namespace {

using std::filesystem::path;

/// The counting fake at any sample rate.
class RateSource : public test::FakeSource {
public:
    using FakeSource::FakeSource;
    uint32_t rate = 44100;
    uint32_t GetSampleRate() override { return rate; }
};

/// Opens without a sink.
class OpenableResampler : public TResampler {
public:
    using TResampler::OpenSource;
};

class ResamplerTest : public test::AudioRunFixture {
protected:
    void SetUp() override
    {
        AudioRunFixture::SetUp();
        ASSERT_TRUE(SamplerateLibrary().Load()) << SamplerateLibrary().NotLoadedMessage();
        source_ = MakeComponent<RateSource>();
        resampler_ = MakeComponent<OpenableResampler>();
        sink_ = MakeComponent<test::MemorySink>();
        resampler_->SetInput(source_.get());
        sink_->SetInput(resampler_.get());
    }
    void TearDown() override
    {
        sink_.reset();
        resampler_.reset();
        source_.reset();
        AudioRunFixture::TearDown();
    }

    void Configure(uint32_t inRate, uint32_t outRate, uint32_t bits, uint32_t channels,
                   int64_t total)
    {
        source_->rate = inRate;
        source_->bits = bits;
        source_->channels = channels;
        source_->total = total;
        resampler_->SetOutSampleRate(outRate);
    }

    const std::vector<uint8_t>& RunAll()
    {
        EXPECT_EQ(Run(*sink_), "");
        return sink_->written;
    }

    Owned<RateSource> source_;
    Owned<OpenableResampler> resampler_;
    Owned<test::MemorySink> sink_;
};

TEST_F(ResamplerTest, DeliversExactlyTheAnnouncedSize)
{
    struct Case {
        uint32_t inRate, outRate, bits, channels;
        int64_t total, expected;
        TResamplerQuality quality;
    };
    const Case cases[] = {
        {22050, 44100, 16, 1, 44100, 88200, rqBest},
        {44100, 8000, 16, 2, 3000004, 544216, rqFastest}, // several slices and top-ups
        {8000, 192000, 8, 1, 10001, 240024, rqMedium},
        {192000, 44100, 24, 2, 600006, 91876, rqFastest},
        {96000, 22050, 8, 2, 50002, 11484, rqFastest},
        {48000, 96000, 24, 1, 99999, 133332, rqMedium},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.inRate) + " -> " + std::to_string(c.outRate) + ", " +
                     std::to_string(c.bits) + " bits x" + std::to_string(c.channels));
        Configure(c.inRate, c.outRate, c.bits, c.channels, c.total);
        resampler_->SetQuality(c.quality);
        EXPECT_EQ(RunAll().size(), static_cast<std::size_t>(c.expected));
        EXPECT_EQ(resampler_->Size(), c.expected);
        EXPECT_EQ(resampler_->GetBitsPerSample(), c.bits == 24 ? 16u : c.bits);
        EXPECT_EQ(resampler_->GetSampleRate(), c.outRate);
    }
}

TEST_F(ResamplerTest, EqualRatesPassTheBytesThroughUntouched)
{
    Configure(48000, 48000, 24, 1, 30003);
    EXPECT_EQ(resampler_->GetBitsPerSample(), 24u); // known before the first open
    const std::vector<uint8_t>& out = RunAll();
    ASSERT_EQ(out.size(), 30003u);
    for (std::size_t i = 0; i < out.size(); ++i)
        ASSERT_EQ(out[i], i % 251) << "byte " << i;
    EXPECT_EQ(resampler_->Size(), 30003);
}

TEST_F(ResamplerTest, AnInputEndingEarlyIsNotStretchedToItsAnnouncedLength)
{
    for (const uint32_t bits : {16u, 8u}) {
        SCOPED_TRACE(std::to_string(bits) + " bits");
        Configure(44100, 48000, bits, 2, 400000);
        resampler_->SetQuality(rqFastest);
        const std::vector<uint8_t> whole = RunAll();
        source_->announced = 3000000;
        EXPECT_EQ(RunAll(), whole);
        EXPECT_EQ(resampler_->Size(), bits == 16 ? 3265304 : 3265306);
    }
}

// A refused open ends the run with its reason and leaves nothing behind: the next open tries
// afresh, and the next input converts as if nothing had failed.
TEST_F(ResamplerTest, ARefusedOpenFailsTheRunAndLeavesNothingBehind)
{
    Configure(1000, 999999, 16, 2, 4000);
    for (int attempt = 0; attempt < 2; ++attempt) {
        EXPECT_EQ(Run(*sink_), "Frequences ratio 1000 is invalid");
        EXPECT_FALSE(resampler_->IsBusy());
        EXPECT_FALSE(source_->IsBusy());
    }
    Configure(22050, 44100, 16, 2, 4000);
    EXPECT_EQ(RunAll().size(), 8000u);

    Configure(44100, 48000, 16, 0, 4000);
    EXPECT_EQ(Run(*sink_), "Failed to initialize the resampler");
    EXPECT_FALSE(source_->IsBusy());

    resampler_->SetInput(nullptr);
    EXPECT_THROW(resampler_->OpenSource(), EAuException);
    EXPECT_THROW(resampler_->GetBitsPerSample(), EAuException);
    EXPECT_THROW(resampler_->GetChannels(), EAuException);
}

TEST_F(ResamplerTest, OutSampleRateOutsideItsRangeStoresTheDefaultAndIsKeptWhileBusy)
{
    for (const auto& [set, stored] :
         {std::pair{2000u, 44100u}, {1000000u, 44100u}, {2001u, 2001u}, {999999u, 999999u}}) {
        resampler_->SetOutSampleRate(set);
        EXPECT_EQ(resampler_->OutSampleRate(), stored) << set;
    }
    resampler_->SetOutSampleRate(48000);
    resampler_->BeginRead();
    resampler_->SetOutSampleRate(22050);
    resampler_->SetQuality(rqFastest);
    EXPECT_EQ(resampler_->OutSampleRate(), 48000u);
    EXPECT_EQ(resampler_->Quality(), rqBest);
    resampler_->EndRead();
    resampler_->SetOutSampleRate(22050);
    EXPECT_EQ(resampler_->OutSampleRate(), 22050u);
}

uint32_t HeaderSampleRate(const path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::vector<char> header(28);
    in.read(header.data(), static_cast<std::streamsize>(header.size()));
    const auto* bytes = reinterpret_cast<const uint8_t*>(header.data());
    return bytes[24] | bytes[25] << 8 | bytes[26] << 16 | static_cast<uint32_t>(bytes[27]) << 24;
}

TEST_F(ResamplerTest, AFullScaleSineKeepsItsPitchAndNeverWraps)
{
    if (!test::HaveTool("sox"))
        GTEST_SKIP() << "sox makes the test signal";
    for (const auto& [inRate, outRate] : {std::pair{44100u, 48000u}, {48000u, 22050u}}) {
        SCOPED_TRACE(std::to_string(inRate) + " -> " + std::to_string(outRate));
        const path sine = dir_ / ("sine" + std::to_string(inRate) + ".wav");
        const path resampled = dir_ / ("resampled" + std::to_string(outRate) + ".wav");
        // Clipped a little, so the filter's overshoot passes full scale.
        test::RunCommand("sox -q -n -r " + std::to_string(inRate) + " -b 16 -c 1 '" +
                         sine.string() + "' synth 1 sine 1000 gain 1 2>/dev/null");
        const auto in = MakeComponent<TWaveIn>();
        const auto out = MakeComponent<TWaveOut>();
        in->SetFileName(sine.string());
        resampler_->SetInput(in.get());
        resampler_->SetOutSampleRate(outRate);
        out->SetInput(resampler_.get());
        out->SetFileName(resampled.string());
        ASSERT_EQ(Run(*out), "");
        resampler_->SetInput(nullptr);

        EXPECT_EQ(HeaderSampleRate(resampled), outRate);
        const std::vector<int16_t> samples = test::SoxDecode(resampled);
        ASSERT_NEAR(static_cast<double>(samples.size()), outRate, 1);
        int rising = 0;
        int flips = 0; // a loud sample followed by a loud one of the other sign: a wrap
        for (std::size_t i = 1; i < samples.size(); ++i) {
            const int before = samples[i - 1];
            const int now = samples[i];
            rising += before < 0 && now >= 0;
            flips += std::abs(before) > 16384 && std::abs(now) > 16384 && (before < 0) != (now < 0);
        }
        EXPECT_NEAR(rising, 1000, 1);
        EXPECT_EQ(flips, 0);
        // The overshoot reached the clamp, so the check above had something to catch.
        EXPECT_EQ(*std::max_element(samples.begin(), samples.end()), 32767);
    }
}

TEST(SamplerateLibraryTest, WithoutTheLibraryNoResamplerIsMade)
{
    const auto expectRefused = [](const std::string& message) {
        try {
            MakeComponent<TResampler>();
            ADD_FAILURE() << "constructed without the library";
        } catch (const EAuException& error) {
            EXPECT_EQ(error.what(), message);
        }
    };
    SamplerateLibrary().Unload();
    expectRefused("libsamplerate.so.0 library could not be loaded.");
    SamplerateLibrary().SetFileName("libsamplerate.so.missing");
    EXPECT_FALSE(SamplerateLibrary().Load());
    expectRefused("libsamplerate.so.missing library could not be loaded.");
    SamplerateLibrary().SetFileName("libsamplerate.so.0");
    EXPECT_TRUE(SamplerateLibrary().Load());
}

} // namespace
} // namespace corvath
