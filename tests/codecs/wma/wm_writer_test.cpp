#include "platform/media/wm_codec_info.h"
#include "platform/media/wm_writer.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace corvath {
namespace {

constexpr uint32_t kEightyMsOfCdAudio = 14112; // 16-bit stereo at 44100 Hz

// A writer of 128 kbps stereo, begun, with an input of 16-bit stereo at 44100 Hz.
class WmWriterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto sink = std::make_unique<WmWriterFileSink>();
        ASSERT_TRUE(sink->Open((dir_ / "out.wma").string()));
        writer_.AddSink(std::move(sink));
        WmProfile profile(kWmProfileVersion9);
        std::optional<WmStreamConfig> stream = WmCodecInfo().CodecFormat(0, 29);
        ASSERT_TRUE(stream);
        stream->SetStreamNumber(1);
        ASSERT_TRUE(profile.AddStream(*stream));
        EXPECT_FALSE(profile.AddStream(*stream)); // its number is taken
        ASSERT_TRUE(writer_.SetProfile(profile));
        ASSERT_EQ(writer_.InputCount(), 1u);
        WmMediaType input = writer_.InputProps(0);
        input.waveFormat.SetBitsPerSample(16);
        input.waveFormat.SetChannels(2);
        input.waveFormat.SetSampleRate(44100);
        input.waveFormat.SetBlockAlign(4);
        input.waveFormat.SetAvgBytesPerSec(176400);
        ASSERT_TRUE(writer_.SetInputProps(0, input));
        ASSERT_TRUE(writer_.BeginWriting()) << writer_.ErrorText();
    }

    test::TempDir dir_;
    WmWriter writer_;
};

TEST_F(WmWriterTest, SamplesCarryTheTimeTheyEnd)
{
    const WmSample sample = writer_.AllocateSample(kEightyMsOfCdAudio);
    EXPECT_FALSE(writer_.WriteSample(0, 0, 0, sample)); // its start
    EXPECT_EQ(writer_.ErrorText(), "A sample's time does not match the sound written.");
    EXPECT_FALSE(writer_.WriteSample(0, 800, 0, sample)); // milliseconds' worth of units
    EXPECT_TRUE(writer_.WriteSample(0, 800000, 0, sample)) << writer_.ErrorText();
    EXPECT_TRUE(writer_.WriteSample(0, 1600000, 0, sample)) << writer_.ErrorText();
    EXPECT_TRUE(writer_.WriteSample(0, 1600000, 0, writer_.AllocateSample(0)));
    EXPECT_TRUE(writer_.EndWriting()) << writer_.ErrorText();
}

} // namespace
} // namespace corvath
