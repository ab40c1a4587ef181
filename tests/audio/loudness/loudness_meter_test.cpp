// The loudness meter between the WAV reader and a sink, on the signals of the ReplayGain test
// table: each value below is what libebur128 gives for the file.
#include "audio/filters/loudness_meter.h"
#include "audio/wave/wave_in.h"
#include "support/audio_tools.h"
#include "support/loudness_vectors.h"

#include <array>
#include <cmath>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace corvath {
namespace {

using std::filesystem::path;

class LoudnessMeterTest : public test::AudioRunFixture {
protected:
    static void SetUpTestSuite()
    {
        if (!test::HaveTool("ffmpeg"))
            return;
        signals_ = std::make_unique<test::TempDir>();
        for (const auto& [name, source] : kSignals)
            test::LavfiWav(*signals_ / name, source);
    }
    static void TearDownTestSuite() { signals_.reset(); }

    void SetUp() override
    {
        AudioRunFixture::SetUp();
        if (signals_ == nullptr)
            GTEST_SKIP() << "ffmpeg makes the test signals";
        ASSERT_TRUE(Ebur128Library().Load()) << Ebur128Library().NotLoadedMessage();
    }

    static path Signal(const std::string& name) { return *signals_ / name; }

    /// Reads the file through the meter into memory; the meter's measurement.
    std::optional<TrackLoudness> Measure(const path& file)
    {
        const auto in = MakeComponent<TWaveIn>();
        const auto meter = MakeComponent<TLoudnessMeter>();
        sink_ = MakeComponent<test::MemorySink>();
        in->SetFileName(file.string());
        meter->SetInput(in.get());
        sink_->SetInput(meter.get());
        EXPECT_EQ(Run(*sink_), "");
        return meter->TakeMeasurement();
    }

    Loudness MeasuredResult(const std::string& name)
    {
        const std::optional<TrackLoudness> measurement = Measure(Signal(name));
        EXPECT_TRUE(measurement.has_value());
        return measurement ? measurement->Result() : Loudness{NAN, NAN};
    }

    static constexpr std::array<std::pair<const char*, const char*>, 5> kSignals{{
        {"tone1k.wav", test::kTone1kSource},
        {"tone440.wav", test::kTone440Source},
        {"tone1k_mono.wav", test::kTone1kMonoSource},
        {"pink.wav", test::kPinkNoiseSource},
        {"silence.wav", test::kSilenceSource},
    }};
    static inline std::unique_ptr<test::TempDir> signals_;
    Owned<test::MemorySink> sink_;
};

TEST_F(LoudnessMeterTest, MeasuresEachTrackAsLibebur128Does)
{
    struct Case {
        const char* name;
        double lufs;
        const char* gain;
        const char* peak;
        const char* r128;
    };
    const Case cases[] = {
        {"tone1k.wav", -19.990456, "1.99 dB", "0.100006", "-770"},
        {"tone440.wav", -6.679102, "-11.32 dB", "0.501190", "-4178"},
        {"pink.wav", -20.720679, "2.72 dB", "0.290771", "-584"},
        // Counted as dual mono: the gain of its stereo copy, not -23.00 LUFS.
        {"tone1k_mono.wav", -19.990456, "1.99 dB", "0.100006", "-770"},
        {"silence.wav", -INFINITY, "0.00 dB", "0.000000", "0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Loudness loudness = MeasuredResult(c.name);
        if (std::isinf(c.lufs))
            EXPECT_EQ(loudness.lufs, c.lufs);
        else
            EXPECT_NEAR(loudness.lufs, c.lufs, 0.01);
        EXPECT_EQ(ReplayGainText(loudness), c.gain);
        EXPECT_EQ(ReplayGainPeakText(loudness), c.peak);
        EXPECT_EQ(R128GainText(loudness), c.r128);
    }
}

TEST_F(LoudnessMeterTest, AlbumPoolsTheTracksAndIgnoresSilentOnes)
{
    struct Case {
        std::vector<const char*> tracks;
        double lufs;
        const char* gain;
        const char* peak;
        const char* r128;
    };
    const char* const loudest = "0.501190";
    const Case cases[] = {
        {{"tone1k.wav", "tone440.wav", "pink.wav"}, -11.091685, "-6.91 dB", loudest, "-3049"},
        {{"tone1k.wav", "tone440.wav", "pink.wav", "silence.wav"},
         -11.091685,
         "-6.91 dB",
         loudest,
         "-3049"},
        // The quieter tone's blocks fall under the relative gate of the louder one.
        {{"tone1k.wav", "tone440.wav"}, -6.679102, "-11.32 dB", loudest, "-4178"},
        {{"silence.wav"}, -INFINITY, "0.00 dB", "0.000000", "0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.tracks.size()) + " tracks");
        std::vector<TrackLoudness> measured;
        for (const char* name : c.tracks) {
            std::optional<TrackLoudness> track = Measure(Signal(name));
            ASSERT_TRUE(track.has_value()) << name;
            measured.push_back(std::move(*track));
        }
        std::vector<const TrackLoudness*> tracks;
        for (const TrackLoudness& track : measured)
            tracks.push_back(&track);
        const Loudness album = AlbumLoudness(tracks);
        if (std::isinf(c.lufs))
            EXPECT_EQ(album.lufs, c.lufs);
        else
            EXPECT_NEAR(album.lufs, c.lufs, 0.01);
        EXPECT_EQ(ReplayGainText(album), c.gain);
        EXPECT_EQ(ReplayGainPeakText(album), c.peak);
        EXPECT_EQ(R128GainText(album), c.r128);
    }
}

TEST_F(LoudnessMeterTest, PassesTheInputThroughUnchanged)
{
    for (const char* name : {"pink.wav", "tone1k_mono.wav"}) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(Measure(Signal(name)).has_value());
        const std::string data = test::WaveData(Signal(name));
        ASSERT_EQ(sink_->written.size(), data.size());
        EXPECT_TRUE(std::equal(data.begin(), data.end(), sink_->written.begin(),
                               [](char a, uint8_t b) { return static_cast<uint8_t>(a) == b; }));
    }
}

TEST_F(LoudnessMeterTest, ReportsItsInputsFormat)
{
    const auto in = MakeComponent<TWaveIn>();
    const auto meter = MakeComponent<TLoudnessMeter>();
    EXPECT_EQ(meter->GetChannels(), 0u);
    in->SetFileName(Signal("tone1k_mono.wav").string());
    meter->SetInput(in.get());
    EXPECT_EQ(meter->GetChannels(), 1u);
    EXPECT_EQ(meter->GetBitsPerSample(), 16u);
    EXPECT_EQ(meter->GetSampleRate(), 44100u);
    EXPECT_EQ(meter->GetSampleCount(), 441000);
    EXPECT_EQ(meter->GetTotalSeconds(), 10u);
}

TEST_F(LoudnessMeterTest, TwentyFourAndEightBitFilesMeasureLikeTheirSixteenBitCopy)
{
    struct Case {
        const char* codec;
        double tolerance; // rounding the tone to 8 bits distorts it: about 0.04 LU louder
    };
    for (const Case& c : {Case{"pcm_s24le", 0.001}, Case{"pcm_u8", 0.05}}) {
        SCOPED_TRACE(c.codec);
        const path file = test::LavfiWav(dir_ / "tone.wav", test::kTone1kSource, c.codec);
        const std::optional<TrackLoudness> measurement = Measure(file);
        ASSERT_TRUE(measurement.has_value());
        const Loudness loudness = measurement->Result();
        EXPECT_NEAR(loudness.lufs, -19.990456, c.tolerance);
        EXPECT_NEAR(loudness.peak, 0.1, 0.002);
    }
}

TEST_F(LoudnessMeterTest, GivesTheMeasurementOnceAndOnlyOfACompleteRun)
{
    const auto source = MakeComponent<test::FakeSource>();
    const auto meter = MakeComponent<TLoudnessMeter>();
    const auto sink = MakeComponent<test::MemorySink>();
    meter->SetInput(source.get());
    sink->SetInput(meter.get());
    EXPECT_FALSE(meter->TakeMeasurement().has_value()); // no run yet

    ASSERT_EQ(Run(*sink), "");
    EXPECT_TRUE(meter->TakeMeasurement().has_value());
    EXPECT_FALSE(meter->TakeMeasurement().has_value());

    source->failAt = 8192;
    EXPECT_EQ(Run(*sink), "the fake broke");
    EXPECT_FALSE(meter->TakeMeasurement().has_value());
}

} // namespace
} // namespace corvath
